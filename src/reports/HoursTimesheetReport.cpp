// Printed hours timesheet.
#include "reports/HoursTimesheetReport.h"

using namespace reportengine;
using namespace reportstyle;

QString HoursTimesheetReport::reportSql() {
    return QStringList{
        QStringLiteral(
            "select person.s_caption fio,sum(d1) as sd1,sum(d2) as sd2,sum(d3) as sd3,sum(d4) as sd4,"),
        QStringLiteral("sum(d5) as sd5,sum(d6) as sd6,sum(d7) as sd7,sum(d8) as sd8,sum(d9) as sd9,"),
        QStringLiteral("sum(d10) as sd10,sum(d11) as sd11,sum(d12) as sd12,sum(d13) as sd13,"),
        QStringLiteral("sum(d14) as sd14,sum(d15) as sd15,sum(d16) as sd16,sum(d17) as sd17,"),
        QStringLiteral("sum(d18) as sd18,sum(d19) as sd19,sum(d20) as sd20,sum(d21) as sd21,"),
        QStringLiteral("sum(d22) as sd22,sum(d23) as sd23,sum(d24) as sd24,sum(d25) as sd25,"),
        QStringLiteral("sum(d26) as sd26,sum(d27) as sd27,sum(d28) as sd28,sum(d29) as sd29,"),
        QStringLiteral("sum(d30) as sd30,sum(d31) as sd31 from accounts_dep.h_tabel, cmn_contractor.person "
                       "person where"),
        QStringLiteral("h_tabel.w_id=person.s_code::t_integer and month=:mnth and"),
        QStringLiteral("year=:yea group by fio order by fio")}
        .join(u'\n');
}

namespace {

constexpr double kNameW = 58;
constexpr double kDayW = 6.6;
constexpr double kTotalW = kLandscapeWidthMm - kNameW - 31 * kDayW;
constexpr double kRow = 5;
constexpr double kPt = 8;

ReportDefinition layout() {
    ReportDefinition r;
    r.title = QStringLiteral("Табель по времени");
    r.orientation = QPageLayout::Landscape;
    r.font = ReportFont{QStringLiteral("Arial"), kPt};

    // The month and the day numbers head every page, so that a long list stays readable.
    ReportBand h;
    h.name = QStringLiteral("header");
    h.heightMm = kRow + 1;
    h.frame = Frame::topBottom();
    ReportElement title = label(QStringLiteral("Данные за:"), QRectF(0, 0.5, kNameW, kRow));
    title.name = kTitleLabel;
    title.font = bold(9);
    h.elements.push_back(title);
    for (int day = 1; day <= 31; ++day) {
        ReportElement e = label(QString::number(day), QRectF(kNameW + (day - 1) * kDayW, 0.5, kDayW, kRow),
                                Qt::AlignCenter);
        e.frame = Frame::all();
        e.font = bold(kPt);
        e.paddingMm = 0.2;
        h.elements.push_back(e);
    }
    ReportElement totalCaption =
        label(QStringLiteral("Итого"), QRectF(kNameW + 31 * kDayW, 0.5, kTotalW, kRow), Qt::AlignCenter);
    totalCaption.font = bold(kPt);
    h.elements.push_back(totalCaption);
    r.columnHeader = h;

    ReportBand d;
    d.name = QStringLiteral("detail");
    d.heightMm = kRow;
    d.frame = Frame::topBottom();
    ReportElement name = field(QStringLiteral("fio"), QRectF(0, 0, kNameW, kRow));
    name.font = regular(kPt);
    d.elements.push_back(name);
    QStringList days;
    for (int day = 1; day <= 31; ++day) {
        const QString f = QStringLiteral("sd%1").arg(day);
        days << f;
        ReportElement e =
            field(f, QRectF(kNameW + (day - 1) * kDayW, 0, kDayW, kRow), QString(), Qt::AlignCenter);
        e.font = regular(kPt);
        e.paddingMm = 0.2;
        d.elements.push_back(e);
    }
    ReportElement sum =
        field(days.join(u'+'), QRectF(kNameW + 31 * kDayW, 0, kTotalW, kRow), QString(), Qt::AlignCenter);
    sum.font = bold(kPt);
    d.elements.push_back(sum);
    r.detail = d;

    ReportBand f;
    f.name = QStringLiteral("pageFooter");
    f.heightMm = 6;
    ReportElement page =
        field(QStringLiteral("'Стр. ' + STR(PAGE())"), QRectF(kLandscapeWidthMm - 40, 1, 40, kRow), QString(),
              Qt::AlignRight | Qt::AlignVCenter);
    page.font = regular(kPt);
    f.elements.push_back(page);
    r.pageFooter = f;
    return r;
}

} // namespace

HoursTimesheetReport::HoursTimesheetReport(Database& db, QObject* parent)
    : ReportLayoutBase(db, QStringLiteral("H_Tabel"), reportSql(), layout(), PreviewZoom::WholePage, parent) {
    setObjectName(QStringLiteral("HoursTimesheetReport"));
}

void HoursTimesheetReport::openMonth(int month, int year) {
    query().setParam(QStringLiteral("mnth"), month);
    query().setParam(QStringLiteral("yea"), year);
    query().open();
}

void HoursTimesheetReport::previewMonth(int month, int year, const QString& title, QWidget* parent) {
    openMonth(month, year);
    struct Closer {
        ReportQuery& rows;
        ~Closer() { rows.close(); }
    } closer{query()};
    setTitle(title);
    preview(parent);
}
