// Rows that a report prints: the in-memory source.
#include "reportengine/ReportDataSource.h"

namespace reportengine {

QVariant ReportDataSource::value(int row, const QString& name) const {
    const int field = fieldIndex(name);
    return field < 0 ? QVariant() : value(row, field);
}

MemoryDataSource::MemoryDataSource(const QStringList& fields, const QVector<QVariantList>& rows) {
    setFields(fields);
    for (const QVariantList& row : rows)
        addRow(row);
}

void MemoryDataSource::setFields(const QStringList& fields) {
    m_fields = fields;
    m_index.clear();
    for (int i = 0; i < fields.size(); ++i)
        m_index.insert(fields[i].toLower(), i);
}

void MemoryDataSource::addRow(const QVariantList& values) {
    m_rows.append(values);
}

int MemoryDataSource::fieldIndex(const QString& name) const {
    return m_index.value(name.toLower(), -1);
}

QVariant MemoryDataSource::value(int row, int field) const {
    if (row < 0 || row >= m_rows.size() || field < 0)
        return {};
    const QVariantList& values = m_rows[row];
    return field < values.size() ? values[field] : QVariant();
}

} // namespace reportengine
