// The import from the earlier database, step by step.
#include "import/LegacyImport.h"

#include "data/Sql.h"
#include "data/Transaction.h"
#include "import/BatchInsert.h"
#include "records/ChangeLog.h"

#include "records/RecordLimits.h"

#include <QLocale>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>
#include <limits>
#include <sql.h>
#include <sqlext.h>

namespace {

qint64 countRows(const QSqlDatabase& db, const QString& table) {
    QSqlQuery q = runStatement(db, QStringLiteral("select count(*) from ") + table);
    return q.next() ? q.value(0).toLongLong() : 0;
}

// A whole number written as text ("42", or "42.0" as some drivers give whole numbers of
// floating-point columns); false for anything that is not exactly a whole number.
bool exactWholeNumber(const QString& text, qlonglong* n) {
    bool ok = false;
    *n = text.trimmed().toLongLong(&ok);
    if (ok)
        return true;
    const double d = QLocale::c().toDouble(text.trimmed(), &ok);
    // Beyond 2^53 a double no longer tells whole numbers apart.
    if (!ok || !std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 9007199254740992.0)
        return false;
    *n = qlonglong(d);
    return true;
}

// Where a refused value sits, for the user: the source table, the row's key and the column.
QString placeOf(const ImportStep& step, const QString& rowKey, const ImportColumn& column) {
    return QStringLiteral("таблица %1, %2, столбец %3").arg(step.sourceTable, rowKey, column.name);
}

// A value of the source converted for its target column. A value that does not convert exactly
// (a text in a number column, a fraction or a number beyond the column in a whole-number column,
// a text with a zero character) fails the step, naming where it is: no value is turned into
// another one.
QVariant convertValue(const QVariant& value, const ImportColumn& column, const ImportStep& step,
                      const QString& rowKey) {
    const bool empty = value.isNull();
    const QString text = value.toString();
    auto refuse = [&](const QString& why) {
        return DbError(QStringLiteral("%1: значение «%2» %3")
                           .arg(placeOf(step, rowKey, column),
                                QString(text).replace(QChar(0), QStringLiteral("\\0")), why));
    };
    switch (column.kind) {
    case ValueKind::WholeNumberOrZero:
        if (empty)
            return 0;
        [[fallthrough]];
    case ValueKind::WholeNumber: {
        if (empty)
            return QVariant(QMetaType::fromType<int>());
        qlonglong n = 0;
        if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong ||
            value.typeId() == QMetaType::Short || value.typeId() == QMetaType::UInt)
            n = value.toLongLong();
        else if (!exactWholeNumber(text, &n))
            throw refuse(QStringLiteral("не целое число"));
        if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
            throw refuse(QStringLiteral("не помещается в столбец (целое от %1 до %2)")
                             .arg(std::numeric_limits<int>::min())
                             .arg(std::numeric_limits<int>::max()));
        return static_cast<int>(n);
    }
    case ValueKind::FloatNumber: {
        if (empty)
            return QVariant(QMetaType::fromType<double>());
        bool ok = false;
        const double d = value.typeId() == QMetaType::Double ? value.toDouble()
                                                             : QLocale::c().toDouble(text.trimmed(), &ok);
        if (value.typeId() != QMetaType::Double && (!ok || !std::isfinite(d)))
            throw refuse(QStringLiteral("не число"));
        return d;
    }
    case ValueKind::Text:
        if (empty)
            return QVariant(QMetaType::fromType<QString>());
        if (text.contains(QChar(0)))
            throw refuse(QStringLiteral("содержит нулевой символ"));
        return text;
    case ValueKind::Typed:
        return value;
    }
    return value;
}

// The rows of a statement on an ODBC connection, each value read as the text the driver gives
// for it (or null): the driver then never turns a value into another one on its way, as it does
// when it is asked for a number of a column that holds a text or a larger number.
class OdbcTextRows {
public:
    OdbcTextRows(const QSqlDatabase& db, const QString& select, int columns) : m_columns(columns) {
        const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
        if (!h.isValid() || h.metaType().sizeOf() != sizeof(SQLHANDLE))
            throw DbError(QStringLiteral("нет соединения ODBC с источником"));
        const SQLHANDLE dbc = *static_cast<const SQLHANDLE*>(h.constData());
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_statement)))
            throw DbError(QStringLiteral("нет соединения ODBC с источником"));
        const QByteArray sql = select.toUtf8();
        if (!SQL_SUCCEEDED(SQLExecDirect(m_statement,
                                         reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.constData())),
                                         SQLINTEGER(sql.size()))))
            throw DbError(diagnostics());
    }
    ~OdbcTextRows() {
        if (m_statement)
            SQLFreeHandle(SQL_HANDLE_STMT, m_statement);
    }
    OdbcTextRows(const OdbcTextRows&) = delete;
    OdbcTextRows& operator=(const OdbcTextRows&) = delete;

    // Reads the next row into `row`; false after the last one.
    bool next(QVariantList& row) {
        const SQLRETURN fetched = SQLFetch(m_statement);
        if (fetched == SQL_NO_DATA)
            return false;
        if (!SQL_SUCCEEDED(fetched))
            throw DbError(diagnostics());
        for (int c = 0; c < m_columns; ++c)
            row[c] = value(SQLUSMALLINT(c + 1));
        return true;
    }

private:
    // One value as UTF-16 text, in pieces when it is long; its length comes from the driver, so
    // that a zero character inside it is kept.
    QVariant value(SQLUSMALLINT column) {
        QString text;
        SQLWCHAR buffer[1024];
        for (;;) {
            SQLLEN length = 0;
            const SQLRETURN got =
                SQLGetData(m_statement, column, SQL_C_WCHAR, buffer, sizeof buffer, &length);
            if (got == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(got))
                throw DbError(diagnostics());
            if (length == SQL_NULL_DATA)
                return QVariant(QMetaType::fromType<QString>());
            const qsizetype room = qsizetype(sizeof buffer / sizeof(SQLWCHAR)) - 1;
            const qsizetype units = length == SQL_NO_TOTAL
                                        ? room
                                        : std::min<qsizetype>(room, qsizetype(length / sizeof(SQLWCHAR)));
            text += QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), units);
            if (got == SQL_SUCCESS)
                break;
        }
        return text;
    }

    QString diagnostics() const {
        SQLCHAR state[6];
        SQLCHAR message[1024];
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_STMT, m_statement, 1, state, &native, message,
                                        sizeof message, &length)))
            return QString::fromUtf8(reinterpret_cast<const char*>(message)).trimmed();
        return QStringLiteral("ошибка ODBC");
    }

    SQLHANDLE m_statement = SQL_NULL_HANDLE;
    int m_columns;
};

// The rows of the journal that a report could no longer sum: too many pieces or too large an
// amount for one record. The first such row fails the step, named by its key.
void refuseRecordsBeyondLimits(const QSqlDatabase& target, const ImportStep& step) {
    QSqlQuery beyond = runStatement(
        target,
        QStringLiteral("select id, kol_vo, brak, (kol_vo-coalesce(brak,0))*cena from %1 where id>0 and "
                       "(kol_vo>:pieces or brak>:pieces or abs((kol_vo-coalesce(brak,0))*cena)>:amount) "
                       "order by id limit 1")
            .arg(step.targetTable),
        {{QStringLiteral("pieces"), kMaxRecordPieces}, {QStringLiteral("amount"), kMaxRecordAmount}});
    if (!beyond.next())
        return;
    const QString row = QStringLiteral("id %1").arg(beyond.value(0).toString());
    QString problem = recordPiecesProblem(beyond.value(1).toLongLong(), QStringLiteral("kol_vo"));
    if (problem.isEmpty())
        problem = recordPiecesProblem(beyond.value(2).toLongLong(), QStringLiteral("brak"));
    if (problem.isEmpty())
        problem = recordAmountProblem(beyond.value(3).toDouble(), QStringLiteral("(kol_vo - brak) × cena"));
    throw DbError(QStringLiteral("таблица %1, %2: %3").arg(step.sourceTable, row, problem));
}

} // namespace

LegacyImport::LegacyImport(const QSqlDatabase& source, const QSqlDatabase& target,
                           const QSqlDatabase& mainConnection)
    : m_source(source), m_target(target), m_main(mainConnection) {}

QString LegacyImport::progressText(const QString& sourceTable, qint64 done, qint64 total) {
    return QStringLiteral("%1: %2 из %3 записей").arg(sourceTable).arg(done).arg(total);
}

QString LegacyImport::summaryLine(const ImportStepResult& r) {
    const QString tables = QStringLiteral("%1 → %2").arg(r.sourceTable, r.targetTable);
    if (r.skipped)
        return QStringLiteral("%1: пропущено (это одна и та же таблица), было %2")
            .arg(tables)
            .arg(r.rowsBefore);
    return QStringLiteral("%1: было %2, скопировано %3").arg(tables).arg(r.rowsBefore).arg(r.rowsCopied);
}

void LegacyImport::report(const QString& text, bool milestone) {
    if (m_progress)
        m_progress(text, milestone);
}

ImportOutcome LegacyImport::run() {
    ImportOutcome outcome;
    const std::vector<ImportStep>& steps = importSteps();
    try {
        const std::vector<YearMonth> closed = closedMonthsChanged();
        if (!closed.empty()) {
            QStringList names;
            for (const YearMonth& m : closed)
                names << m.text();
            outcome.error =
                QStringLiteral("Импорт изменил бы закрытые месяцы: %1. Ничего не удалено и не "
                               "записано; чтобы выполнить импорт, эти месяцы открывают вновь в окне "
                               "«Закрытие месяца».")
                    .arg(names.join(QStringLiteral(", ")));
            return outcome;
        }
    } catch (const DbError& e) {
        outcome.error = QStringLiteral("Проверка закрытых месяцев: %1").arg(e.message);
        return outcome;
    }
    for (size_t i = 0; i < steps.size(); ++i) {
        const ImportStep& step = steps[i];
        try {
            outcome.steps.push_back(runStep(int(i) + 1, step));
        } catch (const DbError& e) {
            outcome.error = QStringLiteral("Шаг %1 (%2 → %3): %4")
                                .arg(i + 1)
                                .arg(step.sourceTable, step.targetTable, e.message);
            break;
        }
    }
    return outcome;
}

std::vector<YearMonth> LegacyImport::closedMonthsChanged() {
    const std::vector<MonthClosing> closing = closedMonths(m_target);
    if (closing.empty())
        return {};
    // How the rows of each table with months name their month, in the source and the target.
    struct MonthColumns {
        QString table;
        QString sourceMonths; // the source's months, year and month as two integers
        QString targetRows;   // whether the target holds a row of :year and :month that the step deletes
    };
    const MonthColumns tables[] = {
        {QStringLiteral("accounts_dep.h_tabel"), QStringLiteral("select distinct year, month from %1"),
         QStringLiteral("select count(*) from (select 1 from accounts_dep.h_tabel where id>0 and "
                        "year=cast(:year as integer) and month=cast(:month as integer) limit 1) r")},
        {QStringLiteral("accounts_dep.smena"),
         QStringLiteral(
             "select distinct cast(extract(year from data) as integer), cast(extract(month from data) "
             "as integer) from %1 where data is not null"),
         QStringLiteral("select count(*) from (select 1 from accounts_dep.smena where id>0 and data >= "
                        "make_date(cast(:year as integer), cast(:month as integer), 1) and data < "
                        "make_date(cast(:year as integer), cast(:month as integer), 1) + interval '1 month' "
                        "limit 1) r")},
    };
    std::vector<YearMonth> changed;
    for (const ImportStep& step : importSteps()) {
        const MonthColumns* columns = nullptr;
        for (const MonthColumns& t : tables)
            if (t.table == step.targetTable)
                columns = &t;
        if (!columns)
            continue;
        if (step.fromMainConnection && locateSource(step).isTarget)
            continue; // the step leaves its table alone
        std::vector<YearMonth> written;
        QSqlQuery source = runStatement(step.fromMainConnection ? m_main : m_source,
                                        columns->sourceMonths.arg(step.sourceTable));
        while (source.next())
            written.push_back({source.value(0).toInt(), source.value(1).toInt()});
        for (const MonthClosing& c : closing) {
            const bool writesInto = std::find(written.begin(), written.end(), c.month) != written.end();
            QSqlQuery held = runStatement(
                m_target, columns->targetRows,
                {{QStringLiteral("year"), c.month.year}, {QStringLiteral("month"), c.month.month}});
            const bool deletesFrom = held.next() && held.value(0).toInt() > 0;
            if ((writesInto || deletesFrom) &&
                std::find(changed.begin(), changed.end(), c.month) == changed.end())
                changed.push_back(c.month);
        }
    }
    std::sort(changed.begin(), changed.end());
    return changed;
}

ImportStepResult LegacyImport::runStep(int number, const ImportStep& step) {
    ImportStepResult result{step.sourceTable, step.targetTable};
    const SourcePlace place = step.fromMainConnection ? locateSource(step) : SourcePlace{};
    if (place.isTarget) {
        // Copying the table onto itself would first delete what it is about to copy.
        result.skipped = true;
        result.rowsBefore = countRows(m_target, step.targetTable);
        report(QStringLiteral("%1: пропущено, это сама таблица %2").arg(step.sourceTable, step.targetTable),
               true);
        return result;
    }
    const QSqlDatabase source = step.fromMainConnection ? m_main : m_source;
    const qint64 total = countRows(source, step.sourceTable);
    report(progressText(step.sourceTable, 0, total), true);

    Transaction transaction(m_target);
    transaction.lock(LockSpace::LegacyImport, number);
    // Other workstations' writes into the table wait for the step: a row they added meanwhile would
    // take a key the step is about to copy, as the key sequence moves past the copied keys only
    // at the end. Reading goes on.
    if (step.copiesKeys)
        runStatement(m_target, QStringLiteral("lock table %1 in exclusive mode").arg(step.keyTable));
    result.rowsBefore = countRows(m_target, step.targetTable);
    // The change log gets one row for the table, written below, instead of one per row.
    beginBulkWrite(m_target);
    // Rows with keys of 0 and below are kept: they are not the earlier database's.
    runStatement(m_target, QStringLiteral("delete from %1 where id>0").arg(step.targetTable));
    result.rowsCopied = place.inTargetDatabase.isEmpty() ? copyThroughClient(step, source, total)
                                                         : copyOnServer(step, place.inTargetDatabase, total);
    report(progressText(step.sourceTable, result.rowsCopied, total), true);
    if (step.targetTable == QLatin1String("accounts_dep.smena"))
        refuseRecordsBeyondLimits(m_target, step);
    if (step.copiesKeys)
        followKeySequence(step);
    QString sourceName = step.sourceTable;
    if (!source.databaseName().isEmpty())
        sourceName = source.databaseName() + QLatin1Char(':') + step.sourceTable;
    logBulkWrite(m_target, step.targetTable.section(QLatin1Char('.'), -1), changekind::kImported,
                 {{QStringLiteral("rows"), result.rowsBefore}},
                 {{QStringLiteral("rows"), countRows(m_target, step.targetTable)},
                  {QStringLiteral("source"), sourceName}});
    transaction.commit();
    return result;
}

// Reads the source's rows and writes them into the target a batch at a time.
qint64 LegacyImport::copyThroughClient(const ImportStep& step, const QSqlDatabase& source, qint64 total) {
    const QString select = QStringLiteral("select %1 from %2%3")
                               .arg(step.columnNames().join(QStringLiteral(", ")), step.sourceTable,
                                    step.copiesKeys ? QStringLiteral(" order by id") : QString());
    sqltrace::record(select);

    const int columnCount = int(step.columns.size());
    BatchInsert insert(m_target, step.targetTable, step.columnNames());
    QVariantList read(columnCount);
    QVariantList row(columnCount);
    const int keyColumn = int(step.columnNames().indexOf(QStringLiteral("id")));
    qint64 rowNumber = 0;
    auto add = [&] {
        ++rowNumber;
        const QString rowKey = keyColumn >= 0 && !read[keyColumn].isNull()
                                   ? QStringLiteral("id %1").arg(read[keyColumn].toString())
                                   : QStringLiteral("строка %1").arg(rowNumber);
        for (int c = 0; c < columnCount; ++c)
            row[c] = convertValue(read[c], step.columns[size_t(c)], step, rowKey);
        if (insert.add(row))
            report(progressText(step.sourceTable, insert.rowsWritten(), total), false);
    };
    if (step.fromMainConnection) {
        // The program's own database: its values come with their types.
        QSqlQuery rows(source);
        rows.setForwardOnly(true);
        if (!rows.exec(select))
            throw DbError(errorText(rows.lastError()));
        while (rows.next()) {
            for (int c = 0; c < columnCount; ++c)
                read[c] = rows.value(c);
            add();
        }
        if (rows.lastError().isValid())
            throw DbError(errorText(rows.lastError()));
    } else {
        OdbcTextRows rows(source, select, columnCount);
        while (rows.next(read))
            add();
    }
    insert.finish();
    return insert.rowsWritten();
}

// The source lies in the target's database: the server copies the rows itself, in portions of
// ascending ids so that the progress moves, and at the end the rows without an id, which the
// target refuses with its own message.
qint64 LegacyImport::copyOnServer(const ImportStep& step, const QString& source, qint64 total) {
    const QString columns = step.columnNames().join(QStringLiteral(", "));
    const QString copyPortion =
        QStringLiteral("with copied as (insert into %1 (%2) select %2 from %3 "
                       "where id > cast(:after as bigint) order by id limit %4 returning id) "
                       "select count(*), max(id) from copied")
            .arg(step.targetTable, columns, source)
            .arg(BatchInsert::kRowsPerStatement * 10);
    qint64 copied = 0;
    QVariant after = std::numeric_limits<qint64>::min();
    for (;;) {
        QSqlQuery portion = runStatement(m_target, copyPortion, {{QStringLiteral("after"), after}});
        if (!portion.next() || portion.value(0).toLongLong() == 0)
            break;
        copied += portion.value(0).toLongLong();
        after = portion.value(1).toLongLong();
        report(progressText(step.sourceTable, copied, total), false);
    }
    copied += runStatement(m_target, QStringLiteral("insert into %1 (%2) select %2 from %3 where id is null")
                                         .arg(step.targetTable, columns, source))
                  .numRowsAffected();
    return copied;
}

// The key sequence is moved past the largest copied id, so that rows added afterwards get keys
// of their own; it never moves back. Needs the right to update the sequence, nothing more.
void LegacyImport::followKeySequence(const ImportStep& step) {
    runStatement(
        m_target,
        QStringLiteral(
            "select setval(s.seq, cast(greatest((select max(id) from %1), nextval(s.seq)) as bigint)) from "
            "(select cast(pg_get_serial_sequence(:table, 'id') as regclass) as seq) s "
            "where s.seq is not null")
            .arg(step.keyTable),
        {{QStringLiteral("table"), step.keyTable}});
}

// Where the program's connection finds the source under its name: in the target's database
// (the same cluster and database) or elsewhere, and whether it is the target table itself.
LegacyImport::SourcePlace LegacyImport::locateSource(const ImportStep& step) {
    const QString place = QStringLiteral(
        "select (select system_identifier from pg_control_system())::text || '/' || current_database(), "
        "(select quote_ident(n.nspname) || '.' || quote_ident(c.relname) from pg_class c "
        "join pg_namespace n on n.oid = c.relnamespace where c.oid = to_regclass(:table))");
    QSqlQuery main = runStatement(m_main, place, {{QStringLiteral("table"), step.sourceTable}});
    QSqlQuery target = runStatement(m_target, place, {{QStringLiteral("table"), step.targetTable}});
    SourcePlace result;
    if (!main.next() || !target.next() || main.value(0).toString() != target.value(0).toString() ||
        main.value(1).isNull())
        return result;
    result.inTargetDatabase = main.value(1).toString();
    result.isTarget = result.inTargetDatabase == target.value(1).toString();
    return result;
}
