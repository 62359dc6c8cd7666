// Statement execution shared by datasets and commands: the error type, the SQL trace,
// and the running of one statement with typed named parameters.
#pragma once

#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <functional>
#include <stdexcept>

// A failed statement or connection: carries the database's own text.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), message(text) {}
    QString message;
};

// An update or delete that found its row changed or deleted by another workstation.
class StaleRowError : public DbError {
public:
    StaleRowError();
};

// The text shown when a row was changed or deleted at another workstation.
QString staleRowText();

// Named parameters of a statement (name without the colon → typed value: QDate, int, QString).
using Params = QMap<QString, QVariant>;

namespace sqltrace {
// Every statement text sent to the database is handed to the hook, when one is installed.
using Hook = std::function<void(const QString&)>;
void setHook(Hook h);
void record(const QString& sql);
} // namespace sqltrace

// Runs one statement on the connection and returns the active query positioned before its
// first row. Parameters named in the text as :name are bound as typed values.
// Throws DbError with the database's text on failure.
QSqlQuery runStatement(const QSqlDatabase& db, const QString& sql, const Params& params = {});

// The same in a query object of the caller's; with prepared set, the query already holds this
// statement prepared and is only executed again with the new parameter values.
void runStatement(QSqlQuery& q, const QString& sql, const Params& params, bool prepared);

// The statement with its :name placeholders written $1, $2, ... as the PostgreSQL client library
// takes them; names receives the parameter names in the order of their numbers.
QString numberedPlaceholders(const QString& sql, QStringList* names);

// The value of a named parameter (names match without regard to case); throws DbError when the
// parameter is not set.
QVariant paramValue(const Params& params, const QString& name);

// The database's own text of an error (the driver's when the database gave none).
QString errorText(const QSqlError& e);

// Makes sure the connection has a live session before a statement: a session the server
// dropped (a restart, a killed session) while the connection stood idle is opened again with
// the same settings. Inside a transaction nothing is reopened, as the transaction is lost with
// its session. Throws DbError with a Russian text (and the server's text below) when the
// server cannot be reached.
void ensureSession(QSqlDatabase db);

// The message of a statement that failed because its session is gone, with the server's text.
QString lostSessionText(const QString& serverText);

// The text of a failed transaction command on the connection, in Russian when the session is gone.
QString sessionErrorText(const QSqlDatabase& db, const QSqlError& e);

// Counts the sessions a connection has had: statements prepared in an earlier session must be
// prepared again.
quint64 sessionNumber(const QString& connectionName);
// Notes a new session of the connection (opened by the program) and sets the session up as
// the program's statements want it.
void noteNewSession(const QString& connectionName);
// Notes that the program closed the connection on purpose: it is not reopened by itself.
void noteClosed(const QString& connectionName);

// Who works at this workstation, as the server's change log records it. Every session of the
// program tells the server the user's name and the computer's host name as the session settings
// tabel.user and tabel.workstation when it opens (and again when it is reopened after a loss);
// setSessionUser also tells the sessions already open. Empty until somebody has logged in.
void setSessionUser(const QString& userName);
QString sessionUser();
// The computer's host name, as the change log names the workstation.
QString workstationHostName();

// The text as a string literal of the connection's server, made by the client library for this
// connection (backslashes and quotes as the session reads them).
QString quoteLiteral(const QSqlDatabase& db, const QString& text);

// The name of the program's one connection.
inline const QString kConnectionName = QStringLiteral("ADO_DB");

// Makes the C library read the computer's time zone once instead of checking its file anew for
// every local date and time the program builds (a timestamp of every journal row). Call before
// anything else in main(); a zone set explicitly (TZ) is left as it is. A change of the
// computer's zone is then seen at the program's next start.
void readLocalTimeZoneOnce();
