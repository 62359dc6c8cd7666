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

COMMIT;
