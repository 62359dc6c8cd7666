// The average piece rate of a month, computed by the database in one statement.
#include "records/AverageRate.h"

#include "data/Database.h"
#include "data/Transaction.h"
#include "records/ClosedMonths.h"
#include "records/MaintenanceEntry.h"

#include <QDate>

int computeAverageRates(Transaction& transaction, Database& db, int year, int month) {
    const QDate from(year, month, 1);
    // A closed month's prices were paid: they stay.
    refuseClosedMonths(transaction, db, std::vector<YearMonth>{YearMonth{year, month}});
    // The journal of the month: from its first day up to the first day of the next month,
    // exclusive (December reaches to 1 January of the next year).
    const int priced = db.execute(
        QStringLiteral(
            "UPDATE accounts_dep.fatigue f SET price=coalesce((select case when "
            "coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else "
            "coalesce(sum((s.kol_vo-s.brak)*(s.cena+s.cena*f.i_holiday+s.cena*f.i_night*0.2))/sum(time),0)"
            "::numeric(10,2) end as price from accounts_dep.smena s, accounts_dep.person p where "
            "s.data<:next_month and s.data>=:month_start and p.id=s.w_id and p.id=f.id_p group by p.id),0) "
            "where i_mnth=:month and i_year=:year and id_o=:type"),
        {{QStringLiteral("month_start"), from},
         {QStringLiteral("next_month"), from.addMonths(1)},
         {QStringLiteral("month"), month},
         {QStringLiteral("year"), year},
         {QStringLiteral("type"), kAverageRateWork}});
    return priced;
}
