// The ODBC connections of the legacy import and the look-up of the workstation's data sources.
#include "import/ImportConnections.h"

#include "data/Sql.h"

#include <QSqlError>
#include <sql.h>
#include <sqlext.h>

namespace {

const QString kSourceConnection = QStringLiteral("legacy_source");
const QString kTargetConnection = QStringLiteral("import_target");
// The earlier database is protected by this password; the target's password is registered with
// its data source.
const QString kLegacySourcePassword = QStringLiteral("paldostum");
const QString kImportTargetUser = QStringLiteral("sys");

void open(const QString& connection, const QString& dsn, const QString& user, const QString& password) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connection);
    // The bare data source name: Qt builds "DSN=…" itself, and mangles a name given with it.
    db.setDatabaseName(dsn);
    db.setUserName(user);
    db.setPassword(password);
    if (!db.open())
        throw DbError(QStringLiteral("Источник данных %1: %2").arg(dsn, errorText(db.lastError())));
}

void remove(const QString& connection) {
    if (!QSqlDatabase::contains(connection))
        return;
    QSqlDatabase::database(connection, false).close();
    QSqlDatabase::removeDatabase(connection);
}

} // namespace

bool hasOdbcDataSource(const QString& name) {
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return false;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    bool found = false;
    SQLCHAR dsn[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR description[256];
    SQLSMALLINT dsnLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (!found && SQL_SUCCEEDED(SQLDataSources(env, direction, dsn, sizeof dsn, &dsnLength, description,
                                                  sizeof description, &descriptionLength))) {
        found =
            QString::fromLocal8Bit(reinterpret_cast<const char*>(dsn)).compare(name, Qt::CaseInsensitive) ==
            0;
        direction = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return found;
}

ImportConnections::ImportConnections() {
    try {
        open(kSourceConnection, kLegacySourceDsn, {}, kLegacySourcePassword);
        open(kTargetConnection, kImportTargetDsn, kImportTargetUser, {});
    } catch (...) {
        remove(kSourceConnection);
        remove(kTargetConnection);
        throw;
    }
}

ImportConnections::~ImportConnections() {
    remove(kSourceConnection);
    remove(kTargetConnection);
}

QSqlDatabase ImportConnections::source() const {
    return QSqlDatabase::database(kSourceConnection, false);
}

QSqlDatabase ImportConnections::target() const {
    return QSqlDatabase::database(kTargetConnection, false);
}
