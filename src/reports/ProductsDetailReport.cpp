// Printed detailed report by products.
#include "reports/ProductsDetailReport.h"

using namespace reportengine;
using namespace reportstyle;

// The period's records are summed on their keys (product, operation price, colour) from one index
// before any name is looked up.
QString ProductsDetailReport::reportSql() {
    return QStringList{
        QStringLiteral("select izdel.marka, vid_oper.vid, oper.naimen, izdel.nom, sum(r.k)::numeric kolvo, "
                       "sum(r.b)::bigint brk,"),
        QStringLiteral("sum(r.s) summa, r.color, round((izdel.massa*sum(r.k))::numeric,2) mass"),
        QStringLiteral("from (select i_id, o_id, color, sum(kol_vo) k, sum(brak) b, sum((kol_vo-brak)*cena) "
                       "s from accounts_dep.smena"),
        QStringLiteral("where data>=:data1 and data<:data2 group by i_id, o_id, color) r"),
        QStringLiteral("join accounts_dep.izdel on izdel.id=r.i_id"),
        QStringLiteral("join accounts_dep.oper on oper.id=r.o_id"),
        QStringLiteral("join accounts_dep.vid_oper on vid_oper.id=oper.vid"),
        QStringLiteral("group by izdel.nom, izdel.marka, vid_oper.vid, oper.naimen, r.color, izdel.massa"),
        QStringLiteral("order by izdel.nom, izdel.marka, vid_oper.vid, oper.naimen, r.color, izdel.massa")}
        .join(u'\n');
}

namespace {

constexpr double kMarkaX = 2, kMarkaW = 36;
constexpr double kVidX = 38, kVidW = 42;
constexpr double kColorX = 80, kColorW = 10;
constexpr double kKindX = 92, kKindW = 30;
constexpr double kBrkX = 122, kBrkW = 12;
constexpr double kMassX = 134, kMassW = 18;
constexpr double kQtyX = 152, kQtyW = 16;
constexpr double kSumX = 168, kSumW = 22;

ReportDefinition layout() {
    ReportDefinition r;
    r.title = QStringLiteral("Детальный отчет по продукции");
    r.font = ReportFont{QStringLiteral("Arial"), kDetailPt};

    ReportGroup report;
    ReportBand head = reportHeader(8.5 + kRowMm);
    const auto caption = [&](const QString& t, double x, double w) {
        head.elements.push_back(text(t, x, 8.5, w, kDetailPt, true, Qt::AlignRight | Qt::AlignVCenter));
    };
    caption(QStringLiteral("Брак"), kBrkX, kBrkW);
    caption(QStringLiteral("Коробки"), kMassX, kMassW);
    caption(QStringLiteral("Кол-во"), kQtyX, kQtyW);
    caption(QStringLiteral("Сумма"), kSumX, kSumW);
    report.header = head;

    ReportGroup nom;
    nom.expression = QStringLiteral("nom");
    ReportBand nh;
    nh.name = QStringLiteral("nomHeader");
    nh.heightMm = 5.5;
    nh.background = groupHeaderShade();
    nh.elements.push_back(value(QStringLiteral("nom"), 0, 0.5, 150, kHeaderPt, true));
    nom.header = nh;
    ReportBand nf;
    nf.name = QStringLiteral("nomFooter");
    nf.heightMm = kRowMm + 1;
    nf.frame = Frame::below();
    nf.elements.push_back(total(QStringLiteral("SUM(brk)"), kBrkX, 0.3, kBrkW));
    nf.elements.push_back(total(QStringLiteral("SUM(mass)"), kMassX, 0.3, kMassW, QStringLiteral("#0.00")));
    nf.elements.push_back(total(QStringLiteral("SUM(kolvo)"), kQtyX, 0.3, kQtyW));
    nf.elements.push_back(total(QStringLiteral("SUM(summa)"), kSumX, 0.3, kSumW, QStringLiteral("#0.00")));
    nom.footer = nf;

    r.groups = {report, nom};

    ReportBand d;
    d.name = QStringLiteral("detail");
    d.heightMm = kRowMm;
    d.elements.push_back(value(QStringLiteral("marka"), kMarkaX, 0, kMarkaW));
    d.elements.push_back(value(QStringLiteral("vid"), kVidX, 0, kVidW));
    d.elements.push_back(number(QStringLiteral("color"), kColorX, 0, kColorW));
    d.elements.push_back(value(kKindText, kKindX, 0, kKindW));
    d.elements.push_back(number(QStringLiteral("brk"), kBrkX, 0, kBrkW));
    d.elements.push_back(number(QStringLiteral("mass"), kMassX, 0, kMassW));
    d.elements.push_back(number(QStringLiteral("kolvo"), kQtyX, 0, kQtyW));
    d.elements.push_back(number(QStringLiteral("summa"), kSumX, 0, kSumW, QStringLiteral("#0.00")));
    r.detail = d;

    ReportBand s;
    s.name = QStringLiteral("summary");
    s.heightMm = kRowMm + 1.5;
    s.frame = Frame::all();
    s.elements.push_back(text(QStringLiteral("Итого:"), kMarkaX, 0.7, 40, kHeaderPt, true));
    s.elements.push_back(total(QStringLiteral("SUM(brk)"), kBrkX, 0.7, kBrkW));
    s.elements.push_back(total(QStringLiteral("SUM(mass)"), kMassX, 0.7, kMassW));
    s.elements.push_back(total(QStringLiteral("SUM(kolvo)"), kQtyX, 0.7, kQtyW));
    s.elements.push_back(total(QStringLiteral("SUM(summa)"), kSumX, 0.7, kSumW, QStringLiteral("#0.00")));
    r.summary = s;

    r.pageFooter = pageFooter(kPortraitWidthMm);
    return r;
}

} // namespace

ProductsDetailReport::ProductsDetailReport(Database& db, QObject* parent)
    : ReportLayoutBase(db, QStringLiteral("i_Report"), reportSql(), layout(), PreviewZoom::PageWidth,
                       parent) {
    setObjectName(QStringLiteral("ProductsDetailReport"));
}
