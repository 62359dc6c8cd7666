// Rows written into one table a batch at a time.
#include "import/BatchInsert.h"

#include "data/Sql.h"

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <cmath>

namespace {

void appendJsonText(QString& json, const QString& text) {
    json += u'"';
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\') {
            json += u'\\';
            json += c;
        } else if (c.unicode() < 0x20) {
            json += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            json += c;
        }
    }
    json += u'"';
}

// Numbers as JSON numbers; dates and times in the ISO form the server reads whatever its date
// style; everything else as text.
void appendJsonValue(QString& json, const QVariant& v) {
    if (v.isNull()) {
        json += QLatin1String("null");
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        json += v.toString();
        return;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (std::isfinite(d))
            json += QString::number(d, 'g', 17);
        else
            appendJsonText(json, v.toString()); // "nan", "inf": the server reads them as texts
        return;
    }
    case QMetaType::QDate:
        appendJsonText(json, v.toDate().toString(Qt::ISODate));
        return;
    case QMetaType::QDateTime:
        appendJsonText(json, v.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")));
        return;
    default:
        appendJsonText(json, v.toString());
    }
}

} // namespace

BatchInsert::BatchInsert(const QSqlDatabase& db, const QString& table, const QStringList& columns)
    : m_columns(columns), m_statement(db) {
    const QString names = columns.join(QStringLiteral(", "));
    const QString text =
        QStringLiteral(
            "insert into %1 (%2) select %2 from json_populate_recordset(cast(null as %1), cast(? as json))")
            .arg(table, names);
    sqltrace::record(text);
    if (!m_statement.prepare(text))
        throw DbError(errorText(m_statement.lastError()));
}

void BatchInsert::appendRow(QString& json, const QStringList& columns, const QVariantList& row) {
    json += u'{';
    for (int i = 0; i < columns.size(); ++i) {
        if (i > 0)
            json += u',';
        appendJsonText(json, columns[i]);
        json += u':';
        appendJsonValue(json, row[i]);
    }
    json += u'}';
}

bool BatchInsert::add(const QVariantList& row) {
    if (m_pending > 0)
        m_rows += u',';
    appendRow(m_rows, m_columns, row);
    if (++m_pending < kRowsPerStatement)
        return false;
    write();
    return true;
}

void BatchInsert::finish() {
    if (m_pending > 0)
        write();
}

void BatchInsert::write() {
    m_statement.bindValue(0, u'[' + m_rows + u']');
    if (!m_statement.exec())
        throw DbError(errorText(m_statement.lastError()));
    m_written += m_pending;
    m_pending = 0;
    m_rows.clear();
}
