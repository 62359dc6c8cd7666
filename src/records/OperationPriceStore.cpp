// Writes of the operation prices' reference book.
#include "records/OperationPriceStore.h"

#include "data/Database.h"
#include "data/Transaction.h"
#include "records/ReferenceChecks.h"

int saveOperationPrice(Database& db, const OperationPriceEntry& price) {
    const QString duplicate = QStringLiteral("Операция с такими параметрами уже заведена!");
    Params values{{QStringLiteral("vid"), price.operationTypeId},
                  {QStringLiteral("naimen"), price.kind},
                  {QStringLiteral("i_id"), price.productId}};
    // The check and the write in one transaction, so that the new row's id read back is its own.
    Transaction transaction(db);
    int id = price.id;
    if (id == 0) {
        refuseIfCounted(db,
                        QStringLiteral("select count(ID) as cnt from accounts_dep.OPER where vid=:vid and "
                                       "naimen=:naimen and i_id=:i_id"),
                        values, duplicate);
        db.execute(QStringLiteral("insert into accounts_dep.oper(vid, naimen, i_id, cena_new)values (:vid, "
                                  ":naimen, :i_id, 0)"),
                   values);
        // The new row's id, so that its norms can be entered next.
        id = db.readValue(QStringLiteral("select max(id) from accounts_dep.oper where vid=:type and "
                                         "naimen=:kind and i_id=:product"),
                          {{QStringLiteral("type"), price.operationTypeId},
                           {QStringLiteral("kind"), price.kind},
                           {QStringLiteral("product"), price.productId}})
                 .toInt();
    } else {
        values.insert(QStringLiteral("id"), id);
        refuseIfCounted(db,
                        QStringLiteral("select count(*) as cnt from accounts_dep.OPER where vid=:vid and "
                                       "naimen=:naimen and i_id=:i_id and id<>:id"),
                        values, duplicate);
        requireRowTouched(db.execute(
            QStringLiteral("update accounts_dep.oper set vid=:vid, naimen=:naimen,  i_id=:i_id where "
                           "id=:id"),
            values));
    }
    transaction.commit();
    return id;
}

void refuseOperationPriceDeletionInUse(Database& db, int id) {
    refuseIfInUse(db, QStringLiteral("select count(*) from accounts_dep.smena where o_id=:id"), id,
                  QStringLiteral("Расценку нельзя удалить: на неё ссылаются записи журнала (%1). "
                                 "Ничего не удалено."));
}

void deleteOperationPrice(Database& db, int id) {
    Transaction transaction(db);
    refuseOperationPriceDeletionInUse(db, id);
    requireRowTouched(db.execute(QStringLiteral("delete from accounts_dep.oper where id=:id"),
                                 {{QStringLiteral("id"), id}}));
    transaction.commit();
}
