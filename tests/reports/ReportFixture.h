// A small workshop for the report tests, February 2025, with totals worked out by hand:
//
// Workers: 1 Алексеев А.А., 2 Борисов Б.Б. (piece work); 3 Васильев В.В. (maintenance only).
// Groups: 10 Корпуса, 20 Крышки. Products: 100 К-1 (2.5 kg, Корпуса), 101 К-2 (1 kg, Корпуса),
// 200 Кр-1 (0.5 kg, Крышки). Operation types: 1 Сварка, 2 Окраска.
// Operation prices: 11 Сварка/К-1 finished, 12 Окраска/К-1 finished, 13 Сварка/Кр-1 blank,
// 14 Сварка/К-2 finished.
//
// Work records of the period (made, rejects, price, colour, hours → net pieces, amount):
//   1 К-1 Сварка   12 2 10 c0 8h → 10, 100      1 К-1 Окраска 20 0 5 c1 4h → 20, 100
//   1 К-1 Окраска  10 0  5 c3 4h → 10,  50      1 Кр-1 Сварка 30 5 2 c0 6h → 25,  50 (blank)
//   2 К-1 Сварка    5 0 10 c0 3h →  5,  50      2 К-2 Сварка  10 1 4 c0 2h →  9,  36
// plus one record on 31.01 and one on 01.03 that the period leaves out.
// Maintenance (7777) and average piece rate (7778), hours × rate:
//   1: 7777 Корпуса day 8×20 = 160; 7778 Корпуса night 4×30 = 120
//   2: 7777 Крышки night 2×25 = 50;  3: 7777 Крышки day 10×15 = 150; one more on 01.03 left out.
#pragma once

#include "support/TestSupport.h"

#include <QDate>
#include <QStringList>

inline const QDate kFrom(2025, 2, 1);
inline const QDate kTo(2025, 3, 1);

inline void loadReportFixture(TestDatabase& db) {
    const QStringList sql{
        "insert into accounts_dep.person (id, fio, s_staffpos_hl) values (1, 'Алексеев А.А.', 'Сварщик'), "
        "(2, 'Борисов Б.Б.', 'Сварщик'), (3, 'Васильев В.В.', 'Слесарь')",
        "insert into cmn_classifier.item (id, id_level, s_caption) values (10, 2, 'Корпуса'), (20, 2, "
        "'Крышки')",
        "insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa, "
        "id_class_item) "
        "values (100, 'К-1', '', 6, 2.5, 10), (101, 'К-2', '', 6, 1, 10), (200, 'Кр-1', '', 6, 0.5, 20)",
        "insert into accounts_dep.vid_oper (id, vid) values (1, 'Сварка'), (2, 'Окраска'), (7777, 'Хоз. "
        "работы'), "
        "(7778, 'Ср. сдельная')",
        "insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (11, 1, 100, 0, 0), "
        "(12, 2, 100, 0, 0), (13, 1, 200, 1, 0), (14, 1, 101, 0, 0)",
        "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, ok, "
        "vvod, "
        "prize) values "
        "('03.02.2025', 1, 1, 100, 11, 10, 12, 2, 0, 8, 'ok', '03.02.2025', 0), "
        "('04.02.2025', 1, 1, 100, 12, 5, 20, 0, 1, 4, 'ok', '04.02.2025', 0), "
        "('05.02.2025', 1, 1, 100, 12, 5, 10, 0, 3, 4, 'no', '05.02.2025', 0), "
        "('06.02.2025', 2, 1, 200, 13, 2, 30, 5, 0, 6, 'ok', '06.02.2025', 0), "
        "('10.02.2025', 2, 2, 100, 11, 10, 5, 0, 0, 3, 'ok', '10.02.2025', 0), "
        "('11.02.2025', 1, 2, 101, 14, 4, 10, 1, 0, 2, 'ok', '11.02.2025', 0), "
        "('31.01.2025', 1, 1, 100, 11, 10, 100, 0, 0, 8, 'ok', '31.01.2025', 0), "
        "('01.03.2025', 1, 2, 100, 11, 10, 100, 0, 0, 8, 'ok', '01.03.2025', 0)",
        "insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, "
        "i_holiday, i_night) values "
        "(1, 7777, 10, '12.02.2025', 2, 2025, 1, 8, 20, 0, 0), "
        "(1, 7778, 10, '13.02.2025', 2, 2025, 3, 4, 30, 0, 1), "
        "(2, 7777, 20, '15.02.2025', 2, 2025, 3, 2, 25, 0, 1), "
        "(3, 7777, 20, '14.02.2025', 2, 2025, 1, 10, 15, 0, 0), "
        "(1, 7777, 10, '01.03.2025', 3, 2025, 1, 100, 100, 0, 0)",
        // Hours sheets of February: worker 1 shift 1 and maintenance, worker 2 shift 2,
        // worker 3 maintenance only; row totals 20, 5 and 10.
        "insert into accounts_dep.h_tabel (w_id, month, year, smena, i_type, i_night, d3, d4, d12) values "
        "(1, 2, 2025, 1, 0, 0, 8, 4, null), (1, 2, 2025, 0, 7777, 0, null, null, 8)",
        "insert into accounts_dep.h_tabel (w_id, month, year, smena, d10, d11) values (2, 2, 2025, 2, 3, 2)",
        "insert into accounts_dep.h_tabel (w_id, month, year, smena, i_type, d14) values (3, 2, 2025, 0, "
        "7777, 10)",
        "insert into accounts_dep.h_tabel (w_id, month, year, smena, d5) values (2, 3, 2025, 1, 8)",
    };
    for (const QString& s : sql)
        db.exec(s);
}
