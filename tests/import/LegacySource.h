// The earlier database for the import's tests and benchmark: an SQLite file registered as the
// ODBC data source "Tabel", beside a PostgreSQL database registered as "Tabel_PgSQL", both in a
// private ODBC configuration of this process.
#pragma once

#include <QSqlDatabase>
#include <QString>

class LegacySource {
public:
    // Registers both data sources in a folder of this process (unixODBC reads it through
    // ODBCSYSINI) and creates the seven legacy tables, empty, in a new SQLite file. unixODBC
    // keeps what it read of the configuration for a while: every object of one process must
    // name the same target database, and the SQLite file keeps its path.
    LegacySource(const QString& targetDatabase, const QString& host);
    ~LegacySource();

    // Rewrites the configuration with or without the legacy data source (for other processes
    // and for the look-up of the data sources, which read it anew).
    void registerDataSources(bool withLegacySource);

    // The SQLite file through its own ODBC connection.
    QSqlDatabase connection() const;
    void exec(const QString& sql);

    // The legacy journal table "smena" in the public schema of a PostgreSQL database, where the
    // program's search path finds it.
    static QString journalTableSql();

private:
    QString m_folder;
    QString m_targetDatabase;
    QString m_host;
};
