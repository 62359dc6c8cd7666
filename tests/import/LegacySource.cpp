// The earlier database for the import's tests and benchmark.
#include "LegacySource.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

const QString kConnection = QStringLiteral("legacy_fixture");

void writeFile(const QString& path, const QString& text) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(text.toUtf8());
}

// The legacy tables with the column types of the earlier database: counters, small integers,
// decimals and texts of their lengths.
const char* const kLegacyTables[] = {
    "create table H_TABEL (id integer primary key autoincrement, w_id integer, month smallint, "
    "smena smallint, year smallint, %DAYS%)",
    "create table IZDEL (ID integer primary key autoincrement, MARKA varchar(50), nom varchar(100), "
    "massa decimal(19,4))",
    "create table NOMENKL (Nom varchar(150), marka varchar(7))",
    "create table OPER (ID integer primary key autoincrement, VID integer, NAIMEN smallint, "
    "CENA decimal(19,4), I_ID integer)",
    "create table VID_OPER (VID varchar(50), ID integer primary key autoincrement)",
    "create table WORKERS (FIO varchar(50), ID integer primary key autoincrement, ADDR varchar(100))",
};

} // namespace

LegacySource::LegacySource(const QString& targetDatabase, const QString& host)
    : m_targetDatabase(targetDatabase), m_host(host) {
    static QTemporaryDir folder;
    m_folder = folder.path();
    registerDataSources(true);
    QFile::remove(QDir(m_folder).filePath(QStringLiteral("legacy.sqlite")));
    qputenv("ODBCSYSINI", QFile::encodeName(m_folder));
    // No user data sources of the machine's account are seen either.
    qputenv("HOME", QFile::encodeName(m_folder));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), kConnection);
    db.setDatabaseName(QStringLiteral("Tabel"));
    if (!db.open())
        qFatal("cannot open the legacy source: %s", qPrintable(db.lastError().text()));
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QStringLiteral("d%1 smallint").arg(d);
    for (const char* sql : kLegacyTables)
        exec(QString::fromLatin1(sql).replace(QStringLiteral("%DAYS%"), days.join(QStringLiteral(", "))));
}

LegacySource::~LegacySource() {
    QSqlDatabase::database(kConnection, false).close();
    QSqlDatabase::removeDatabase(kConnection);
    registerDataSources(true);
}

void LegacySource::registerDataSources(bool withLegacySource) {
    const QDir folder(m_folder);
    // CommLog=0: the PostgreSQL driver writes no log file for every process.
    writeFile(folder.filePath(QStringLiteral("odbcinst.ini")),
              QStringLiteral("[SQLite3]\nDriver=libsqlite3odbc.so\n\n"
                             "[PostgreSQL Unicode]\nDriver=psqlodbcw.so\nCommLog=0\nDebug=0\n"));
    QString dsns;
    if (withLegacySource)
        dsns += QStringLiteral("[Tabel]\nDriver=SQLite3\nDatabase=%1\n\n")
                    .arg(folder.filePath(QStringLiteral("legacy.sqlite")));
    // The driver's own session reads dates month first: the day-first style is set for it.
    dsns += QStringLiteral("[Tabel_PgSQL]\nDriver=PostgreSQL Unicode\nServername=%1\nPort=5432\nDatabase=%2\n"
                           "Username=sys\nPassword=wemblox\nConnSettings=set datestyle to 'ISO,DMY'\n")
                .arg(m_host, m_targetDatabase);
    writeFile(folder.filePath(QStringLiteral("odbc.ini")), dsns);
}

QSqlDatabase LegacySource::connection() const {
    return QSqlDatabase::database(kConnection, false);
}

void LegacySource::exec(const QString& sql) {
    QSqlQuery q(connection());
    if (!q.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

QString LegacySource::journalTableSql() {
    return QStringLiteral(
        "create table public.smena (id serial primary key, w_id integer, i_id integer, "
        "o_id integer, kol_vo integer, brak smallint, smena smallint, data timestamp, "
        "cena double precision, color integer, time integer, ok varchar(255), vvod timestamp)");
}
