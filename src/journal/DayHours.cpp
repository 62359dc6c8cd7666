// Day-hours upkeep: a worker's hours of one day and shift written into the timesheet.
#include "journal/DayHours.h"

#include "data/Database.h"
#include "data/Transaction.h"

void writeDayHours(Transaction& transaction, Database& db, int workerId, int shift, const QDate& day,
                   bool insertMissing) {
    const int month = day.month();
    const int year = day.year();
    // A rebuild of the month's shift rows under way is waited for: it would overwrite this day.
    transaction.lockShared(LockSpace::TimesheetRebuild,
                           rebuildLockKey(TimesheetRowsKind::Shifts, year, month));
    transaction.lock(LockSpace::DayHours, monthKey(workerId, year, month));
    const Params row{{QStringLiteral("w_id"), workerId},
                     {QStringLiteral("smena"), shift},
                     {QStringLiteral("month"), month},
                     {QStringLiteral("year"), year}};
    qint64 rows = 1;
    if (insertMissing)
        rows = db.readValue(
                     QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel where w_id=:w_id "
                                    "and smena=:smena and month=:month and year=:year"),
                     row)
                   .toLongLong();
    // Read as a 64-bit number: the sum of several large records overflows 32 bits.
    const qint64 hours =
        db.readValue(
              QStringLiteral("select sum(time::bigint) as tim from accounts_dep.smena where w_id=:w_id and "
                             "smena=:smena and data=:data group by w_id, smena, data"),
              {{QStringLiteral("w_id"), workerId},
               {QStringLiteral("smena"), shift},
               {QStringLiteral("data"), day}})
            .toLongLong();
    if (hours < 0 || hours > kMaxDayHours)
        throw DbError(QStringLiteral("Часы работника за %1 в сумме (%2) не помещаются в табель: не больше %3 "
                                     "за день. Ничего не записано.")
                          .arg(day.toString(QStringLiteral("dd.MM.yyyy")))
                          .arg(hours)
                          .arg(kMaxDayHours));
    Params values = row;
    values.insert(QStringLiteral("hours"), int(hours));
    const QString column = QStringLiteral("d%1").arg(day.day());
    if (rows != 0)
        db.execute(
            QStringLiteral("update accounts_dep.h_tabel set %1=:hours where w_id=:w_id and smena=:smena and "
                           "month=:month and year=:year")
                .arg(column),
            values);
    else
        db.execute(QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, %1) "
                                  "values(:smena, :w_id, :month, :year, :hours)")
                       .arg(column),
                   values);
}
