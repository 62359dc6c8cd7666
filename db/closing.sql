-- Closed months: a paid month is closed so that nobody changes its work records, maintenance
-- works or hours sheet afterwards.
--
-- The program creates no database objects: an administrator applies this file to the
-- enterprise database once (and again after a change of it; every statement may be repeated):
--     psql -v ON_ERROR_STOP=1 -d kor_erp -f db/closing.sql
-- as the owner of the tables or a superuser. Without it the program works as before and its
-- window "Закрытие месяца" says that this file is to be applied. db/schema.sql applies it for
-- development, the tests and the demo.
--
-- What it holds:
--   accounts_dep.closed_month  one row per month that was ever closed: closed while closed_at is
--                              set; a reopened month keeps its row with closed_at empty, the
--                              workstation that reopened it in closed_by and the reason in note.
--   triggers on accounts_dep.smena, accounts_dep.fatigue and accounts_dep.h_tabel that refuse
--   every insert, update, delete or truncate touching a closed month (by smena.data,
--   fatigue.d_date, h_tabel.year and month; an update that moves a row into or out of a closed
--   month too), whoever sends it: the program, an older workstation, the import, psql.
-- Closing waits for the transactions that are writing into that month, and a write that
-- starts while a month is being closed waits for the closing and then sees it: the triggers
-- hold a shared advisory lock of the month (7105, year * 100 + month) and closing holds it
-- exclusively.

\set ON_ERROR_STOP on
SET client_min_messages = warning;

BEGIN;

CREATE TABLE IF NOT EXISTS accounts_dep.closed_month (
    year      integer NOT NULL CHECK (year BETWEEN 1900 AND 9999),
    month     integer NOT NULL CHECK (month BETWEEN 1 AND 12),
    closed_at timestamptz,
    closed_by varchar(254),
    note      varchar(1000),
    PRIMARY KEY (year, month)
);

-- The month's text as the messages name it: 03.2024.
CREATE OR REPLACE FUNCTION accounts_dep.month_text(y integer, m integer) RETURNS text
LANGUAGE sql IMMUTABLE AS $$
    SELECT lpad(m::text, 2, '0') || '.' || y::text
$$;

-- A month being closed waits for the writers of that month and they for it (see above).
CREATE OR REPLACE FUNCTION accounts_dep.closed_month_lock() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public AS $$
BEGIN
    PERFORM pg_advisory_xact_lock(7105, NEW.year * 100 + NEW.month);
    RETURN NEW;
END
$$;

DROP TRIGGER IF EXISTS closed_month_lock ON accounts_dep.closed_month;
CREATE TRIGGER closed_month_lock BEFORE INSERT OR UPDATE ON accounts_dep.closed_month
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.closed_month_lock();

-- Refuses a statement that wrote rows of a closed month. Runs once per statement over the rows
-- it wrote (the transition tables old_rows and new_rows, or the whole table for a truncate);
-- TG_ARGV[0] and TG_ARGV[1] are the expressions of a row's year and month.
CREATE OR REPLACE FUNCTION accounts_dep.refuse_closed_month_change() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public AS $$
DECLARE
    rel     text;
    touched integer[];
    ym      integer;
    closed  text;
BEGIN
    -- Nothing closed at all: nothing to look at (the common case of a new installation).
    IF NOT EXISTS (SELECT 1 FROM accounts_dep.closed_month WHERE closed_at IS NOT NULL) THEN
        RETURN NULL;
    END IF;
    FOREACH rel IN ARRAY CASE TG_OP
                             WHEN 'INSERT' THEN ARRAY['new_rows']
                             WHEN 'DELETE' THEN ARRAY['old_rows']
                             WHEN 'UPDATE' THEN ARRAY['old_rows', 'new_rows']
                             ELSE ARRAY[format('%I.%I', TG_TABLE_SCHEMA, TG_TABLE_NAME)]
                         END LOOP
        EXECUTE format('SELECT array_agg(DISTINCT y * 100 + m) FROM '
                       '(SELECT (%s)::integer AS y, (%s)::integer AS m FROM %s) r '
                       'WHERE m BETWEEN 1 AND 12 AND y BETWEEN 1900 AND 9999',
                       TG_ARGV[0], TG_ARGV[1], rel)
            INTO touched;
        CONTINUE WHEN touched IS NULL;
        -- The months' locks in one order, so that two writers never wait for each other.
        FOREACH ym IN ARRAY (SELECT array_agg(t ORDER BY t) FROM unnest(touched) t) LOOP
            PERFORM pg_advisory_xact_lock_shared(7105, ym);
        END LOOP;
        SELECT accounts_dep.month_text(c.year, c.month) INTO closed
          FROM accounts_dep.closed_month c
         WHERE c.closed_at IS NOT NULL AND c.year * 100 + c.month = ANY (touched)
         ORDER BY c.year, c.month
         LIMIT 1;
        IF closed IS NOT NULL THEN
            RAISE EXCEPTION 'Месяц % закрыт: его записи не изменяются', closed
                USING ERRCODE = 'TB001',
                      HINT = 'Месяц открывают вновь в окне «Закрытие месяца» программы с полным доступом.';
        END IF;
    END LOOP;
    RETURN NULL;
END
$$;

-- Three statement triggers per table (a statement trigger with transition tables fires on one
-- kind of statement) and one for truncate.
DO $$
DECLARE
    t record;
BEGIN
    FOR t IN SELECT * FROM (VALUES
                 ('smena', 'extract(year from data)', 'extract(month from data)'),
                 ('fatigue', 'extract(year from d_date)', 'extract(month from d_date)'),
                 ('h_tabel', 'year', 'month')) AS v(tbl, y, m) LOOP
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON accounts_dep.%I', t.tbl || '_closed_insert', t.tbl);
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON accounts_dep.%I', t.tbl || '_closed_update', t.tbl);
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON accounts_dep.%I', t.tbl || '_closed_delete', t.tbl);
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON accounts_dep.%I', t.tbl || '_closed_truncate', t.tbl);
        EXECUTE format('CREATE TRIGGER %I AFTER INSERT ON accounts_dep.%I REFERENCING NEW TABLE AS new_rows '
                       'FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.refuse_closed_month_change(%L, %L)',
                       t.tbl || '_closed_insert', t.tbl, t.y, t.m);
        EXECUTE format('CREATE TRIGGER %I AFTER UPDATE ON accounts_dep.%I '
                       'REFERENCING OLD TABLE AS old_rows NEW TABLE AS new_rows '
                       'FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.refuse_closed_month_change(%L, %L)',
                       t.tbl || '_closed_update', t.tbl, t.y, t.m);
        EXECUTE format('CREATE TRIGGER %I AFTER DELETE ON accounts_dep.%I REFERENCING OLD TABLE AS old_rows '
                       'FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.refuse_closed_month_change(%L, %L)',
                       t.tbl || '_closed_delete', t.tbl, t.y, t.m);
        EXECUTE format('CREATE TRIGGER %I BEFORE TRUNCATE ON accounts_dep.%I '
                       'FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.refuse_closed_month_change(%L, %L)',
                       t.tbl || '_closed_truncate', t.tbl, t.y, t.m);
    END LOOP;
END
$$;

-- The program's role reads the closed months and closes and reopens them (it never deletes a
-- month's row: a reopened month keeps the reason). The role is the program's login role of
-- db/schema.sql; an enterprise database whose role has another name grants the same to it.
DO $$
BEGIN
    IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'sys') THEN
        GRANT SELECT, INSERT, UPDATE ON accounts_dep.closed_month TO sys;
    END IF;
END
$$;

COMMIT;
