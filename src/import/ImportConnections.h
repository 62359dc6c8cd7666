// The two ODBC connections of the legacy import: the earlier database, registered on the
// workstation as the data source "Tabel", and the target, the data source "Tabel_PgSQL".
#pragma once

#include <QSqlDatabase>
#include <QString>

inline const QString kLegacySourceDsn = QStringLiteral("Tabel");
inline const QString kImportTargetDsn = QStringLiteral("Tabel_PgSQL");

// Whether the workstation has an ODBC data source of that name (user or system).
bool hasOdbcDataSource(const QString& name);

// Both connections, opened on construction and closed on destruction, so that every import
// reads the data sources as they are registered at its start.
class ImportConnections {
public:
    // Throws DbError naming the data source and carrying the driver's text when one fails.
    ImportConnections();
    ~ImportConnections();
    ImportConnections(const ImportConnections&) = delete;
    ImportConnections& operator=(const ImportConnections&) = delete;

    QSqlDatabase source() const;
    QSqlDatabase target() const;
};
