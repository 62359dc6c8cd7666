// Rows written into one table of PostgreSQL many at a time: each statement carries a batch of
// rows as one bound JSON text that the server unpacks into the table's columns, so a large
// table goes in with few round trips and without a bound parameter per value.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

class BatchInsert {
public:
    BatchInsert(const QSqlDatabase& db, const QString& table, const QStringList& columns);

    // Adds one row (its values in the order of the columns: null, numbers, texts, dates and
    // times). Returns true when this row completed a batch and the batch was written. Throws
    // DbError when the server refuses it.
    bool add(const QVariantList& row);
    // Writes the rows still waiting.
    void finish();
    qint64 rowsWritten() const { return m_written; }

    static constexpr int kRowsPerStatement = 2000;

    // One row as a JSON object keyed by the column names.
    static void appendRow(QString& json, const QStringList& columns, const QVariantList& row);

private:
    void write();

    QStringList m_columns;
    QSqlQuery m_statement;
    QString m_rows; // the JSON array of the rows waiting, without its brackets
    int m_pending = 0;
    qint64 m_written = 0;
};
