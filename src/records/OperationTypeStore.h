// Writes of the operation types' reference book: a type entered or renamed, a type deleted.
#pragma once

#include <QString>

class Database;

// An operation type: its id (0 for one not stored yet) and its name, trimmed of blanks.
struct OperationType {
    int id = 0;
    QString name;
};

// Enters the type (id 0) or renames it. Refuses an empty name, one longer than the column and
// one another type has already, letter case aside (field "name"); a type deleted at another
// workstation throws StaleRowError.
void saveOperationType(Database& db, const OperationType& type);

// Refuses when work records or maintenance works refer to the type.
void refuseOperationTypeDeletionInUse(Database& db, int id);
// Deletes the type, checking again inside the deletion's transaction that nothing refers to it;
// a type already deleted elsewhere throws StaleRowError.
void deleteOperationType(Database& db, int id);
