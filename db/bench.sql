-- Large database for timing the program's statements: 300 workers, 36 months
-- of work records (about a million rows), and a maintenance crew with years of
-- maintenance and average-rate records (section below). Run after
-- db/schema.sql, like demo.sql.
\set workers 300
\set months 36
\ir demo.sql
-- Generated rows are nobody's change: the change log's row triggers leave them out.
SET tabel.bulk_write = 'bench';

-- ---------------------------------------------------------------------------
-- Maintenance works and work at the average piece rate on the scale of a
-- workshop's years, beyond the odd days that demo.sql gives the piece
-- workers:
--   * a maintenance crew of 40 fitters, electricians and cleaners who do
--     only maintenance works (7777), every working day, in one to three
--     entries of different nomenclature groups; a quarter of them work
--     nights, and now and then a day worker covers a night;
--   * piece workers whose line stood still for part of a day: 2 to 4 hours
--     paid at the average piece rate (7778) on about one working day in
--     twenty.
-- The timesheet rows of both kinds (shift 0) are then written afresh from
-- all maintenance records, one row per worker, month, type and night flag.
-- ---------------------------------------------------------------------------
\set ON_ERROR_STOP on
SET DateStyle = 'ISO, DMY';
SET max_parallel_workers_per_gather = 0;
BEGIN;
SELECT setseed(0.4242) \gset

CREATE TEMP TABLE bench_crew AS
SELECT n,
       (ARRAY['Шубин','Горбунов','Лукин','Воронин','Быков','Зуев','Сафонов','Тихонов','Носков','Панов',
              'Рожков','Ларионов','Гришин','Лапин','Мухин','Нестеров','Субботин','Трофимов','Кононов','Уваров'])[1 + (n - 1) % 20]
       || ' ' || (ARRAY['Г.','Е.','Л.','Р.','С.','Т.','Ф.','Б.'])[1 + (n * 3) % 8]
       || (ARRAY['А.','В.','Н.','П.','И.','М.'])[1 + (n * 5) % 6] AS fio,
       (ARRAY['Слесарь-ремонтник','Электромонтер','Уборщик производственных помещений','Наладчик оборудования'])[1 + n % 4] AS post,
       n % 4 = 0 AS nights
  FROM generate_series(1, 40) AS n;

INSERT INTO accounts_dep.person (fio, s_staffpos_hl)
SELECT fio, post FROM bench_crew ORDER BY n;

ALTER TABLE bench_crew ADD COLUMN id int;
UPDATE bench_crew c SET id = p.id
  FROM (SELECT id, row_number() OVER (ORDER BY id DESC) AS k FROM accounts_dep.person) p
 WHERE p.k = 41 - c.n;

CREATE TEMP TABLE bench_day AS
SELECT d::date AS data, extract(isodow FROM d)::int >= 6 AS weekend
  FROM generate_series((SELECT min(data) FROM accounts_dep.smena), current_date, interval '1 day') AS d;

-- The crew's entries: hours of the day shared over one to three groups.
INSERT INTO accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night)
SELECT x.id, 7777, 2 + (x.id * 7 + part.k * 3 + extract(doy FROM x.data)::int) % 8, x.data,
       extract(month FROM x.data)::int, extract(year FROM x.data)::int, CASE WHEN x.night THEN 3 ELSE 1 END,
       CASE x.parts WHEN 1 THEN 8 WHEN 2 THEN 4 ELSE CASE part.k WHEN 3 THEN 2 ELSE 3 END END,
       150 * CASE WHEN x.weekend THEN 2 ELSE 1 END * CASE WHEN x.night THEN 1.2 ELSE 1 END,
       CASE WHEN x.weekend THEN 1 ELSE 0 END,
       CASE WHEN x.night THEN 1 ELSE 0 END
  FROM (SELECT c.id, d.data, d.weekend,
               c.nights OR r.k < 0.03 AS night,
               1 + floor(r.p * 3)::int AS parts,
               r.present
          FROM bench_crew c
         CROSS JOIN bench_day d
         CROSS JOIN LATERAL (SELECT random() AS k, random() AS p, random() AS present
                               FROM (SELECT c.id, d.data) keep_per_row) r
         ORDER BY c.id, d.data) x
 CROSS JOIN LATERAL generate_series(1, x.parts) AS part(k)
 WHERE x.present < CASE WHEN NOT x.weekend THEN 0.94 WHEN extract(isodow FROM x.data) = 6 THEN 0.1 ELSE 0.02 END
 ORDER BY x.data, x.id, part.k;

-- Piece workers' stoppages: part of a piece-work day paid at the average rate.
INSERT INTO accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night)
SELECT s.w_id, 7778, 2 + s.w_id % 8, s.data, extract(month FROM s.data)::int, extract(year FROM s.data)::int,
       s.shift, 2 + floor(r.h * 3)::int,
       180 * CASE WHEN extract(isodow FROM s.data) >= 6 THEN 2 ELSE 1 END * CASE WHEN s.shift = 3 THEN 1.2 ELSE 1 END,
       CASE WHEN extract(isodow FROM s.data) >= 6 THEN 1 ELSE 0 END,
       CASE WHEN s.shift = 3 THEN 1 ELSE 0 END
  FROM (SELECT DISTINCT w_id, data, min(smena) AS shift FROM accounts_dep.smena WHERE smena < 4 GROUP BY w_id, data
         ORDER BY data, w_id) s
 CROSS JOIN LATERAL (SELECT random() AS k, random() AS h FROM (SELECT s.w_id, s.data) keep_per_row) r
 WHERE r.k < 0.05
 ORDER BY s.data, s.w_id;

DELETE FROM accounts_dep.h_tabel WHERE smena = 0;
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

DROP TABLE bench_crew, bench_day;
COMMIT;

VACUUM (ANALYZE) accounts_dep.h_tabel;
VACUUM (ANALYZE) accounts_dep.fatigue;
