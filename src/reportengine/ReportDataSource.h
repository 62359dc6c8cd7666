// Rows that a report prints: an abstract source plus an in-memory implementation.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace reportengine {

// The rows of one report. Field names are matched without regard to case. Numbers must arrive as
// numeric variants (int, double, ...); a string stays a string even when it looks like a number.
class ReportDataSource {
public:
    virtual ~ReportDataSource() = default;
    virtual int rowCount() const = 0;
    // Column number of a field, or -1 when the source has no such field.
    virtual int fieldIndex(const QString& name) const = 0;
    // Value of a field in row 0 .. rowCount()-1; a null or invalid variant means "no value".
    virtual QVariant value(int row, int field) const = 0;

    QVariant value(int row, const QString& name) const;
};

// Rows held in memory, for tests and for callers that already have their values at hand.
class MemoryDataSource : public ReportDataSource {
public:
    MemoryDataSource() = default;
    explicit MemoryDataSource(const QStringList& fields, const QVector<QVariantList>& rows = {});

    void setFields(const QStringList& fields);
    // A row lists its values in the order of the fields; missing values count as null.
    void addRow(const QVariantList& values);

    int rowCount() const override { return int(m_rows.size()); }
    int fieldIndex(const QString& name) const override;
    QVariant value(int row, int field) const override;
    using ReportDataSource::value;

private:
    QStringList m_fields;
    QHash<QString, int> m_index;
    QVector<QVariantList> m_rows;
};

} // namespace reportengine
