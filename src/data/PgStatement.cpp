// A statement sent through the PostgreSQL client library, its answer read row by row or whole.
#include "data/PgStatement.h"

#include "data/PgAnswer.h"
#include "data/PgDriverHandles.h"
#include "data/ServerErrorText.h"
#include "data/ServerWait.h"

#include <QDate>
#include <QDateTime>
#include <atomic>
#include <libpq-fe.h>
#include <vector>

namespace {

// A parameter as the server reads it from text.
QByteArray paramText(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate).toLatin1();
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    case QMetaType::Bool:
        return v.toBool() ? "true" : "false";
    case QMetaType::Double:
        return QByteArray::number(v.toDouble(), 'g', 17);
    default:
        return v.toString().toUtf8();
    }
}

// The values of a statement's :name parameters as texts the server reads, in the order of their
// numbers; a null value is a null pointer. Throws DbError when a parameter is not set.
struct ParamTexts {
    ParamTexts(const QStringList& names, const Params& params) {
        values.reserve(names.size());
        for (const QString& name : names) {
            const QVariant v = paramValue(params, name);
            values.push_back(v.isNull() ? QByteArray() : paramText(v));
            pointers.push_back(v.isNull() ? nullptr : values.back().constData());
        }
    }
    int count() const { return int(pointers.size()); }
    std::vector<QByteArray> values;
    std::vector<const char*> pointers;
};

// Sends the statement with its parameters as texts, without waiting for the answer. Throws
// DbError when a parameter is not set.
bool sendStatement(PGconn* pg, const QString& sql, const Params& params) {
    QStringList paramNames;
    const QByteArray text = numberedPlaceholders(sql, &paramNames).toUtf8();
    const ParamTexts values(paramNames, params);
    return PQsendQueryParams(pg, text.constData(), values.count(), nullptr, values.pointers.data(), nullptr,
                             nullptr, 0);
}

// Stops the statement under way on the connection and drops what is left of its answer, so that
// the connection takes the next statement at once.
void stopStatement(PGconn* conn) {
    if (PGcancel* cancel = PQgetCancel(conn)) {
        char message[256];
        PQcancel(cancel, message, sizeof message);
        PQfreeCancel(cancel);
    }
    while (PGresult* rest = PQgetResult(conn))
        PQclear(rest);
}

QString resultError(const PGresult* r, PGconn* conn) {
    const QString text = QString::fromUtf8(r ? PQresultErrorMessage(r) : PQerrorMessage(conn)).trimmed();
    if (text.isEmpty())
        return QStringLiteral("Ошибка базы данных");
    return serverErrorText(r ? QString::fromLatin1(PQresultErrorField(r, PG_DIAG_SQLSTATE)) : QString(),
                           text);
}

// The error of a statement that failed on the connection (r its result, null when there was
// none), in Russian when the session is gone with it.
DbError statementFailure(const PGresult* r, PGconn* conn) {
    const QString message = resultError(r, conn);
    if (PQstatus(conn) == CONNECTION_BAD ||
        (r && endsSession(QString::fromLatin1(PQresultErrorField(r, PG_DIAG_SQLSTATE)))))
        return DbError(lostSessionText(message));
    return DbError(message);
}

} // namespace

void PgStatement::ResultFree::operator()(pg_result* r) const {
    PQclear(r);
}

PgStatement::~PgStatement() {
    stop();
}

bool PgStatement::canSend(const QSqlDatabase& connection) {
    return pgConnection(connection) != nullptr;
}

// Whether the session the statement went on is still the one its connection has: a connection
// closed or opened anew in the meantime has freed the old session's handle.
bool PgStatement::onLiveSession() const {
    if (!QSqlDatabase::contains(m_connectionName))
        return false;
    const QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    return db.isOpen() && pgConnection(db) == m_connection;
}

void PgStatement::stream(const QSqlDatabase& connection, const QString& sql, const Params& params) {
    stop();
    PGconn* pg = pgConnection(connection);
    if (!pg)
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    if (!sendStatement(pg, sql, params))
        throw DbError(resultError(nullptr, pg));
    PQsetSingleRowMode(pg);
    m_connection = pg;
    m_connectionName = connection.connectionName();
    m_streaming = true;
    // The columns come with the first row, or with the end of an empty answer.
    m_result = nextStreamResult();
    m_nextRow = 0;
    m_reader.setResultColumns(m_result.get());
}

namespace {

ServerWait& serverWait() {
    static ServerWait wait;
    return wait;
}

// Waits, through the installed wait, until the server's next answer is in; false when the user
// cancelled and the server was asked to stop the statement (its answer is then the refusal).
bool awaitAnswer(PGconn* conn) {
    const ServerWait& wait = serverWait();
    if (!wait)
        return true;
    while (PQisBusy(conn)) {
        if (!wait(PQsocket(conn))) {
            if (PGcancel* cancel = PQgetCancel(conn)) {
                char message[256];
                PQcancel(cancel, message, sizeof message);
                PQfreeCancel(cancel);
            }
            return false;
        }
        if (!PQconsumeInput(conn))
            break; // the session is in trouble: PQgetResult says what
    }
    return true;
}

} // namespace

StatementCancelled::StatementCancelled() : DbError(QStringLiteral("Запрос отменен")) {}

ServerWaitScope::ServerWaitScope(ServerWait wait) : m_previous(std::move(serverWait())) {
    serverWait() = std::move(wait);
}

ServerWaitScope::~ServerWaitScope() {
    serverWait() = std::move(m_previous);
}

// The next row of the streaming statement, or the empty end result; throws DbError when the
// statement failed, StatementCancelled when the user stopped it.
PgStatement::Result PgStatement::nextStreamResult() {
    const bool cancelled = !awaitAnswer(m_connection);
    Result r(PQgetResult(m_connection));
    if (r && PQresultStatus(r.get()) == PGRES_SINGLE_TUPLE && !cancelled)
        return r;
    // The end of the rows (or a failure): what follows is only the end of the statement.
    m_streaming = false;
    // No end result at all means the session went away before the statement ended.
    const bool failed =
        r ? PQresultStatus(r.get()) != PGRES_TUPLES_OK : PQstatus(m_connection) == CONNECTION_BAD;
    // The rest is read before the session is judged: a server that ends the session sends its
    // message first and closes the connection after it.
    while (PGresult* rest = PQgetResult(m_connection))
        PQclear(rest);
    PGconn* conn = m_connection;
    m_connection = nullptr;
    if (cancelled)
        throw StatementCancelled(); // whatever the server had sent by then, the user wants none of it
    if (failed)
        throw statementFailure(r.get(), conn);
    return r;
}

int PgStatement::heldRows() const {
    return m_result ? PQntuples(m_result.get()) - m_nextRow : 0;
}

bool PgStatement::hasMoreRows() const {
    return m_streaming || heldRows() > 0;
}

bool PgStatement::readRows(int count, QVector<QVector<QVariant>>& rows) {
    if (!m_streaming)
        rows.reserve(rows.size() + std::min(count, heldRows()));
    for (int n = 0; n < count;) {
        if (heldRows() == 0) {
            if (!m_streaming)
                break;
            m_result = nextStreamResult(); // a row, or the end result without one
            m_nextRow = 0;
            continue;
        }
        rows.append(m_reader.resultRow(m_result.get(), m_nextRow++));
        ++n;
    }
    if (!hasMoreRows())
        m_result.reset(); // the answer is read: its memory is freed at once
    return hasMoreRows();
}

// The server stops the statement at once; the client then only drops what is left in transit.
void PgStatement::stop() {
    m_result.reset();
    m_nextRow = 0;
    if (m_streaming && onLiveSession())
        stopStatement(m_connection);
    m_connection = nullptr;
    m_streaming = false;
}

std::shared_ptr<const PgAnswer> PgStatement::runPrepared(const QSqlDatabase& connection, const QString& sql,
                                                         const Params& params) {
    stop();
    sqltrace::record(sql);
    ensureSession(connection); // a session the server closed is opened anew
    PGconn* pg = pgConnection(connection);
    if (!connection.isOpen() || !pg)
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    QStringList paramNames;
    const QByteArray text = numberedPlaceholders(sql, &paramNames).toUtf8();
    const QString name = connection.connectionName();
    const quint64 session = sessionNumber(name);
    if (m_preparedSql != sql || m_preparedConnectionName != name || m_preparedSession != session) {
        // Each preparing takes a name of its own: a statement prepared before under another name
        // in the same session stays there, unused, until the session ends.
        static std::atomic<quint64> preparings{0};
        const QByteArray statementName = "tabel_statement_" + QByteArray::number(++preparings);
        const Result prepared(PQprepare(pg, statementName.constData(), text.constData(), 0, nullptr));
        if (!prepared || PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
            throw statementFailure(prepared.get(), pg);
        m_preparedName = QString::fromLatin1(statementName);
        m_preparedSql = sql;
        m_preparedConnectionName = name;
        m_preparedSession = session;
    }
    const ParamTexts values(paramNames, params);
    if (!PQsendQueryPrepared(pg, m_preparedName.toLatin1().constData(), values.count(),
                             values.pointers.data(), nullptr, nullptr, 0))
        throw statementFailure(nullptr, pg);
    const bool cancelled = !awaitAnswer(pg);
    Result result;
    while (PGresult* r = PQgetResult(pg)) {
        if (!result)
            result.reset(r);
        else
            PQclear(r);
    }
    if (cancelled)
        throw StatementCancelled();
    if (!result || PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        throw statementFailure(result.get(), pg);
    return std::make_shared<const PgAnswer>(result.release());
}
