// The reports' and the journal's statements as they were first written, kept as the reference that the
// statements in use must match row for row, and the comparison of two statements' rows.
#pragma once

#include "data/Dataset.h"
#include "reports/SummaryReports.h"

#include <QDate>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace reportsameness {

struct Reference {
    QString sql;              // the statement as first written
    int periodParams = 2;     // data1 .. data<n>, odd ones the from date, even ones the to date
    QStringList orderKeys;    // the columns its order by names: the rows must come in their order
    QStringList floatColumns; // floating-point sums: equal within a relative 1e-9
    QStringList centColumns;  // floating-point sums rounded to cents: equal within a cent
};

const Reference& reference(SummaryReport report);

struct Rows {
    QStringList names;
    QVector<QVector<QVariant>> rows;
};

// A shift's journal (1..3, 4 the overtime) as first written, parameters "data" and "ok".
const Reference& journalReference(int shift);
// Every row of a dataset as it holds them.
Rows datasetRows(const Dataset& dataset);
// A journal statement with its day and acceptance mark written as literals (for views).
QString withJournalParams(const QString& sql, const QDate& day, const QString& ok);

// Every row of the statement for the period, read on the named connection as the reports read
// them (decimal columns as exact texts). Throws DbError when the statement fails.
Rows readRows(const QString& connection, const QString& sql, const QDate& from, const QDate& to,
              int periodParams);

// Empty when the rewritten rows are the reference's: the same column names, as many rows, the
// order keys in the same order, and the same rows as a multiset (exact, but for the floating-point
// sums, which are compared within their tolerance). Otherwise the first difference.
QString compareRows(const Rows& reference, const Rows& rewritten, const Reference& how);

// Empty when both statements give the same column names and server types (with their
// precision, "numeric(10,2)") and, compared with except all both ways on the server, the same rows
// in every column but the floating-point sums; otherwise the first difference. Uses temporary
// views on the connection.
QString compareOnServer(QSqlDatabase db, const QString& referenceSql, const QString& rewrittenSql,
                        const Reference& how, const QDate& from, const QDate& to);

} // namespace reportsameness
