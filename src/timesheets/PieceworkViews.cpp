// The four views of the piece-work timesheet and the month's totals.
#include "timesheets/PieceworkViews.h"

#include "data/Database.h"

namespace {

const PieceworkViewInfo kViews[] = {
    {PieceworkView::Piecework, QStringLiteral("piecework"), QStringLiteral("Табель сделка (27)"), 238, false,
     true},
    {PieceworkView::Maintenance, QStringLiteral("maintenance"), QStringLiteral("Табель хоз. работы (27)"),
     208, true, true},
    {PieceworkView::AverageRate, QStringLiteral("average"), QStringLiteral("Табель ср. сдельная (27)"), 208,
     true, true},
    {PieceworkView::General, QStringLiteral("all"), QStringLiteral("Общий табель (27)"), 304, false, false},
};

// The 31 day sums of the month's timesheet rows, d1 … d31.
QString daySums() {
    QStringList items;
    for (int d = 1; d <= 31; ++d)
        items << QStringLiteral("\tsum(h.d%1) as d%1").arg(d);
    return items.join(QStringLiteral(","));
}

QString journalViewSql() {
    return QStringList{
        QStringLiteral("select p.s_caption fio, p.id,h.i_type,"),
        QStringLiteral(
            "(select sum(s.time) from accounts_dep.smena s where s.data<:d_date1 and s.data>=:d_date2 "
            "and s.w_id=p.id) i_time,"),
        QStringLiteral("(select sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2)from accounts_dep.smena s where "
                       "s.data<:d_date3 and s.data>=:d_date4 and s.w_id=p.id) f_price,"),
        QStringLiteral("(select case when coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else "
                       "coalesce(sum((s.kol_vo-s.brak)*s.cena)/sum(time),0)::numeric(10,2) end from "
                       "accounts_dep.smena s where s.data<:d_date5 and s.data>=:d_date6 and s.w_id=p.id) "
                       "average_price,"),
        daySums(),
        QStringLiteral("from  cmn_contractor.person p, accounts_dep.h_tabel h"),
        QStringLiteral("where h.year=:i_year and h.month=:i_month and h.w_id=p.id and i_type=0"),
        QStringLiteral("group by p.id, p.s_caption, h.i_type"),
        QStringLiteral("order by fio")}
        .join(u'\n');
}

// The maintenance (7777) and average-rate (7778) views differ only in the type.
QString typeViewSql(int type) {
    const QString t = QString::number(type);
    return QStringList{
        QStringLiteral(
            "select p.s_caption fio, p.id,h.i_type, case when h.i_night=0 then 'дн.' else 'ноч.' end "
            "as s_night, h.i_night,"),
        QStringLiteral("(select sum(f.cnt) from accounts_dep.fatigue f where f.d_date<:d_date1 and "
                       "f.d_date>=:d_date2 and f.id_p=p.id and f.id_o=%1 and f.i_night=h.i_night) i_time,")
            .arg(t),
        QStringLiteral("(select sum(f.cnt*f.price)::numeric(10,2) from accounts_dep.fatigue f where "
                       "f.d_date<:d_date3 and f.d_date>=:d_date4 and f.id_p=p.id and f.id_o=%1 and "
                       "f.i_night=h.i_night) f_price,")
            .arg(t),
        QStringLiteral("(select case when coalesce(sum(f.cnt),0)::numeric(10,2)=0 then 0 else "
                       "coalesce(sum((f.cnt*f.price))/sum(f.cnt),0)::numeric(10,2) end "),
        QStringLiteral("from accounts_dep.fatigue f where f.d_date<:d_date5 and f.d_date>=:d_date6 and "
                       "f.id_p=p.id and f.id_o=%1 and f.i_night=h.i_night) average_price,")
            .arg(t),
        daySums(),
        QStringLiteral("from  cmn_contractor.person p, accounts_dep.h_tabel h"),
        QStringLiteral("where h.year=:i_year and h.month=:i_month and h.w_id=p.id and i_type=%1 ").arg(t),
        QStringLiteral("group by p.id, p.s_caption, h.i_type, h.i_night"),
        QStringLiteral("order by fio")}
        .join(u'\n');
}

QString generalViewSql() {
    return QStringList{
        QStringLiteral("select p.s_caption fio, p.id,"),
        QStringLiteral("coalesce((select sum(s.time) from accounts_dep.smena s where s.data<:d_date1 and "
                       "s.data>=:d_date2 and s.w_id=p.id),0)+"),
        QStringLiteral("coalesce((select sum(f.cnt) from accounts_dep.fatigue f where f.d_date<:d_date7 and "
                       "f.d_date>=:d_date8 and f.id_p=p.id),0) i_time,"),
        QStringLiteral(
            "coalesce((select sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2)from accounts_dep.smena s "
            "where s.data<:d_date3 and s.data>=:d_date4 and s.w_id=p.id),0)+ "),
        QStringLiteral("coalesce((select sum(f.cnt*f.price)::numeric(10,2)from accounts_dep.fatigue f where "
                       "f.d_date<:d_date5 and f.d_date>=:d_date6 and f.id_p=p.id),0) f_price,"),
        daySums(),
        QStringLiteral("from  cmn_contractor.person p, accounts_dep.h_tabel h"),
        QStringLiteral("where h.year=:i_year and h.month=:i_month and h.w_id=p.id"),
        QStringLiteral("group by p.id, p.s_caption"),
        QStringLiteral("order by fio"),
        QString()}
        .join(u'\n');
}

// The four totals in one statement, each part read once: the journal's records with a positive
// quantity and piece price, the maintenance and average-rate records with positive hours and
// price; a missing part of the sum counts 0.
const QString kTotals = QStringLiteral(
    "select j.price::numeric(100,2) as piecework, f.maintenance::numeric(100,2) as maintenance, "
    "f.average::numeric(100,2) as average, (coalesce(j.price,0)+coalesce(f.price,0))::numeric(20,2) as price "
    "from (select sum((s.kol_vo-s.brak)*s.cena) as price from accounts_dep.smena s where s.data<:next and "
    "s.data>=:first and s.cena>0 and s.kol_vo>0) j, "
    "(select sum(f.cnt*f.price) filter (where f.id_o=7777) as maintenance, sum(f.cnt*f.price) filter (where "
    "f.id_o=7778) as average, sum(f.cnt*f.price) as price from accounts_dep.fatigue f where f.d_date<:next "
    "and "
    "f.d_date>=:first and f.cnt>0 and f.price>0) f");

} // namespace

const PieceworkViewInfo& viewInfo(PieceworkView view) {
    for (const PieceworkViewInfo& info : kViews)
        if (info.view == view)
            return info;
    return kViews[0];
}

bool pieceworkViewByName(const QString& name, PieceworkView* view) {
    for (const PieceworkViewInfo& info : kViews)
        if (info.name == name) {
            *view = info.view;
            return true;
        }
    return false;
}

QString pieceworkViewSql(PieceworkView view) {
    switch (view) {
    case PieceworkView::Maintenance:
        return typeViewSql(7777);
    case PieceworkView::AverageRate:
        return typeViewSql(7778);
    case PieceworkView::General:
        return generalViewSql();
    case PieceworkView::Piecework:
        break;
    }
    return journalViewSql();
}

void setPieceworkMonth(Dataset& query, PieceworkView view, const TimesheetMonth& month) {
    query.setParam(QStringLiteral("i_month"), month.month);
    query.setParam(QStringLiteral("i_year"), month.year);
    for (int n = 1; n <= (view == PieceworkView::General ? 7 : 5); n += 2) {
        query.setParam(QStringLiteral("d_date%1").arg(n), month.next());
        query.setParam(QStringLiteral("d_date%1").arg(n + 1), month.first());
    }
}

PieceworkTotals readPieceworkTotals(Database& db, const TimesheetMonth& month) {
    Dataset totals(nullptr, db.connection().name());
    totals.setSql(kTotals);
    totals.setParam(QStringLiteral("first"), month.first());
    totals.setParam(QStringLiteral("next"), month.next());
    totals.open();
    const auto value = [&totals](const char* name) {
        return totals.fieldByName(QLatin1String(name)).value();
    };
    return {value("average"), value("maintenance"), value("piecework"), value("price")};
}
