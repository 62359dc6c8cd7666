-- Indexes and planner statistics the workshop timesheet program relies on for speed.
--
-- The program creates no database objects: an administrator applies this file to the
-- enterprise database once (and again after a change of it; every statement may be repeated):
--     psql -v ON_ERROR_STOP=1 -d kor_erp -f db/indexes.sql
-- as the owner of the tables or a superuser. Without these objects the program works the
-- same, only slower: the journal's day change, the lists and the year's reports take seconds
-- instead of fractions of one on a database with some million work records.
-- db/schema.sql applies this file at its end, so development, test and demo databases have
-- them too.

\set ON_ERROR_STOP on
SET client_min_messages = warning;

-- ---------------------------------------------------------------------------
-- Enterprise tables
-- ---------------------------------------------------------------------------

-- Nomenclature groups by level and caption (the products editor files a product under
-- the group named by its text).
CREATE INDEX IF NOT EXISTS item_level_caption ON cmn_classifier.item (id_level, s_caption);

-- Products by caption (the duplicate check of the products editor) and by group.
CREATE INDEX IF NOT EXISTS gds_and_srv_upper_caption ON cmn_gds_and_srv.gds_and_srv (upper(s_caption));
CREATE INDEX IF NOT EXISTS gds_and_srv_class_item ON cmn_gds_and_srv.gds_and_srv (id_class_item);

-- The journal finds a worker by "w_id = person.id or s_code::t_id = w_id"; this index
-- serves the second half, so the join stays an index lookup.
CREATE INDEX IF NOT EXISTS person_s_code_id ON cmn_contractor.person ((s_code::t_id));

-- Persons in the order of their names. The reports by workers are ordered by the name:
-- with this index the server reads the work records worker after worker in that order and
-- sends the first rows at once, so the preview shows its first page while the rest of the
-- year is still being summed.
CREATE INDEX IF NOT EXISTS person_caption ON cmn_contractor.person (s_caption);

-- ---------------------------------------------------------------------------
-- The workshop's own tables
-- ---------------------------------------------------------------------------

CREATE INDEX IF NOT EXISTS person_fio ON accounts_dep.person (fio);

CREATE INDEX IF NOT EXISTS oper_i_id ON accounts_dep.oper (i_id);
CREATE INDEX IF NOT EXISTS oper_vid ON accounts_dep.oper (vid);

CREATE INDEX IF NOT EXISTS norm_o_id ON accounts_dep.norm (o_id);

-- Work records of a day and shift: the journal.
CREATE INDEX IF NOT EXISTS smena_data_smena ON accounts_dep.smena (data, smena);
-- Work records of a worker in a period, with the columns the timesheets and both reports
-- by workers sum (the bonus too): those statements are answered from the index alone, without
-- visiting the table's rows. It replaces smena_w_id_data_sums, which lacked the bonus; the new
-- index is made before the old one goes, so the statements never go without one.
CREATE INDEX IF NOT EXISTS smena_w_id_data_amounts ON accounts_dep.smena (w_id, data)
    INCLUDE (i_id, o_id, kol_vo, brak, cena, color, time, prize);
DROP INDEX IF EXISTS accounts_dep.smena_w_id_data_sums;
-- Work records of a period with what the month's totals sum, the timesheet rebuild groups and
-- the reports by products sum per product, operation price and colour: the piece-work
-- timesheet's totals, the rebuild of a month's shift rows and the reports by products read this
-- index alone, day after day. It replaces smena_data_sums, which lacked the product, the
-- operation price and the colour.
CREATE INDEX IF NOT EXISTS smena_data_amounts ON accounts_dep.smena (data)
    INCLUDE (smena, w_id, i_id, o_id, color, time, kol_vo, brak, cena);
DROP INDEX IF EXISTS accounts_dep.smena_data_sums;
CREATE INDEX IF NOT EXISTS smena_o_id ON accounts_dep.smena (o_id);
-- (i_id, data): the products list counts a product's records from a date on.
CREATE INDEX IF NOT EXISTS smena_i_id_data ON accounts_dep.smena (i_id, data);
-- The products' key is numeric (goods ids) and the work records name them by an integer:
-- the joins compare i_id::numeric. With statistics on that expression the planner knows
-- how many records such a join yields, and chooses its plan by the real numbers.
CREATE STATISTICS IF NOT EXISTS accounts_dep.smena_i_id_numeric ON ((i_id::numeric)) FROM accounts_dep.smena;

CREATE INDEX IF NOT EXISTS h_tabel_w_id_month_year ON accounts_dep.h_tabel (w_id, month, year);
CREATE INDEX IF NOT EXISTS h_tabel_month_year_smena ON accounts_dep.h_tabel (month, year, smena);
-- The years that have timesheet rows (the year list of the piece-work timesheet), one probe each.
CREATE INDEX IF NOT EXISTS h_tabel_year ON accounts_dep.h_tabel (year);

-- Maintenance works and average piece-rate work.
CREATE INDEX IF NOT EXISTS fatigue_mnth_year ON accounts_dep.fatigue (i_mnth, i_year);
CREATE INDEX IF NOT EXISTS fatigue_date ON accounts_dep.fatigue (d_date);
-- A worker's amounts in a period (of every type), and of one type (and nomenclature group):
-- the report by workers sums them for every one of its rows, from these indexes alone. The
-- amount cnt*price is kept in the index as well, so the sums read it instead of working it out
-- for every row they add up.
DROP INDEX IF EXISTS accounts_dep.fatigue_id_p_date_sums;
DROP INDEX IF EXISTS accounts_dep.fatigue_person_type_group_date;
CREATE INDEX IF NOT EXISTS fatigue_person_date_amount
    ON accounts_dep.fatigue (id_p, d_date, (cnt * price)) INCLUDE (cnt, price);
CREATE INDEX IF NOT EXISTS fatigue_person_type_group_date_amount
    ON accounts_dep.fatigue (id_p, id_o, id_nom, d_date, (cnt * price)) INCLUDE (cnt, price);

-- The planner's numbers for the tables above, at once rather than at the next automatic
-- analysis.
ANALYZE cmn_contractor.person;
ANALYZE accounts_dep.smena;
ANALYZE accounts_dep.fatigue;
