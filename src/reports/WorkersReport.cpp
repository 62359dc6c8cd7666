// Printed report by workers.
#include "reports/WorkersReport.h"

using namespace reportengine;
using namespace reportstyle;

// The server reads the period worker after worker in the order of their names (each person row
// once per name and code; rows that share both count as often as the work records would be joined
// with them), sums each worker's records on their keys (product, operation price, colour) before
// it looks up any name, and the worker's maintenance and average-rate amounts once per worker and
// nomenclature group. Products and operation types are ranked in the order of their names once,
// so that each worker's rows are sorted by numbers instead of by texts. The first rows come while
// the rest of the period is still being summed.
QString WorkersReport::reportSql() {
    return QStringList{
        QStringLiteral("with product as materialized (select izdel.id, izdel.nom, izdel.id_nom, "
                       "dense_rank() over (order by izdel.nom) nom_rank from accounts_dep.izdel),"),
        QStringLiteral("kind as materialized (select oper.id, oper.naimen, vid_oper.vid, "
                       "dense_rank() over (order by vid_oper.vid) vid_rank"),
        QStringLiteral("from accounts_dep.oper join accounts_dep.vid_oper on vid_oper.id=oper.vid)"),
        QStringLiteral("select p.fio, w.kolvo, w.vid, w.summa, w.nom, w.naimen, w.color, w.f_sum7, w.f_sum8, "
                       "w.f_sum78,"),
        QStringLiteral("t.f_sum7_all, t.f_sum8_all"),
        QStringLiteral(
            "from (select s_caption fio, s_code::integer code, count(*) copies from cmn_contractor.person"),
        QStringLiteral("group by s_caption, s_code::integer order by s_caption) p"),
        QStringLiteral("cross join lateral ("),
        QStringLiteral(
            "select g.kolvo, g.vid, g.summa, g.nom, g.naimen, g.color, g.id_nom, g.nom_rank, g.vid_rank,"),
        QStringLiteral(
            "coalesce(f.s7,0)::numeric(10,2) f_sum7, coalesce(f.s8,0)::numeric(10,2) f_sum8, g.f_sum78"),
        QStringLiteral("from (select (sum(r.k)*p.copies)::numeric(10,2) kolvo, kind.vid, "
                       "(sum(r.s)*p.copies)::numeric(10,2) summa,"),
        QStringLiteral("product.nom, kind.naimen, r.color, product.id_nom, product.nom_rank, kind.vid_rank,"),
        QStringLiteral("(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) from accounts_dep.fatigue f"),
        QStringLiteral("where f.id_p=p.code and f.d_date>=:data1 and f.d_date<:data2) f_sum78"),
        QStringLiteral("from (select i_id, o_id, color, sum(kol_vo-brak) k, sum((kol_vo-brak)*cena) s from "
                       "accounts_dep.smena"),
        QStringLiteral("where w_id=p.code and data>=:data1 and data<:data2 group by i_id, o_id, color) r"),
        QStringLiteral("join product on product.id=r.i_id"),
        QStringLiteral("join kind on kind.id=r.o_id"),
        QStringLiteral("group by product.nom_rank, kind.vid_rank, product.id_nom, kind.naimen, r.color, "
                       "product.nom, kind.vid) g"),
        QStringLiteral("left join (select id_nom, sum(cnt*price) filter (where id_o=7777) s7, sum(cnt*price) "
                       "filter (where id_o=7778) s8"),
        QStringLiteral("from accounts_dep.fatigue where id_p=p.code and d_date>=:data1 and d_date<:data2 "
                       "group by id_nom) f"),
        QStringLiteral("on f.id_nom=g.id_nom) w"),
        QStringLiteral("cross join (select coalesce(sum(cnt*price) filter (where "
                       "id_o=7777),0)::numeric(10,2) f_sum7_all,"),
        QStringLiteral("coalesce(sum(cnt*price) filter (where id_o=7778),0)::numeric(10,2) f_sum8_all"),
        QStringLiteral("from accounts_dep.fatigue where d_date>=:data1 and d_date<:data2) t"),
        QStringLiteral("order by p.fio, w.nom_rank, w.vid_rank, p.code, w.id_nom, w.naimen, w.color")}
        .join(u'\n');
}

namespace {

// Columns, in millimetres from the left margin.
constexpr double kKindX = 4, kKindW = 32;
constexpr double kVidX = 36, kVidW = 50;
constexpr double kColorX = 86, kColorW = 26;
constexpr double kQtyX = 112, kQtyW = 22;
constexpr double kSumX = 134, kSumW = 28;
constexpr double kNetX = 162, kNetW = 28;

ReportDefinition layout() {
    ReportDefinition r;
    r.title = QStringLiteral("Отчет по рабочим");
    r.orientation = QPageLayout::Portrait;
    r.font = ReportFont{QStringLiteral("Arial"), kDetailPt};

    // Report header and its summary: a group without expression.
    ReportGroup report;
    report.header = reportHeader(8.5);

    ReportGroup worker;
    worker.expression = QStringLiteral("t_Report.fio");
    ReportBand wh;
    wh.name = QStringLiteral("workerHeader");
    wh.heightMm = 5.5;
    wh.background = groupHeaderShade();
    wh.elements.push_back(value(QStringLiteral("fio"), 0, 0.5, 130, kHeaderPt, true));
    wh.elements.push_back(text(QStringLiteral("Сумма без Р/К"), kNetX - 10, 0.5, kNetW + 10, kDetailPt, true,
                               Qt::AlignRight | Qt::AlignVCenter));
    worker.header = wh;
    ReportBand wf;
    wf.name = QStringLiteral("workerFooter");
    wf.heightMm = 2 * kRowMm + 1;
    wf.frame = Frame::below();
    wf.elements.push_back(total(QStringLiteral("SUM(summa)"), kSumX, 0, kSumW, QStringLiteral("#0.00")));
    wf.elements.push_back(total(QStringLiteral("SUM(summa/1.2)"), kNetX, 0, kNetW, QStringLiteral("#0.00")));
    wf.elements.push_back(
        total(QStringLiteral("SUM(summa)+f_sum78"), kSumX, kRowMm, kSumW, QStringLiteral("#0.00")));
    wf.elements.push_back(
        total(QStringLiteral("(SUM(summa)+f_sum78)/1.2"), kNetX, kRowMm, kNetW, QStringLiteral("#0.00")));
    worker.footer = wf;

    ReportGroup nom;
    nom.expression = QStringLiteral("t_Report.nom");
    ReportBand nh;
    nh.name = QStringLiteral("nomHeader");
    nh.heightMm = kRowMm + 0.4;
    nh.background = reportHeaderShade();
    nh.elements.push_back(value(QStringLiteral("nom"), 2, 0.2, 150, kDetailPt, true));
    nom.header = nh;
    ReportBand nf;
    nf.name = QStringLiteral("nomFooter");
    nf.heightMm = 2 * kRowMm + 0.5;
    nf.elements.push_back(text(QStringLiteral("Хоз.р.:"), kKindX, 0, 14));
    nf.elements.push_back(number(QStringLiteral("f_sum7"), kKindX + 14, 0, 20, QString()));
    nf.elements.push_back(text(QStringLiteral("Ср. сд.:"), kVidX + 4, 0, 14));
    nf.elements.push_back(number(QStringLiteral("f_sum8"), kVidX + 18, 0, 20, QString()));
    nf.elements.push_back(total(QStringLiteral("SUM(kolvo)"), kQtyX, 0, kQtyW));
    nf.elements.push_back(total(QStringLiteral("SUM(summa)"), kSumX, 0, kSumW, QStringLiteral("#0.00")));
    nf.elements.push_back(total(QStringLiteral("SUM(summa/1.2)"), kNetX, 0, kNetW, QStringLiteral("#0.00")));
    nf.elements.push_back(text(QStringLiteral("Итого:"), kQtyX, kRowMm, kQtyW, kDetailPt, true,
                               Qt::AlignRight | Qt::AlignVCenter));
    nf.elements.push_back(
        total(QStringLiteral("SUM(summa)+f_sum7+f_sum8"), kSumX, kRowMm, kSumW, QStringLiteral("#0.00")));
    nf.elements.push_back(total(QStringLiteral("(SUM(summa)+f_sum7+f_sum8)/1.2"), kNetX, kRowMm, kNetW,
                                QStringLiteral("#0.00")));
    nom.footer = nf;

    r.groups = {report, worker, nom};

    ReportBand d;
    d.name = QStringLiteral("detail");
    d.heightMm = kRowMm;
    d.elements.push_back(value(kKindText, kKindX, 0, kKindW));
    d.elements.push_back(value(QStringLiteral("vid"), kVidX, 0, kVidW));
    d.elements.push_back(value(kColorText, kColorX, 0, kColorW));
    d.elements.push_back(number(QStringLiteral("kolvo"), kQtyX, 0, kQtyW));
    d.elements.push_back(number(QStringLiteral("summa"), kSumX, 0, kSumW, QStringLiteral("#0.00")));
    r.detail = d;

    ReportBand s;
    s.name = QStringLiteral("summary");
    s.heightMm = 4 * kRowMm + 1.5;
    s.frame = Frame::all();
    const QString m = QStringLiteral("#0.00");
    const double y0 = 0.5;
    s.elements.push_back(total(QStringLiteral("SUM(summa)"), kSumX, y0, kSumW, m));
    s.elements.push_back(total(QStringLiteral("SUM(summa/1.2)"), kNetX, y0, kNetW, m));
    s.elements.push_back(text(QStringLiteral("Хоз.р.:"), kColorX, y0 + kRowMm, 46, kDetailPt, true,
                              Qt::AlignRight | Qt::AlignVCenter));
    // With no rows at all the two month sums are empty fields; "+0" prints them as 0.00.
    s.elements.push_back(total(QStringLiteral("f_sum7_all+0"), kSumX, y0 + kRowMm, kSumW, m));
    s.elements.push_back(total(QStringLiteral("f_sum7_all/1.2"), kNetX, y0 + kRowMm, kNetW, m));
    s.elements.push_back(text(QStringLiteral("Ср.сд.:"), kColorX, y0 + 2 * kRowMm, 46, kDetailPt, true,
                              Qt::AlignRight | Qt::AlignVCenter));
    s.elements.push_back(total(QStringLiteral("f_sum8_all+0"), kSumX, y0 + 2 * kRowMm, kSumW, m));
    s.elements.push_back(total(QStringLiteral("f_sum8_all/1.2"), kNetX, y0 + 2 * kRowMm, kNetW, m));
    s.elements.push_back(text(QStringLiteral("Итого:"), kColorX, y0 + 3 * kRowMm, 46, kDetailPt, true,
                              Qt::AlignRight | Qt::AlignVCenter));
    s.elements.push_back(
        total(QStringLiteral("SUM(summa)+f_sum7_all+f_sum8_all"), kSumX, y0 + 3 * kRowMm, kSumW, m));
    s.elements.push_back(
        total(QStringLiteral("(SUM(summa)+f_sum7_all+f_sum8_all)/1.2"), kNetX, y0 + 3 * kRowMm, kNetW, m));
    r.summary = s;

    r.pageFooter = pageFooter(kPortraitWidthMm);
    return r;
}

} // namespace

WorkersReport::WorkersReport(Database& db, QObject* parent)
    : ReportLayoutBase(db, QStringLiteral("t_Report"), reportSql(), layout(), PreviewZoom::PageWidth,
                       parent) {
    setObjectName(QStringLiteral("WorkersReport"));
}
