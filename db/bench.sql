-- Large database for timing the program's statements: 300 workers, 36 months
-- of work records (about a million rows). Run after db/schema.sql, like demo.sql.
\set workers 300
\set months 36
\ir demo.sql
