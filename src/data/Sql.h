// Statement execution shared by datasets and commands: the error type, the SQL trace,
// and the running of one statement with typed named parameters.
#pragma once

#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <functional>
#include <stdexcept>

// A failed statement or connection: carries the database's own text.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), message(text) {}
    QString message;
};

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

// The name of the program's one connection.
inline const QString kConnectionName = QStringLiteral("ADO_DB");
