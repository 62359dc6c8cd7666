// Maintenance and average-rate entries: the price rule, the save and the delete with the
// worker's hours of the day in the timesheet.
#include "maintenance/MaintenanceEntry.h"

#include "data/Database.h"
#include "data/Format.h"
#include "data/Transaction.h"

#include <algorithm>
#include <vector>

namespace {

// Who, which type and flag, which day: the timesheet row and day column an entry counts in.
struct HoursCell {
    int workerId = 0;
    int type = 0;
    bool night = false;
    QDate date;

    bool operator==(const HoursCell&) const = default;
    Params params() const {
        return {{QStringLiteral("worker"), workerId},  {QStringLiteral("type"), type},
                {QStringLiteral("night"), int(night)}, {QStringLiteral("month"), date.month()},
                {QStringLiteral("year"), date.year()}, {QStringLiteral("day"), date}};
    }
    // One lock per worker, type, flag and month: saves of the same row wait for each other.
    qint64 lockKey() const {
        return monthKey(qint64(workerId) * 4 + (type == kAverageRateWork ? 2 : 0) + (night ? 1 : 0),
                        date.year(), date.month());
    }
};

HoursCell cellOf(const MaintenanceEntry& e) {
    return {e.workerId, e.type, e.night, e.date};
}

// Takes the locks of the cells in one order, so that two saves never wait for each other
// crosswise.
void lockCells(Transaction& tx, std::vector<HoursCell> cells) {
    std::vector<qint64> keys;
    for (const HoursCell& c : cells)
        keys.push_back(c.lockKey());
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    // A rebuild of the month's maintenance rows under way is waited for: it would overwrite the
    // day. Shared locks never wait for each other, so their order does not matter.
    for (const HoursCell& c : cells)
        tx.lockShared(LockSpace::TimesheetRebuild,
                      rebuildLockKey(TimesheetRowsKind::Maintenance, c.date.year(), c.date.month()));
    for (qint64 key : keys)
        tx.lock(LockSpace::MaintenanceHours, key);
}

// The cell's day total summed from the entries, written into the day column of the worker's
// timesheet row of that type, flag and month; with insertMissing a missing row is created.
void writeDayHours(Database& db, const HoursCell& cell, bool insertMissing) {
    const Params p = cell.params();
    const QString rowCondition =
        QStringLiteral("w_id=:worker and i_type=:type and month=:month and year=:year and i_night=:night");
    // Read as 64-bit: a sum past the 32-bit range must be refused, not wrap round.
    const qint64 hours = db.readValue(QStringLiteral("select coalesce(sum(f.cnt), 0) as tim from "
                                                     "accounts_dep.fatigue f where f.id_p=:worker and "
                                                     "f.id_o=:type and f.i_night=:night and f.d_date=:day"),
                                      p)
                             .toLongLong();
    if (hours > kMaxDayHours)
        throw DbError(QStringLiteral("За день набирается %1 ч., а табель вмещает не больше %2 ч. в день.")
                          .arg(hours)
                          .arg(kMaxDayHours));
    const QString column = QStringLiteral("d%1").arg(cell.date.day());
    Params values = p;
    values.remove(QStringLiteral("day"));
    values.insert(QStringLiteral("hours"), hours);
    const int rows = insertMissing ? db.readValue(QStringLiteral("select count(w_id) as cnt from "
                                                                 "accounts_dep.h_tabel where ") +
                                                      rowCondition,
                                                  values)
                                         .toInt()
                                   : 1;
    if (rows != 0)
        db.execute(QStringLiteral("update accounts_dep.h_tabel set %1=:hours where ").arg(column) +
                       rowCondition,
                   values);
    else
        db.execute(QStringLiteral("insert into accounts_dep.h_tabel(i_type, w_id, month, year, %1, i_night) "
                                  "values(:type, :worker, :month, :year, :hours, :night)")
                       .arg(column),
                   values);
}

} // namespace

MaintenanceEntry MaintenanceEntry::fromDayListRow(const Dataset& dayList) {
    MaintenanceEntry e;
    if (dayList.isEmpty())
        return e;
    e.id = dayList.fieldByName(QStringLiteral("id")).asInteger();
    e.workerId = dayList.fieldByName(QStringLiteral("id_p")).asInteger();
    e.workerName = dayList.fieldByName(QStringLiteral("fio")).asString();
    e.groupId = dayList.fieldByName(QStringLiteral("id_nom")).asLargeInt();
    e.groupName = dayList.fieldByName(QStringLiteral("s_caption")).asString();
    e.type = dayList.fieldByName(QStringLiteral("id_o")).asInteger();
    e.date = dayList.fieldByName(QStringLiteral("d_date")).asDate();
    e.hours = dayList.fieldByName(QStringLiteral("cnt")).asInteger();
    e.price = dayList.fieldByName(QStringLiteral("price")).asFloat();
    e.dayOff = dayList.fieldByName(QStringLiteral("i_holiday")).asInteger() != 0;
    e.night = dayList.fieldByName(QStringLiteral("i_night")).asInteger() != 0;
    return e;
}

double hourlyPrice(double normPrice, bool dayOff, bool night) {
    double price = normPrice;
    if (dayOff)
        price *= 2;
    if (night)
        price *= 1.2;
    return price;
}

void saveMaintenanceEntry(Database& db, const MaintenanceEntry& entry, const MaintenanceEntry* before) {
    const bool change = entry.id != 0;
    // A change keeps the row's date: the day it counts in is the one it was saved on.
    MaintenanceEntry saved = entry;
    if (change && before)
        saved.date = before->date;
    const HoursCell cell = cellOf(saved);
    const bool moved = change && before && cellOf(*before) != cell;

    Transaction tx(db);
    lockCells(tx, moved ? std::vector<HoursCell>{cell, cellOf(*before)} : std::vector<HoursCell>{cell});
    // The price goes in as the database reads it: rounded to the column's 4 decimals.
    const Params values{{QStringLiteral("id"), saved.id},
                        {QStringLiteral("item"), saved.groupId},
                        {QStringLiteral("type"), saved.type},
                        {QStringLiteral("worker"), saved.workerId},
                        {QStringLiteral("day"), saved.date},
                        {QStringLiteral("month"), saved.date.month()},
                        {QStringLiteral("year"), saved.date.year()},
                        {QStringLiteral("hours"), saved.hours},
                        {QStringLiteral("price"), formatGeneral(roundHalfEven(saved.price, 4))},
                        {QStringLiteral("holiday"), int(saved.dayOff)},
                        {QStringLiteral("night"), int(saved.night)}};
    if (!change)
        db.execute(
            QStringLiteral("INSERT INTO accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, "
                           "i_smena, cnt, price, i_holiday, i_night) VALUES(:item, :type, :worker, :day, "
                           ":month, :year, 1, :hours, cast(:price as numeric), :holiday, :night)"),
            values);
    else
        db.execute(QStringLiteral("UPDATE accounts_dep.fatigue SET id_nom=:item, id_o=:type, id_p=:worker, "
                                  "cnt=:hours, price=cast(:price as numeric), i_holiday=:holiday, "
                                  "i_night=:night where id=:id"),
                   values);
    writeDayHours(db, cell, true);
    if (moved)
        writeDayHours(db, cellOf(*before), false);
    tx.commit();
}

void deleteMaintenanceEntry(Database& db, const MaintenanceEntry& entry) {
    const HoursCell cell = cellOf(entry);
    Transaction tx(db);
    lockCells(tx, {cell});
    db.execute(QStringLiteral("delete from accounts_dep.fatigue where id=:id"),
               {{QStringLiteral("id"), entry.id}});
    writeDayHours(db, cell, false);
    tx.commit();
}
