// Writes of the products' reference book: a product entered or changed, a product deleted with
// its operation prices and work records.
#pragma once

#include <QString>

class Database;

// A product as its editor writes it: the id (0 for a new product), the mark, the rate as typed
// (stored in massa) and its nomenclature group (0 when none is chosen).
struct ProductEntry {
    qint64 id = 0;
    QString mark;
    QString rate;
    qint64 groupId = 0;
};

// Enters the product (id 0) or changes it. Refuses an empty field, a rate that is no number
// (field "rate"), a mark longer than the column or already taken by another product, letter
// case aside (field "mark"); a product deleted at another workstation throws StaleRowError.
void saveProduct(Database& db, const ProductEntry& product);

// The rate as it is written into the statements, or an empty text when the typed text is no
// number. Through the separator fix (a change) the database separator takes the typed one's
// place, as long as the result still reads as the same plain number.
QString rateForStatement(Database& db, const QString& typed, bool throughSeparatorFix);

// Deletes the product, with its operation prices and its work records when asked, in one
// transaction: a product already deleted at another workstation (StaleRowError) or any refused
// statement takes nothing with it. Work records of a closed month are not deleted: the whole
// delete is refused (Refusal naming the month).
void deleteProduct(Database& db, qint64 id, bool withPrices, bool withRecords);
