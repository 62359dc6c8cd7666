-- Named users and the history of every record: who changed what, when and at which workstation.
--
-- The program creates no database objects: an administrator applies this file to the
-- enterprise database once (and again after a change of it; every statement may be repeated):
--     psql -v ON_ERROR_STOP=1 -d kor_erp -f db/history.sql
-- as the owner of the tables or a superuser. Without it the program works as before: the
-- built-in access codes open it, and its history windows say that this file is to be applied.
-- db/schema.sql applies it for development, the tests and the demo.
--
-- The program tells the server who works: each of its sessions sets tabel.user (the name of the
-- user logged in) and tabel.workstation (the computer's host name), and connects with
-- application_name tabel.

\set ON_ERROR_STOP on
SET client_min_messages = warning;

BEGIN;

-- ---------------------------------------------------------------------------------------------
-- Named users
-- ---------------------------------------------------------------------------------------------

-- One row per person who logs in. role is the access the login grants: 'full' (full access),
-- 'foreman', 'storekeeper', 'analyst'. code_hash is a salted slow hash of the person's code,
-- never the code itself. While the table holds an active user, the built-in codes no longer
-- open the program.
CREATE TABLE IF NOT EXISTS accounts_dep.tabel_user (
    id        serial PRIMARY KEY,
    name      varchar(100) NOT NULL,
    role      varchar(20)  NOT NULL CHECK (role IN ('full', 'foreman', 'storekeeper', 'analyst')),
    code_hash text         NOT NULL,
    active    boolean      NOT NULL DEFAULT true
);

-- One name per person, whatever the letter case; the program refuses a second one with a message.
CREATE UNIQUE INDEX IF NOT EXISTS tabel_user_name_key ON accounts_dep.tabel_user (upper(name));

-- The program's role reads the users at the login and adds, renames, deactivates and activates
-- them (it never deletes one). Its writes lock the table (share row exclusive, which needs the
-- update right) so that two workstations never leave two active users with one code. The role is
-- the program's login role of db/schema.sql; an enterprise database whose role has another name
-- grants the same to it.
DO $$
BEGIN
    IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'sys') THEN
        GRANT SELECT, INSERT, UPDATE ON accounts_dep.tabel_user TO sys;
        GRANT USAGE ON SEQUENCE accounts_dep.tabel_user_id_seq TO sys;
    END IF;
END
$$;

-- ---------------------------------------------------------------------------------------------
-- Change log
-- ---------------------------------------------------------------------------------------------

-- One row per inserted, updated or deleted row of the logged tables (or one per table a bulk
-- replacement rewrote), written inside the transaction of the change.
CREATE TABLE IF NOT EXISTS accounts_dep.change_log (
    id          bigserial PRIMARY KEY,
    at          timestamptz  NOT NULL DEFAULT clock_timestamp(),
    user_name   varchar(254) NOT NULL,
    workstation varchar(254) NOT NULL,
    table_name  varchar(63)  NOT NULL,
    row_id      bigint,
    action      varchar(20)  NOT NULL,
    old_row     jsonb,
    new_row     jsonb
);

CREATE INDEX IF NOT EXISTS change_log_at ON accounts_dep.change_log (at);
CREATE INDEX IF NOT EXISTS change_log_row ON accounts_dep.change_log (table_name, row_id);

-- Who works: the name the program's login set (tabel.user), else the database role of the
-- session; and the workstation's host name the program set (tabel.workstation), else the
-- client program's application_name, with the client's address when it came over the network.
CREATE OR REPLACE FUNCTION accounts_dep.change_log_user() RETURNS text
LANGUAGE sql STABLE SET search_path = pg_catalog, public AS $$
    SELECT coalesce(nullif(current_setting('tabel.user', true), ''), session_user::text)
$$;

CREATE OR REPLACE FUNCTION accounts_dep.change_log_workstation() RETURNS text
LANGUAGE sql STABLE SET search_path = pg_catalog, public AS $$
    SELECT coalesce(nullif(current_setting('tabel.workstation', true), ''),
                    nullif(current_setting('application_name', true), ''), '')
           || coalesce(' (' || host(inet_client_addr()) || ')', '')
$$;

-- One row of the log per inserted, updated or deleted row of smena, fatigue, norm and oper.
-- An update that changes nothing is not a change and leaves no row. An update of a work record
-- that changes only its acceptance mark to accepted is logged as "accepted".
CREATE OR REPLACE FUNCTION accounts_dep.log_row_change() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public AS $$
DECLARE
    old_json jsonb;
    new_json jsonb;
    act      text;
BEGIN
    IF TG_OP = 'INSERT' THEN
        new_json := to_jsonb(NEW);
        act := 'added';
    ELSIF TG_OP = 'DELETE' THEN
        old_json := to_jsonb(OLD);
        act := 'deleted';
    ELSE
        old_json := to_jsonb(OLD);
        new_json := to_jsonb(NEW);
        IF old_json = new_json THEN
            RETURN NULL;
        END IF;
        act := 'changed';
        IF TG_TABLE_NAME = 'smena'
           AND (old_json - 'ok') = (new_json - 'ok')
           AND trim(coalesce(new_json ->> 'ok', '')) IN ('ok', 'да') THEN
            act := 'accepted';
        END IF;
    END IF;
    INSERT INTO accounts_dep.change_log (user_name, workstation, table_name, row_id, action, old_row, new_row)
    VALUES (accounts_dep.change_log_user(), accounts_dep.change_log_workstation(), TG_TABLE_NAME,
            coalesce(new_json ->> 'id', old_json ->> 'id')::bigint, act, old_json, new_json);
    RETURN NULL;
END
$$;

-- One row of the log for a bulk write the program does as a whole (the import replacing a table,
-- the rebuild of a month's timesheet rows): what it was before and after, and where it came from.
-- The bulk write sets tabel.bulk_write for its own transaction only (set_config(..., true)), so
-- that the row triggers leave its rows out, and calls this in the same transaction.
CREATE OR REPLACE FUNCTION accounts_dep.log_bulk_change(p_table text, p_action text, p_before jsonb,
                                                        p_after jsonb) RETURNS void
LANGUAGE sql SECURITY DEFINER SET search_path = pg_catalog, public AS $$
    INSERT INTO accounts_dep.change_log (user_name, workstation, table_name, row_id, action, old_row, new_row)
    VALUES (accounts_dep.change_log_user(), accounts_dep.change_log_workstation(), p_table, NULL,
            p_action, p_before, p_after)
$$;

DO $$
DECLARE
    t text;
BEGIN
    FOREACH t IN ARRAY ARRAY['smena', 'fatigue', 'norm', 'oper'] LOOP
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON accounts_dep.%I', t || '_change_log', t);
        -- The condition is checked without calling the function, so a bulk write pays nothing
        -- per row.
        EXECUTE format('CREATE TRIGGER %I AFTER INSERT OR UPDATE OR DELETE ON accounts_dep.%I '
                       'FOR EACH ROW WHEN (coalesce(current_setting(''tabel.bulk_write'', true), '''') = '''') '
                       'EXECUTE FUNCTION accounts_dep.log_row_change()', t || '_change_log', t);
    END LOOP;
END
$$;

-- The log is only ever added to: a change or deletion of its rows is refused whoever tries,
-- so that a mistaken grant cannot open it. (An administrator who must purge old rows disables
-- this trigger as the table's owner for that one transaction.)
CREATE OR REPLACE FUNCTION accounts_dep.refuse_change_log_change() RETURNS trigger
LANGUAGE plpgsql SET search_path = pg_catalog, public AS $$
BEGIN
    RAISE EXCEPTION 'Журнал изменений только пополняется: его записи не изменяются и не удаляются'
        USING ERRCODE = 'TB002';
END
$$;

DROP TRIGGER IF EXISTS change_log_append_only ON accounts_dep.change_log;
CREATE TRIGGER change_log_append_only BEFORE UPDATE OR DELETE ON accounts_dep.change_log
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.refuse_change_log_change();
DROP TRIGGER IF EXISTS change_log_no_truncate ON accounts_dep.change_log;
CREATE TRIGGER change_log_no_truncate BEFORE TRUNCATE ON accounts_dep.change_log
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.refuse_change_log_change();

-- The program's role reads the log and adds to it, never more. The role is the program's login
-- role of db/schema.sql; an enterprise database whose role has another name grants the same to it.
DO $$
BEGIN
    IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'sys') THEN
        REVOKE ALL ON accounts_dep.change_log FROM sys;
        GRANT SELECT, INSERT ON accounts_dep.change_log TO sys;
        GRANT USAGE ON SEQUENCE accounts_dep.change_log_id_seq TO sys;
        GRANT EXECUTE ON FUNCTION accounts_dep.log_bulk_change(text, text, jsonb, jsonb) TO sys;
    END IF;
END
$$;

COMMIT;
