// Printed detailed report by workers.
#include "reports/WorkersDetailReport.h"

using namespace reportengine;
using namespace reportstyle;

namespace {

// One of the eight maintenance-work and average piece-rate subqueries of the statement.
QString fatigueLine(const QString& what, const QString& name, int upper, int type, int night, bool last) {
    return QStringLiteral("(select coalesce(sum(%1),0)::numeric(10,2) %2 from accounts_dep.fatigue f where "
                          "f.d_date<:data%3 and f.d_date>=:data%4 and f.id_p=smena.w_id and f.id_o=%5 and "
                          "f.i_night=%6)%7")
        .arg(what, name)
        .arg(upper)
        .arg(upper - 1)
        .arg(type)
        .arg(night)
        .arg(last ? QString() : QStringLiteral(","));
}

} // namespace

QString WorkersDetailReport::reportSql() {
    const QString amount = QStringLiteral("f.cnt*f.price");
    const QString hours = QStringLiteral("f.cnt");
    return QStringList{
        QStringLiteral(
            "select s_caption fio, izdel.marka, vid_oper.vid, oper.naimen, sum(time) as sum_time,"),
        QStringLiteral("sum(smena.kol_vo)::numeric as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*"),
        QStringLiteral("smena.cena) as summa, color, sum(prize*(kol_vo-brak)*smena.cena/100) as s_prize,"),
        fatigueLine(amount, QStringLiteral("f_sum7"), 2, 7777, 0, false),
        fatigueLine(amount, QStringLiteral("f_sum7_n"), 4, 7777, 1, false),
        fatigueLine(amount, QStringLiteral("f_sum8"), 6, 7778, 0, false),
        fatigueLine(amount, QStringLiteral("f_sum8_n"), 8, 7778, 1, false),
        fatigueLine(hours, QStringLiteral("f_sum7h"), 12, 7777, 0, false),
        fatigueLine(hours, QStringLiteral("f_sum7h_n"), 14, 7777, 1, false),
        fatigueLine(hours, QStringLiteral("f_sum8h"), 16, 7778, 0, false),
        fatigueLine(hours, QStringLiteral("f_sum8h_n"), 18, 7778, 1, true),
        QStringLiteral(
            "from cmn_contractor.person person,accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,"
            "accounts_dep.vid_oper "),
        QStringLiteral("where smena.o_id=oper.id and smena.w_id=s_code::integer and smena.i_id=izdel.id "),
        QStringLiteral("and smena.o_id=oper.id and w_id=s_code::integer and oper.vid=vid_oper.id "),
        QStringLiteral("and smena.data<:data10 and smena.data>=:data9 "),
        QStringLiteral("group by fio, marka,vid_oper.vid, oper.naimen, color, w_id "),
        QStringLiteral("order by fio, marka, vid_oper.vid, oper.naimen")}
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
