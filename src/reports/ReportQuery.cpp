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

int ReportQuery::Source::fieldIndex(const QString& name) const {
    // Expressions may name a field as "query.field"; the engine strips the prefix itself.
    return m_query.fieldIndex(name);
}

QVariant ReportQuery::Source::value(int row, int field) const {
    if (row < 0 || row >= m_query.m_visible.size() || field < 0 || field >= m_query.m_names.size())
        return {};
    const QVariant v = m_query.m_rows[m_query.m_visible[row]][field];
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
