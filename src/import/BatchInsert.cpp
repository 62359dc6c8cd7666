// Rows written into one table a batch at a time.
#include "import/BatchInsert.h"

#include "data/Sql.h"

#include <QSqlError>
#include <algorithm>

namespace {
// Bound values per statement: large enough that the round trips do not count, well below
// the 65535 parameters a PostgreSQL statement can take.
constexpr int kValuesPerStatement = 4000;
} // namespace

int BatchInsert::rowsPerStatement(int columnCount) {
    return std::max(1, kValuesPerStatement / std::max(1, columnCount));
}

BatchInsert::BatchInsert(const QSqlDatabase& db, const QString& table, const QStringList& columns)
    : m_db(db), m_table(table), m_columns(columns), m_batchRows(rowsPerStatement(int(columns.size()))),
      m_fullBatch(db) {
    m_pending.reserve(m_batchRows * columns.size());
}

QString BatchInsert::statementText(int rows) const {
    const QString oneRow = u'(' + QStringList(m_columns.size(), QStringLiteral("?")).join(u',') + u')';
    return QStringLiteral("insert into %1 (%2) values %3")
        .arg(m_table, m_columns.join(QStringLiteral(", ")), QStringList(rows, oneRow).join(u','));
}

bool BatchInsert::add(const QVariantList& row) {
    m_pending.append(row);
    if (m_pending.size() < m_batchRows * m_columns.size())
        return false;
    if (!m_fullBatchPrepared) {
        const QString text = statementText(m_batchRows);
        sqltrace::record(text);
        if (!m_fullBatch.prepare(text))
            throw DbError(errorText(m_fullBatch.lastError()));
        m_fullBatchPrepared = true;
    }
    write(m_fullBatch, m_batchRows);
    return true;
}

void BatchInsert::finish() {
    if (m_pending.isEmpty())
        return;
    const int rows = int(m_pending.size() / m_columns.size());
    QSqlQuery last(m_db);
    const QString text = statementText(rows);
    sqltrace::record(text);
    if (!last.prepare(text))
        throw DbError(errorText(last.lastError()));
    write(last, rows);
}

void BatchInsert::write(QSqlQuery& statement, int rows) {
    for (int i = 0; i < m_pending.size(); ++i)
        statement.bindValue(i, m_pending[i]);
    if (!statement.exec())
        throw DbError(errorText(statement.lastError()));
    m_written += rows;
    m_pending.clear();
}
