// The import from the earlier database, step by step.
#include "import/LegacyImport.h"

#include "data/Sql.h"
#include "data/Transaction.h"
#include "import/BatchInsert.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <limits>

namespace {

qint64 countRows(const QSqlDatabase& db, const QString& table) {
    QSqlQuery q = runStatement(db, QStringLiteral("select count(*) from ") + table);
    return q.next() ? q.value(0).toLongLong() : 0;
}

// A value of the source converted for its target column; throws DbError when it cannot be.
QVariant convertValue(const QVariant& value, const ImportColumn& column) {
    const bool empty = value.isNull();
    bool ok = true;
    QVariant out;
    switch (column.kind) {
    case ValueKind::WholeNumberOrZero:
        if (empty)
            return 0;
        [[fallthrough]];
    case ValueKind::WholeNumber: {
        if (empty)
            return QVariant(QMetaType::fromType<int>());
        const qlonglong n = value.toLongLong(&ok);
        ok = ok && n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max();
        out = static_cast<int>(n);
        break;
    }
    case ValueKind::FloatNumber:
        if (empty)
            return QVariant(QMetaType::fromType<double>());
        out = value.toDouble(&ok);
        break;
    case ValueKind::Text:
        return empty ? QVariant(QMetaType::fromType<QString>()) : QVariant(value.toString());
    case ValueKind::Typed:
        return value;
    }
    if (!ok)
        throw DbError(QStringLiteral("значение '%1' столбца %2 не число").arg(value.toString(), column.name));
    return out;
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
    result.rowsBefore = countRows(m_target, step.targetTable);
    // Rows with keys of 0 and below are kept: they are not the earlier database's.
    runStatement(m_target, QStringLiteral("delete from %1 where id>0").arg(step.targetTable));
    result.rowsCopied = place.inTargetDatabase.isEmpty() ? copyThroughClient(step, source, total)
                                                         : copyOnServer(step, place.inTargetDatabase, total);
    report(progressText(step.sourceTable, result.rowsCopied, total), true);
    if (step.copiesKeys)
        followKeySequence(step);
    transaction.commit();
    return result;
}

// Reads the source's rows and writes them into the target a batch at a time.
qint64 LegacyImport::copyThroughClient(const ImportStep& step, const QSqlDatabase& source, qint64 total) {
    QSqlQuery read(source);
    read.setForwardOnly(true);
    const QString select = QStringLiteral("select %1 from %2%3")
                               .arg(step.columnNames().join(QStringLiteral(", ")), step.sourceTable,
                                    step.copiesKeys ? QStringLiteral(" order by id") : QString());
    sqltrace::record(select);
    if (!read.exec(select))
        throw DbError(errorText(read.lastError()));

    const int columnCount = int(step.columns.size());
    BatchInsert insert(m_target, step.targetTable, step.columnNames());
    QVariantList row(columnCount);
    while (read.next()) {
        for (int c = 0; c < columnCount; ++c)
            row[c] = convertValue(read.value(c), step.columns[size_t(c)]);
        if (insert.add(row))
            report(progressText(step.sourceTable, insert.rowsWritten(), total), false);
    }
    if (read.lastError().isValid())
        throw DbError(errorText(read.lastError()));
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
