// The four summary reports: their names, titles and layouts, and laying them out as rows come.
#include "reports/SummaryReports.h"

#include "reports/ProductsDetailReport.h"
#include "reports/ProductsReport.h"
#include "reports/WorkersDetailReport.h"
#include "reports/WorkersReport.h"

#include <QElapsedTimer>

namespace {

const SummaryReportInfo kReports[] = {
    {SummaryReport::Workers, "workers", 2, "   Отчет по рабочим за период с "},
    {SummaryReport::Products, "products", 2, "   Отчет по продукции за период с "},
    {SummaryReport::WorkersDetail, "workers-detail", 2, "   Детальный отчет по рабочим за период с "},
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

std::unique_ptr<ReportLayoutBase> makeSummaryLayout(SummaryReport report, Database& db) {
    switch (report) {
    case SummaryReport::Workers:
        return std::make_unique<WorkersReport>(db);
    case SummaryReport::Products:
        return std::make_unique<ProductsReport>(db);
    case SummaryReport::WorkersDetail:
        return std::make_unique<WorkersDetailReport>(db);
    case SummaryReport::ProductsDetail:
        return std::make_unique<ProductsDetailReport>(db);
    }
    return nullptr;
}

QString summaryTitle(SummaryReport report, const QDate& from, const QDate& to, int kind) {
    const QString format = QStringLiteral("dd.MM.yyyy");
    // The period ends before "to": the title names the last day it includes.
    QString title = QString::fromUtf8(summaryReportInfo(report).titleText) + from.toString(format) +
                    QStringLiteral(" по ") + to.addDays(-1).toString(format);
    if (kind == 0)
        title += QStringLiteral(" (готовая продукция)");
    else if (kind > 0)
        title += QStringLiteral(" (заготовки)");
    return title;
}

SummaryReportFeed::SummaryReportFeed(ReportLayoutBase& layout, SummaryReport report, const QDate& from,
                                     const QDate& to, int kind, const QString& connection)
    : m_query(connection.isEmpty() ? layout.query().connectionName() : connection), m_rows(m_query) {
    m_query.setObjectName(layout.query().objectName());
    m_query.setSql(layout.query().sql());
    m_query.setPeriod(from, to, summaryReportInfo(report).periodParams);
    m_query.setKindFilter(kind);
    m_query.openStreaming();
    layout.setTitle(summaryTitle(report, from, to, kind));
    m_feed =
        std::make_unique<reportengine::LayoutFeed>(layout.definition(), m_rows, [this] { return fetch(); });
}

SummaryReportFeed::~SummaryReportFeed() = default;

// Rows for about a fortieth of a second at a time: the preview stays responsive between batches.
// Until the first page is laid out the rows come a batch at a time, so that the preview shows it
// as soon as the server has sent its rows.
bool SummaryReportFeed::fetch() {
    // The rows laid out already are read no more (the pages hold their texts).
    m_query.releaseRowsBefore(m_feed->firstRowNeeded());
    const int sliceMs = m_feed->readyPages() == 0 ? 0 : 25;
    QElapsedTimer clock;
    clock.start();
    do {
        if (!m_query.fetchMore(256))
            return false;
    } while (clock.elapsed() < sliceMs);
    return true;
}
