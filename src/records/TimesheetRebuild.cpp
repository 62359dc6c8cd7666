// Rebuilding a month's timesheet rows from their records.
#include "records/TimesheetRebuild.h"

#include "data/Database.h"
#include "data/Transaction.h"
#include "records/ChangeLog.h"
#include "records/ClosedMonths.h"

namespace {

// What distinguishes the two kinds of rows: which rows are theirs, how a day's records are
// grouped into rows, and which columns identify a row.
struct RowKind {
    QString ownRows;   // condition on h_tabel
    QString dayGroups; // one row per identity with the day's hours tim, parameter :day
    QStringList keys;  // identifying columns, named alike in h_tabel and in the groups
};

RowKind rowKind(TimesheetRows rows) {
    if (rows == TimesheetRows::Shifts)
        return {QStringLiteral("smena>0"),
                QStringLiteral("select w_id, smena, coalesce(sum(time),0) as tim from accounts_dep.smena "
                               "where data=:day and smena>0 and w_id is not null group by w_id, smena"),
                {QStringLiteral("w_id"), QStringLiteral("smena")}};
    return {
        QStringLiteral("smena=0"),
        QStringLiteral("select id_p::integer as w_id, id_o::integer as i_type, coalesce(i_night,0) as "
                       "i_night, coalesce(sum(cnt),0) as tim from accounts_dep.fatigue where d_date=:day and "
                       "id_p is not null and id_o is not null group by 1, 2, 3"),
        {QStringLiteral("w_id"), QStringLiteral("i_type"), QStringLiteral("i_night")}};
}

// One statement per day: the rows that exist get the day's hours, the others are inserted.
QString dayStatement(const RowKind& kind, int day) {
    QStringList match, keysOfU;
    for (const QString& k : kind.keys) {
        match << QStringLiteral("h.%1=g.%1").arg(k);
        keysOfU << QStringLiteral("u.%1=g.%1").arg(k);
    }
    const QString dayColumn = QStringLiteral("d%1").arg(day);
    return QStringLiteral("with g as (%1), "
                          "u as (update accounts_dep.h_tabel h set %2=g.tim from g where %3 and h.%4 and "
                          "h.month=:month and h.year=:year returning h.%5) "
                          "insert into accounts_dep.h_tabel(%6, month, year, %2) "
                          "select g.%7, cast(:month as integer), cast(:year as integer), g.tim from g "
                          "where not exists (select 1 from u where %8)")
        .arg(kind.dayGroups, dayColumn, match.join(QStringLiteral(" and ")), kind.ownRows,
             kind.keys.join(QStringLiteral(", h.")), kind.keys.join(QStringLiteral(", ")),
             kind.keys.join(QStringLiteral(", g.")), keysOfU.join(QStringLiteral(" and ")));
}

} // namespace

void rebuildTimesheetRows(Database& db, TimesheetRows rows, int year, int month,
                          const std::function<void(int day)>& progress) {
    const RowKind kind = rowKind(rows);
    const Params period{{QStringLiteral("month"), month}, {QStringLiteral("year"), year}};
    Transaction transaction(db);
    refuseClosedMonths(transaction, db, std::vector<YearMonth>{YearMonth{year, month}});
    transaction.lock(LockSpace::TimesheetRebuild,
                     rebuildLockKey(static_cast<TimesheetRowsKind>(rows), year, month));
    const int rowsBefore =
        db.execute(QStringLiteral("delete from accounts_dep.h_tabel where %1 and month=:month and year=:year")
                       .arg(kind.ownRows),
                   period);
    const int days = QDate(year, month, 1).daysInMonth();
    for (int day = 1; day <= days; ++day) {
        Params values = period;
        values.insert(QStringLiteral("day"), QDate(year, month, day));
        db.execute(dayStatement(kind, day), values);
        if (progress)
            progress(day);
    }
    // One row of the change log for the whole month of that kind, not one per timesheet row.
    const QVariant rowsAfter = db.readValue(
        QStringLiteral("select count(*) from accounts_dep.h_tabel where %1 and month=:month and year=:year")
            .arg(kind.ownRows),
        period);
    logBulkWrite(
        db.connection().database(), QStringLiteral("h_tabel"), changekind::kRebuilt,
        {{QStringLiteral("rows"), rowsBefore}},
        {{QStringLiteral("rows"), rowsAfter.toInt()},
         {QStringLiteral("month"), YearMonth{year, month}.text()},
         {QStringLiteral("kind"),
          rows == TimesheetRows::Shifts ? QStringLiteral("смены") : QStringLiteral("ремонтные работы")}});
    transaction.commit();
}
