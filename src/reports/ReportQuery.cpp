// The query of a printed layout.
#include "reports/ReportQuery.h"

ReportQuery::ReportQuery(const QString& connection, QObject* parent) : Dataset(parent, connection) {}

void ReportQuery::setPeriod(const QDate& from, const QDate& to, int count) {
    for (int n = 1; n <= count; ++n)
        setParam(QStringLiteral("data%1").arg(n), n % 2 == 1 ? from : to);
}

void ReportQuery::setKindFilter(int kind) {
    if (kind < 0) {
        setFiltered(false);
        return;
    }
    setFilter(QStringLiteral("naimen=%1").arg(kind));
    setFiltered(true);
}

void ReportQuery::releaseRowsBefore(int row) {
    if (m_releasedRows > recordCount())
        m_releasedRows = 0; // opened again since
    const int limit = std::min(row, recordCount());
    for (int i = m_releasedRows; i < limit; ++i)
        QVector<QVariant>().swap(m_rows[m_visible[i]]);
    m_releasedRows = std::max(m_releasedRows, limit);
}

int ReportQuery::Source::fieldIndex(const QString& name) const {
    // Expressions may name a field as "query.field"; the engine strips the prefix itself.
    return m_query.fieldIndex(name);
}

QVariant ReportQuery::Source::value(int row, int field) const {
    if (row < 0 || row >= m_query.m_visible.size() || field < 0 || field >= m_query.m_names.size())
        return {};
    const QVector<QVariant>& values = m_query.m_rows[m_query.m_visible[row]];
    if (field >= values.size())
        return {}; // a released row
    const QVariant v = values[field];
    if (v.isNull() || v.typeId() != QMetaType::QString)
        return v;
    switch (m_query.m_types[field].id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        bool ok = false;
        const double d = v.toString().toDouble(&ok);
        return ok ? QVariant(d) : v;
    }
    default:
        return v;
    }
}
