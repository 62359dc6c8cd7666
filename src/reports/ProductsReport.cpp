// Printed report by products.
#include "reports/ProductsReport.h"

using namespace reportengine;
using namespace reportstyle;

// The period's records are summed on their keys (product, operation price, colour) from one index
// before any name is looked up.
QString ProductsReport::reportSql() {
    return QStringList{
        QStringLiteral(
            "select sum(r.k)::numeric kolvo, vid_oper.vid, izdel.nom, izdel.marka, oper.naimen, r.color,"),
        QStringLiteral("round((izdel.massa*sum(r.k))::numeric,2) mass"),
        QStringLiteral("from (select i_id, o_id, color, sum(kol_vo-brak) k from accounts_dep.smena"),
        QStringLiteral("where data>=:data1 and data<:data2 group by i_id, o_id, color) r"),
        QStringLiteral("join accounts_dep.izdel on izdel.id=r.i_id"),
        QStringLiteral("join accounts_dep.oper on oper.id=r.o_id"),
        QStringLiteral("join accounts_dep.vid_oper on vid_oper.id=oper.vid"),
        QStringLiteral("group by izdel.nom, izdel.marka, r.color, oper.naimen, vid_oper.vid, izdel.massa"),
        QStringLiteral("order by izdel.nom, izdel.marka, vid_oper.vid, r.color, oper.naimen, izdel.massa")}
        .join(u'\n');
}

namespace {

// The product's mark first: products of one group with the same operation differ by it.
constexpr double kMarkaX = 4, kMarkaW = 30;
constexpr double kKindX = 34, kKindW = 30;
constexpr double kVidX = 64, kVidW = 40;
constexpr double kColorX = 104, kColorW = 24;
constexpr double kMassX = 128, kMassW = 30;
constexpr double kQtyX = 158, kQtyW = 32;

ReportDefinition layout() {
    ReportDefinition r;
    r.title = QStringLiteral("Отчет по продукции");
    r.font = ReportFont{QStringLiteral("Arial"), kDetailPt};

    ReportGroup report;
    ReportBand head = reportHeader(8.5 + kRowMm);
    head.elements.push_back(text(QStringLiteral("Коробки"), kMassX, 8.5, kMassW, kDetailPt, true,
                                 Qt::AlignRight | Qt::AlignVCenter));
    head.elements.push_back(text(QStringLiteral("Количество"), kQtyX, 8.5, kQtyW, kDetailPt, true,
                                 Qt::AlignRight | Qt::AlignVCenter));
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
    nf.elements.push_back(total(QStringLiteral("SUM(mass)"), kMassX, 0.3, kMassW));
    nf.elements.push_back(total(QStringLiteral("SUM(kolvo)"), kQtyX, 0.3, kQtyW));
    nom.footer = nf;

    r.groups = {report, nom};

    ReportBand d;
    d.name = QStringLiteral("detail");
    d.heightMm = kRowMm;
    d.elements.push_back(value(QStringLiteral("marka"), kMarkaX, 0, kMarkaW));
    d.elements.push_back(value(kKindText, kKindX, 0, kKindW));
    d.elements.push_back(value(QStringLiteral("vid"), kVidX, 0, kVidW));
    d.elements.push_back(value(kColorText, kColorX, 0, kColorW));
    d.elements.push_back(number(QStringLiteral("mass"), kMassX, 0, kMassW));
    d.elements.push_back(number(QStringLiteral("kolvo"), kQtyX, 0, kQtyW));
    r.detail = d;

    ReportBand s;
    s.name = QStringLiteral("summary");
    s.heightMm = kRowMm + 1.5;
    s.frame = Frame::all();
    s.elements.push_back(text(QStringLiteral("Итого:"), kKindX, 0.7, 40, kHeaderPt, true));
    s.elements.push_back(total(QStringLiteral("SUM(mass)"), kMassX, 0.7, kMassW, QStringLiteral("#0")));
    s.elements.push_back(total(QStringLiteral("SUM(kolvo)"), kQtyX, 0.7, kQtyW));
    r.summary = s;

    r.pageFooter = pageFooter(kPortraitWidthMm);
    return r;
}

} // namespace

ProductsReport::ProductsReport(Database& db, QObject* parent)
    : ReportLayoutBase(db, QStringLiteral("t_Report"), reportSql(), layout(), PreviewZoom::PageWidth,
                       parent) {
    setObjectName(QStringLiteral("ProductsReport"));
}
