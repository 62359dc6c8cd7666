// Rows written into one table many at a time: each statement inserts a batch of rows with
// their values bound, so a large table goes in with few round trips to the server.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

class BatchInsert {
public:
    BatchInsert(const QSqlDatabase& db, const QString& table, const QStringList& columns);

    // Adds one row (its values in the order of the columns). Returns true when this row
    // completed a batch and the batch was written. Throws DbError when the server refuses it.
    bool add(const QVariantList& row);
    // Writes the rows still waiting.
    void finish();
    qint64 rowsWritten() const { return m_written; }

    // Rows per statement for a table of that many columns.
    static int rowsPerStatement(int columnCount);

private:
    void write(QSqlQuery& statement, int rows);
    QString statementText(int rows) const;

    QSqlDatabase m_db;
    QString m_table;
    QStringList m_columns;
    int m_batchRows;
    QSqlQuery m_fullBatch;
    bool m_fullBatchPrepared = false;
    QVariantList m_pending;
    qint64 m_written = 0;
};
