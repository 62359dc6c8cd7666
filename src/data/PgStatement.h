// A statement sent straight through the PostgreSQL client library on a session of a Qt
// connection, whose answer is read afterwards: row by row as the server sends it, or whole.
#pragma once

#include "data/PgRowReader.h"
#include "data/Sql.h"

#include <memory>

class PgAnswer;
struct pg_conn;
struct pg_result;

// The Qt driver hands out a result only once the server has sent all of it, and waits for it,
// and turns every cell into a value. A statement sent this way instead leaves the program free
// while the server works: a long report begins on its first rows while the server works on the
// rest (stream()); or its answer is kept as the client library holds it, to be read cell by cell
// (runPrepared()). The connections stay the driver's (see PgDriverHandles.h); a statement is only
// sent on a connection whose driver is PostgreSQL's, and the caller runs it through QSqlQuery
// otherwise. One statement at a time; a new one stops the one before.
class PgStatement {
public:
    PgStatement() = default;
    // Stops a statement still under way, so that its session is free for the next one.
    ~PgStatement();
    PgStatement(const PgStatement&) = delete;
    PgStatement& operator=(const PgStatement&) = delete;

    // Whether statements can be sent this way on the connection: its driver is PostgreSQL's.
    static bool canSend(const QSqlDatabase& connection);

    // Sends the statement with its :name parameters (as texts the server reads) on the open
    // connection's session, its rows to come one by one as the server sends them, and waits for
    // the first row (or the end of an empty answer): the columns are then known. Throws DbError
    // with the client's or the server's text.
    void stream(const QSqlDatabase& connection, const QString& sql, const Params& params);

    // The columns of the answer, once stream() returned.
    QStringList columnNames() const { return m_reader.names(); }
    QVector<QMetaType> columnTypes() const { return m_reader.types(); }
    // Appends up to count more rows of the answer to rows; false once every row is in. Throws
    // DbError when the statement fails on the way (the rows read before stay in rows).
    bool readRows(int count, QVector<QVector<QVariant>>& rows);
    // Whether rows of the answer are still to be read.
    bool hasMoreRows() const;

    // Stops an unfinished statement on the server and drops what is left of its answer.
    void stop();

    // Runs the statement with its :name parameters on the open connection's session as a
    // statement prepared there (prepared the first time it runs in a session, so that it is not
    // parsed and planned again) and returns its whole answer, its cells left as the client library
    // holds them. Throws DbError with the client's or the server's text.
    std::shared_ptr<const PgAnswer> runPrepared(const QSqlDatabase& connection, const QString& sql,
                                                const Params& params);

private:
    struct ResultFree {
        void operator()(pg_result* r) const;
    };
    using Result = std::unique_ptr<pg_result, ResultFree>;

    Result nextStreamResult();
    bool onLiveSession() const;
    int heldRows() const;

    pg_conn* m_connection = nullptr; // the session the statement is under way on
    QString m_connectionName;        // the Qt connection of that session
    bool m_streaming = false;        // rows still to come from the server one by one
    Result m_result;                 // the answer (or one row of it) being read
    int m_nextRow = 0;               // the next row of m_result to read
    PgRowReader m_reader;
    // The statement runPrepared() prepared last: its name on the server, its text and the session.
    QString m_preparedName;
    QString m_preparedSql;
    QString m_preparedConnectionName;
    quint64 m_preparedSession = 0;
};
