// The newest program's stamp, moved forward only.
#include "records/ProgramStamp.h"

#include "data/Database.h"
#include "data/Transaction.h"

void advanceProgramStamp(Database& db, int buildDate, int buildTime) {
    Transaction transaction(db);
    const Params stamp{{QStringLiteral("d"), buildDate},
                       {QStringLiteral("t"), buildTime},
                       {QStringLiteral("newer_d"), buildDate},
                       {QStringLiteral("newer_t"), buildTime}};
    if (db.execute(
            QStringLiteral("update accounts_dep.ver set d=:d, t=:t where (coalesce(d, 0), coalesce(t, 0)) "
                           "< (cast(:newer_d as integer), cast(:newer_t as integer))"),
            stamp) == 0)
        db.execute(
            QStringLiteral("insert into accounts_dep.ver (d, t) select :d, :t where not exists (select 1 "
                           "from accounts_dep.ver)"),
            {{QStringLiteral("d"), buildDate}, {QStringLiteral("t"), buildTime}});
    transaction.commit();
}
