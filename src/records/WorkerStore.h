// Writes of the workers' reference book: a worker entered or changed, a worker deleted.
#pragma once

#include <QString>

class Database;

// A worker: the id (0 for one not stored yet) and the name, trimmed of blanks.
struct Worker {
    int id = 0;
    QString name;
};

// Enters the worker (id 0) or changes its name, with the position as stored in
// accounts_dep.person.s_staffpos_hl (a caption of hrms_staffpos.staffpos). Refuses an empty name and one
// longer than the column (field "name"); a worker deleted at another workstation meanwhile
// throws StaleRowError.
void saveWorker(Database& db, const Worker& worker, const QString& position);

// Refuses when work records or maintenance works refer to the worker.
void refuseWorkerDeletionInUse(Database& db, int id);
// Deletes the worker, checking again inside the deletion's transaction that nothing refers to
// it; a worker already deleted elsewhere throws StaleRowError.
void deleteWorker(Database& db, int id);
