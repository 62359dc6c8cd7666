// A small workshop for the timesheet tests, March 2024 (31 days; the 2nd is a Saturday), with
// figures worked out by hand:
//
// Workers: 1 Алексеев А.А., 2 Борисов Б.Б., 3 Васильев В.В., 4 Григорьев Г.Г. (overtime only).
// Work records of March (shift, day, hours, made, rejects, price → amount):
//   1: shift 1  2nd 0h 1×5 = 5;  4th 8h 10×10 = 100;  5th 10h 5×20 = 100;  shift 2  4th 3h 3×10 = 30
//   2: shift 3  6th 8h 8×10 = 80;  31st 4h 1×10 = 10
//   4: shift 4  7th 2h 2×15 = 30
// and worker 2's records of 29 February and 1 April, which March leaves out.
// Maintenance (7777) and average-rate (7778) records of March (hours × price per hour):
//   1: 7777 day 11th 8×20, 12th 4×20; 7777 night 13th 6×30
//   2: 7778 day 31st 3×40
//   3: 7777 day 11th 8×15; 7778 day 14th 2×50; 7778 night 15th 0×50
// and worker 1's 7777 record of 1 April.
// Workshop totals of March: journal 355, maintenance 540, average rate 220, all 1115.
#pragma once

#include "support/TestSupport.h"

#include <QDate>
#include <QStringList>

inline void loadTimesheetFixture(TestDatabase& db) {
    db.exec("insert into accounts_dep.person (id, fio) values (1, 'Алексеев А.А.'), (2, 'Борисов Б.Б.'), "
            "(3, 'Васильев В.В.'), (4, 'Григорьев Г.Г.')");
    const QStringList records{"('02.03.2024', 1, 1, 0, 1, 5)",   "('04.03.2024', 1, 1, 8, 10, 10)",
                              "('05.03.2024', 1, 1, 10, 5, 20)", "('04.03.2024', 2, 1, 3, 3, 10)",
                              "('06.03.2024', 3, 2, 8, 8, 10)",  "('31.03.2024', 3, 2, 4, 1, 10)",
                              "('07.03.2024', 4, 4, 2, 2, 15)",  "('29.02.2024', 1, 2, 8, 8, 10)",
                              "('01.04.2024', 1, 2, 8, 8, 10)"};
    for (const QString& r : records)
        db.exec("insert into accounts_dep.smena (data, smena, w_id, time, kol_vo, cena, brak, i_id, o_id, "
                "color, ok, vvod, prize) select d::date, s, w, t, k, c, 0, 5, 42, 0, 'ok', d::timestamp, 0 "
                "from (values " +
                r + ") v(d, s, w, t, k, c)");
    db.exec(
        "insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, "
        "i_holiday, i_night) values "
        "(1, 7777, 2, '11.03.2024', 3, 2024, 1, 8, 20, 0, 0), (1, 7777, 2, '12.03.2024', 3, 2024, 1, 4, 20, "
        "0, 0), "
        "(1, 7777, 2, '13.03.2024', 3, 2024, 3, 6, 30, 0, 1), (2, 7778, 2, '31.03.2024', 3, 2024, 1, 3, 40, "
        "1, 0), "
        "(3, 7777, 2, '11.03.2024', 3, 2024, 1, 8, 15, 0, 0), (3, 7778, 2, '14.03.2024', 3, 2024, 1, 2, 50, "
        "0, 0), "
        "(3, 7778, 2, '15.03.2024', 3, 2024, 3, 0, 50, 0, 1), (1, 7777, 2, '01.04.2024', 4, 2024, 1, 8, 100, "
        "0, 0)");
}

// The month's timesheet rows as sorted text lines: identity and the 31 days ("-" for none).
inline QString timesheetRows(TestDatabase& db, int month, int year) {
    QStringList columns{"w_id", "smena", "i_type", "i_night"};
    for (int d = 1; d <= 31; ++d)
        columns << QString("coalesce(d%1::text, '-')").arg(d);
    return db
        .scalar(
            QString("select coalesce(string_agg(r, E'\\n' order by r), '') from (select concat_ws(',', %1) r "
                    "from accounts_dep.h_tabel where month=%2 and year=%3) x")
                .arg(columns.join(", "))
                .arg(month)
                .arg(year))
        .toString();
}
