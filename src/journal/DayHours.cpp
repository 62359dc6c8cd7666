// Day-hours upkeep: a worker's hours of one day and shift written into the timesheet.
#include "journal/DayHours.h"

#include "data/Database.h"

void writeDayHours(Database& db, int workerId, int shift, const QDate& day, bool insertMissing) {
    const int month = day.month();
    const int year = day.year();
    int rows = 1;
    if (insertMissing)
        rows = db.readValue(
                     QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel where w_id=%1 and "
                                    "smena=%2 and month=%3 and year=%4")
                         .arg(workerId)
                         .arg(shift)
                         .arg(month)
                         .arg(year))
                   .toInt();
    const int hours =
        db.readValue(
              QStringLiteral("select sum(time) as tim from accounts_dep.smena where w_id=%1 and smena=%2 and "
                             "data=to_date('%3', 'DD.MM.YYYY') group by w_id, smena, data")
                  .arg(workerId)
                  .arg(shift)
                  .arg(day.toString(QStringLiteral("dd.MM.yyyy"))))
            .toInt();
    if (rows != 0)
        db.execute(QStringLiteral("update accounts_dep.h_tabel set d%1=%2 where w_id=%3 and smena=%4 and "
                                  "month=%5 and year=%6")
                       .arg(day.day())
                       .arg(hours)
                       .arg(workerId)
                       .arg(shift)
                       .arg(month)
                       .arg(year));
    else
        db.execute(QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, d%1) "
                                  "values(%2, %3, %4, %5, %6)")
                       .arg(day.day())
                       .arg(shift)
                       .arg(workerId)
                       .arg(month)
                       .arg(year)
                       .arg(hours));
}
