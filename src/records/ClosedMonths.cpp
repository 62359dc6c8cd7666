// Closed months: the one check of the writes, the list, closing and reopening.
#include "records/ClosedMonths.h"

#include "data/Database.h"
#include "data/Sql.h"
#include "data/Transaction.h"
#include "records/Refusal.h"
#include "records/UserStore.h"

#include <QSqlQuery>
#include <QSysInfo>
#include <algorithm>

namespace {

// The longest reason a reopening keeps, and the longest "by whom" (their columns).
constexpr int kNoteLength = 1000;
constexpr int kByLength = 254;

QString monthKeys(const std::vector<YearMonth>& months) {
    QStringList keys;
    for (const YearMonth& m : months)
        keys << QString::number(m.key());
    return QLatin1Char('{') + keys.join(QLatin1Char(',')) + QLatin1Char('}');
}

MonthClosing closingOfRow(const QSqlQuery& q) {
    MonthClosing c;
    c.month = {q.value(0).toInt(), q.value(1).toInt()};
    c.closed = !q.value(2).isNull();
    c.closedAt = q.value(2).toDateTime();
    c.closedBy = q.value(3).toString();
    c.note = q.value(4).toString();
    return c;
}

} // namespace

QString YearMonth::text() const {
    return QStringLiteral("%1.%2").arg(month, 2, 10, QLatin1Char('0')).arg(year);
}

QString closedMonthText(const YearMonth& month) {
    return QStringLiteral("Месяц %1 закрыт: его записи не изменяются.").arg(month.text());
}

bool closingInstalled(Database& db) {
    return closingInstalled(db.connection().database());
}

bool closingInstalled(const QSqlDatabase& connection) {
    QSqlQuery q = runStatement(connection,
                               QStringLiteral("select to_regclass('accounts_dep.closed_month') is not null"));
    return q.next() && q.value(0).toBool();
}

std::vector<YearMonth> closedAmong(const QSqlDatabase& connection, std::vector<YearMonth> months) {
    std::vector<YearMonth> closed;
    if (months.empty() || !closingInstalled(connection))
        return closed;
    QSqlQuery q = runStatement(
        connection,
        QStringLiteral("select year, month from accounts_dep.closed_month where closed_at is not null "
                       "and year * 100 + month = any(cast(:months as integer[])) order by year, month"),
        {{QStringLiteral("months"), monthKeys(months)}});
    while (q.next())
        closed.push_back({q.value(0).toInt(), q.value(1).toInt()});
    return closed;
}

void refuseClosedMonths(Transaction& transaction, Database& db, std::vector<YearMonth> months) {
    std::sort(months.begin(), months.end());
    months.erase(std::unique(months.begin(), months.end()), months.end());
    if (months.empty())
        return;
    // The locks first, in one order: the check then sees a closing that was under way.
    for (const YearMonth& m : months)
        transaction.lockShared(LockSpace::ClosedMonth, m.key());
    const std::vector<YearMonth> closed = closedAmong(db.connection().database(), std::move(months));
    if (!closed.empty())
        throw Refusal(closedMonthText(closed.front()));
}

void refuseClosedDays(Transaction& transaction, Database& db, std::initializer_list<QDate> days) {
    std::vector<YearMonth> months;
    for (const QDate& d : days)
        if (d.isValid())
            months.push_back(YearMonth::of(d));
    refuseClosedMonths(transaction, db, std::move(months));
}

bool isMonthClosed(Database& db, const YearMonth& month) {
    if (!closingInstalled(db))
        return false;
    return db.readValue(QStringLiteral("select count(*) from accounts_dep.closed_month where year=:year and "
                                       "month=:month and closed_at is not null"),
                        {{QStringLiteral("year"), month.year}, {QStringLiteral("month"), month.month}})
               .toInt() > 0;
}

std::vector<MonthClosing> closedMonths(Database& db) {
    return closedMonths(db.connection().database());
}

std::vector<MonthClosing> closedMonths(const QSqlDatabase& connection) {
    std::vector<MonthClosing> out;
    if (!closingInstalled(connection))
        return out;
    QSqlQuery q =
        runStatement(connection, QStringLiteral("select year, month, closed_at, closed_by, note from "
                                                "accounts_dep.closed_month where closed_at is not null "
                                                "order by year, month"));
    while (q.next())
        out.push_back(closingOfRow(q));
    return out;
}

std::vector<MonthClosing> monthsWithClosing(Database& db) {
    // The months between the first and the last record, each looked up in the indexes by date,
    // rather than every record read; the timesheet rows by their year and month.
    QSqlQuery q = runStatement(
        db.connection().database(),
        QStringLiteral(
            "with bounds as (select least((select min(data) from accounts_dep.smena), "
            "(select min(d_date) from accounts_dep.fatigue)) as first_day, "
            "greatest((select max(data) from accounts_dep.smena), (select max(d_date) from "
            "accounts_dep.fatigue)) as last_day), "
            "month_starts as (select cast(generate_series(date_trunc('month', first_day), "
            "date_trunc('month', last_day), interval '1 month') as date) as m from bounds "
            "where first_day is not null), "
            "with_records as (select cast(extract(year from m) as integer) as year, "
            "cast(extract(month from m) as integer) as month from month_starts "
            "where exists (select 1 from accounts_dep.smena where data >= m and data < m + interval '1 "
            "month') "
            "or exists (select 1 from accounts_dep.fatigue where d_date >= m and d_date < m + interval '1 "
            "month') "
            "union select distinct year, month from accounts_dep.h_tabel where month between 1 and 12 "
            "and year between 1900 and 9999 "
            "union select year, month from accounts_dep.closed_month) "
            "select r.year, r.month, c.closed_at, c.closed_by, c.note from with_records r "
            "left join accounts_dep.closed_month c on c.year = r.year and c.month = r.month "
            "order by r.year desc, r.month desc"));
    std::vector<MonthClosing> out;
    while (q.next())
        out.push_back(closingOfRow(q));
    return out;
}

bool closeMonth(Database& db, const YearMonth& month, const QString& by) {
    // One statement: a month closed at another workstation at the same moment is closed once,
    // and this one learns that it found it closed.
    return db.execute(
               QStringLiteral("insert into accounts_dep.closed_month (year, month, closed_at, closed_by) "
                              "values (:year, :month, now(), :by) on conflict (year, month) do update "
                              "set closed_at = excluded.closed_at, closed_by = excluded.closed_by "
                              "where accounts_dep.closed_month.closed_at is null"),
               {{QStringLiteral("year"), month.year},
                {QStringLiteral("month"), month.month},
                {QStringLiteral("by"), by.left(kByLength)}}) > 0;
}

bool reopenMonth(Database& db, const YearMonth& month, const QString& by, const QString& reason) {
    const QString note = reason.trimmed();
    if (note.isEmpty())
        throw Refusal(QStringLiteral("Укажите причину, по которой месяц открывается вновь."),
                      QStringLiteral("reason"));
    if (note.size() > kNoteLength)
        throw Refusal(QStringLiteral("Причина слишком длинная: не больше %1 знаков.").arg(kNoteLength),
                      QStringLiteral("reason"));
    return db.execute(
               QStringLiteral("update accounts_dep.closed_month set closed_at = null, closed_by = :by, "
                              "note = :note where year = :year and month = :month and closed_at is "
                              "not null"),
               {{QStringLiteral("year"), month.year},
                {QStringLiteral("month"), month.month},
                {QStringLiteral("by"), by.left(kByLength)},
                {QStringLiteral("note"), note}}) > 0;
}

QString workstationName() {
    // A user logged in by a code of its own is named; after a built-in code, the computer's user.
    const QString named = loggedInUser();
    if (!named.isEmpty())
        return (named + QLatin1Char('@') + QSysInfo::machineHostName()).left(254); // closed_by's length
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    const QString host = QSysInfo::machineHostName();
    return user.isEmpty() ? host : user + QLatin1Char('@') + host;
}
