// Datasets: statements run with typed parameters, their rows held on the client, the row
// filter, the grid model and the rows streamed as the server sends them; editable tables.
#include "data/Dataset.h"

#include "data/Format.h"
#include "data/Sql.h"

#include <QItemSelectionModel>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <charconv>
#include <cmath>
#include <cstring>
#include <libpq-fe.h>

// ---- Field -------------------------------------------------------------------------------

double Field::asFloat() const {
    if (isNull())
        return 0;
    if (val.typeId() == QMetaType::QString) {
        double d = 0;
        return parseNumber(val.toString(), &d) ? d : 0;
    }
    return val.toDouble();
}

qint64 Field::asLargeInt() const {
    if (isNull())
        return 0;
    switch (val.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return val.toLongLong();
    default:
        return qint64(std::llround(asFloat()));
    }
}

int Field::asInteger() const {
    return int(asLargeInt());
}

QString Field::asString() const {
    return isNull() ? QString() : val.toString();
}

QDate Field::asDate() const {
    if (val.typeId() == QMetaType::QDateTime)
        return val.toDateTime().date();
    return val.toDate();
}

QDateTime Field::asDateTime() const {
    if (val.typeId() == QMetaType::QDate)
        return val.toDate().startOfDay();
    return val.toDateTime();
}

// ---- Row filter --------------------------------------------------------------------------

namespace {

// SQL LIKE on one value: % any run of characters, _ any one character; case does not matter.
bool likeMatch(const QString& value, const QString& pattern) {
    const QString v = value.toUpper();
    const QString p = pattern.toUpper();
    // Classic two-pointer wildcard match with backtracking to the last %.
    qsizetype i = 0, j = 0, star = -1, mark = 0;
    while (i < v.size()) {
        if (j < p.size() && (p[j] == u'_' || p[j] == v[i])) {
            ++i;
            ++j;
        } else if (j < p.size() && p[j] == u'%') {
            star = j++;
            mark = i;
        } else if (star >= 0) {
            j = star + 1;
            i = ++mark;
        } else {
            return false;
        }
    }
    while (j < p.size() && p[j] == u'%')
        ++j;
    return j == p.size();
}

struct RowFilter {
    QString field;
    bool like = false;
    QString text;
};

// Reads a quoted literal starting at pos (at the opening quote); '' stands for one quote.
bool readQuoted(const QString& s, qsizetype& pos, QString& out) {
    if (pos >= s.size() || s[pos] != u'\'')
        return false;
    out.clear();
    for (++pos; pos < s.size(); ++pos) {
        if (s[pos] == u'\'') {
            if (pos + 1 < s.size() && s[pos + 1] == u'\'') {
                out += u'\'';
                ++pos;
                continue;
            }
            ++pos;
            return true;
        }
        out += s[pos];
    }
    return false;
}

RowFilter parseFilter(const QString& f) {
    RowFilter r;
    const QString s = f.trimmed();
    qsizetype pos = 0;
    while (pos < s.size() && (s[pos].isLetterOrNumber() || s[pos] == u'_' || s[pos] == u'.'))
        ++pos;
    r.field = s.left(pos);
    while (pos < s.size() && s[pos].isSpace())
        ++pos;
    if (s.mid(pos, 4).compare(u"like", Qt::CaseInsensitive) == 0) {
        r.like = true;
        pos += 4;
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
    } else if (pos < s.size() && s[pos] == u'=') {
        ++pos;
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
    } else {
        throw DbError(QStringLiteral("Неверное условие фильтра: %1").arg(f));
    }
    if (pos < s.size() && s[pos] == u'\'') {
        if (!readQuoted(s, pos, r.text))
            throw DbError(QStringLiteral("Неверное условие фильтра: %1").arg(f));
        if (!s.mid(pos).trimmed().isEmpty())
            throw DbError(QStringLiteral("Неверное условие фильтра: %1").arg(f));
    } else {
        if (r.like)
            throw DbError(QStringLiteral("Неверное условие фильтра: %1").arg(f));
        r.text = s.mid(pos).trimmed();
    }
    if (r.field.isEmpty())
        throw DbError(QStringLiteral("Неверное условие фильтра: %1").arg(f));
    return r;
}

bool filterAccepts(const RowFilter& f, const QVariant& v) {
    if (f.like)
        return likeMatch(v.isNull() ? QString() : v.toString(), f.text);
    double a = 0, b = 0;
    if (!v.isNull() && parseNumber(f.text, &b) && parseNumber(v.toString(), &a))
        return a == b;
    return !v.isNull() && v.toString() == f.text;
}

} // namespace

// ---- Reading timestamps ----------------------------------------------------------------

namespace {

// How a column's text is turned into a value; Driver leaves it to the driver.
enum class Raw { Driver, Int, BigInt, Float, Numeric, Text, Date, Timestamp, Bool };

Raw rawKind(unsigned oid) {
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

// The client's result behind a query, when it is PostgreSQL's.
PGresult* pgResult(const QSqlQuery& q) {
    const QVariant h = q.result() ? q.result()->handle() : QVariant();
    // The driver registers the pointer under the name of the struct behind PGresult.
    if (!h.isValid() ||
        (std::strcmp(h.typeName(), "PGresult*") != 0 && std::strcmp(h.typeName(), "pg_result*") != 0))
        return nullptr;
    return *static_cast<PGresult* const*>(h.constData());
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

// ---- Dataset -----------------------------------------------------------------------------

Dataset::Dataset(QObject* parent, const QString& connection)
    : QAbstractTableModel(parent), connName(connection) {}

Dataset::~Dataset() {
    cancelStatement();
}

QSqlDatabase Dataset::db() const {
    return QSqlDatabase::database(connName, false);
}

void Dataset::open() {
    if (sentConn && takeSentRows())
        return;
    if (opened)
        close();
    // A statement opened again with the same text runs as the prepared statement it already
    // is, without being parsed and planned anew (the journal reopens its queries all day).
    const QSqlDatabase conn = db();
    ensureSession(conn);
    if (!conn.isOpen()) {
        sqltrace::record(sqlText);
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    }
    // A statement prepared in an earlier session is gone with it.
    const bool reuse = query && preparedText == sqlText && query->driver() == conn.driver() &&
                       preparedSession == sessionNumber(connName);
    if (!reuse) {
        query = std::make_unique<QSqlQuery>(conn);
        preparedText.clear();
    }
    try {
        runStatement(*query, sqlText, paramValues, reuse);
    } catch (...) {
        query.reset();
        throw;
    }
    preparedText = sqlText;
    preparedSession = sessionNumber(connName);
    QSqlQuery& q = *query;
    showNewRows([&] { fill(q); });
}

void Dataset::showNewRows(const std::function<void()>& read) {
    beginResetModel();
    read();
    opened = true;
    applyFilter();
    endResetModel();
    setCurrent(visible.isEmpty() ? -1 : 0);
}

void Dataset::readColumns(const QSqlQuery& q) {
    const QSqlRecord rec = q.record();
    names.clear();
    types.clear();
    nameIndex.clear();
    rows.clear();
    for (int i = 0; i < rec.count(); ++i) {
        names << rec.fieldName(i);
        types << rec.field(i).metaType();
    }
    // The first of several columns with one name wins.
    for (int i = rec.count() - 1; i >= 0; --i)
        nameIndex[rec.fieldName(i).toLower()] = i;
    // The common column types are read straight from the result text: the driver's general
    // conversion (a timestamp goes through the time-zone rules) takes most of the time of a
    // journal day's fetch. A timestamp is the day and time the database holds.
    PGresult* res = pgResult(q);
    rawKinds.fill(int(Raw::Driver), rec.count());
    for (int i = 0; res && i < rec.count(); ++i)
        rawKinds[i] = int(rawKind(PQftype(res, i)));
}

// The current row of the query; at is its number in the client's result.
QVector<QVariant> Dataset::readRow(const QSqlQuery& q, int at) const {
    const int n = int(names.size());
    PGresult* res = pgResult(q);
    QVector<QVariant> row(n);
    for (int i = 0; i < n; ++i) {
        const Raw kind = res ? Raw(rawKinds[i]) : Raw::Driver;
        row[i] = kind == Raw::Driver ? q.value(i) : cellValue(res, at, i);
    }
    return row;
}

QVector<QVariant> Dataset::readResultRow(const pg_result* res, int at) const {
    QVector<QVariant> row(names.size());
    for (int i = 0; i < row.size(); ++i)
        row[i] = cellValue(res, at, i);
    return row;
}

QVariant Dataset::cellValue(const pg_result* res, int at, int column) const {
    if (PQgetisnull(res, at, column))
        return QVariant(types[column]);
    return rawValue(Raw(rawKinds[column]), PQgetvalue(res, at, column));
}

void Dataset::fill(QSqlQuery& q) {
    readColumns(q);
    const PGresult* res = pgResult(q);
    rows.reserve(res ? PQntuples(res) : 0);
    while (q.next())
        rows.append(readRow(q, q.at()));
    q.finish();
}

// ---- Rows as the server sends them ------------------------------------------------------------
//
// The Qt driver hands out a result only once the server has sent all of it. A long report's
// statement is therefore sent through the client library on the same connection, in its
// row-by-row mode: the first rows are there while the server still works on the rest.

namespace {

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

// A parameter as the server reads it from text.
QByteArray paramText(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate).toLatin1();
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    case QMetaType::Bool:
        return v.toBool() ? "true" : "false";
    case QMetaType::Double:
        return QByteArray::number(v.toDouble(), 'g', 17);
    default:
        return v.toString().toUtf8();
    }
}

// Stops the statement under way on the connection and drops what is left of its answer, so that
// the connection takes the next statement at once.
void stopStatement(PGconn* conn) {
    if (PGcancel* cancel = PQgetCancel(conn)) {
        char message[256];
        PQcancel(cancel, message, sizeof message);
        PQfreeCancel(cancel);
    }
    while (PGresult* rest = PQgetResult(conn))
        PQclear(rest);
}

QString resultError(const PGresult* r, PGconn* conn) {
    const QString text = QString::fromUtf8(r ? PQresultErrorMessage(r) : PQerrorMessage(conn)).trimmed();
    return text.isEmpty() ? QStringLiteral("Ошибка базы данных") : text;
}

} // namespace

void Dataset::openStreaming() {
    if (opened)
        close();
    sqltrace::record(sqlText);
    const QSqlDatabase conn = db();
    ensureSession(conn);
    if (!conn.isOpen())
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    PGconn* pg = pgConnection(conn);
    if (!pg) { // not PostgreSQL: read the rows all at once
        open();
        return;
    }
    if (!sendStatement(pg))
        throw DbError(resultError(nullptr, pg));
    PQsetSingleRowMode(pg);
    streamConn = pg;
    fetching = true;

    // The columns come with the first row, or with the end of an empty result.
    PGresult* first = nextStreamResult();
    showNewRows([&] {
        readResultColumns(first);
        if (first && PQresultStatus(first) == PGRES_SINGLE_TUPLE)
            rows.append(readResultRow(first, 0));
    });
    PQclear(first);
}

// Sends the statement with its parameters as texts, without waiting for the answer.
bool Dataset::sendStatement(pg_conn* pg) {
    QStringList paramNames;
    const QByteArray text = numberedPlaceholders(sqlText, &paramNames).toUtf8();
    std::vector<QByteArray> values;
    std::vector<const char*> pointers;
    values.reserve(paramNames.size());
    for (const QString& name : paramNames) {
        const QVariant v = paramValue(paramValues, name);
        values.push_back(v.isNull() ? QByteArray() : paramText(v));
        pointers.push_back(v.isNull() ? nullptr : values.back().constData());
    }
    return PQsendQueryParams(pg, text.constData(), int(pointers.size()), nullptr, pointers.data(), nullptr,
                             nullptr, 0);
}

// The columns of a result (none for a null one), read as the Qt driver would type them.
void Dataset::readResultColumns(const pg_result* res) {
    names.clear();
    types.clear();
    nameIndex.clear();
    rows.clear();
    rawKinds.clear();
    const int n = res ? PQnfields(res) : 0;
    for (int i = 0; i < n; ++i) {
        names << QString::fromUtf8(PQfname(res, i));
        types << metaTypeOf(PQftype(res, i));
        const Raw kind = rawKind(PQftype(res, i));
        rawKinds << int(kind == Raw::Driver ? Raw::Text : kind);
    }
    for (int i = n - 1; i >= 0; --i)
        nameIndex[names[i].toLower()] = i;
}

bool Dataset::sendOnSession(const QString& session) {
    close();
    if (!QSqlDatabase::contains(session))
        return false;
    QSqlDatabase conn = QSqlDatabase::database(session, false);
    try {
        ensureSession(conn); // a session the server closed is opened anew
    } catch (const DbError&) {
        return false;
    }
    PGconn* pg = pgConnection(conn);
    if (!conn.isOpen() || !pg || PQstatus(pg) != CONNECTION_OK || PQtransactionStatus(pg) != PQTRANS_IDLE)
        return false;
    if (!sendStatement(pg))
        return false;
    sqltrace::record(sqlText);
    sentConn = pg;
    sentSession = session;
    return true;
}

// The rows of the statement sendOnSession() sent, as open() reads them. False when that session
// went away before the answer came (the statement is then to be run again); throws DbError with
// the server's text when the statement failed.
bool Dataset::takeSentRows() {
    PGconn* pg = sentConn;
    sentConn = nullptr;
    PGresult* result = nullptr;
    while (PGresult* r = PQgetResult(pg)) {
        if (!result)
            result = r;
        else
            PQclear(r);
    }
    if (!result || PQresultStatus(result) != PGRES_TUPLES_OK) {
        const QString message = resultError(result, pg);
        PQclear(result);
        if (PQstatus(pg) == CONNECTION_BAD)
            return false;
        throw DbError(message);
    }
    showNewRows([&] {
        readResultColumns(result);
        const int count = PQntuples(result);
        rows.reserve(count);
        for (int i = 0; i < count; ++i)
            rows.append(readResultRow(result, i));
    });
    PQclear(result);
    return true;
}

// A statement sent on the other session and not taken: stopped, its answer dropped, so that the
// session is free for the next one.
void Dataset::dropSentStatement() {
    PGconn* pg = sentConn;
    sentConn = nullptr;
    if (!QSqlDatabase::contains(sentSession) ||
        pgConnection(QSqlDatabase::database(sentSession, false)) != pg)
        return; // that session is gone already
    stopStatement(pg);
}

// The next row of the streaming statement, the empty end result, or null at the end; throws
// DbError when the statement failed.
pg_result* Dataset::nextStreamResult() {
    if (!fetching)
        return nullptr;
    PGresult* r = PQgetResult(streamConn);
    if (r && PQresultStatus(r) == PGRES_SINGLE_TUPLE)
        return r;
    // The end of the rows (or a failure): what follows is only the end of the statement.
    fetching = false;
    // No end result at all means the session went away before the statement ended.
    const bool failed = r ? PQresultStatus(r) != PGRES_TUPLES_OK : PQstatus(streamConn) == CONNECTION_BAD;
    QString message = failed ? resultError(r, streamConn) : QString();
    if (failed && PQstatus(streamConn) == CONNECTION_BAD)
        message = lostSessionText(message);
    while (PGresult* rest = PQgetResult(streamConn))
        PQclear(rest);
    streamConn = nullptr;
    if (failed) {
        PQclear(r);
        throw DbError(message);
    }
    return r;
}

bool Dataset::fetchMore(int count) {
    if (!fetching)
        return false;
    const int first = int(rows.size());
    try {
        for (int n = 0; n < count && fetching; ++n) {
            PGresult* r = nextStreamResult();
            if (r && PQresultStatus(r) == PGRES_SINGLE_TUPLE)
                rows.append(readResultRow(r, 0));
            PQclear(r);
        }
    } catch (...) {
        showRowsFrom(first); // the rows that came before the failure stay
        throw;
    }
    showRowsFrom(first);
    return fetching;
}

// Rows from..end have arrived: those that pass the filter join the visible ones.
void Dataset::showRowsFrom(int from) {
    const QVector<int> accepted = acceptedRows(from);
    if (accepted.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(visible.size()), int(visible.size() + accepted.size()) - 1);
    visible += accepted;
    endInsertRows();
    if (cur < 0)
        setCurrent(0);
}

// The server stops the statement at once; the client then only drops what is left in transit.
void Dataset::cancelStatement() {
    if (sentConn)
        dropSentStatement();
    if (!fetching)
        return;
    const QSqlDatabase conn = db();
    if (!conn.isOpen() || pgConnection(conn) != streamConn) { // the connection is gone already
        streamConn = nullptr;
        fetching = false;
        return;
    }
    stopStatement(streamConn);
    streamConn = nullptr;
    fetching = false;
}

void Dataset::close() {
    cancelStatement();
    if (!opened)
        return;
    beginResetModel();
    opened = false;
    rows.clear();
    visible.clear();
    names.clear();
    types.clear();
    nameIndex.clear();
    endResetModel();
    cur = -1;
    atEof = true;
    emit currentRowChanged(0);
}

QVector<int> Dataset::acceptedRows(int from) const {
    QVector<int> accepted;
    accepted.reserve(rows.size() - from);
    if (!filterOn || filterText.trimmed().isEmpty() || !opened) {
        for (int i = from; i < rows.size(); ++i)
            accepted.append(i);
        return accepted;
    }
    const RowFilter f = parseFilter(filterText);
    const int col = fieldIndex(f.field);
    if (col < 0)
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(f.field));
    for (int i = from; i < rows.size(); ++i)
        if (filterAccepts(f, rows[i][col]))
            accepted.append(i);
    return accepted;
}

void Dataset::applyFilter() {
    visible.clear();
    visible = acceptedRows(0);
}

void Dataset::setFilter(const QString& f) {
    filterText = f;
    if (filterOn && opened) {
        beginResetModel();
        try {
            applyFilter();
        } catch (...) {
            endResetModel();
            throw;
        }
        endResetModel();
        setCurrent(visible.isEmpty() ? -1 : 0);
    }
}

void Dataset::setFiltered(bool on) {
    if (filterOn == on)
        return;
    filterOn = on;
    if (opened) {
        const int keepRow = cur >= 0 ? visible[cur] : -1;
        beginResetModel();
        try {
            applyFilter();
        } catch (...) {
            filterOn = false;
            applyFilter();
            endResetModel();
            throw;
        }
        endResetModel();
        const int at = int(visible.indexOf(keepRow));
        setCurrent(at >= 0 ? at : (visible.isEmpty() ? -1 : 0));
    }
}

void Dataset::setCurrent(int visibleIndex) {
    cur = visibleIndex;
    atEof = visible.isEmpty();
    emit currentRowChanged(recNo());
}

void Dataset::setRecNo(int n) {
    if (visible.isEmpty()) {
        setCurrent(-1);
        return;
    }
    n = std::clamp(n, 1, int(visible.size()));
    if (n - 1 == cur) {
        atEof = false;
        return;
    }
    setCurrent(n - 1);
}

void Dataset::next() {
    if (visible.isEmpty() || cur + 1 >= visible.size()) {
        atEof = true;
        return;
    }
    setCurrent(cur + 1);
}

void Dataset::prior() {
    if (cur > 0)
        setCurrent(cur - 1);
}

bool Dataset::locate(const QString& field, const QVariant& value) {
    const int col = fieldIndex(field);
    if (col < 0)
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(field));
    for (int i = 0; i < visible.size(); ++i) {
        const QVariant& v = rows[visible[i]][col];
        double a = 0, b = 0;
        const bool numeric = parseNumber(v.toString(), &a) && parseNumber(value.toString(), &b);
        if (!v.isNull() && (numeric ? a == b : v.toString() == value.toString())) {
            setCurrent(i);
            return true;
        }
    }
    return false;
}

int Dataset::fieldIndex(const QString& name) const {
    return nameIndex.value(name.toLower(), -1);
}

bool Dataset::hasField(const QString& name) const {
    return fieldIndex(name) >= 0;
}

Field Dataset::fieldByName(const QString& name) const {
    if (!opened)
        return Field();
    const int col = fieldIndex(name);
    if (col < 0)
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(name));
    if (cur < 0)
        return Field();
    return Field(rows[visible[cur]][col]);
}

QVariant Dataset::valueAt(int row, const QString& field) const {
    const int col = fieldIndex(field);
    if (col < 0 || row < 0 || row >= visible.size())
        return {};
    return rows[visible[row]][col];
}

QString Dataset::displayText(const QVariant& v, int fieldIndex) const {
    if (v.isNull())
        return QString();
    const QMetaType t = fieldIndex >= 0 && fieldIndex < types.size() ? types[fieldIndex] : v.metaType();
    switch (t.id()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        double d = 0;
        if (v.typeId() == QMetaType::QString ? parseNumber(v.toString(), &d) : (d = v.toDouble(), true))
            return formatScreen(d);
        return v.toString();
    }
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.date().toString(QStringLiteral("dd.MM.yyyy"));
        return dt.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    }
    default:
        return v.toString();
    }
}

// ---- Grid model --------------------------------------------------------------------------

void Dataset::setColumns(const QList<GridColumn>& cols) {
    beginResetModel();
    gridColumns = cols;
    endResetModel();
}

int Dataset::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(visible.size());
}

int Dataset::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return gridColumns.isEmpty() ? int(names.size()) : int(gridColumns.size());
}

QVariant Dataset::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= visible.size())
        return {};
    const auto& row = rows[visible[index.row()]];
    if (gridColumns.isEmpty()) {
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return {};
        return index.column() < row.size() ? displayText(row[index.column()], index.column()) : QVariant();
    }
    const GridColumn& c = gridColumns[index.column()];
    const int col = fieldIndex(c.field);
    const QVariant v = col >= 0 ? row[col] : QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return c.format ? c.format(v) : displayText(v, col);
    if (role == Qt::TextAlignmentRole && c.alignment)
        return QVariant::fromValue(c.alignment);
    return c.style ? c.style(v, role) : QVariant();
}

QVariant Dataset::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Vertical)
        return section + 1;
    if (gridColumns.isEmpty())
        return section < names.size() ? names[section] : QVariant();
    return section < gridColumns.size() ? gridColumns[section].title : QVariant();
}

// ---- EditTable ---------------------------------------------------------------------------

EditTable::EditTable(QObject* parent, const QString& connection) : Dataset(parent, connection) {}

QString EditTable::keyColumn() const {
    return key.isEmpty() ? QStringLiteral("row_ctid") : key;
}

void EditTable::open() {
    if (sqlText.isEmpty() || key.isEmpty()) {
        const QString keySel = key.isEmpty() ? QStringLiteral("ctid::text as row_ctid, ") : QString();
        sqlText = QStringLiteral("select ") + keySel + QStringLiteral("* from ") + table;
    }
    st = State::Browse;
    Dataset::open();
}

void EditTable::append() {
    if (!opened)
        throw DbError(QStringLiteral("Таблица %1 не открыта").arg(table));
    buffer = QVector<QVariant>(names.size());
    changed.clear();
    st = State::Insert;
}

void EditTable::edit() {
    if (!opened || cur < 0)
        throw DbError(QStringLiteral("Нет строки для изменения в %1").arg(table));
    buffer = rows[visible[cur]];
    changed.clear();
    st = State::Edit;
}

void EditTable::setValue(const QString& field, const QVariant& value) {
    if (st == State::Browse)
        edit();
    const int col = fieldIndex(field);
    if (col < 0)
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(field));
    buffer[col] = value;
    changed.insert(col);
}

Field EditTable::value(const QString& field) const {
    if (st == State::Browse)
        return fieldByName(field);
    const int col = fieldIndex(field);
    if (col < 0)
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(field));
    return Field(buffer[col]);
}

void EditTable::cancel() {
    st = State::Browse;
    changed.clear();
}

void EditTable::post() {
    if (st == State::Browse)
        return;
    QList<int> cols(changed.begin(), changed.end());
    std::sort(cols.begin(), cols.end());
    Params params;
    const QString returning = key.isEmpty() ? QStringLiteral(" returning ctid::text as row_ctid, *")
                                            : QStringLiteral(" returning *");
    QString sql;
    if (st == State::Insert) {
        QStringList colNames, values;
        for (int c : cols) {
            colNames << names[c];
            values << QStringLiteral(":p%1").arg(c);
            params[QStringLiteral("p%1").arg(c)] = buffer[c];
        }
        sql = colNames.isEmpty() ? QStringLiteral("insert into %1 default values").arg(table)
                                 : QStringLiteral("insert into %1 (%2) values (%3)")
                                       .arg(table, colNames.join(u','), values.join(u','));
    } else {
        if (cols.isEmpty()) {
            st = State::Browse;
            return;
        }
        QStringList sets;
        for (int c : cols) {
            sets << QStringLiteral("%1=:p%2").arg(names[c]).arg(c);
            params[QStringLiteral("p%1").arg(c)] = buffer[c];
        }
        const int kc = fieldIndex(keyColumn());
        params[QStringLiteral("rowkey")] = rows[visible[cur]][kc];
        const QString where =
            key.isEmpty() ? QStringLiteral("ctid=(:rowkey)::tid") : key + QStringLiteral("=:rowkey");
        sql = QStringLiteral("update %1 set %2 where %3").arg(table, sets.join(u','), where);
    }
    QSqlQuery q = runStatement(db(), sql + returning, params);
    // An update that found no row: the row was deleted at another workstation.
    if (st == State::Edit && q.numRowsAffected() == 0)
        throw StaleRowError();
    QVector<QVariant> stored = buffer;
    if (q.next()) {
        // Take the row as the database stored it (keys and defaults filled in).
        for (int i = 0; i < names.size(); ++i)
            stored[i] = q.value(names[i]);
    }
    if (st == State::Insert) {
        beginInsertRows({}, int(visible.size()), int(visible.size()));
        rows.append(stored);
        visible.append(int(rows.size()) - 1);
        endInsertRows();
        st = State::Browse;
        setCurrent(int(visible.size()) - 1);
    } else {
        rows[visible[cur]] = stored;
        st = State::Browse;
        emit dataChanged(index(cur, 0), index(cur, columnCount() - 1));
    }
    changed.clear();
}

void EditTable::remove() {
    if (!opened || cur < 0)
        throw DbError(QStringLiteral("Нет строки для удаления в %1").arg(table));
    const int kc = fieldIndex(keyColumn());
    const QString where =
        key.isEmpty() ? QStringLiteral("ctid=(:rowkey)::tid") : key + QStringLiteral("=:rowkey");
    const QSqlQuery q = runStatement(db(), QStringLiteral("delete from %1 where %2").arg(table, where),
                                     {{QStringLiteral("rowkey"), rows[visible[cur]][kc]}});
    if (q.numRowsAffected() == 0)
        throw StaleRowError();
    const int at = cur;
    beginRemoveRows({}, at, at);
    const int rowIndex = visible[at];
    visible.removeAt(at);
    for (int& v : visible)
        if (v > rowIndex)
            --v;
    rows.removeAt(rowIndex);
    endRemoveRows();
    st = State::Browse;
    setCurrent(visible.isEmpty() ? -1 : std::min(at, int(visible.size()) - 1));
}
