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
