// The PostgreSQL client library's handles behind the Qt PostgreSQL driver's connections and
// results: the one place where the program reaches past the driver into the client library.
#pragma once

class QSqlDatabase;
class QSqlDriver;
class QSqlQuery;
struct pg_conn;
struct pg_result;

// The Qt driver hands out its handles only as a QVariant holding a pointer registered under the
// name of the client library's type, "PGconn*" or "PGresult*" (or the name of the struct behind
// it, "pg_conn*" or "pg_result*", depending on how the driver was built). A handle of any other
// name is not PostgreSQL's: these functions then give null, and the caller takes the driver's
// own way (QSqlQuery) instead. The handles belong to the driver: they are never freed here and
// live only as long as the connection (or the query's current result) does.

// The client library's connection behind a driver (null for other drivers or a closed one).
pg_conn* pgConnection(const QSqlDriver* driver);
// The same for an open connection.
pg_conn* pgConnection(const QSqlDatabase& db);
// The client library's result behind a query's current result (null for other drivers).
pg_result* pgResult(const QSqlQuery& query);
