// Maintenance and average-rate entries: the price rule, the save and the delete with the
// worker's hours of the day in the timesheet.
#include "records/MaintenanceEntry.h"

#include "data/Database.h"
#include "data/Format.h"
#include "data/Transaction.h"
#include "records/ClosedMonths.h"
#include "records/DayHours.h"
#include "records/RecordLimits.h"
#include "records/Refusal.h"

namespace {

// The timesheet row and day column an entry counts in.
DayHoursCell cellOf(const MaintenanceEntry& e) {
    return DayHoursCell::maintenanceRow(e.workerId, e.type, e.night, e.date);
}

} // namespace

double hourlyPrice(double normPrice, bool dayOff, bool night) {
    double price = normPrice;
    if (dayOff)
        price *= 2;
    if (night)
        price *= 1.2;
    return price;
}

void saveMaintenanceEntry(Database& db, const MaintenanceEntry& entry, const MaintenanceEntry* before) {
    // The entry's amount, as the reports and timesheets sum it: hours times the hourly price.
    const QString tooLarge = recordAmountProblem(double(entry.hours) * roundHalfEven(entry.price, 4),
                                                 QStringLiteral("часы × цена"));
    if (!tooLarge.isEmpty())
        throw Refusal(tooLarge, QStringLiteral("hours"));
    const bool change = entry.id != 0;
    // A change keeps the row's date: the day it counts in is the one it was saved on.
    MaintenanceEntry saved = entry;
    if (change && before)
        saved.date = before->date;
    const DayHoursCell cell = cellOf(saved);
    const bool moved = change && before && cellOf(*before) != cell;

    Transaction tx(db);
    refuseClosedDays(tx, db, {saved.date, before ? before->date : QDate()});
    // Both rows are held before anything is written, in the one order of their keys.
    lockDayHours(tx,
                 moved ? std::vector<DayHoursCell>{cell, cellOf(*before)} : std::vector<DayHoursCell>{cell});
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
    writeDayHours(tx, db, cell, true);
    if (moved)
        writeDayHours(tx, db, cellOf(*before), false);
    tx.commit();
}

void deleteMaintenanceEntry(Database& db, const MaintenanceEntry& entry) {
    const DayHoursCell cell = cellOf(entry);
    Transaction tx(db);
    refuseClosedDays(tx, db, {entry.date});
    lockDayHours(tx, {cell});
    db.execute(QStringLiteral("delete from accounts_dep.fatigue where id=:id"),
               {{QStringLiteral("id"), entry.id}});
    writeDayHours(tx, db, cell, false);
    tx.commit();
}
