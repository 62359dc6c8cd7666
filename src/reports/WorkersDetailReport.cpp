// Printed detailed report by workers.
#include "reports/WorkersDetailReport.h"

using namespace reportengine;
using namespace reportstyle;

// As the report by workers: worker after worker in the order of their names, the records summed on
// their keys first, the eight maintenance and average-rate sums in one pass per worker.
QString WorkersDetailReport::reportSql() {
    return QStringList{
        QStringLiteral("select p.fio, w.marka, w.vid, w.naimen, w.sum_time, w.kolvo, w.brk, w.summa, "
                       "w.color, w.s_prize,"),
        QStringLiteral(
            "f.f_sum7, f.f_sum7_n, f.f_sum8, f.f_sum8_n, f.f_sum7h, f.f_sum7h_n, f.f_sum8h, f.f_sum8h_n"),
        QStringLiteral(
            "from (select s_caption fio, s_code::integer code, count(*) copies from cmn_contractor.person"),
        QStringLiteral("group by s_caption, s_code::integer order by s_caption) p"),
        QStringLiteral("cross join lateral ("),
        QStringLiteral("select izdel.marka, vid_oper.vid, oper.naimen, r.color,"),
        QStringLiteral("(sum(r.t)*p.copies)::bigint sum_time, (sum(r.k)*p.copies)::numeric kolvo, "
                       "(sum(r.b)*p.copies)::bigint brk,"),
        QStringLiteral("sum(r.s)*p.copies summa, sum(r.pr)*p.copies s_prize"),
        QStringLiteral("from (select i_id, o_id, color, sum(time) t, sum(kol_vo) k, sum(brak) b, "
                       "sum((kol_vo-brak)*cena) s,"),
        QStringLiteral("sum(prize*(kol_vo-brak)*cena/100) pr"),
        QStringLiteral("from accounts_dep.smena where w_id=p.code and data>=:data1 and data<:data2 group by "
                       "i_id, o_id, color) r"),
        QStringLiteral("join accounts_dep.izdel on izdel.id=r.i_id"),
        QStringLiteral("join accounts_dep.oper on oper.id=r.o_id"),
        QStringLiteral("join accounts_dep.vid_oper on vid_oper.id=oper.vid"),
        QStringLiteral("group by izdel.marka, vid_oper.vid, oper.naimen, r.color) w"),
        QStringLiteral("cross join lateral ("),
        QStringLiteral("select coalesce(sum(cnt*price) filter (where id_o=7777 and "
                       "i_night=0),0)::numeric(10,2) f_sum7,"),
        QStringLiteral(
            "coalesce(sum(cnt*price) filter (where id_o=7777 and i_night=1),0)::numeric(10,2) f_sum7_n,"),
        QStringLiteral(
            "coalesce(sum(cnt*price) filter (where id_o=7778 and i_night=0),0)::numeric(10,2) f_sum8,"),
        QStringLiteral(
            "coalesce(sum(cnt*price) filter (where id_o=7778 and i_night=1),0)::numeric(10,2) f_sum8_n,"),
        QStringLiteral("coalesce(sum(cnt) filter (where id_o=7777 and i_night=0),0)::numeric(10,2) f_sum7h,"),
        QStringLiteral(
            "coalesce(sum(cnt) filter (where id_o=7777 and i_night=1),0)::numeric(10,2) f_sum7h_n,"),
        QStringLiteral("coalesce(sum(cnt) filter (where id_o=7778 and i_night=0),0)::numeric(10,2) f_sum8h,"),
        QStringLiteral(
            "coalesce(sum(cnt) filter (where id_o=7778 and i_night=1),0)::numeric(10,2) f_sum8h_n"),
        QStringLiteral("from accounts_dep.fatigue where id_p=p.code and d_date>=:data1 and d_date<:data2) f"),
        QStringLiteral("order by p.fio, w.marka, w.vid, w.naimen, w.color, p.code")}
        .join(u'\n');
}

namespace {

constexpr double kMarkaX = 2, kMarkaW = 28;
constexpr double kVidX = 30, kVidW = 40;
constexpr double kColorX = 70, kColorW = 10;
constexpr double kKindX = 82, kKindW = 32;
constexpr double kTimeX = 114, kTimeW = 14;
constexpr double kBrkX = 128, kBrkW = 12;
constexpr double kQtyX = 140, kQtyW = 24;
constexpr double kSumX = 164, kSumW = 26;

// The block under a worker's subtotals: caption column and three value columns.
constexpr double kBlockCaptionX = 40, kBlockCaptionW = 50;
constexpr double kHoursX = 90, kHoursW = 20;
constexpr double kWithX = 110, kWithW = 40;
constexpr double kWithoutX = 150, kWithoutW = 40;

ReportDefinition layout() {
    ReportDefinition r;
    r.title = QStringLiteral("Детальный отчет по рабочим");
    r.font = ReportFont{QStringLiteral("Arial"), kDetailPt};

    ReportGroup report;
    report.header = reportHeader(8.5);

    ReportGroup worker;
    worker.expression = QStringLiteral("fio");
    ReportBand wh;
    wh.name = QStringLiteral("workerHeader");
    wh.heightMm = 5.5;
    wh.background = groupHeaderShade();
    wh.elements.push_back(value(QStringLiteral("fio"), 0, 0.5, 110, kHeaderPt, true));
    const auto caption = [&](const QString& t, double x, double w) {
        wh.elements.push_back(text(t, x, 0.5, w, kDetailPt, true, Qt::AlignRight | Qt::AlignVCenter));
    };
    caption(QStringLiteral("Часы"), kTimeX, kTimeW);
    caption(QStringLiteral("Брак"), kBrkX, kBrkW);
    caption(QStringLiteral("Количество"), kQtyX, kQtyW);
    caption(QStringLiteral("Сумма"), kSumX, kSumW);
    worker.header = wh;

    ReportBand wf;
    wf.name = QStringLiteral("workerFooter");
    wf.frame = Frame::below();
    double y = 0.3;
    wf.elements.push_back(total(QStringLiteral("SUM(brk)"), kBrkX, y, kBrkW));
    wf.elements.push_back(total(QStringLiteral("SUM(kolvo)"), kQtyX, y, kQtyW));
    wf.elements.push_back(total(QStringLiteral("SUM(summa)"), kSumX, y, kSumW, QStringLiteral("#0.00")));
    y += kRowMm + 1;
    const auto head = [&](const QString& t, double x, double w) {
        wf.elements.push_back(text(t, x, y, w, kDetailPt, true, Qt::AlignRight | Qt::AlignVCenter));
    };
    head(QStringLiteral("Часы"), kHoursX, kHoursW);
    head(QStringLiteral("Сумма с р/к (р.)"), kWithX, kWithW);
    head(QStringLiteral("Сумма без р/к (р.)"), kWithoutX, kWithoutW);
    y += kRowMm;
    // Every amount in roubles with two decimals; the totals in bold.
    struct Row {
        const char* caption;
        QString hours, with, without;
        bool strong;
    };
    const QString piece = QStringLiteral("SUM(summa)");
    const QString allAmount = QStringLiteral("(SUM(summa)+f_sum7+f_sum7_n+f_sum8+f_sum8_n)");
    const QString rate = QStringLiteral("SUM(summa)/SUM(sum_time)");
    const QString m2 = QStringLiteral("#0.00");
    const Row rows[] = {
        {"Хоз. раб. (дн.)", "f_sum7h", "f_sum7", "f_sum7/1.2", false},
        {"Хоз. раб. (нч.)", "f_sum7h_n", "f_sum7_n", "f_sum7_n/1.2", false},
        {"Ср. сд. (дн.)", "f_sum8h", "f_sum8", "f_sum8/1.2", false},
        {"Ср. сд. (нч.)", "f_sum8h_n", "f_sum8_n", "f_sum8_n/1.2", false},
        {"Сдел.", "SUM(sum_time)", piece, piece + "/1.2", true},
        {"Итого:", "SUM(sum_time)+f_sum7h+f_sum7h_n+f_sum8h+f_sum8h_n", allAmount, allAmount + "/1.2", true},
        {"Цена ср. сд. за 1 ч.:", {}, rate, rate + "/1.2", true},
    };
    for (const Row& row : rows) {
        const bool strong = row.strong;
        wf.elements.push_back(text(QString::fromUtf8(row.caption), kBlockCaptionX, y, kBlockCaptionW,
                                   kDetailPt, strong, Qt::AlignLeft | Qt::AlignVCenter));
        if (!row.hours.isEmpty())
            wf.elements.push_back(
                number(row.hours, kHoursX, y, kHoursW, strong ? m2 : QString(), kDetailPt, strong));
        wf.elements.push_back(number(row.with, kWithX, y, kWithW, m2, kDetailPt, strong));
        wf.elements.push_back(number(row.without, kWithoutX, y, kWithoutW, m2, kDetailPt, strong));
        y += kRowMm;
    }
    // The subtotal cells of the block are shaded like every total.
    for (ReportElement& e : wf.elements)
        if (e.kind == ReportElement::Kind::Field && e.geometry.top() > kRowMm * 2)
            e.background = totalShade();
    wf.heightMm = y + 1;
    worker.footer = wf;

    r.groups = {report, worker};

    ReportBand d;
    d.name = QStringLiteral("detail");
    d.heightMm = kRowMm;
    d.elements.push_back(value(QStringLiteral("marka"), kMarkaX, 0, kMarkaW));
    d.elements.push_back(value(QStringLiteral("vid"), kVidX, 0, kVidW));
    d.elements.push_back(number(QStringLiteral("color"), kColorX, 0, kColorW));
    d.elements.push_back(value(kKindText, kKindX, 0, kKindW));
    d.elements.push_back(number(QStringLiteral("sum_time"), kTimeX, 0, kTimeW));
    d.elements.push_back(number(QStringLiteral("brk"), kBrkX, 0, kBrkW));
    d.elements.push_back(number(QStringLiteral("kolvo"), kQtyX, 0, kQtyW));
    d.elements.push_back(number(QStringLiteral("summa"), kSumX, 0, kSumW, QStringLiteral("#0.00")));
    r.detail = d;

    ReportBand s;
    s.name = QStringLiteral("summary");
    s.heightMm = kRowMm + 1.5;
    s.frame = Frame::all();
    s.elements.push_back(text(QStringLiteral("Итого:"), kMarkaX, 0.7, 40, kHeaderPt, true));
    s.elements.push_back(total(QStringLiteral("SUM(brk)"), kBrkX, 0.7, kBrkW));
    s.elements.push_back(total(QStringLiteral("SUM(kolvo)"), kQtyX, 0.7, kQtyW));
    s.elements.push_back(total(QStringLiteral("SUM(summa)"), kSumX, 0.7, kSumW, QStringLiteral("#0.00")));
    r.summary = s;

    r.pageFooter = pageFooter(kPortraitWidthMm);
    return r;
}

} // namespace

WorkersDetailReport::WorkersDetailReport(Database& db, QObject* parent)
    : ReportLayoutBase(db, QStringLiteral("w_Report"), reportSql(), layout(), PreviewZoom::PageWidth,
                       parent) {
    setObjectName(QStringLiteral("WorkersDetailReport"));
}
