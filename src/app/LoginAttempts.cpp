// Wrong codes typed at this workstation and the wait after five of them in a row.
#include "app/LoginAttempts.h"

#include "ui/Seams.h"

#include <QSettings>

namespace {

// The user's settings file of the login (~/.config/tabel/login.ini).
QSettings loginSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tabel"),
                     QStringLiteral("login"));
}

const QString kWrongCodesKey = QStringLiteral("login/wrongCodes");
const QString kWaitUntilKey = QStringLiteral("login/waitUntil");

} // namespace

int LoginAttempts::secondsToWait() {
    QSettings settings = loginSettings();
    const QDateTime until =
        QDateTime::fromString(settings.value(kWaitUntilKey).toString(), Qt::ISODateWithMs);
    if (!until.isValid())
        return 0;
    const QDateTime now = seams::now();
    qint64 msecs = now.msecsTo(until);
    if (msecs > kWaitSeconds * 1000) {
        // The clock was set back: the wait is counted from now instead.
        msecs = kWaitSeconds * 1000;
        settings.setValue(kWaitUntilKey, now.toUTC().addSecs(kWaitSeconds).toString(Qt::ISODateWithMs));
    }
    return msecs <= 0 ? 0 : int((msecs + 999) / 1000);
}

void LoginAttempts::noteWrongCode() {
    QSettings settings = loginSettings();
    const int wrongCodes = settings.value(kWrongCodesKey, 0).toInt() + 1;
    settings.setValue(kWrongCodesKey, wrongCodes);
    if (wrongCodes >= kFreeTries)
        settings.setValue(kWaitUntilKey,
                          seams::now().toUTC().addSecs(kWaitSeconds).toString(Qt::ISODateWithMs));
}

void LoginAttempts::noteRightCode() {
    QSettings settings = loginSettings();
    settings.remove(kWrongCodesKey);
    settings.remove(kWaitUntilKey);
}
