// Writes of the nomenclature groups' reference book: a group entered or renamed.
#pragma once

#include <QString>

class Database;

// A nomenclature group: its id (0 for one not stored yet) and its name (the picker hands it
// back exactly as stored, blanks included).
struct NomenclatureGroup {
    qint64 id = 0;
    QString name;
};

// Enters the group (id 0) or renames it, its name trimmed of blanks. Refuses an empty name (a
// group is known by its name: an empty one would be a row nobody can find or pick) and one
// longer than the column (field "name"); a group deleted at another workstation throws
// StaleRowError.
void saveNomenclatureGroup(Database& db, const NomenclatureGroup& group);
