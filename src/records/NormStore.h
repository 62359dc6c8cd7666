// Writes of the norms of an operation price: a norm entered or changed, a norm deleted (never
// the last one).
#pragma once

#include "data/Sql.h"

class Database;

// A norm's change as the norms grid writes it: the norm (id 0 for a new one), its operation
// price and the values typed into it, by field (norma, price, prize; only those changed).
struct NormChange {
    qint64 id = 0;
    int operationPriceId = 0;
    Params values;
};

// Writes the change and returns the norm's id (the new one after an add). A new norm without a
// price, or a price cleared, is refused (Refusal on the field "price"). Only the fields
// changed are written, so a change of another field at another workstation stays; a norm
// deleted there meanwhile throws StaleRowError.
qint64 saveNorm(Database& db, const NormChange& change);

// Deletes the norm unless it is the last of its operation price (an operation price without
// norms drops out of the price list and its picker); false when it was kept. Two workstations
// deleting norms of one operation price take turns, so together they cannot delete the last
// one either. A norm already deleted elsewhere throws StaleRowError.
bool deleteNorm(Database& db, qint64 id, int operationPriceId);
