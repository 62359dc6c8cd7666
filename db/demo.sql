-- Demo and benchmark data: a believable metal-goods workshop.
--
-- Runs with psql after db/schema.sql in the same, otherwise empty database:
--     psql -v ON_ERROR_STOP=1 -d DB -f db/schema.sql -f db/demo.sql
-- Size, as psql variables (defaults in brackets):
--     workers  number of workers                                [40]
--     months   months of work records, ending with today's month [6]
-- e.g.  psql ... -v workers=300 -v months=36 -f db/demo.sql   (about a million
-- work records; db/bench.sql sets exactly that).
--
-- The data are the same on every run with the same size and the same day:
-- the random numbers come from a fixed seed, the calendar from current_date.
-- Everything is generated set-wise (INSERT ... SELECT), no row-by-row loops.

\set ON_ERROR_STOP on
\if :{?workers}
\else
\set workers 40
\endif
\if :{?months}
\else
\set months 6
\endif

SET client_min_messages = warning;
-- One process keeps the row order, and with it the random numbers, stable.
SET max_parallel_workers_per_gather = 0;
SET DateStyle = 'ISO, DMY';
-- Generated rows are nobody's change: the change log's row triggers (db/history.sql) leave out
-- the rows of a session that sets this marker.
SET tabel.bulk_write = 'demo';

BEGIN;

SELECT setseed(0.1975) \gset

-- ---------------------------------------------------------------------------
-- Departments, staff positions and roles offered by the worker editor
-- ---------------------------------------------------------------------------
INSERT INTO cmn_department.department (id, id_branch, id_parent, s_code, s_caption, s_description) VALUES
    (1, 1, NULL, '02',    'Цех металлоконструкций №2',  'Производственный цех'),
    (2, 1, 1,    '02-01', 'Заготовительный участок',    'Резка, гибка, штамповка'),
    (3, 1, 1,    '02-02', 'Сварочный участок',          'Сварка и зачистка'),
    (4, 1, 1,    '02-03', 'Малярный участок',           'Грунтовка и окраска'),
    (5, 1, 1,    '02-04', 'Участок сборки и упаковки',  'Сборка, контроль, упаковка');

INSERT INTO hrms_staffpos.staffpos (id, id_department, s_code, s_caption, d_begin, d_end, s_description) VALUES
    (1, 2, '101', 'Резчик металла',          DATE '2015-01-01', NULL, ''),
    (2, 5, '102', 'Слесарь-сборщик',         DATE '2015-01-01', NULL, ''),
    (3, 3, '103', 'Электросварщик',          DATE '2015-01-01', NULL, ''),
    (4, 4, '104', 'Маляр',                   DATE '2015-01-01', NULL, ''),
    (5, 2, '105', 'Штамповщик',              DATE '2015-01-01', NULL, ''),
    (6, 2, '106', 'Оператор станка с ЧПУ',   DATE '2018-03-01', NULL, ''),
    (7, 5, '107', 'Упаковщик',               DATE '2015-01-01', NULL, ''),
    (8, 1, '108', 'Мастер участка',          DATE '2015-01-01', NULL, ''),
    (9, 5, '109', 'Контролёр ОТК',           DATE '2015-01-01', NULL, '');

INSERT INTO adm_role.roles (id, s_name, s_caption, d_begin, d_end, b_active) VALUES
    (1, 'worker',      'Рабочий',   DATE '2015-01-01', NULL, 'true'),
    (2, 'foreman',     'Мастер',    DATE '2015-01-01', NULL, 'true'),
    (3, 'storekeeper', 'Кладовщик', DATE '2015-01-01', NULL, 'true'),
    (4, 'planner',     'Плановик',  DATE '2015-01-01', NULL, 'true');

-- ---------------------------------------------------------------------------
-- Nomenclature groups: level 2 of the classifier, under one level-1 root
-- ---------------------------------------------------------------------------
INSERT INTO cmn_classifier.item (id, id_classifier, id_level, id_parent, s_code, s_caption, s_description, b_excluded)
VALUES (1, 1, 1, NULL, '02', 'Продукция цеха №2', 'Номенклатура цеха металлоконструкций', 'false');

CREATE TEMP TABLE demo_group (n int PRIMARY KEY, prefix text, caption text, mass_lo numeric, mass_hi numeric);
INSERT INTO demo_group VALUES
    (1, 'СТ', 'Стеллажи металлические',   8,  45),
    (2, 'ШМ', 'Шкафы металлические',     15,  60),
    (3, 'ВС', 'Верстаки слесарные',      25,  70),
    (4, 'ТЛ', 'Тележки грузовые',        10,  35),
    (5, 'КР', 'Кронштейны и крепёж',     0.2,  3),
    (6, 'ОГ', 'Ограждения и решётки',     5,  25),
    (7, 'КТ', 'Контейнеры и ящики',       3,  20),
    (8, 'МК', 'Металлоконструкции',      12,  90);

INSERT INTO cmn_classifier.item (id, id_classifier, id_level, id_parent, s_code, s_caption, s_description, b_excluded)
SELECT 1 + n, 1, 2, 1, '02.' || lpad(n::text, 2, '0'), caption, '', 'false'
  FROM demo_group ORDER BY n;

-- ---------------------------------------------------------------------------
-- Products: 60 marks, spread over the groups ("КР-101", "СТ-203", ...)
-- ---------------------------------------------------------------------------
CREATE TEMP TABLE demo_product AS
SELECT p.n,
       g.n AS grp,
       g.prefix || '-' || (100 * (1 + (p.n - 1) / 8 / 4) + 1 + (p.n - 1) / 8 % 4)::text AS marka,
       round((g.mass_lo + random() * (g.mass_hi - g.mass_lo))::numeric, 3) AS massa
  FROM generate_series(1, 60) AS p(n)
  JOIN demo_group g ON g.n = 1 + (p.n - 1) % 8
 ORDER BY p.n;

INSERT INTO cmn_gds_and_srv.gds_and_srv (s_caption, s_description, id_msm_bs, massa, id_class_item)
SELECT marka, '', 6, massa, 1 + grp FROM demo_product ORDER BY n;

-- ---------------------------------------------------------------------------
-- Operation types; names containing "КРАСКА" (in upper case) are painting
-- operations that need a colour
-- ---------------------------------------------------------------------------
CREATE TEMP TABLE demo_op (n int PRIMARY KEY, vid text, blank boolean, paint boolean);
INSERT INTO demo_op (n, vid, blank) VALUES
    (1,  'Резка',                     true),
    (2,  'Гибка',                     true),
    (3,  'Штамповка',                 true),
    (4,  'Сверление',                 true),
    (5,  'Токарная обработка',        true),
    (6,  'Фрезеровка',                true),
    (7,  'Сварка',                    false),
    (8,  'Зачистка швов',             false),
    (9,  'Рихтовка',                  false),
    (10, 'Грунтовка КРАСКА ГФ-021',   false),
    (11, 'Окраска (КРАСКА)',          false),
    (12, 'Покраска порошковая',       false),
    (13, 'Сборка',                    false),
    (14, 'Упаковка',                  false),
    (15, 'Контроль ОТК',              false);
UPDATE demo_op SET paint = upper(vid) LIKE '%КРАСКА%';

INSERT INTO accounts_dep.vid_oper (vid) SELECT vid FROM demo_op ORDER BY n;
INSERT INTO accounts_dep.vid_oper (id, vid) VALUES (7777, 'Хоз. работы'), (7778, 'Ср. сдельная');

-- ---------------------------------------------------------------------------
-- Operation prices: 3 to 7 operation types per product, each with 1 to 3 norms
-- ---------------------------------------------------------------------------
CREATE TEMP TABLE demo_product_ops AS
SELECT product, op, naimen
  FROM (SELECT p.n AS product, o.n AS op,
               CASE WHEN o.blank AND random() < 0.7 THEN 1 ELSE 0 END AS naimen,
               row_number() OVER (PARTITION BY p.n ORDER BY random()) AS rank,
               p.k
          FROM (SELECT n, 3 + floor(random() * 5)::int AS k FROM demo_product ORDER BY n) p
         CROSS JOIN demo_op o
         ORDER BY p.n, o.n) x
 WHERE rank <= k
 ORDER BY product, op;

-- Products and operation types got their keys in the order above.
INSERT INTO accounts_dep.oper (vid, i_id, naimen, cena_new)
SELECT v.id, g.id, po.naimen, 0
  FROM demo_product_ops po
  JOIN demo_op o ON o.n = po.op
  JOIN accounts_dep.vid_oper v ON v.vid = o.vid
  JOIN demo_product p ON p.n = po.product
  JOIN cmn_gds_and_srv.gds_and_srv g ON g.s_caption = p.marka
 ORDER BY po.product, po.op;

-- Norms: the first one is the base (norm quantity per shift, piece price with
-- up to 4 decimals); further ones ask for more pieces at a slightly higher price.
INSERT INTO accounts_dep.norm (o_id, norma, price, prize)
SELECT o.id,
       (b.norma * (1 + 0.25 * (s.k - 1)))::int,
       round((b.price * (1 + 0.08 * (s.k - 1)))::numeric, 4)::float8,
       (ARRAY[0, 0, 5, 10])[1 + floor(random() * 4)::int]
  FROM accounts_dep.oper o
  JOIN LATERAL (SELECT 20 + floor(random() * 380)::int AS norma,
                       0.35 + random() * 20            AS price,
                       1 + floor(random() * 3)::int    AS cnt
                  FROM (SELECT o.id) AS keep_per_row) b ON true
  JOIN LATERAL generate_series(1, b.cnt) AS s(k) ON true
 ORDER BY o.id, s.k;

-- The reserved types are paid by the hour: one operation price each, with
-- the hourly price as its norm. Their product and type codes are both 7777
-- and above, which is how the maintenance-work day list recognises them.
INSERT INTO accounts_dep.oper (vid, i_id, naimen, cena_new) VALUES (7777, 7777, 0, 0), (7778, 7778, 0, 0);
INSERT INTO accounts_dep.norm (o_id, norma, price, prize)
SELECT id, 1, CASE vid WHEN 7777 THEN 150 ELSE 180 END, 0
  FROM accounts_dep.oper WHERE vid IN (7777, 7778) ORDER BY vid;

-- ---------------------------------------------------------------------------
-- Workers with Russian names; each keeps to one shift
-- ---------------------------------------------------------------------------
CREATE TEMP TABLE demo_worker AS
WITH names AS (
    SELECT ARRAY['Иванов','Петров','Смирнов','Кузнецов','Соколов','Попов','Лебедев','Козлов','Новиков','Морозов',
                 'Волков','Соловьёв','Васильев','Зайцев','Павлов','Семёнов','Голубев','Виноградов','Богданов','Воробьёв',
                 'Фёдоров','Михайлов','Беляев','Тарасов','Белов','Комаров','Орлов','Киселёв','Макаров','Андреев',
                 'Ковалёв','Ильин','Гусев','Титов','Кузьмин','Кудрявцев','Баранов','Куликов','Алексеев','Степанов',
                 'Яковлев','Сорокин','Сергеев','Романов','Захаров','Борисов','Королёв','Герасимов','Пономарёв','Григорьев',
                 'Лазарев','Медведев','Ершов','Никитин','Соболев','Рябов','Поляков','Цветков','Данилов','Жуков',
                 'Фролов','Журавлёв','Николаев','Крылов','Максимов','Сидоров','Осипов','Белоусов','Федотов','Дорофеев',
                 'Егоров','Матвеев','Бобров','Дмитриев','Калинин','Анисимов','Петухов','Антонов','Тимофеев','Никифоров',
                 'Веселов','Филиппов','Марков','Большаков','Суханов','Миронов','Ширяев','Александров','Коновалов','Шестаков',
                 'Казаков','Ефимов','Денисов','Громов','Фомин','Давыдов','Мельников','Щербаков','Блинов','Колесников'] AS sur,
           ARRAY['Александр','Сергей','Дмитрий','Андрей','Алексей','Владимир','Николай','Михаил','Евгений','Игорь',
                 'Юрий','Виктор','Олег','Павел','Иван','Константин','Василий','Геннадий','Анатолий','Роман',
                 'Максим','Артём','Денис','Валерий','Пётр'] AS m_first,
           ARRAY['Александрович','Сергеевич','Дмитриевич','Андреевич','Алексеевич','Владимирович','Николаевич',
                 'Михайлович','Евгеньевич','Игоревич','Юрьевич','Викторович','Олегович','Павлович','Иванович',
                 'Петрович','Васильевич','Геннадьевич','Анатольевич','Борисович'] AS m_patr,
           ARRAY['Елена','Ольга','Наталья','Татьяна','Ирина','Светлана','Марина','Галина','Людмила','Анна',
                 'Надежда','Валентина','Юлия','Екатерина','Оксана'] AS f_first,
           ARRAY['Александровна','Сергеевна','Дмитриевна','Андреевна','Алексеевна','Владимировна','Николаевна',
                 'Михайловна','Викторовна','Ивановна','Петровна','Васильевна','Геннадьевна','Анатольевна',
                 'Борисовна'] AS f_patr
), w AS (
    SELECT n, random() < 0.25 AS female, random() AS r_pos, random() AS r_shift
      FROM generate_series(1, :workers) AS n
     ORDER BY n
)
SELECT w.n,
       CASE WHEN w.female
            THEN names.sur[1 + (w.n * 37) % 100] || 'а ' || names.f_first[1 + (w.n * 7 + w.n / 100) % 15]
                 || ' ' || names.f_patr[1 + (w.n * 11 + w.n / 100 * 3) % 15]
            ELSE names.sur[1 + (w.n * 37) % 100] || ' ' || names.m_first[1 + (w.n * 7 + w.n / 100) % 25]
                 || ' ' || names.m_patr[1 + (w.n * 11 + w.n / 100 * 3) % 20]
       END AS fio,
       CASE WHEN w.female THEN (ARRAY[4, 4, 7, 9, 2])[1 + floor(w.r_pos * 5)::int]
            ELSE (ARRAY[1, 2, 2, 3, 3, 4, 5, 6, 7, 2])[1 + floor(w.r_pos * 10)::int]
       END AS staffpos,
       CASE WHEN w.r_shift < 0.5 THEN 1 WHEN w.r_shift < 0.8 THEN 2 ELSE 3 END AS shift
  FROM w CROSS JOIN names
 ORDER BY w.n;

INSERT INTO accounts_dep.person (fio, s_staffpos_hl)
SELECT w.fio, sp.s_caption
  FROM demo_worker w JOIN hrms_staffpos.staffpos sp ON sp.id = w.staffpos
 ORDER BY w.n;

ALTER TABLE demo_worker ADD COLUMN id int;
UPDATE demo_worker w SET id = p.id
  FROM (SELECT id, row_number() OVER (ORDER BY id) AS n FROM accounts_dep.person) p
 WHERE p.n = w.n;

-- ---------------------------------------------------------------------------
-- Working days of each worker: mostly Monday to Friday, now and then a
-- Saturday or Sunday (paid double), some days absent. A worker-day is piece
-- work, maintenance works (7777) or work at the average piece rate (7778).
-- ---------------------------------------------------------------------------
CREATE TEMP TABLE demo_day AS
SELECT d::date AS data, extract(isodow FROM d)::int >= 6 AS weekend
  FROM generate_series((date_trunc('month', current_date) - (:months - 1) * interval '1 month')::date,
                       current_date, interval '1 day') AS d;

CREATE TEMP TABLE demo_workday AS
SELECT x.*
  FROM (SELECT w.id AS w_id, w.shift, d.data, d.weekend,
               random() AS r_present,
               CASE WHEN r.k < 0.93 THEN 0 WHEN r.k < 0.97 THEN 7777 ELSE 7778 END AS kind,
               1 + floor(random() * 60)::int AS product,
               random() AS r_overtime,
               (ARRAY[9003, 9005, 7035, 7024, 5015, 3020, 6005, 1021, 8017])[1 + floor(random() * 9)::int] AS ral,
               random() < 0.2 AS half_day,
               1 + floor(random() * 8)::int AS grp
          FROM demo_worker w
         CROSS JOIN demo_day d
         CROSS JOIN LATERAL (SELECT random() AS k FROM (SELECT w.id, d.data) keep_per_row) r
         ORDER BY w.id, d.data) x
 WHERE x.r_present < CASE WHEN NOT x.weekend THEN 0.94
                          WHEN extract(isodow FROM x.data) = 6 THEN 0.06
                          ELSE 0.01 END;

-- ---------------------------------------------------------------------------
-- Work records, written day by day as a real journal fills up. A piece-work day is spent on one product: every operation
-- price of that product, the 8 hours shared out among them; now and then an
-- extra overtime record (shift 4) on the product's first operation.
-- The piece price is the lowest norm price, doubled on a day off, times 1.2
-- on shift 3 and 1.5 on overtime, rounded to 4 decimals. The entry day
-- (vvod) is the day of the work or one of the two days after, never after
-- today; like the program, it carries no time of day.
-- ---------------------------------------------------------------------------
CREATE TEMP TABLE demo_price AS
SELECT o.id AS o_id, o.i_id, o.naimen, v.vid, upper(v.vid) LIKE '%КРАСКА%' AS paint,
       upper(v.vid) LIKE '%ГРУНТ%' AS primer,
       n.price, n.norma,
       row_number() OVER (PARTITION BY o.i_id ORDER BY o.id) AS k,
       count(*) OVER (PARTITION BY o.i_id) AS cnt,
       dp.n AS product
  FROM accounts_dep.oper o
  JOIN accounts_dep.vid_oper v ON v.id = o.vid
  JOIN LATERAL (SELECT price, norma FROM accounts_dep.norm WHERE o_id = o.id ORDER BY price, id LIMIT 1) n ON true
  JOIN cmn_gds_and_srv.gds_and_srv g ON g.id = o.i_id
  JOIN demo_product dp ON dp.marka = g.s_caption
 ORDER BY o.id;
CREATE INDEX ON demo_price (product);

CREATE TEMP TABLE demo_record AS
SELECT wd.w_id, wd.data, wd.weekend,
       CASE WHEN part.overtime THEN 4 ELSE wd.shift END AS smena,
       p.i_id, p.o_id, p.paint, p.primer, wd.ral, p.price, p.norma,
       CASE WHEN part.overtime THEN 2 + floor(wd.r_overtime * 30)::int % 3
            ELSE 8 / p.cnt + CASE WHEN p.k <= 8 % p.cnt THEN 1 ELSE 0 END END AS time
  FROM demo_workday wd
  JOIN demo_price p ON p.product = wd.product
  CROSS JOIN LATERAL (VALUES (false), (true)) AS part(overtime)
 WHERE wd.kind = 0
   AND (NOT part.overtime OR (p.k = 1 AND wd.r_overtime < 0.08 AND NOT wd.weekend))
 ORDER BY wd.w_id, wd.data, part.overtime, p.o_id;

INSERT INTO accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, ok, vvod,
                                prize, id_doc, id_doc_item, id_gds_use, id_cons_use, f_gds_qty_use)
SELECT r.data, r.smena, r.w_id, r.i_id, r.o_id,
       round((r.price * CASE WHEN r.weekend THEN 2 ELSE 1 END
                       * CASE r.smena WHEN 3 THEN 1.2 WHEN 4 THEN 1.5 ELSE 1 END)::numeric, 4)::float8,
       q.kol_vo,
       CASE WHEN q.r_brak < 0.12 THEN least(q.kol_vo, 1 + floor(q.r_brak * 25)::int) ELSE 0 END,
       CASE WHEN NOT r.paint THEN 0 WHEN r.primer THEN 1 ELSE r.ral END,
       r.time,
       CASE WHEN r.data < current_date - 7
            THEN CASE WHEN q.r_ok < 0.88 THEN 'ok' WHEN q.r_ok < 0.98 THEN 'да' ELSE 'no' END
            ELSE CASE WHEN q.r_ok < 0.8 THEN 'no' ELSE 'ok' END END,
       least(r.data + floor(q.r_ok * 10)::int % 3, current_date)::timestamp,
       0, 0, 0, 0, 0, 0
  FROM demo_record r
 CROSS JOIN LATERAL (SELECT greatest(1, round(r.norma * r.time / 8.0 * (0.7 + random() * 0.6)))::int AS kol_vo,
                            random() AS r_brak, random() AS r_ok
                       FROM (SELECT r.w_id, r.data, r.o_id, r.smena) keep_per_row) q
 ORDER BY r.data, r.smena, r.w_id, r.o_id;

-- ---------------------------------------------------------------------------
-- Maintenance works (7777) and work at the average piece rate (7778): one
-- entry for the day (8 hours, sometimes 4), at the hourly price of the type,
-- doubled on a day off and times 1.2 at night (workers of shift 3).
-- ---------------------------------------------------------------------------
INSERT INTO accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night)
SELECT wd.w_id, wd.kind, 1 + wd.grp, wd.data,
       extract(month FROM wd.data)::int, extract(year FROM wd.data)::int, 1,
       CASE WHEN wd.half_day THEN 4 ELSE 8 END,
       n.price * CASE WHEN wd.weekend THEN 2 ELSE 1 END * CASE WHEN wd.shift = 3 THEN 1.2 ELSE 1 END,
       CASE WHEN wd.weekend THEN 1 ELSE 0 END,
       CASE WHEN wd.shift = 3 THEN 1 ELSE 0 END
  FROM demo_workday wd
  JOIN accounts_dep.oper o ON o.vid = wd.kind AND o.i_id >= 7777
  JOIN accounts_dep.norm n ON n.o_id = o.id
 WHERE wd.kind IN (7777, 7778)
 ORDER BY wd.w_id, wd.data;

-- Average piece rate of the finished months: the worker's piece-work earnings
-- of the month per hour, with the day-off and night factors of the entry.
UPDATE accounts_dep.fatigue f
   SET price = coalesce((CASE WHEN a.hours = 0 THEN 0
                              ELSE a.earned * (1 + f.i_holiday + 0.2 * f.i_night) / a.hours END)::numeric(10,2), 0)
  FROM (SELECT w_id, date_trunc('month', data)::date AS month,
               sum((kol_vo - brak) * cena) AS earned, sum(time) AS hours
          FROM accounts_dep.smena GROUP BY 1, 2) a
 WHERE f.id_o = 7778
   AND a.w_id = f.id_p
   AND a.month = date_trunc('month', f.d_date)::date
   AND f.d_date < date_trunc('month', current_date);

-- ---------------------------------------------------------------------------
-- Monthly hours sheet, consistent with the records above: per worker, month,
-- year and shift the day's hours of the journal; per worker, month, year,
-- type and night flag the day's hours of the maintenance entries (shift 0).
-- A day without hours stays empty.
-- ---------------------------------------------------------------------------
INSERT INTO accounts_dep.h_tabel (w_id, month, year, smena, i_type, i_night,
    d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16,
    d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31)
SELECT w_id, extract(month FROM data)::int, extract(year FROM data)::int, smena, 0, 0,
    sum(time) FILTER (WHERE extract(day FROM data) = 1),  sum(time) FILTER (WHERE extract(day FROM data) = 2),
    sum(time) FILTER (WHERE extract(day FROM data) = 3),  sum(time) FILTER (WHERE extract(day FROM data) = 4),
    sum(time) FILTER (WHERE extract(day FROM data) = 5),  sum(time) FILTER (WHERE extract(day FROM data) = 6),
    sum(time) FILTER (WHERE extract(day FROM data) = 7),  sum(time) FILTER (WHERE extract(day FROM data) = 8),
    sum(time) FILTER (WHERE extract(day FROM data) = 9),  sum(time) FILTER (WHERE extract(day FROM data) = 10),
    sum(time) FILTER (WHERE extract(day FROM data) = 11), sum(time) FILTER (WHERE extract(day FROM data) = 12),
    sum(time) FILTER (WHERE extract(day FROM data) = 13), sum(time) FILTER (WHERE extract(day FROM data) = 14),
    sum(time) FILTER (WHERE extract(day FROM data) = 15), sum(time) FILTER (WHERE extract(day FROM data) = 16),
    sum(time) FILTER (WHERE extract(day FROM data) = 17), sum(time) FILTER (WHERE extract(day FROM data) = 18),
    sum(time) FILTER (WHERE extract(day FROM data) = 19), sum(time) FILTER (WHERE extract(day FROM data) = 20),
    sum(time) FILTER (WHERE extract(day FROM data) = 21), sum(time) FILTER (WHERE extract(day FROM data) = 22),
    sum(time) FILTER (WHERE extract(day FROM data) = 23), sum(time) FILTER (WHERE extract(day FROM data) = 24),
    sum(time) FILTER (WHERE extract(day FROM data) = 25), sum(time) FILTER (WHERE extract(day FROM data) = 26),
    sum(time) FILTER (WHERE extract(day FROM data) = 27), sum(time) FILTER (WHERE extract(day FROM data) = 28),
    sum(time) FILTER (WHERE extract(day FROM data) = 29), sum(time) FILTER (WHERE extract(day FROM data) = 30),
    sum(time) FILTER (WHERE extract(day FROM data) = 31)
  FROM accounts_dep.smena
 GROUP BY w_id, extract(year FROM data), extract(month FROM data), smena
 ORDER BY extract(year FROM data), extract(month FROM data), w_id, smena;

INSERT INTO accounts_dep.h_tabel (w_id, month, year, smena, i_type, i_night,
    d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16,
    d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31)
SELECT id_p, i_mnth, i_year, 0, id_o, i_night,
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 1),  sum(cnt) FILTER (WHERE extract(day FROM d_date) = 2),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 3),  sum(cnt) FILTER (WHERE extract(day FROM d_date) = 4),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 5),  sum(cnt) FILTER (WHERE extract(day FROM d_date) = 6),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 7),  sum(cnt) FILTER (WHERE extract(day FROM d_date) = 8),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 9),  sum(cnt) FILTER (WHERE extract(day FROM d_date) = 10),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 11), sum(cnt) FILTER (WHERE extract(day FROM d_date) = 12),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 13), sum(cnt) FILTER (WHERE extract(day FROM d_date) = 14),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 15), sum(cnt) FILTER (WHERE extract(day FROM d_date) = 16),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 17), sum(cnt) FILTER (WHERE extract(day FROM d_date) = 18),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 19), sum(cnt) FILTER (WHERE extract(day FROM d_date) = 20),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 21), sum(cnt) FILTER (WHERE extract(day FROM d_date) = 22),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 23), sum(cnt) FILTER (WHERE extract(day FROM d_date) = 24),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 25), sum(cnt) FILTER (WHERE extract(day FROM d_date) = 26),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 27), sum(cnt) FILTER (WHERE extract(day FROM d_date) = 28),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 29), sum(cnt) FILTER (WHERE extract(day FROM d_date) = 30),
    sum(cnt) FILTER (WHERE extract(day FROM d_date) = 31)
  FROM accounts_dep.fatigue
 GROUP BY id_p, i_year, i_mnth, id_o, i_night
 ORDER BY i_year, i_mnth, id_p, id_o, i_night;

DROP TABLE demo_record, demo_price, demo_workday, demo_day, demo_worker,
           demo_product_ops, demo_product, demo_op, demo_group;

COMMIT;

-- Fresh statistics and visibility information, so the planner sees the data as it is.
VACUUM (ANALYZE) accounts_dep.smena;
VACUUM (ANALYZE) accounts_dep.h_tabel;
VACUUM (ANALYZE) accounts_dep.fatigue;
ANALYZE;
