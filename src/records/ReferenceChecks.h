// The checks the reference books' store functions share: a text too long for its column, a
// duplicate, a row still in use, a row changed at another workstation.
#pragma once

#include "data/Sql.h"

#include <QString>

class Database;

// Refuses (field) when the text, trimmed, is longer than the column (schema.table, column)
// holds; the text names the field by its caption and says the limit.
void refuseIfTooLong(Database& db, const QString& table, const QString& column, const QString& caption,
                     const QString& text, const QString& field);

// Refuses with the message (and field) when the statement counts a row (its column cnt above 0).
void refuseIfCounted(Database& db, const QString& countSql, const Params& values, const QString& message,
                     const QString& field = {});

// Refuses before a reference-book row is deleted while records refer to it: countSql counts
// them for the row :id, and the message takes their number for %1. The records would otherwise
// drop out of the journal, the timesheets and the reports.
void refuseIfInUse(Database& db, const QString& countSql, qint64 id, const QString& message);

// An update or delete by key that touched no row: the row was changed or deleted at another
// workstation (StaleRowError).
void requireRowTouched(int rowsTouched);
