#include "SummaryReports.h"

#include "Unit16.h"
#include "Unit17.h"
#include "Unit20.h"
#include "Unit21.h"

namespace {

const SummaryReportInfo kReports[] = {
    {SummaryReport::Workers, "workers", 12, "   Отчет по рабочим за период с "},
    {SummaryReport::Products, "products", 2, "   Отчет по продукции за период с "},
    {SummaryReport::WorkersDetail, "workers-detail", 18, "   Детальный отчет по рабочим за период с "},
    {SummaryReport::ProductsDetail, "products-detail", 2, "   Детальный отчет по продукции за период с "},
};

} // namespace

const SummaryReportInfo& summaryReportInfo(SummaryReport report) {
    for (const SummaryReportInfo& info : kReports)
        if (info.report == report)
            return info;
    return kReports[0];
}

bool summaryReportByName(const QString& name, SummaryReport* out) {
    for (const SummaryReportInfo& info : kReports)
        if (name == QLatin1String(info.commandName)) {
            *out = info.report;
            return true;
        }
    return false;
}

std::unique_ptr<TReportLayout> makeSummaryLayout(SummaryReport report) {
    switch (report) {
    case SummaryReport::Workers:
        return std::make_unique<TForm16>();
    case SummaryReport::Products:
        return std::make_unique<TForm17>();
    case SummaryReport::WorkersDetail:
        return std::make_unique<TForm20>();
    case SummaryReport::ProductsDetail:
        return std::make_unique<TForm21>();
    }
    return nullptr;
}

QString summaryTitle(SummaryReport report, const QDate& from, const QDate& to) {
    const QString format = QStringLiteral("dd.MM.yyyy");
    return QString::fromUtf8(summaryReportInfo(report).titleText) + from.toString(format) +
           QStringLiteral(" по ") + to.toString(format);
}

reportengine::ReportPages prepareSummaryReport(TReportLayout& layout, SummaryReport report, const QDate& from,
                                               const QDate& to, int kind) {
    ReportQuery& q = layout.query();
    q.close();
    q.setPeriod(from, to, summaryReportInfo(report).periodParams);
    q.setKindFilter(kind);
    q.open();
    struct Closer {
        ReportQuery& q;
        ~Closer() { q.close(); }
    } closer{q};
    layout.setTitle(summaryTitle(report, from, to));
    return layout.prepare();
}
