// Writes of the operation types' reference book.
#include "records/OperationTypeStore.h"

#include "data/Database.h"
#include "data/Transaction.h"
#include "records/ReferenceChecks.h"
#include "records/Refusal.h"

void saveOperationType(Database& db, const OperationType& type) {
    const QString name = type.name.trimmed();
    const QString field = QStringLiteral("name");
    if (name.isEmpty())
        throw Refusal(QStringLiteral("Все поля должны быть заполнены!"), field);
    refuseIfTooLong(db, QStringLiteral("accounts_dep.vid_oper"), QStringLiteral("vid"),
                    QStringLiteral("Операция"), name, field);
    QString check = QStringLiteral("select count(*) as cnt from accounts_dep.vid_oper where upper(vid)=") +
                    db.quote(name.toUpper());
    if (type.id != 0)
        check += QStringLiteral(" and id<>:id");
    refuseIfCounted(db, check, type.id != 0 ? Params{{QStringLiteral("id"), type.id}} : Params{},
                    QStringLiteral("Такая операция уже заведена!"), field);
    if (type.id == 0)
        db.execute(QStringLiteral("insert into accounts_dep.vid_oper (vid) values (:vid)"),
                   {{QStringLiteral("vid"), name}});
    else
        requireRowTouched(db.execute(QStringLiteral("update accounts_dep.vid_oper set vid=:vid where id=:id"),
                                     {{QStringLiteral("vid"), name}, {QStringLiteral("id"), type.id}}));
}

void refuseOperationTypeDeletionInUse(Database& db, int id) {
    refuseIfInUse(
        db,
        QStringLiteral("select (select count(*) from accounts_dep.smena s join accounts_dep.oper o on "
                       "o.id=s.o_id where o.vid=:id) + (select count(*) from accounts_dep.fatigue where "
                       "id_o=:id)"),
        id,
        QStringLiteral("Вид операции нельзя удалить: на него ссылаются записи журнала и хоз. работ (%1). "
                       "Ничего не удалено."));
}

void deleteOperationType(Database& db, int id) {
    Transaction transaction(db);
    refuseOperationTypeDeletionInUse(db, id);
    requireRowTouched(db.execute(QStringLiteral("delete from accounts_dep.vid_oper where id=:id"),
                                 {{QStringLiteral("id"), id}}));
    transaction.commit();
}
