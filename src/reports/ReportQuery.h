// The query of a printed layout: a dataset whose rows (after the client filter) feed the
// report engine, with numbers handed over as numbers.
#pragma once

#include "data/Dataset.h"
#include "reportengine/ReportDataSource.h"

#include <QDate>

class ReportQuery : public Dataset {
    Q_OBJECT
public:
    // The statement runs on the named connection (a Connection's name()).
    ReportQuery(const QString& connection, QObject* parent = nullptr);

    QString connectionName() const { return m_connectionName; }

    // Sets the period parameters data1 .. data<count>: the odd ones to the first day of the
    // period (inclusive), the even ones to the day after its end (exclusive).
    void setPeriod(const QDate& from, const QDate& to, int count);

    // Sets the product kind filter: -1 all kinds (filter off), otherwise the kind code
    // (0 finished products, 1 blanks) as "naimen=<code>".
    void setKindFilter(int kind);

    // The rows before the given one (of those that pass the filter) are no longer read: their
    // values go, to save memory on a long report; the rows still count, read as empty.
    void releaseRowsBefore(int row);

    // The rows that pass the filter, as the report engine reads them. The database delivers
    // decimal columns as exact texts; they are turned into numbers here.
    class Source : public reportengine::ReportDataSource {
    public:
        explicit Source(const ReportQuery& query) : m_query(query) {}
        int rowCount() const override { return m_query.recordCount(); }
        int fieldIndex(const QString& name) const override;
        QVariant value(int row, int field) const override;
        using reportengine::ReportDataSource::value;

    private:
        const ReportQuery& m_query;
    };
    Source source() const { return Source(*this); }

private:
    int m_releasedRows = 0; // rows of the visible ones released from the first on
};
