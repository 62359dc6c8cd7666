// The change log: reading versions and the change list, restoring deleted records, and the
// summary rows of bulk writes.
#include "records/ChangeLog.h"

#include "data/Database.h"
#include "data/Transaction.h"
#include "records/ClosedMonths.h"
#include "records/DayHours.h"
#include "records/MaintenanceEntry.h"
#include "records/Refusal.h"
#include "records/WorkRecordStore.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <QSqlQuery>

namespace {

struct FieldTitle {
    const char* table;
    const char* column;
    const char* title;
};

// The fields the windows show, in the order they show them, with their grids' titles. Worker
// columns come first, as they are named by the worker's name.
const FieldTitle kFieldTitles[] = {
    {"smena", "w_id", "Фамилия И.О."},
    {"smena", "data", "Дата"},
    {"smena", "smena", "Смена"},
    {"smena", "i_id", "Изделие (код)"},
    {"smena", "o_id", "Расценка (код)"},
    {"smena", "cena", "Цена"},
    {"smena", "color", "Цвет"},
    {"smena", "time", "Часы"},
    {"smena", "kol_vo", "Кол-во"},
    {"smena", "brak", "Брак"},
    {"smena", "ok", "OK"},
    {"smena", "vvod", "Заведен"},
    {"fatigue", "id_p", "ФИО"},
    {"fatigue", "d_date", "Дата"},
    {"fatigue", "id_nom", "Номенклатура (код)"},
    {"fatigue", "id_o", "Работа (код)"},
    {"fatigue", "price", "Цена"},
    {"fatigue", "cnt", "Кол-во"},
    {"fatigue", "i_holiday", "Вых."},
    {"fatigue", "i_night", "Ноч."},
    {"norm", "o_id", "Расценка (код)"},
    {"norm", "norma", "Норма"},
    {"norm", "price", "Цена"},
    {"norm", "prize", "Премия"},
    {"oper", "vid", "Вид операции (код)"},
    {"oper", "i_id", "Изделие (код)"},
    {"oper", "naimen", "Наименование"},
    {"oper", "cena", "Цена"},
    {"oper", "cena_new", "Новая цена"},
};

bool isWorkerColumn(const QString& table, const QString& column) {
    return (table == QLatin1String("smena") && column == QLatin1String("w_id")) ||
           (table == QLatin1String("fatigue") && column == QLatin1String("id_p"));
}

// A value of a stored row as the windows write it: dates as 08.12.2026, numbers without a
// needless fraction, texts trimmed.
QString valueText(const QJsonValue& v) {
    if (v.isUndefined() || v.isNull())
        return {};
    if (v.isDouble()) {
        const double d = v.toDouble();
        return d == qint64(d) ? QString::number(qint64(d)) : QString::number(d, 'g', 15);
    }
    if (v.isBool())
        return v.toBool() ? QStringLiteral("да") : QStringLiteral("нет");
    const QString text = v.toString().trimmed();
    // Dates and timestamps as the server writes them into JSON: 2026-12-08 or 2026-12-08T10:00:00.
    const QDate day = QDate::fromString(text.left(10), Qt::ISODate);
    if (text.size() >= 10 && day.isValid() && text.at(4) == u'-') {
        const QDateTime at = QDateTime::fromString(text.left(19), Qt::ISODate);
        if (text.size() > 10 && at.isValid() && at.time() != QTime(0, 0))
            return at.toString(QStringLiteral("dd.MM.yyyy hh:mm"));
        return day.toString(QStringLiteral("dd.MM.yyyy"));
    }
    return text;
}

ChangeLogEntry entryOfRow(const QSqlQuery& q) {
    ChangeLogEntry e;
    e.id = q.value(0).toLongLong();
    e.at = q.value(1).toDateTime();
    e.userName = q.value(2).toString();
    e.workstation = q.value(3).toString();
    e.table = q.value(4).toString();
    e.rowId = q.value(5).toLongLong();
    e.action = q.value(6).toString();
    e.oldRow = QJsonDocument::fromJson(q.value(7).toString().toUtf8()).object();
    e.newRow = QJsonDocument::fromJson(q.value(8).toString().toUtf8()).object();
    return e;
}

const QString kEntryColumns = QStringLiteral(
    "id, at, user_name, workstation, table_name, row_id, action, old_row::text, new_row::text");

// A worker's name, or the code when the database no longer knows the worker.
QString workerName(Database& db, const QString& idText) {
    if (idText.isEmpty())
        return {};
    bool ok = false;
    const qint64 id = idText.toLongLong(&ok);
    if (!ok)
        return idText;
    const QVariant name =
        db.readValue(QStringLiteral("select trim(fio) from accounts_dep.person where id=:id"),
                     {{QStringLiteral("id"), id}});
    return name.isValid() && !name.toString().isEmpty() ? name.toString() : idText;
}

// The day of a stored row of the table.
QDate dayOf(const QString& table, const QJsonObject& row) {
    const QString column = table == kWorkRecordsTable ? QStringLiteral("data") : QStringLiteral("d_date");
    return QDate::fromString(row.value(column).toString().left(10), Qt::ISODate);
}

int intOf(const QJsonObject& row, const char* column) {
    const QJsonValue v = row.value(QLatin1String(column));
    return v.isDouble() ? int(v.toDouble()) : v.toString().trimmed().toInt();
}

// A field's value of one version (the JSON row `side`) as the list writes it: dates as 08.12.2026,
// workers by their names, other values as stored.
QString valueSql(const QString& side) {
    return QStringLiteral(
               "case when t.col in ('data', 'd_date', 'vvod') then to_char((%1->>t.col)::date, 'DD.MM.YYYY') "
               "when t.col in ('w_id', 'id_p') then coalesce((select trim(w.fio) from accounts_dep.person w "
               "where w.id::text = %1->>t.col), %1->>t.col) "
               "else trim(%1->>t.col) end")
        .arg(side);
}

} // namespace

bool historyInstalled(Database& db) {
    return historyInstalled(db.connection().database());
}

bool historyInstalled(const QSqlDatabase& connection) {
    QSqlQuery q =
        runStatement(connection, QStringLiteral("select to_regclass('accounts_dep.change_log') is not null"));
    return q.next() && q.value(0).toBool();
}

QString historyMissingText() {
    return QStringLiteral("Журнал изменений не установлен в базе данных. Администратору нужно применить "
                          "к базе файл db/history.sql (psql -v ON_ERROR_STOP=1 -d БАЗА -f db/history.sql).");
}

QString changeKindTitle(const QString& action) {
    if (action == changekind::kAdded)
        return QStringLiteral("добавлена");
    if (action == changekind::kChanged)
        return QStringLiteral("изменена");
    if (action == changekind::kAccepted)
        return QStringLiteral("принята");
    if (action == changekind::kDeleted)
        return QStringLiteral("удалена");
    if (action == changekind::kImported)
        return QStringLiteral("импорт");
    if (action == changekind::kRebuilt)
        return QStringLiteral("перестроение");
    return action;
}

std::vector<ChangeLogEntry> recordHistory(Database& db, const QString& table, qint64 rowId) {
    std::vector<ChangeLogEntry> entries;
    QSqlQuery q = runStatement(db.connection().database(),
                               QStringLiteral("select %1 from accounts_dep.change_log where table_name=:t "
                                              "and row_id=:id order by at, id")
                                   .arg(kEntryColumns),
                               {{QStringLiteral("t"), table}, {QStringLiteral("id"), rowId}});
    while (q.next())
        entries.push_back(entryOfRow(q));
    return entries;
}

std::vector<FieldChange> changedFields(Database& db, const ChangeLogEntry& entry) {
    std::vector<FieldChange> changes;
    for (const FieldTitle& f : kFieldTitles) {
        if (entry.table != QLatin1String(f.table))
            continue;
        const QString column = QString::fromLatin1(f.column);
        const QJsonValue before = entry.oldRow.value(column);
        const QJsonValue after = entry.newRow.value(column);
        if (!entry.oldRow.isEmpty() && !entry.newRow.isEmpty() && before == after)
            continue;
        QString beforeText = valueText(before);
        QString afterText = valueText(after);
        if (isWorkerColumn(entry.table, column)) {
            beforeText = workerName(db, beforeText);
            afterText = workerName(db, afterText);
        }
        if (beforeText.isEmpty() && afterText.isEmpty())
            continue;
        changes.push_back({QString::fromUtf8(f.title), beforeText, afterText});
    }
    return changes;
}

QString changesText(const std::vector<FieldChange>& changes) {
    QStringList parts;
    for (const FieldChange& c : changes) {
        if (!c.before.isEmpty() && !c.after.isEmpty())
            parts << QStringLiteral("%1: %2 → %3").arg(c.title, c.before, c.after);
        else
            parts << QStringLiteral("%1: %2").arg(c.title, c.before.isEmpty() ? c.after : c.before);
    }
    return parts.join(QStringLiteral("; "));
}

QString changeListSql(const ChangeListFilter& filter) {
    // What changed, worked out by the server from the two versions with the grids' titles: the
    // fields that differ for a change, the fields set for an addition or a deletion, the counts
    // of rows and the source for a bulk write.
    QStringList titles;
    for (const FieldTitle& f : kFieldTitles)
        titles << QStringLiteral("('%1', '%2', '%3', %4)")
                      .arg(QLatin1String(f.table), QLatin1String(f.column), QString::fromUtf8(f.title))
                      .arg(int(&f - kFieldTitles));
    const QString worker = QStringLiteral(
        "coalesce(l.new_row->>'w_id', l.old_row->>'w_id', l.new_row->>'id_p', l.old_row->>'id_p')");
    QString sql =
        QStringLiteral(
            "select l.id, l.table_name, l.action, l.at, l.user_name, l.workstation, "
            "case l.action when 'added' then 'добавлена' when 'changed' then 'изменена' "
            "when 'accepted' then 'принята' when 'deleted' then 'удалена' when 'imported' then 'импорт' "
            "when 'rebuilt' then 'перестроение' else l.action end as kind, "
            "case l.table_name when 'smena' then 'Журнал' when 'fatigue' then 'Ремонтные работы' "
            "when 'norm' then 'Нормы' when 'oper' then 'Расценки' when 'h_tabel' then 'Табель' "
            "else l.table_name end as place, "
            "trim(p.fio) as fio, l.row_id, "
            "case when l.row_id is null then "
            "  concat_ws('; ', 'строк: ' || coalesce(l.old_row->>'rows', '') || ' → ' || "
            "  coalesce(l.new_row->>'rows', ''), 'источник: ' || (l.new_row->>'source'), "
            "  'месяц: ' || (l.new_row->>'month'), 'вид: ' || (l.new_row->>'kind')) "
            "else (select string_agg(t.title || ': ' || case "
            "  when l.old_row is not null and l.new_row is not null then "
            "    coalesce(%3, '') || ' → ' || coalesce(%4, '') "
            "  else coalesce(%5, '') end, '; ' order by t.n) "
            "  from (values %1) t(tbl, col, title, n) "
            "  where t.tbl = l.table_name and (l.old_row is null or l.new_row is null "
            "    or (l.old_row->t.col) is distinct from (l.new_row->t.col)) "
            // An added or deleted record names its worker in its own column.
            "    and (l.old_row is not null and l.new_row is not null or t.col not in ('w_id', 'id_p')) "
            "    and coalesce(l.new_row, l.old_row)->>t.col is not null) end as changes "
            "from accounts_dep.change_log l "
            "left join accounts_dep.person p on p.id::text = %2 "
            "where l.at >= cast(:from as timestamptz) and l.at < cast(:to as timestamptz)")
            .arg(titles.join(QStringLiteral(", ")), worker, valueSql(QStringLiteral("l.old_row")),
                 valueSql(QStringLiteral("l.new_row")),
                 valueSql(QStringLiteral("coalesce(l.new_row, l.old_row)")));
    if (filter.workerId != 0)
        sql += QStringLiteral(" and %1 = :worker").arg(worker);
    if (!filter.userName.isEmpty())
        sql += QStringLiteral(" and l.user_name = :user");
    if (!filter.action.isEmpty())
        sql += QStringLiteral(" and l.action = :action");
    return sql + QStringLiteral(" order by l.at desc, l.id desc");
}

Params changeListParams(const ChangeListFilter& filter) {
    // The days begin at midnight of this computer's time zone, whatever the server's zone is: the
    // moments go with their offset.
    auto midnight = [](const QDate& day) {
        const QDateTime local = day.startOfDay();
        return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
    };
    Params params{{QStringLiteral("from"), midnight(filter.from)},
                  {QStringLiteral("to"), midnight(filter.to.addDays(1))}};
    if (filter.workerId != 0)
        params.insert(QStringLiteral("worker"), QString::number(filter.workerId));
    if (!filter.userName.isEmpty())
        params.insert(QStringLiteral("user"), filter.userName);
    if (!filter.action.isEmpty())
        params.insert(QStringLiteral("action"), filter.action);
    return params;
}

QStringList changeLogUsers(Database& db) {
    QStringList users;
    QSqlQuery q = runStatement(db.connection().database(),
                               QStringLiteral("select distinct user_name from accounts_dep.change_log "
                                              "order by user_name"));
    while (q.next())
        users << q.value(0).toString();
    return users;
}

void restoreDeleted(Database& db, qint64 logId) {
    Transaction transaction(db);
    QSqlQuery q =
        runStatement(db.connection().database(),
                     QStringLiteral("select %1 from accounts_dep.change_log where id=:id").arg(kEntryColumns),
                     {{QStringLiteral("id"), logId}});
    if (!q.next())
        throw Refusal(QStringLiteral("Такой записи в журнале изменений нет."));
    const ChangeLogEntry entry = entryOfRow(q);
    if (entry.action != changekind::kDeleted ||
        (entry.table != kWorkRecordsTable && entry.table != kMaintenanceTable) || entry.oldRow.isEmpty())
        throw Refusal(
            QStringLiteral("Восстановить можно только удалённую запись журнала или ремонтных работ."));
    const QDate day = dayOf(entry.table, entry.oldRow);
    refuseClosedDays(transaction, db, {day});
    const bool workRecord = entry.table == kWorkRecordsTable;
    const DayHoursCell cell =
        workRecord ? DayHoursCell::shiftRow(intOf(entry.oldRow, "w_id"), intOf(entry.oldRow, "smena"), day)
                   : DayHoursCell::maintenanceRow(intOf(entry.oldRow, "id_p"), intOf(entry.oldRow, "id_o"),
                                                  intOf(entry.oldRow, "i_night") != 0, day);
    lockDayHours(transaction, {cell});
    const QString row = QString::fromUtf8(QJsonDocument(entry.oldRow).toJson(QJsonDocument::Compact));
    // A record entered again after the deletion holds its place: the restore is refused as a
    // second entry of it would be.
    if (workRecord) {
        WorkRecord restored;
        restored.date = day;
        restored.shift = intOf(entry.oldRow, "smena");
        restored.workerId = intOf(entry.oldRow, "w_id");
        restored.productId = intOf(entry.oldRow, "i_id");
        restored.operationPriceId = intOf(entry.oldRow, "o_id");
        restored.colour = QString::number(intOf(entry.oldRow, "color"));
        WorkRecordStore(db).refuseDuplicate(restored, int(entry.rowId));
    }
    // The row with its own id; a row of that id that is there already (restored at another
    // workstation, perhaps at this very moment) leaves nothing inserted.
    const int inserted = db.execute(
        QStringLiteral(
            "insert into accounts_dep.%1 select * from "
            "jsonb_populate_record(null::accounts_dep.%1, cast(:row as jsonb)) on conflict (id) do nothing")
            .arg(entry.table),
        {{QStringLiteral("row"), row}});
    if (inserted == 0)
        throw Refusal(
            QStringLiteral("Запись уже восстановлена: запись с номером %1 есть в базе.").arg(entry.rowId));
    writeDayHours(transaction, db, cell, true);
    transaction.commit();
}

void beginBulkWrite(const QSqlDatabase& connection) {
    runStatement(connection, QStringLiteral("select set_config('tabel.bulk_write', 'on', true)"));
}

void logBulkWrite(const QSqlDatabase& connection, const QString& table, const QString& action,
                  const QJsonObject& before, const QJsonObject& after) {
    if (!historyInstalled(connection))
        return;
    runStatement(
        connection,
        QStringLiteral("select accounts_dep.log_bulk_change(:t, :a, cast(:before as jsonb), "
                       "cast(:after as jsonb))"),
        {{QStringLiteral("t"), table},
         {QStringLiteral("a"), action},
         {QStringLiteral("before"), QString::fromUtf8(QJsonDocument(before).toJson(QJsonDocument::Compact))},
         {QStringLiteral("after"), QString::fromUtf8(QJsonDocument(after).toJson(QJsonDocument::Compact))}});
}
