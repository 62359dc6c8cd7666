// Day-hours upkeep: a worker's hours of one day written into the timesheet, for both kinds of rows.
#include "records/DayHours.h"

#include "data/Database.h"
#include "records/MaintenanceEntry.h"
#include "records/Refusal.h"

#include <algorithm>

namespace {

// What tells the two kinds of rows apart: the statements that sum a day's hours from the records,
// count the row, update its day column and insert it (%1 stands for the day column), and the
// values they are bound to.
struct RowStatements {
    QString sum;
    QString count;
    QString update;
    QString insert;
};

const RowStatements& statementsOf(TimesheetRowsKind kind) {
    static const RowStatements shifts{
        QStringLiteral("select sum(time::bigint) as tim from accounts_dep.smena where w_id=:w_id and "
                       "smena=:smena and data=:data group by w_id, smena, data"),
        QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel where w_id=:w_id "
                       "and smena=:smena and month=:month and year=:year"),
        QStringLiteral("update accounts_dep.h_tabel set %1=:hours where w_id=:w_id and smena=:smena and "
                       "month=:month and year=:year"),
        QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, %1) "
                       "values(:smena, :w_id, :month, :year, :hours)")};
    static const RowStatements maintenance{
        QStringLiteral("select coalesce(sum(f.cnt), 0) as tim from accounts_dep.fatigue f where "
                       "f.id_p=:worker and f.id_o=:type and f.i_night=:night and f.d_date=:day"),
        QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel where w_id=:worker and "
                       "i_type=:type and month=:month and year=:year and i_night=:night"),
        QStringLiteral("update accounts_dep.h_tabel set %1=:hours where w_id=:worker and i_type=:type and "
                       "month=:month and year=:year and i_night=:night"),
        QStringLiteral("insert into accounts_dep.h_tabel(i_type, w_id, month, year, %1, i_night) "
                       "values(:type, :worker, :month, :year, :hours, :night)")};
    return kind == TimesheetRowsKind::Shifts ? shifts : maintenance;
}

// The values the cell's statements are bound to: the row's identity, its month and the day.
Params paramsOf(const DayHoursCell& cell) {
    Params p{{QStringLiteral("month"), cell.day.month()}, {QStringLiteral("year"), cell.day.year()}};
    if (cell.kind == TimesheetRowsKind::Shifts) {
        p.insert(QStringLiteral("w_id"), cell.workerId);
        p.insert(QStringLiteral("smena"), cell.shift);
        p.insert(QStringLiteral("data"), cell.day);
    } else {
        p.insert(QStringLiteral("worker"), cell.workerId);
        p.insert(QStringLiteral("type"), cell.type);
        p.insert(QStringLiteral("night"), int(cell.night));
        p.insert(QStringLiteral("day"), cell.day);
    }
    return p;
}

} // namespace

DayHoursCell DayHoursCell::shiftRow(int workerId, int shift, const QDate& day) {
    return {TimesheetRowsKind::Shifts, workerId, shift, 0, false, day};
}

DayHoursCell DayHoursCell::maintenanceRow(int workerId, int type, bool night, const QDate& day) {
    return {TimesheetRowsKind::Maintenance, workerId, 0, type, night, day};
}

qint64 DayHoursCell::lockKey() const {
    // Sixteen places per worker: the shifts 1 to 4 in the low ones, the maintenance rows from 8
    // on (the average-rate type 2 further, night work 1 further).
    const int place =
        kind == TimesheetRowsKind::Shifts ? shift : 8 + (type == kAverageRateWork ? 2 : 0) + (night ? 1 : 0);
    return monthKey(qint64(workerId) * 16 + place, day.year(), day.month());
}

void lockDayHours(Transaction& transaction, const std::vector<DayHoursCell>& cells) {
    // Shared locks never wait for each other, so their order does not matter.
    for (const DayHoursCell& c : cells)
        transaction.lockShared(LockSpace::TimesheetRebuild,
                               rebuildLockKey(c.kind, c.day.year(), c.day.month()));
    std::vector<qint64> keys;
    for (const DayHoursCell& c : cells)
        keys.push_back(c.lockKey());
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    for (qint64 key : keys)
        transaction.lock(LockSpace::DayHours, key);
}

void writeDayHours(Transaction& transaction, Database& db, const DayHoursCell& cell, bool insertMissing) {
    lockDayHours(transaction, {cell});
    const RowStatements& statements = statementsOf(cell.kind);
    Params values = paramsOf(cell);
    // Read as a 64-bit number: a sum past the 32-bit range must be refused, not wrap round.
    const qint64 hours = db.readValue(statements.sum, values).toLongLong();
    if (hours < 0 || hours > kMaxDayHours)
        throw Refusal(QStringLiteral("Часы работника за %1 в сумме (%2) не помещаются в табель: не больше %3 "
                                     "за день. Ничего не записано.")
                          .arg(cell.day.toString(QStringLiteral("dd.MM.yyyy")))
                          .arg(hours)
                          .arg(kMaxDayHours));
    values.insert(QStringLiteral("hours"), int(hours));
    const qint64 rows = insertMissing ? db.readValue(statements.count, values).toLongLong() : 1;
    const QString column = QStringLiteral("d%1").arg(cell.day.day());
    db.execute((rows != 0 ? statements.update : statements.insert).arg(column), values);
}

void writeDayHours(Transaction& transaction, Database& db, int workerId, int shift, const QDate& day,
                   bool insertMissing) {
    writeDayHours(transaction, db, DayHoursCell::shiftRow(workerId, shift, day), insertMissing);
}
