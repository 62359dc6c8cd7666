// Writes of the norms of an operation price.
#include "records/NormStore.h"

#include "data/Database.h"
#include "data/Transaction.h"
#include "records/ReferenceChecks.h"
#include "records/Refusal.h"

#include <QStringList>

namespace {

// The fields of a norm the grid changes.
const QStringList kNormFields{QStringLiteral("norma"), QStringLiteral("price"), QStringLiteral("prize")};

} // namespace

qint64 saveNorm(Database& db, const NormChange& change) {
    QStringList columns;
    Params values;
    for (auto it = change.values.cbegin(); it != change.values.cend(); ++it) {
        const QString field = it.key().toLower();
        if (!kNormFields.contains(field))
            throw DbError(QStringLiteral("Норматив не имеет поля %1").arg(it.key()));
        columns << field;
        values.insert(field, it.value());
    }
    // A norm's price is the piece price of its operation: a norm without one would price the
    // operation's records at nothing.
    const QString priceField = QStringLiteral("price");
    const bool priceCleared = values.contains(priceField) && values.value(priceField).isNull();
    const bool newWithoutPrice = change.id == 0 && !values.contains(priceField);
    if (priceCleared || newWithoutPrice)
        throw Refusal(QStringLiteral("У норматива должна быть цена!"), priceField);
    if (change.id == 0) {
        columns.prepend(QStringLiteral("o_id"));
        values.insert(QStringLiteral("o_id"), change.operationPriceId);
        QStringList placeholders;
        for (const QString& c : columns)
            placeholders << u':' + c;
        return db
            .readValue(QStringLiteral("insert into accounts_dep.norm (%1) values (%2) returning id")
                           .arg(columns.join(u','), placeholders.join(u',')),
                       values)
            .toLongLong();
    }
    if (columns.isEmpty())
        return change.id;
    QStringList sets;
    for (const QString& c : columns)
        sets << c + QStringLiteral("=:") + c;
    values.insert(QStringLiteral("id"), change.id);
    requireRowTouched(db.execute(
        QStringLiteral("update accounts_dep.norm set %1 where id=:id").arg(sets.join(u',')), values));
    return change.id;
}

bool deleteNorm(Database& db, qint64 id, int operationPriceId) {
    const Params price{{QStringLiteral("o_id"), operationPriceId}};
    Transaction transaction(db);
    // The operation price's row is locked first: a second workstation deleting one of its norms
    // waits here and then counts what this one left.
    db.readValue(QStringLiteral("select id from accounts_dep.oper where id=:o_id for update"), price);
    const qint64 norms =
        db.readValue(QStringLiteral("select count(*) from accounts_dep.norm where o_id=:o_id"), price)
            .toLongLong();
    if (norms <= 1)
        return false;
    requireRowTouched(db.execute(QStringLiteral("delete from accounts_dep.norm where id=:id"),
                                 {{QStringLiteral("id"), id}}));
    transaction.commit();
    return true;
}
