// The version check of the build stamp against the database's.
#include "app/VersionCheck.h"

#include "app/BuildStamp.h"
#include "data/Database.h"
#include "records/ProgramStamp.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"

VersionCheck::VersionCheck(Database& db, const QString& buildDateText, const QString& buildTimeText,
                           QObject* parent)
    : QObject(parent), m_db(db), m_buildDate(computeBuildDate(buildDateText)),
      m_buildTime(computeBuildTime(buildTimeText)) {
    m_ver.setTableName(QStringLiteral("accounts_dep.ver"));
    m_ver.setKeyField(QString());
    m_repeatTimer.setInterval(30000);
    connect(&m_repeatTimer, &QTimer::timeout, this, &VersionCheck::repeat);
    m_repeatTimer.start();
    m_endTimer.setInterval(5000);
    m_endTimer.setSingleShot(true);
    connect(&m_endTimer, &QTimer::timeout, this, [] { seams::endProgram(0); });
}

void VersionCheck::run() {
    // A failed read or write (the server away) is shown as any database error is; the check runs
    // again with the next repetition.
    runGuarded([this] { check(); });
}

void VersionCheck::repeat() {
    // The message of an earlier check may still be open, and its own event loop runs this timer:
    // the check does not start again inside it.
    if (m_repeating)
        return;
    m_repeating = true;
    const std::optional<QString> error = errorOf([this] { check(); });
    // While the server stays away, its error is shown once, not every 30 s: the boxes would pile
    // up in front of the user. The next failure after a good check is shown again.
    if (error && !m_failing)
        seams::errorBox(*error, QStringLiteral("Ошибка"));
    m_failing = error.has_value();
    m_repeating = false;
}

void VersionCheck::check() {
    m_ver.close();
    m_ver.open();
    m_ver.first();
    m_db.decimalSeparator = m_ver.fieldByName(QStringLiteral("delim")).asString();
    int d = m_ver.fieldByName(QStringLiteral("d")).asInteger();
    int t = m_ver.fieldByName(QStringLiteral("t")).asInteger();
    if (m_ver.isEmpty() || d < m_buildDate || (d == m_buildDate && t < m_buildTime)) {
        // The database carries an older stamp: this program is the newest one. Another
        // workstation may write its own stamp at the same moment; what is stored is read again.
        advanceProgramStamp(m_db, m_buildDate, m_buildTime);
        m_ver.close();
        m_ver.open();
        m_ver.first();
    }
    d = m_ver.fieldByName(QStringLiteral("d")).asInteger();
    t = m_ver.fieldByName(QStringLiteral("t")).asInteger();
    m_ver.close();
    if (m_buildDate < d || (m_buildDate == d && m_buildTime < t)) {
        // A newer program has run against this database: refuse and end, at the latest when
        // the end timer fires while the message is still open.
        m_endTimer.start();
        seams::errorBox(
            QStringLiteral("Версия программы не соответсвует БД! Запустите программу через 5 мин."));
        seams::endProgram(0);
    }
}
