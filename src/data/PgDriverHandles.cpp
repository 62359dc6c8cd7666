// The PostgreSQL client library's handles behind the Qt driver's connections and results.
#include "data/PgDriverHandles.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>
#include <cstring>
#include <libpq-fe.h>

namespace {

// The pointer a handle holds when it is registered under one of the two names, else null.
template <class Handle>
Handle* handleNamed(const QVariant& h, const char* typedefName, const char* structName) {
    if (!h.isValid() ||
        (std::strcmp(h.typeName(), typedefName) != 0 && std::strcmp(h.typeName(), structName) != 0))
        return nullptr;
    return *static_cast<Handle* const*>(h.constData());
}

} // namespace

pg_conn* pgConnection(const QSqlDriver* driver) {
    return handleNamed<PGconn>(driver ? driver->handle() : QVariant(), "PGconn*", "pg_conn*");
}

pg_conn* pgConnection(const QSqlDatabase& db) {
    return pgConnection(db.driver());
}

pg_result* pgResult(const QSqlQuery& query) {
    return handleNamed<PGresult>(query.result() ? query.result()->handle() : QVariant(), "PGresult*",
                                 "pg_result*");
}
