-- Enterprise objects the workshop timesheet program works with, for development,
-- the tests and the demo.
--
-- Run by a superuser in a fresh, empty database:
--     psql -v ON_ERROR_STOP=1 -d NEW_DATABASE -f db/schema.sql
-- It may be run again in another database of the same cluster: the roles are
-- cluster-wide and are created only when they are missing.
--
-- Everything below is created by, and therefore owned by, the role
-- "tabel_owner", which cannot log in. The program connects as "sys", which gets
-- only the rights the program uses (see the grants at the end): it reads the
-- tables, writes the ones the program writes, and creates and alters nothing.

\set ON_ERROR_STOP on
SET client_min_messages = warning;

BEGIN;

-- ---------------------------------------------------------------------------
-- Login role of the program
-- ---------------------------------------------------------------------------
DO $$
BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tabel_owner') THEN
        BEGIN
            CREATE ROLE tabel_owner NOLOGIN;
        EXCEPTION WHEN duplicate_object THEN
            NULL;  -- created meanwhile by a parallel run in another database
        END;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'sys') THEN
        BEGIN
            CREATE ROLE sys LOGIN PASSWORD 'wemblox';
        EXCEPTION WHEN duplicate_object THEN
            NULL;  -- created meanwhile by a parallel run in another database
        END;
    END IF;
    -- Session default of the program's role: the program writes dates as
    -- day.month.year texts; a session that forgets to set the date style still
    -- reads '08.12.2026' as the 8th of December and not as the 12th of August.
    IF NOT EXISTS (SELECT 1
                     FROM pg_db_role_setting s
                     JOIN pg_roles r ON r.oid = s.setrole
                    WHERE r.rolname = 'sys' AND s.setdatabase = 0
                      AND s.setconfig::text LIKE '%DateStyle=%') THEN
        ALTER ROLE sys SET DateStyle = 'ISO, DMY';
    END IF;
    EXECUTE format('GRANT CONNECT, TEMPORARY ON DATABASE %I TO sys', current_database());
    EXECUTE format('GRANT CONNECT, CREATE ON DATABASE %I TO tabel_owner', current_database());
END
$$;

-- The domains live in public, where the unqualified casts of the statements
-- (s_code::t_id, s_code::t_integer) find them.
GRANT USAGE, CREATE ON SCHEMA public TO tabel_owner;
GRANT USAGE ON SCHEMA public TO sys;

SET ROLE tabel_owner;

-- ---------------------------------------------------------------------------
-- Domains
-- ---------------------------------------------------------------------------
CREATE DOMAIN public.t_id AS numeric(15,0);       -- identifier of the enterprise tables
CREATE DOMAIN public.t_integer AS integer;

-- ---------------------------------------------------------------------------
-- Schemas
-- ---------------------------------------------------------------------------
CREATE SCHEMA accounts_dep;
CREATE SCHEMA cmn_contractor;
CREATE SCHEMA cmn_classifier;
CREATE SCHEMA cmn_gds_and_srv;
CREATE SCHEMA cmn_department;
CREATE SCHEMA hrms_staffpos;
CREATE SCHEMA adm_role;

-- ---------------------------------------------------------------------------
-- Keeping a key sequence ahead of explicitly written keys.
--
-- Most tables take their keys from the database, but the legacy import (and
-- the demo data for the reserved operation types) write keys of their own.
-- Without this, the next key handed out by the sequence could collide with an
-- imported row and every later insert would fail with a duplicate key.
-- After each insert statement the sequence is moved past the largest key of
-- the table; keys at or above the optional argument are reserved codes and
-- are left out (e.g. the operation types 7777 and 7778).
-- The sequence is only ever moved forward, and only when a written key has
-- overtaken it, so ordinary inserts that take their key from the sequence
-- never touch it.
-- ---------------------------------------------------------------------------
CREATE FUNCTION accounts_dep.keep_id_sequence_ahead() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public AS $$
DECLARE
    tbl      text := format('%I.%I', TG_TABLE_SCHEMA, TG_TABLE_NAME);
    seq      text := pg_get_serial_sequence(tbl, 'id');
    reserved numeric := CASE WHEN TG_NARGS > 0 THEN TG_ARGV[0]::numeric END;
    top      numeric;
    last     bigint;
    called   boolean;
BEGIN
    IF seq IS NULL THEN
        RETURN NULL;
    END IF;
    IF reserved IS NULL THEN
        EXECUTE format('SELECT max(id) FROM %s', tbl) INTO top;
    ELSE
        EXECUTE format('SELECT max(id) FROM %s WHERE id < $1', tbl) INTO top USING reserved;
    END IF;
    IF top IS NULL THEN
        RETURN NULL;
    END IF;
    EXECUTE format('SELECT last_value, is_called FROM %s', seq) INTO last, called;
    IF top > last OR (top = last AND NOT called) THEN
        PERFORM setval(seq, top::bigint, true);
    END IF;
    RETURN NULL;
END
$$;

-- ---------------------------------------------------------------------------
-- Common enterprise tables
-- ---------------------------------------------------------------------------

-- Classifier items; level 2 holds the nomenclature groups of the workshop.
-- The program inserts only s_caption, so a new row lands on level 2.
CREATE SEQUENCE cmn_classifier.item_id_seq;
CREATE TABLE cmn_classifier.item (
    id              numeric(15,0) NOT NULL DEFAULT nextval('cmn_classifier.item_id_seq') PRIMARY KEY,
    id_classifier   numeric(15,0),
    id_level        numeric(15,0) DEFAULT 2,
    id_parent       numeric(15,0),
    s_code          varchar(254),
    s_caption       varchar(254),
    s_description   varchar(4000),
    b_excluded      varchar(5),
    d_excluded_date date
);
ALTER SEQUENCE cmn_classifier.item_id_seq OWNED BY cmn_classifier.item.id;
CREATE TRIGGER item_keep_id_sequence_ahead AFTER INSERT ON cmn_classifier.item
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.keep_id_sequence_ahead();

-- Enterprise goods; the workshop's products are rows of this table.
CREATE SEQUENCE cmn_gds_and_srv.gds_and_srv_id_seq;
CREATE TABLE cmn_gds_and_srv.gds_and_srv (
    id            numeric(15,0) NOT NULL DEFAULT nextval('cmn_gds_and_srv.gds_and_srv_id_seq') PRIMARY KEY,
    s_caption     varchar(254),
    s_description varchar(4000),
    id_msm_bs     numeric(15,0),
    massa         numeric(28,6),
    id_class_item numeric(15,0)
);
ALTER SEQUENCE cmn_gds_and_srv.gds_and_srv_id_seq OWNED BY cmn_gds_and_srv.gds_and_srv.id;
CREATE TRIGGER gds_and_srv_keep_id_sequence_ahead AFTER INSERT ON cmn_gds_and_srv.gds_and_srv
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.keep_id_sequence_ahead();

-- Enterprise persons. The workshop's workers are mirrored here (see the
-- triggers on accounts_dep.person): id = the worker's id, s_code = the same
-- number as text, s_caption = the worker's name.
-- Its id is a plain integer like the workers' ids it mirrors: the timesheets
-- join it with the integer worker columns of the work records ("s.w_id=p.id"),
-- and with equal types those joins use the indexes on the work records.
CREATE TABLE cmn_contractor.person (
    id        integer NOT NULL PRIMARY KEY,
    s_code    varchar(254),
    s_caption varchar(254)
);

CREATE TABLE cmn_department.department (
    id            numeric(15,0) NOT NULL PRIMARY KEY,
    id_branch     numeric(15,0),
    id_parent     numeric(15,0),
    s_code        varchar(254),
    s_caption     varchar(254),
    s_description varchar(4000)
);

CREATE TABLE hrms_staffpos.staffpos (
    id            numeric(15,0) NOT NULL PRIMARY KEY,
    id_department numeric(15,0),
    s_code        varchar(254),
    s_caption     varchar(254),
    d_begin       date,
    d_end         date,
    s_description varchar(4000)
);

CREATE TABLE adm_role.roles (
    id        numeric(15,0) NOT NULL PRIMARY KEY,
    s_name    varchar(30),
    s_caption varchar(254),
    d_begin   date,
    d_end     date,
    b_active  varchar(5)
);

-- ---------------------------------------------------------------------------
-- The workshop's own tables
-- ---------------------------------------------------------------------------

-- Workers.
CREATE TABLE accounts_dep.person (
    id            integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    fio           varchar(254),
    s_staffpos_hl varchar(254)
);
CREATE TRIGGER person_keep_id_sequence_ahead AFTER INSERT ON accounts_dep.person
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.keep_id_sequence_ahead();

-- Operation types; 7777 (maintenance works) and 7778 (average piece rate) are
-- reserved codes and do not move the key sequence.
CREATE TABLE accounts_dep.vid_oper (
    id  integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    vid varchar(128)
);
CREATE TRIGGER vid_oper_keep_id_sequence_ahead AFTER INSERT ON accounts_dep.vid_oper
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.keep_id_sequence_ahead('7777');

-- Operation prices: which operation type is paid on which product, of which kind.
-- cena is the price column of the old data, written only by the legacy import.
-- smena has a cena too: statements that join the two name smena.cena in full.
CREATE TABLE accounts_dep.oper (
    id       integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    vid      integer,
    i_id     integer,
    naimen   smallint,
    cena_new numeric(15,4),
    cena     double precision
);
CREATE TRIGGER oper_keep_id_sequence_ahead AFTER INSERT ON accounts_dep.oper
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.keep_id_sequence_ahead();

-- Norms of an operation price; the lowest price is the piece price.
CREATE TABLE accounts_dep.norm (
    id    integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    o_id  integer,
    norma integer,
    price double precision,
    prize integer
);
CREATE TRIGGER norm_keep_id_sequence_ahead AFTER INSERT ON accounts_dep.norm
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.keep_id_sequence_ahead();

-- Work records: the daily journal.
CREATE TABLE accounts_dep.smena (
    id            integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    data          date,
    smena         integer,
    w_id          integer,
    i_id          integer,
    o_id          integer,
    cena          double precision,
    kol_vo        integer,
    brak          integer,
    color         integer,
    time          integer,
    ok            char(2),
    vvod          timestamp,
    prize         double precision DEFAULT 0,
    id_doc        numeric(15,0) DEFAULT 0,
    id_doc_item   numeric(15,0) DEFAULT 0,
    id_gds_use    numeric(15,0) DEFAULT 0,
    id_cons_use   numeric(15,0) DEFAULT 0,
    f_gds_qty_use double precision DEFAULT 0
);
CREATE TRIGGER smena_keep_id_sequence_ahead AFTER INSERT ON accounts_dep.smena
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.keep_id_sequence_ahead();

-- Monthly hours sheet: one row per worker, month, year and shift (journal
-- hours) or per worker, month, year, operation type and night flag (hours of
-- maintenance works and of work at the average piece rate, shift 0).
CREATE TABLE accounts_dep.h_tabel (
    id      integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    w_id    integer,
    month   integer,
    year    integer,
    smena   integer NOT NULL DEFAULT 0,
    i_type  integer NOT NULL DEFAULT 0,
    i_night integer NOT NULL DEFAULT 0,
    d1  smallint, d2  smallint, d3  smallint, d4  smallint, d5  smallint,
    d6  smallint, d7  smallint, d8  smallint, d9  smallint, d10 smallint,
    d11 smallint, d12 smallint, d13 smallint, d14 smallint, d15 smallint,
    d16 smallint, d17 smallint, d18 smallint, d19 smallint, d20 smallint,
    d21 smallint, d22 smallint, d23 smallint, d24 smallint, d25 smallint,
    d26 smallint, d27 smallint, d28 smallint, d29 smallint, d30 smallint,
    d31 smallint
);
CREATE TRIGGER h_tabel_keep_id_sequence_ahead AFTER INSERT ON accounts_dep.h_tabel
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.keep_id_sequence_ahead();

-- Maintenance works (7777) and work paid at the average piece rate (7778).
CREATE TABLE accounts_dep.fatigue (
    id        integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    id_p      numeric(15,0),
    id_o      numeric(15,0),
    id_nom    numeric(15,0),
    d_date    date,
    i_mnth    integer,
    i_year    integer,
    i_smena   integer,
    cnt       integer,
    price     numeric(15,4),
    i_holiday integer DEFAULT 0,
    i_night   integer DEFAULT 0
);
CREATE TRIGGER fatigue_keep_id_sequence_ahead AFTER INSERT ON accounts_dep.fatigue
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.keep_id_sequence_ahead();

-- Build stamp of the newest program and the decimal separator of masses.
-- Exactly one row; the unique index on a constant refuses a second one.
CREATE TABLE accounts_dep.ver (
    d     integer,
    t     integer,
    delim varchar(255)
);
CREATE UNIQUE INDEX ver_single_row ON accounts_dep.ver ((true));
INSERT INTO accounts_dep.ver (d, t, delim) VALUES (0, 0, '.');

-- Old workers and nomenclature tables, filled only by the legacy import.
CREATE TABLE accounts_dep.workers (
    id   integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    fio  varchar(128),
    addr varchar(128)
);
CREATE TRIGGER workers_keep_id_sequence_ahead AFTER INSERT ON accounts_dep.workers
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.keep_id_sequence_ahead();

CREATE TABLE accounts_dep.nomenkl (
    id    integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    nom   varchar(512),
    marka varchar(128)
);
CREATE TRIGGER nomenkl_keep_id_sequence_ahead AFTER INSERT ON accounts_dep.nomenkl
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.keep_id_sequence_ahead();

-- ---------------------------------------------------------------------------
-- Products as the workshop sees them: the goods rows with the caption of
-- their nomenclature group. id_nom is the product's nomenclature group, the
-- same number as id_class_item; the report by workers matches it with the
-- nomenclature group of the maintenance-work records.
-- ---------------------------------------------------------------------------
CREATE VIEW accounts_dep.izdel AS
SELECT g.id,
       g.s_caption::varchar(254) AS marka,
       i.s_caption::varchar(255) AS nom,
       g.massa,
       g.id_class_item,
       g.id_class_item AS id_nom
  FROM cmn_gds_and_srv.gds_and_srv g
  LEFT JOIN cmn_classifier.item i ON i.id = g.id_class_item;

-- The nomenclature group named by a text: the level-2 item with that caption,
-- created when there is none yet. An empty text names no group.
CREATE FUNCTION accounts_dep.nomenclature_group_by_caption(caption text) RETURNS numeric
LANGUAGE plpgsql AS $$
DECLARE
    grp numeric;
BEGIN
    IF caption IS NULL OR btrim(caption) = '' THEN
        RETURN NULL;
    END IF;
    SELECT id INTO grp
      FROM cmn_classifier.item
     WHERE id_level = 2 AND s_caption = caption
     ORDER BY id
     LIMIT 1;
    IF grp IS NULL THEN
        INSERT INTO cmn_classifier.item (id_level, s_caption)
        VALUES (2, caption)
        RETURNING id INTO grp;
    END IF;
    RETURN grp;
END
$$;

-- Writes into accounts_dep.izdel (the legacy import appends and deletes
-- products there) go to the goods table. A product written with a
-- nomenclature text but no group number is filed under the group of that
-- caption.
CREATE FUNCTION accounts_dep.izdel_write() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    grp numeric;
BEGIN
    IF TG_OP = 'DELETE' THEN
        DELETE FROM cmn_gds_and_srv.gds_and_srv WHERE id = OLD.id;
        IF NOT FOUND THEN
            RETURN NULL;
        END IF;
        RETURN OLD;
    END IF;

    IF TG_OP = 'INSERT' THEN
        grp := coalesce(NEW.id_class_item, NEW.id_nom,
                        accounts_dep.nomenclature_group_by_caption(NEW.nom));
        INSERT INTO cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa, id_class_item)
        VALUES (coalesce(NEW.id, nextval('cmn_gds_and_srv.gds_and_srv_id_seq')),
                NEW.marka, '', 6, NEW.massa, grp)
        RETURNING id INTO NEW.id;
    ELSE
        IF NEW.id_class_item IS DISTINCT FROM OLD.id_class_item THEN
            grp := NEW.id_class_item;
        ELSIF NEW.id_nom IS DISTINCT FROM OLD.id_nom THEN
            grp := NEW.id_nom;
        ELSIF NEW.nom IS DISTINCT FROM OLD.nom THEN
            grp := accounts_dep.nomenclature_group_by_caption(NEW.nom);
        ELSE
            grp := OLD.id_class_item;
        END IF;
        UPDATE cmn_gds_and_srv.gds_and_srv
           SET id = NEW.id, s_caption = NEW.marka, massa = NEW.massa, id_class_item = grp
         WHERE id = OLD.id;
        IF NOT FOUND THEN
            RETURN NULL;
        END IF;
    END IF;

    NEW.id_class_item := grp;
    NEW.id_nom := grp;
    NEW.nom := (SELECT s_caption FROM cmn_classifier.item WHERE id = grp);
    RETURN NEW;
END
$$;

CREATE TRIGGER izdel_write INSTEAD OF INSERT OR UPDATE OR DELETE ON accounts_dep.izdel
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.izdel_write();

-- ---------------------------------------------------------------------------
-- Workers are mirrored into the enterprise persons, where the journal, the
-- timesheets and the reports read their names: id = worker id,
-- s_code = the same number as text, s_caption = the name. Keeping id and
-- s_code equal means the journal's "id or s_code" join finds one row per
-- worker, never two.
-- When a worker is deleted, the person stays as long as work records, hours
-- or maintenance records still refer to the worker, so that history keeps its
-- name in the journal and the reports instead of silently dropping out of them.
-- ---------------------------------------------------------------------------
CREATE FUNCTION accounts_dep.person_mirror() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public AS $$
BEGIN
    IF TG_OP IN ('UPDATE', 'DELETE') AND (TG_OP = 'DELETE' OR NEW.id <> OLD.id) THEN
        IF NOT EXISTS (SELECT 1 FROM accounts_dep.smena WHERE w_id = OLD.id)
           AND NOT EXISTS (SELECT 1 FROM accounts_dep.h_tabel WHERE w_id = OLD.id)
           AND NOT EXISTS (SELECT 1 FROM accounts_dep.fatigue WHERE id_p = OLD.id) THEN
            DELETE FROM cmn_contractor.person WHERE id = OLD.id;
        END IF;
    END IF;
    IF TG_OP = 'DELETE' THEN
        RETURN OLD;
    END IF;
    INSERT INTO cmn_contractor.person (id, s_code, s_caption)
    VALUES (NEW.id, NEW.id::text, NEW.fio)
    ON CONFLICT (id) DO UPDATE SET s_code = EXCLUDED.s_code, s_caption = EXCLUDED.s_caption;
    RETURN NEW;
END
$$;

CREATE TRIGGER person_mirror AFTER INSERT OR UPDATE OR DELETE ON accounts_dep.person
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.person_mirror();

-- ---------------------------------------------------------------------------
-- Rights of the program's role: read everything it shows, write what it
-- writes, take keys from the sequences; no CREATE anywhere, no ownership.
-- The trigger functions above run with their owner's rights, so sys needs no
-- rights on what they keep in step (key sequences, enterprise persons).
-- ---------------------------------------------------------------------------
GRANT USAGE ON SCHEMA accounts_dep, cmn_contractor, cmn_classifier, cmn_gds_and_srv,
                      cmn_department, hrms_staffpos, adm_role TO sys;
GRANT SELECT ON ALL TABLES IN SCHEMA accounts_dep, cmn_contractor, cmn_classifier, cmn_gds_and_srv,
                                     cmn_department, hrms_staffpos, adm_role TO sys;
-- Workers, operation types and prices, norms, work records, the hours sheet,
-- maintenance hours, products and nomenclature groups; the old workers and
-- nomenclature tables and the products view for the legacy import.
GRANT INSERT, UPDATE, DELETE ON
    accounts_dep.person, accounts_dep.vid_oper, accounts_dep.oper, accounts_dep.norm,
    accounts_dep.smena, accounts_dep.h_tabel, accounts_dep.fatigue,
    accounts_dep.workers, accounts_dep.nomenkl, accounts_dep.izdel,
    cmn_gds_and_srv.gds_and_srv, cmn_classifier.item TO sys;
-- The build stamp of the newest program.
GRANT INSERT, UPDATE ON accounts_dep.ver TO sys;
-- New keys; the import moves a sequence past the largest key it copied (setval).
GRANT USAGE, UPDATE ON ALL SEQUENCES IN SCHEMA accounts_dep, cmn_classifier, cmn_gds_and_srv TO sys;

RESET ROLE;

COMMIT;

-- The indexes the program relies on for speed, as the enterprise database has them;
-- owned by the owner role like everything else here.
SET ROLE tabel_owner;
\ir indexes.sql
RESET ROLE;

-- Closed months and the triggers that keep them unchanged, as an administrator applies them.
SET ROLE tabel_owner;
\ir closing.sql
RESET ROLE;

-- Named users and the change log, as an administrator applies them.
SET ROLE tabel_owner;
\ir history.sql
RESET ROLE;
