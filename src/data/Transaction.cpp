// One transaction on the program's connection, and the advisory locks taken inside it.
#include "data/Transaction.h"

#include "data/Database.h"
#include "data/Sql.h"

#include <QSqlError>

namespace {

// Takes a transaction-level advisory lock through the given server function. The two-key form
// takes two 32-bit integers: the key is folded into the second one.
void takeAdvisoryLock(const QSqlDatabase& connection, const QString& function, LockSpace space, qint64 key) {
    const qint64 folded = (key ^ (key >> 32)) & 0xffffffff;
    runStatement(connection, QStringLiteral("select %1(:space, :key)").arg(function),
                 {{QStringLiteral("space"), static_cast<int>(space)},
                  {QStringLiteral("key"), static_cast<int>(static_cast<quint32>(folded))}});
}

} // namespace

Transaction::Transaction(Database& db) : Transaction(db.connection().database()) {}

Transaction::Transaction(const QSqlDatabase& connection) : m_connection(connection) {
    ensureSession(m_connection);
    if (!m_connection.transaction())
        throw DbError(sessionErrorText(m_connection, m_connection.lastError()));
    m_open = true;
}

Transaction::~Transaction() {
    if (m_open)
        m_connection.rollback();
}

void Transaction::lock(LockSpace space, qint64 key) {
    takeAdvisoryLock(m_connection, QStringLiteral("pg_advisory_xact_lock"), space, key);
}

void Transaction::lockShared(LockSpace space, qint64 key) {
    takeAdvisoryLock(m_connection, QStringLiteral("pg_advisory_xact_lock_shared"), space, key);
}

void Transaction::commit() {
    m_open = false;
    if (!m_connection.commit()) {
        const QString text = sessionErrorText(m_connection, m_connection.lastError());
        m_connection.rollback();
        throw DbError(text);
    }
}

qint64 monthKey(qint64 id, int year, int month) {
    return id * 100000 + year * 100 + month;
}

qint64 rebuildLockKey(TimesheetRowsKind kind, int year, int month) {
    return monthKey(static_cast<int>(kind), year, month);
}
