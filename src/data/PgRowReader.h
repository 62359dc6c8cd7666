// Reads the rows of a PostgreSQL result straight from the client library's text of each cell,
// for the common column types, instead of through the driver's general conversion.
#pragma once

#include <QMetaType>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QVector>

struct pg_result;

class PgRowReader {
public:
    // The columns of a query the driver ran, typed as the driver types them (one type a column):
    // those of the common types are then read from the result's text, the others through the
    // driver. A query of another driver is read through the driver alone. A timestamp is read as
    // the day and time the database holds (the driver's conversion, which goes through the
    // time-zone rules, takes most of the time of a journal day's fetch).
    void setQueryColumns(const QSqlQuery& query, const QVector<QMetaType>& types);
    // The current row of that query.
    QVector<QVariant> queryRow(const QSqlQuery& query) const;
    // The rows the query's result holds (0 when the driver does not tell), to make room for them.
    static int queryRowCount(const QSqlQuery& query);

    // The columns of a result of the client library (none for a null one), with the names and
    // types the driver would give them; every column is read from its text.
    void setResultColumns(const pg_result* result);
    // Row at (0-based) of such a result.
    QVector<QVariant> resultRow(const pg_result* result, int at) const;
    // One cell of such a result (a null of the column's type for an empty cell).
    QVariant value(const pg_result* result, int at, int column) const;
    QStringList names() const { return m_names; }
    QVector<QMetaType> types() const { return m_types; }

private:
    // The last few distinct texts read in each column of a query's result and their values: a
    // journal day repeats its dates, marks, kinds and document links row after row, and a value
    // read once is shared instead of made again (texts point into the result, which outlives
    // the reading of its rows; setQueryColumns forgets them).
    static constexpr int kRecentValues = 4;
    struct Recent {
        const char* text[kRecentValues] = {};
        QVariant value[kRecentValues];
        int next = 0;
    };
    mutable QVector<Recent> m_recent;

    QStringList m_names; // set by setResultColumns only
    QVector<QMetaType> m_types;
    QVector<int> m_kinds; // how each column's text is read
};
