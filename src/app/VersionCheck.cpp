// The version check of the build stamp against the database's.
#include "app/VersionCheck.h"

#include "app/BuildStamp.h"
#include "data/Database.h"
#include "ui/Seams.h"

VersionCheck::VersionCheck(Database& db, const QString& buildDateText, const QString& buildTimeText,
                           QObject* parent)
    : QObject(parent), m_db(db), m_buildDate(computeBuildDate(buildDateText)),
      m_buildTime(computeBuildTime(buildTimeText)) {
    m_ver.setTableName(QStringLiteral("accounts_dep.ver"));
    m_ver.setKeyField(QString());
    m_repeatTimer.setInterval(30000);
    connect(&m_repeatTimer, &QTimer::timeout, this, &VersionCheck::run);
    m_repeatTimer.start();
    m_endTimer.setInterval(5000);
    m_endTimer.setSingleShot(true);
    connect(&m_endTimer, &QTimer::timeout, this, [] { seams::endProgram(0); });
}

void VersionCheck::run() {
    m_ver.close();
    m_ver.open();
    m_ver.first();
    m_db.decimalSeparator = m_ver.fieldByName(QStringLiteral("delim")).asString();
    int d = m_ver.fieldByName(QStringLiteral("d")).asInteger();
    int t = m_ver.fieldByName(QStringLiteral("t")).asInteger();
    if (d < m_buildDate || (d == m_buildDate && t < m_buildTime)) {
        // The database carries an older stamp: this program is the newest one.
        if (m_ver.isEmpty())
            m_ver.append();
        else
            m_ver.edit();
        m_ver.setValue(QStringLiteral("d"), m_buildDate);
        m_ver.setValue(QStringLiteral("t"), m_buildTime);
        m_ver.post();
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
