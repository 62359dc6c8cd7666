// The four summary reports of the reports dialog and of the command line: which layout each
// uses, how many period parameters its query takes and its title.
#pragma once

#include "reportengine/ReportPageSource.h"
#include "reports/ReportLayoutBase.h"

#include <QDate>
#include <memory>

enum class SummaryReport { Workers, Products, WorkersDetail, ProductsDetail };

struct SummaryReportInfo {
    SummaryReport report;
    const char* commandName; // as the command line names it
    int periodParams;        // data1 .. data<n>
    const char* titleText;   // followed by the from date, " по " and the to date
};

const SummaryReportInfo& summaryReportInfo(SummaryReport report);
// The report the command line names ("workers", ...), or false.
bool summaryReportByName(const QString& name, SummaryReport* out);

// A new layout object of the report, its query on the database's connection.
std::unique_ptr<ReportLayoutBase> makeSummaryLayout(SummaryReport report, Database& db);

// "   Отчет по рабочим за период с 01.02.2025 по 28.02.2025" for the period from 1 February to
// 1 March (the last day it includes), with " (готовая продукция)" or " (заготовки)" when the
// product kind (0 finished products, above 0 blanks, below 0 all) is limited.
QString summaryTitle(SummaryReport report, const QDate& from, const QDate& to, int kind = -1);

// The name of the second session the reports dialog reads its reports on (see openCompanion).
inline const QString kReportConnectionName = QStringLiteral("ADO_DB_reports");

// A summary report laid out as its rows come from the server: the layout's statement for the
// period and the product kind filter (-1 all, 0 finished, 1 blanks) runs in a query of the feed's
// own on the named connection (empty: the connection of the layout's query). The preview shows the
// first page while the server still works on the rest, and a PDF file is written page by page. Sets
// the layout's title. Throws DbError when the statement fails.
class SummaryReportFeed : public reportengine::PageSource {
public:
    SummaryReportFeed(ReportLayoutBase& layout, SummaryReport report, const QDate& from, const QDate& to,
                      int kind, const QString& connection = QString());
    ~SummaryReportFeed() override;

    const reportengine::ReportPages& pages() const override { return m_feed->pages(); }
    int readyPages() const override { return m_feed->readyPages(); }
    bool isDone() const override { return m_feed->isDone(); }
    void more() override { m_feed->more(); }
    void releasePages(int count) override { m_feed->releasePages(count); }
    // Once done: the pages, moved out of the feed.
    reportengine::ReportPages takePages() { return m_feed->takePages(); }
    // Stops the statement if it is still sending rows; the pages so far stay.
    void stop() { m_query.close(); }

private:
    ReportQuery m_query;
    ReportQuery::Source m_rows;
    std::unique_ptr<reportengine::LayoutFeed> m_feed;

    bool fetch();
};
