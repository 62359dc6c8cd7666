// Reading the rows of a PostgreSQL result from the client library's text of each cell.
#include "data/PgRowReader.h"

#include "data/PgDriverHandles.h"

#include <QDate>
#include <QDateTime>
#include <QSqlField>
#include <QSqlRecord>
#include <charconv>
#include <cstring>
#include <libpq-fe.h>

namespace {

// How a column's text is turned into a value; Driver leaves it to the driver.
enum class Raw { Driver, Int, BigInt, Float, Numeric, Text, Date, Timestamp, Bool };

Raw rawKind(Oid oid) {
    switch (oid) {
    case 21: // int2
    case 23: // int4
        return Raw::Int;
    case 20: // int8
        return Raw::BigInt;
    case 700: // float4
    case 701: // float8
        return Raw::Float;
    case 1700: // numeric: kept as its exact text
        return Raw::Numeric;
    case 25:   // text
    case 1042: // char(n)
    case 1043: // varchar
        return Raw::Text;
    case 1082:
        return Raw::Date;
    case 1114: // timestamp without time zone
        return Raw::Timestamp;
    case 16:
        return Raw::Bool;
    default:
        return Raw::Driver;
    }
}

// The type the Qt driver gives a column of the type oid.
QMetaType metaTypeOf(Oid oid) {
    switch (rawKind(oid)) {
    case Raw::Int:
        return QMetaType(QMetaType::Int);
    case Raw::BigInt:
        return QMetaType(QMetaType::LongLong);
    case Raw::Float:
    case Raw::Numeric:
        return QMetaType(QMetaType::Double);
    case Raw::Date:
        return QMetaType(QMetaType::QDate);
    case Raw::Timestamp:
        return QMetaType(QMetaType::QDateTime);
    case Raw::Bool:
        return QMetaType(QMetaType::Bool);
    default:
        return QMetaType(QMetaType::QString);
    }
}

int digits(const char* s, int n) {
    int v = 0;
    for (int i = 0; i < n; ++i)
        v = v * 10 + (s[i] - '0');
    return v;
}

// "YYYY-MM-DD HH:MM:SS[.ffffff]" as the day and time the database holds.
QVariant parseTimestamp(const char* s) {
    const size_t len = std::strlen(s);
    if (len < 19 || s[4] != '-' || s[10] != ' ')
        return QDateTime::fromString(QString::fromLatin1(s), Qt::ISODate);
    const QDate d(digits(s, 4), digits(s + 5, 2), digits(s + 8, 2));
    int ms = 0;
    if (len > 20 && s[19] == '.') {
        const size_t fl = std::min<size_t>(3, len - 20);
        ms = digits(s + 20, int(fl));
        for (size_t i = fl; i < 3; ++i)
            ms *= 10;
    }
    return QDateTime(d, QTime(digits(s + 11, 2), digits(s + 14, 2), digits(s + 17, 2), ms));
}

QVariant rawValue(Raw kind, const char* s) {
    switch (kind) {
    case Raw::Int:
        return int(std::strtol(s, nullptr, 10));
    case Raw::BigInt:
        return qlonglong(std::strtoll(s, nullptr, 10));
    case Raw::Float: {
        double d = 0;
        std::from_chars(s, s + std::strlen(s), d);
        return d;
    }
    case Raw::Numeric:
        return QString::fromLatin1(s);
    case Raw::Text:
        return QString::fromUtf8(s);
    case Raw::Date:
        if (std::strlen(s) == 10 && s[4] == '-')
            return QDate(digits(s, 4), digits(s + 5, 2), digits(s + 8, 2));
        return QDate::fromString(QString::fromLatin1(s), Qt::ISODate);
    case Raw::Timestamp:
        return parseTimestamp(s);
    case Raw::Bool:
        return s[0] == 't';
    case Raw::Driver:
        break;
    }
    return {};
}

} // namespace

void PgRowReader::setQueryColumns(const QSqlQuery& query, const QVector<QMetaType>& types) {
    m_names.clear();
    m_types = types;
    const PGresult* res = pgResult(query);
    m_kinds.fill(int(Raw::Driver), types.size());
    for (int i = 0; res && i < types.size(); ++i)
        m_kinds[i] = int(rawKind(PQftype(res, i)));
    m_recent = QVector<Recent>(types.size());
}

QVector<QVariant> PgRowReader::queryRow(const QSqlQuery& query) const {
    const int n = int(m_kinds.size());
    const PGresult* res = pgResult(query);
    const int at = query.at();
    QVector<QVariant> row(n);
    for (int i = 0; i < n; ++i) {
        const Raw kind = res ? Raw(m_kinds[i]) : Raw::Driver;
        if (kind == Raw::Driver) {
            row[i] = query.value(i);
            continue;
        }
        // Values that are made on the heap (texts, exact numbers, moments) are shared when the
        // column had the same text a little before.
        if ((kind != Raw::Text && kind != Raw::Numeric && kind != Raw::Timestamp) ||
            PQgetisnull(res, at, i)) {
            row[i] = value(res, at, i);
            continue;
        }
        const char* text = PQgetvalue(res, at, i);
        Recent& recent = m_recent[i];
        int found = -1;
        for (int k = 0; k < kRecentValues && found < 0; ++k)
            if (recent.text[k] && std::strcmp(recent.text[k], text) == 0)
                found = k;
        if (found < 0) {
            found = recent.next;
            recent.next = (recent.next + 1) % kRecentValues;
            recent.text[found] = text;
            recent.value[found] = rawValue(kind, text);
        }
        row[i] = recent.value[found];
    }
    return row;
}

int PgRowReader::queryRowCount(const QSqlQuery& query) {
    const PGresult* res = pgResult(query);
    return res ? PQntuples(res) : 0;
}

void PgRowReader::setResultColumns(const pg_result* result) {
    m_names.clear();
    m_types.clear();
    m_kinds.clear();
    const int n = result ? PQnfields(result) : 0;
    for (int i = 0; i < n; ++i) {
        m_names << QString::fromUtf8(PQfname(result, i));
        m_types << metaTypeOf(PQftype(result, i));
        const Raw kind = rawKind(PQftype(result, i));
        m_kinds << int(kind == Raw::Driver ? Raw::Text : kind);
    }
}

QVector<QVariant> PgRowReader::resultRow(const pg_result* result, int at) const {
    QVector<QVariant> row(m_kinds.size());
    for (int i = 0; i < row.size(); ++i)
        row[i] = value(result, at, i);
    return row;
}

QVariant PgRowReader::value(const pg_result* result, int at, int column) const {
    if (PQgetisnull(result, at, column))
        return QVariant(m_types[column]);
    return rawValue(Raw(m_kinds[column]), PQgetvalue(result, at, column));
}
