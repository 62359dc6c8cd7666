// Datasets: statements run with typed parameters, their rows held on the client, the row
// filter and the rows taken as the server sends them; editable tables.
#include "data/Dataset.h"

#include "data/Format.h"
#include "data/PgAnswer.h"
#include "data/RowFilter.h"
#include "data/Sql.h"

#include <QSqlField>
#include <QSqlRecord>
#include <cmath>
#include <limits>

// ---- Field -------------------------------------------------------------------------------

double Field::asFloat() const {
    if (isNull())
        return 0;
    if (m_value.typeId() == QMetaType::QString) {
        double d = 0;
        return parseNumber(m_value.toString(), &d) ? d : 0;
    }
    return m_value.toDouble();
}

qint64 Field::asLargeInt() const {
    if (isNull())
        return 0;
    switch (m_value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return m_value.toLongLong();
    default:
        return qint64(std::llround(asFloat()));
    }
}

int Field::asInteger() const {
    return int(asLargeInt());
}

QString Field::asString() const {
    return isNull() ? QString() : m_value.toString();
}

QDate Field::asDate() const {
    if (m_value.typeId() == QMetaType::QDateTime)
        return m_value.toDateTime().date();
    return m_value.toDate();
}

QDateTime Field::asDateTime() const {
    if (m_value.typeId() == QMetaType::QDate)
        return m_value.toDate().startOfDay();
    return m_value.toDateTime();
}

// ---- Dataset -----------------------------------------------------------------------------

Dataset::Dataset(QObject* parent, const QString& connection)
    : QObject(parent), m_connectionName(connection) {}

Dataset::~Dataset() {
    cancelStatement();
}

QSqlDatabase Dataset::db() const {
    return QSqlDatabase::database(m_connectionName, false);
}

void Dataset::open() {
    if (m_open)
        close();
    // A statement opened again with the same text runs as the prepared statement it already
    // is, without being parsed and planned anew (the journal reopens its queries all day).
    const QSqlDatabase conn = db();
    ensureSession(conn);
    if (!conn.isOpen()) {
        sqltrace::record(m_sql);
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    }
    // A statement prepared in an earlier session is gone with it.
    const bool reuse = m_query && m_preparedSql == m_sql && m_query->driver() == conn.driver() &&
                       m_preparedSession == sessionNumber(m_connectionName);
    if (!reuse) {
        m_query = std::make_unique<QSqlQuery>(conn);
        m_preparedSql.clear();
    }
    try {
        runStatement(*m_query, m_sql, m_params, reuse);
    } catch (...) {
        m_query.reset();
        throw;
    }
    m_preparedSql = m_sql;
    m_preparedSession = sessionNumber(m_connectionName);
    QSqlQuery& q = *m_query;
    showNewRows([&] { fill(q); });
}

void Dataset::showNewRows(const std::function<void()>& read) {
    emit rowsAboutToBeReplaced();
    try {
        read();
        m_open = true;
        applyFilter();
    } catch (...) {
        // Rows half read or a filter that cannot be applied: nothing is shown, and whatever
        // shows the rows hears that the replacement is over.
        m_visible.clear();
        emit rowsReplaced();
        setCurrent(-1);
        throw;
    }
    emit rowsReplaced();
    setCurrent(m_visible.isEmpty() ? -1 : 0);
}

void Dataset::takeColumns(const QStringList& columnNames, const QVector<QMetaType>& columnTypes) {
    m_names = columnNames;
    m_types = columnTypes;
    m_nameIndex.clear();
    m_rows.clear();
    m_answer.reset();
    m_answerRows.clear();
    m_answerColumns.clear();
    // The first of several columns with one name wins.
    for (qsizetype i = columnNames.size() - 1; i >= 0; --i)
        m_nameIndex[columnNames[i].toLower()] = int(i);
}

void Dataset::fill(QSqlQuery& q) {
    const QSqlRecord rec = q.record();
    QStringList columnNames;
    QVector<QMetaType> columnTypes;
    for (int i = 0; i < rec.count(); ++i) {
        columnNames << rec.fieldName(i);
        columnTypes << rec.field(i).metaType();
    }
    takeColumns(columnNames, columnTypes);
    m_rowReader.setQueryColumns(q, columnTypes);
    m_rows.reserve(PgRowReader::queryRowCount(q));
    while (q.next())
        m_rows.append(m_rowReader.queryRow(q));
    q.finish();
}

// ---- Rows as the server sends them ------------------------------------------------------------

void Dataset::openStreaming() {
    close(); // a statement still streaming is stopped
    sqltrace::record(m_sql);
    const QSqlDatabase conn = db();
    ensureSession(conn);
    if (!conn.isOpen())
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    if (!PgStatement::canSend(conn)) { // not PostgreSQL: read the rows all at once
        open();
        return;
    }
    m_statement.stream(conn, m_sql, m_params);
    // The first row (or the end of an empty answer) is in already.
    showNewRows([&] {
        takeColumns(m_statement.columnNames(), m_statement.columnTypes());
        m_statement.readRows(1, m_rows);
    });
}

void Dataset::showAnswerRows(const QStringList& names, const QVector<QMetaType>& types,
                             std::shared_ptr<const PgAnswer> answer, QVector<int> answerRows,
                             QVector<int> columns) {
    close();
    showNewRows([&] {
        takeColumns(names, types);
        m_rows.resize(answerRows.size());
        m_answer = std::move(answer);
        m_answerRows = std::move(answerRows);
        m_answerColumns = std::move(columns);
    });
}

const QVector<QVariant>& Dataset::rowValues(int index) const {
    QVector<QVariant>& values = m_rows[index];
    if (values.isEmpty() && m_answer && index < m_answerRows.size()) {
        values.resize(m_answerColumns.size());
        for (int c = 0; c < m_answerColumns.size(); ++c)
            values[c] = m_answer->value(m_answerRows[index], m_answerColumns[c]);
    }
    return values;
}

QVariant Dataset::cell(int index, int column) const {
    const QVector<QVariant>& values = m_rows[index];
    if (values.isEmpty() && m_answer && index < m_answerRows.size())
        return column >= 0 && column < m_answerColumns.size()
                   ? m_answer->value(m_answerRows[index], m_answerColumns[column])
                   : QVariant();
    return column >= 0 && column < values.size() ? values[column] : QVariant();
}

void Dataset::dropRow(int index) {
    m_rows.removeAt(index);
    if (index < m_answerRows.size())
        m_answerRows.removeAt(index);
}

bool Dataset::fetchMore(int count) {
    if (!m_statement.hasMoreRows())
        return false;
    const int first = int(m_rows.size());
    try {
        m_statement.readRows(count, m_rows);
    } catch (...) {
        showRowsFrom(first); // the rows that came before the failure stay
        throw;
    }
    showRowsFrom(first);
    return m_statement.hasMoreRows();
}

// Rows from..end have arrived: those that pass the filter join the visible ones.
void Dataset::showRowsFrom(int from) {
    const QVector<int> accepted = acceptedRows(from);
    if (accepted.isEmpty())
        return;
    const int first = int(m_visible.size());
    const int last = first + int(accepted.size()) - 1;
    emit rowsAboutToBeAppended(first, last);
    m_visible += accepted;
    emit rowsAppended(first, last);
    if (m_current < 0)
        setCurrent(0);
}

void Dataset::cancelStatement() {
    m_statement.stop();
}

void Dataset::close() {
    cancelStatement();
    if (!m_open)
        return;
    emit rowsAboutToBeReplaced();
    m_open = false;
    m_rows.clear();
    m_answer.reset();
    m_answerRows.clear();
    m_answerColumns.clear();
    m_visible.clear();
    m_names.clear();
    m_types.clear();
    m_nameIndex.clear();
    emit rowsReplaced();
    m_current = -1;
    m_atEof = true;
    emit currentRowChanged(0);
}

QVector<int> Dataset::acceptedRows(int from) const {
    QVector<int> accepted;
    accepted.reserve(m_rows.size() - from);
    if (!m_filtered || m_filter.trimmed().isEmpty() || !m_open) {
        for (int i = from; i < m_rows.size(); ++i)
            accepted.append(i);
        return accepted;
    }
    const RowFilter f(m_filter);
    const int col = fieldIndex(f.field());
    if (col < 0)
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(f.field()));
    for (int i = from; i < m_rows.size(); ++i)
        if (f.accepts(cell(i, col)))
            accepted.append(i);
    return accepted;
}

void Dataset::applyFilter() {
    m_visible.clear();
    m_visible = acceptedRows(0);
}

void Dataset::setFilter(const QString& f) {
    m_filter = f;
    if (m_filtered && m_open) {
        emit rowsAboutToBeReplaced();
        try {
            applyFilter();
        } catch (...) {
            emit rowsReplaced();
            throw;
        }
        emit rowsReplaced();
        setCurrent(m_visible.isEmpty() ? -1 : 0);
    }
}

void Dataset::setFiltered(bool on) {
    if (m_filtered == on)
        return;
    m_filtered = on;
    if (m_open) {
        const int keepRow = m_current >= 0 ? m_visible[m_current] : -1;
        emit rowsAboutToBeReplaced();
        try {
            applyFilter();
        } catch (...) {
            m_filtered = false;
            applyFilter();
            emit rowsReplaced();
            throw;
        }
        emit rowsReplaced();
        const int at = int(m_visible.indexOf(keepRow));
        setCurrent(at >= 0 ? at : (m_visible.isEmpty() ? -1 : 0));
    }
}

void Dataset::setCurrent(int visibleIndex) {
    m_current = visibleIndex;
    m_atEof = m_visible.isEmpty();
    emit currentRowChanged(recNo());
}

void Dataset::setRecNo(int n) {
    if (m_visible.isEmpty()) {
        setCurrent(-1);
        return;
    }
    n = std::clamp(n, 1, int(m_visible.size()));
    if (n - 1 == m_current) {
        m_atEof = false;
        return;
    }
    setCurrent(n - 1);
}

void Dataset::next() {
    if (m_visible.isEmpty() || m_current + 1 >= m_visible.size()) {
        m_atEof = true;
        return;
    }
    setCurrent(m_current + 1);
}

void Dataset::prior() {
    if (m_current > 0)
        setCurrent(m_current - 1);
}

bool Dataset::locate(const QString& field, const QVariant& value) {
    const int col = fieldIndex(field);
    if (col < 0)
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(field));
    for (int i = 0; i < m_visible.size(); ++i) {
        const QVariant v = cell(m_visible[i], col);
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
    return m_nameIndex.value(name.toLower(), -1);
}

bool Dataset::hasField(const QString& name) const {
    return fieldIndex(name) >= 0;
}

Field Dataset::fieldByName(const QString& name) const {
    if (!m_open)
        return Field();
    const int col = fieldIndex(name);
    if (col < 0)
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(name));
    if (m_current < 0)
        return Field();
    return Field(cell(m_visible[m_current], col));
}

QVariant Dataset::valueAt(int row, const QString& field) const {
    const int col = fieldIndex(field);
    if (col < 0 || row < 0 || row >= m_visible.size())
        return {};
    return cell(m_visible[row], col);
}

QVariant Dataset::valueAt(int row, int column) const {
    if (row < 0 || row >= m_visible.size())
        return {};
    const QVector<QVariant>& values = rowValues(m_visible[row]);
    return column >= 0 && column < values.size() ? values[column] : QVariant();
}

QString Dataset::displayText(const QVariant& v, int fieldIndex) const {
    if (v.isNull())
        return QString();
    const QMetaType t = fieldIndex >= 0 && fieldIndex < m_types.size() ? m_types[fieldIndex] : v.metaType();
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

// ---- EditTable ---------------------------------------------------------------------------

EditTable::EditTable(QObject* parent, const QString& connection) : Dataset(parent, connection) {}

QString EditTable::keyColumn() const {
    return m_keyField.isEmpty() ? QStringLiteral("row_ctid") : m_keyField;
}

void EditTable::open() {
    if (m_sql.isEmpty() || m_keyField.isEmpty()) {
        const QString keySel = m_keyField.isEmpty() ? QStringLiteral("ctid::text as row_ctid, ") : QString();
        m_sql = QStringLiteral("select ") + keySel + QStringLiteral("* from ") + m_table;
    }
    m_state = State::Browse;
    Dataset::open();
}

void EditTable::append() {
    if (!m_open)
        throw DbError(QStringLiteral("Таблица %1 не открыта").arg(m_table));
    m_buffer = QVector<QVariant>(m_names.size());
    m_changed.clear();
    m_state = State::Insert;
}

void EditTable::edit() {
    if (!m_open || m_current < 0)
        throw DbError(QStringLiteral("Нет строки для изменения в %1").arg(m_table));
    m_buffer = rowValues(m_visible[m_current]);
    m_changed.clear();
    m_state = State::Edit;
}

void EditTable::setValue(const QString& field, const QVariant& value) {
    if (m_state == State::Browse)
        edit();
    const int col = fieldIndex(field);
    if (col < 0)
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(field));
    m_buffer[col] = value;
    m_changed.insert(col);
}

Field EditTable::value(const QString& field) const {
    if (m_state == State::Browse)
        return fieldByName(field);
    const int col = fieldIndex(field);
    if (col < 0)
        throw DbError(QStringLiteral("Поле %1 не найдено").arg(field));
    return Field(m_buffer[col]);
}

void EditTable::cancel() {
    m_state = State::Browse;
    m_changed.clear();
}

void EditTable::post() {
    if (m_state == State::Browse)
        return;
    QList<int> cols(m_changed.begin(), m_changed.end());
    std::sort(cols.begin(), cols.end());
    Params params;
    const QString returning = m_keyField.isEmpty() ? QStringLiteral(" returning ctid::text as row_ctid, *")
                                                   : QStringLiteral(" returning *");
    QString sql;
    if (m_state == State::Insert) {
        QStringList colNames, values;
        for (int c : cols) {
            colNames << m_names[c];
            values << QStringLiteral(":p%1").arg(c);
            params[QStringLiteral("p%1").arg(c)] = m_buffer[c];
        }
        sql = colNames.isEmpty() ? QStringLiteral("insert into %1 default values").arg(m_table)
                                 : QStringLiteral("insert into %1 (%2) values (%3)")
                                       .arg(m_table, colNames.join(u','), values.join(u','));
    } else {
        if (cols.isEmpty()) {
            m_state = State::Browse;
            return;
        }
        QStringList sets;
        for (int c : cols) {
            sets << QStringLiteral("%1=:p%2").arg(m_names[c]).arg(c);
            params[QStringLiteral("p%1").arg(c)] = m_buffer[c];
        }
        const int kc = fieldIndex(keyColumn());
        params[QStringLiteral("rowkey")] = cell(m_visible[m_current], kc);
        const QString where = m_keyField.isEmpty() ? QStringLiteral("ctid=(:rowkey)::tid")
                                                   : m_keyField + QStringLiteral("=:rowkey");
        sql = QStringLiteral("update %1 set %2 where %3").arg(m_table, sets.join(u','), where);
    }
    QSqlQuery q = runStatement(db(), sql + returning, params);
    // An update that found no row: the row was deleted at another workstation.
    if (m_state == State::Edit && q.numRowsAffected() == 0)
        throw StaleRowError();
    QVector<QVariant> stored = m_buffer;
    if (q.next()) {
        // Take the row as the database stored it (keys and defaults filled in).
        for (int i = 0; i < m_names.size(); ++i)
            stored[i] = q.value(m_names[i]);
    }
    if (m_state == State::Insert) {
        const int row = int(m_visible.size());
        emit rowsAboutToBeAppended(row, row);
        m_rows.append(stored);
        m_visible.append(int(m_rows.size()) - 1);
        emit rowsAppended(row, row);
        m_state = State::Browse;
        setCurrent(int(m_visible.size()) - 1);
    } else {
        m_rows[m_visible[m_current]] = stored;
        m_state = State::Browse;
        emit rowChanged(m_current);
    }
    m_changed.clear();
}

void EditTable::remove() {
    if (!m_open || m_current < 0)
        throw DbError(QStringLiteral("Нет строки для удаления в %1").arg(m_table));
    const int kc = fieldIndex(keyColumn());
    const QString where = m_keyField.isEmpty() ? QStringLiteral("ctid=(:rowkey)::tid")
                                               : m_keyField + QStringLiteral("=:rowkey");
    const QSqlQuery q = runStatement(db(), QStringLiteral("delete from %1 where %2").arg(m_table, where),
                                     {{QStringLiteral("rowkey"), cell(m_visible[m_current], kc)}});
    if (q.numRowsAffected() == 0)
        throw StaleRowError();
    const int at = m_current;
    emit rowAboutToBeRemoved(at);
    const int rowIndex = m_visible[at];
    m_visible.removeAt(at);
    for (int& v : m_visible)
        if (v > rowIndex)
            --v;
    dropRow(rowIndex);
    emit rowRemoved(at);
    m_state = State::Browse;
    setCurrent(m_visible.isEmpty() ? -1 : std::min(at, int(m_visible.size()) - 1));
}
