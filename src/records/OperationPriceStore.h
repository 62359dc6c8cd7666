// Writes of the operation prices' reference book: a price entered or changed, a price deleted.
#pragma once

#include <QtGlobal>

class Database;

// An operation price as its editor writes it: the id (0 for a new one), the product, the
// operation type and the kind (0 finished products, 1 blanks).
struct OperationPriceEntry {
    int id = 0;
    qint64 productId = 0;
    int operationTypeId = 0;
    int kind = 0;
};

// Enters the operation price (id 0, its stored price 0) or changes it; returns its id (the new
// one after an add). Refuses when another operation price has the same product, operation type
// and kind; one deleted at another workstation throws StaleRowError.
int saveOperationPrice(Database& db, const OperationPriceEntry& price);

// Refuses when work records refer to the operation price.
void refuseOperationPriceDeletionInUse(Database& db, int id);
// Deletes the operation price, checking again inside the deletion's transaction that no work
// record refers to it; one already deleted elsewhere throws StaleRowError.
void deleteOperationPrice(Database& db, int id);
