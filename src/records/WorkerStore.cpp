// Writes of the workers' reference book.
#include "records/WorkerStore.h"

#include "data/Database.h"
#include "data/Transaction.h"
#include "records/ReferenceChecks.h"
#include "records/Refusal.h"

void saveWorker(Database& db, const Worker& worker, const QString& position) {
    const QString name = worker.name.trimmed();
    if (name.isEmpty())
        throw Refusal(QStringLiteral("ФИО нужно заполнить!"), QStringLiteral("name"));
    refuseIfTooLong(db, QStringLiteral("accounts_dep.person"), QStringLiteral("fio"), QStringLiteral("ФИО"),
                    name, QStringLiteral("name"));
    if (worker.id == 0)
        db.execute(QStringLiteral("INSERT INTO accounts_dep.person (fio, s_staffpos_hl)VALUES(") +
                   db.quote(name) + QStringLiteral(", ") + db.quote(position) + QStringLiteral(")"));
    else
        requireRowTouched(db.execute(QStringLiteral("UPDATE accounts_dep.person SET fio=") + db.quote(name) +
                                         QStringLiteral(", s_staffpos_hl=") + db.quote(position) +
                                         QStringLiteral(" where accounts_dep.person.id=:id"),
                                     {{QStringLiteral("id"), worker.id}}));
}

void refuseWorkerDeletionInUse(Database& db, int id) {
    refuseIfInUse(db,
                  QStringLiteral("select (select count(*) from accounts_dep.smena where w_id=:id) + "
                                 "(select count(*) from accounts_dep.fatigue where id_p=:id)"),
                  id,
                  QStringLiteral("Работника нельзя удалить: на него ссылаются записи журнала и "
                                 "хоз. работ (%1). Ничего не удалено."));
}

void deleteWorker(Database& db, int id) {
    Transaction transaction(db);
    refuseWorkerDeletionInUse(db, id);
    requireRowTouched(db.execute(QStringLiteral("delete from accounts_dep.person where id =:id"),
                                 {{QStringLiteral("id"), id}}));
    transaction.commit();
}
