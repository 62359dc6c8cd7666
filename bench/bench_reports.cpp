// Benchmark (not a test): the four summary reports on the large database. Their statements alone
// over 1, 3, 12 and 36 months, and for the last full year whether each returns the same rows as
// the statement it was first written with; the reports by workers of that year written to PDF as
// the command line does it, and the time until the preview shows its first page. Prints the font
// that stands behind the layouts' "Arial", which decides how the PDF is written.
// Usage: QT_QPA_PLATFORM=offscreen bench_reports DATABASE SERVER [--no-statement]
#include "ReportSameness.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "reportengine/ReportPainter.h"
#include "reportengine/ReportPreview.h"
#include "reports/ReportQuery.h"
#include "reports/SummaryReports.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRawFont>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

static double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

static double maxOf(const QList<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

static const char* reportName(SummaryReport report) {
    switch (report) {
    case SummaryReport::Workers:
        return "by workers";
    case SummaryReport::Products:
        return "by products";
    case SummaryReport::WorkersDetail:
        return "by workers, detailed";
    case SummaryReport::ProductsDetail:
        return "by products, detailed";
    }
    return "";
}

int main(int argc, char** argv) {
    readLocalTimeZoneOnce(); // as the program does
    QApplication app(argc, argv);
    Database db;
    QStringList args = app.arguments().mid(1);
    const bool statement = !args.removeAll(QStringLiteral("--no-statement"));
    db.connection().setConnectionString(buildConnectionString(args));
    db.connection().open();
    if (!openCompanion(db.connection().name(), kReportConnectionName))
        return 1;
    const QDate last =
        db.readValue(QStringLiteral("select max(data) as last from accounts_dep.smena")).toDate();
    const QDate to(last.year(), 1, 1);
    const QDate from = to.addYears(-1);
    const QString range = from.toString(Qt::ISODate) + ".." + to.toString(Qt::ISODate);
    const SummaryReport all[] = {SummaryReport::Workers, SummaryReport::Products,
                                 SummaryReport::WorkersDetail, SummaryReport::ProductsDetail};
    QTemporaryDir dir;

    for (bool bold : {false, true}) {
        QFont font(QStringLiteral("Arial"));
        font.setBold(bold);
        const QRawFont raw = QRawFont::fromFont(font);
        const char* outlines = !raw.fontTable("glyf").isEmpty()   ? "TrueType"
                               : !raw.fontTable("CFF ").isEmpty() ? "OpenType CFF"
                                                                  : "Type 1 or other";
        std::printf("%s: %s %s (%s)\n", bold ? "Arial bold" : "Arial", qPrintable(raw.familyName()),
                    qPrintable(raw.styleName()), outlines);
    }

    if (statement) {
        // Each statement alone: every row read as the report reads it, nothing laid out; over 1, 3,
        // 12 and 36 months up to the end of the last full year.
        for (SummaryReport report : all) {
            std::printf("statement of the report %s:\n", reportName(report));
            for (int months : {1, 3, 12, 36}) {
                const QDate start = to.addMonths(-months);
                const qint64 records =
                    db.readValue(
                          QStringLiteral("select count(*) as n from accounts_dep.smena where data>='%1' "
                                         "and data<'%2'")
                              .arg(start.toString(Qt::ISODate), to.toString(Qt::ISODate)))
                        .toLongLong();
                QList<double> times, firstRows;
                int rows = 0;
                for (int i = 0; i < 5; ++i) {
                    auto layout = makeSummaryLayout(report, db);
                    ReportQuery query(kReportConnectionName);
                    query.setSql(layout->query().sql());
                    query.setPeriod(start, to, summaryReportInfo(report).periodParams);
                    QElapsedTimer t;
                    t.start();
                    query.openStreaming();
                    firstRows << t.nsecsElapsed() / 1e6;
                    while (query.fetchMore(4096)) {
                    }
                    times << t.nsecsElapsed() / 1e6;
                    rows = query.recordCount();
                }
                std::printf(
                    "  %2d months (%7lld records, %6d rows): median %4.0f ms, max %4.0f ms; first row "
                    "after %.0f ms\n",
                    months, records, rows, median(times), maxOf(times), median(firstRows));
            }
        }
        // The same rows as the statements first written, for the year.
        for (SummaryReport report : all) {
            using namespace reportsameness;
            const Reference& how = reference(report);
            auto layout = makeSummaryLayout(report, db);
            QElapsedTimer t;
            t.start();
            const Rows first = readRows(kReportConnectionName, how.sql, from, to, how.periodParams);
            const double firstMs = t.nsecsElapsed() / 1e6;
            const Rows now = readRows(kReportConnectionName, layout->query().sql(), from, to,
                                      summaryReportInfo(report).periodParams);
            const QString difference = compareRows(first, now, how);
            std::printf("report %s %s, against the first statement (%.0f ms, %d rows): %s\n",
                        reportName(report), qPrintable(range), firstMs, int(first.rows.size()),
                        difference.isEmpty() ? "same rows" : qPrintable("first difference: " + difference));
        }
    }

    for (SummaryReport report : {SummaryReport::Workers, SummaryReport::WorkersDetail}) {
        QList<double> pdfTimes, firstPageTimes;
        int pages = 0;
        const QString file = dir.filePath(QStringLiteral("r.pdf"));
        for (int i = 0; i < 5; ++i) {
            auto layout = makeSummaryLayout(report, db);
            QElapsedTimer t;
            t.start();
            // As the command line does it: each page leaves memory once it is written.
            SummaryReportFeed feed(*layout, report, from, to, -1);
            auto again = [&]() -> std::unique_ptr<reportengine::PageSource> {
                feed.stop();
                return std::make_unique<SummaryReportFeed>(*layout, report, from, to, -1);
            };
            QString error;
            if (!reportengine::writeReportPdf(feed, file, &error, again))
                std::fprintf(stderr, "%s\n", qPrintable(error));
            pdfTimes << t.nsecsElapsed() / 1e6;
            pages = feed.pages().pageCount();
        }
        // Which way the file was written: the own writer, or Qt's engine for fonts it cannot embed.
        QFile written(file);
        const bool own = written.open(QIODevice::ReadOnly) && written.readAll().contains("/Producer (tabel)");
        for (int i = 0; i < 5; ++i) {
            auto layout = makeSummaryLayout(report, db);
            QElapsedTimer t;
            t.start();
            // As the reports dialog does it: the rows stream in on the reports' own session while
            // the window shows what is ready.
            auto feed =
                std::make_unique<SummaryReportFeed>(*layout, report, from, to, -1, kReportConnectionName);
            reportengine::ReportPreviewDialog dialog(std::move(feed));
            dialog.show();
            while (dialog.pageView()->pageCount() == 0)
                QCoreApplication::processEvents(QEventLoop::AllEvents);
            dialog.pageView()->viewport()->grab(); // paints the page in sight
            firstPageTimes << t.nsecsElapsed() / 1e6;
        }
        std::printf("report %s %s, %d pages\n", reportName(report), qPrintable(range), pages);
        std::printf("  into a PDF file (%s): median %.0f ms, max %.0f ms\n",
                    own ? "fonts embedded by the own writer" : "through Qt's PDF engine", median(pdfTimes),
                    maxOf(pdfTimes));
        std::printf("  preview's first page: median %.0f ms, max %.0f ms\n", median(firstPageTimes),
                    maxOf(firstPageTimes));
    }
    return 0;
}
