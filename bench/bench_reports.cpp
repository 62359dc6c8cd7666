// Benchmark (not a test): the report by workers over the last full year of the large database:
// its statement alone, the report written to PDF as the reports dialog and the command line do
// it, and the time until the preview shows its first page. Prints the font that stands behind
// the layouts' "Arial", which decides how the PDF is written.
// Usage: QT_QPA_PLATFORM=offscreen bench_reports DATABASE SERVER [--no-statement]
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
    const SummaryReport report = SummaryReport::Workers;
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
        // The statement alone: every row read as the report reads it, nothing laid out.
        QList<double> statementTimes, firstRowTimes;
        int rows = 0;
        for (int i = 0; i < 5; ++i) {
            auto layout = makeSummaryLayout(report, db);
            ReportQuery query(kReportConnectionName);
            query.setSql(layout->query().sql());
            query.setPeriod(from, to, summaryReportInfo(report).periodParams);
            QElapsedTimer t;
            t.start();
            query.openStreaming();
            firstRowTimes << t.nsecsElapsed() / 1e6;
            while (query.fetchMore(4096)) {
            }
            statementTimes << t.nsecsElapsed() / 1e6;
            rows = query.recordCount();
        }
        std::printf(
            "report statement alone (%d rows read): median %.0f ms, max %.0f ms; first row after %.0f ms\n",
            rows, median(statementTimes), *std::max_element(statementTimes.begin(), statementTimes.end()),
            median(firstRowTimes));
    }

    QList<double> pdfTimes, firstPageTimes;
    int pages = 0;
    for (int i = 0; i < 5; ++i) {
        auto layout = makeSummaryLayout(report, db);
        QElapsedTimer t;
        t.start();
        SummaryReportFeed feed(*layout, report, from, to, -1);
        QString error;
        if (!reportengine::writeReportPdf(feed, dir.filePath(QStringLiteral("r.pdf")), &error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
        pdfTimes << t.nsecsElapsed() / 1e6;
        pages = feed.pages().pageCount();
    }
    // Which way the file was written: the own writer, or Qt's engine for fonts it cannot embed.
    QFile written(dir.filePath(QStringLiteral("r.pdf")));
    const bool own = written.open(QIODevice::ReadOnly) && written.readAll().contains("/Producer (tabel)");
    for (int i = 0; i < 5; ++i) {
        auto layout = makeSummaryLayout(report, db);
        QElapsedTimer t;
        t.start();
        // As the reports dialog does it: the rows stream in on the reports' own session while the
        // window shows what is ready.
        auto feed = std::make_unique<SummaryReportFeed>(*layout, report, from, to, -1, kReportConnectionName);
        reportengine::ReportPreviewDialog dialog(std::move(feed));
        dialog.show();
        while (dialog.pageView()->pageCount() == 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        dialog.pageView()->viewport()->grab(); // paints the page in sight
        firstPageTimes << t.nsecsElapsed() / 1e6;
    }
    std::printf("report by workers %s..%s, %d pages\n", qPrintable(from.toString(Qt::ISODate)),
                qPrintable(to.toString(Qt::ISODate)), pages);
    std::printf("  into a PDF file (%s): median %.0f ms, max %.0f ms\n",
                own ? "fonts embedded by the own writer" : "through Qt's PDF engine", median(pdfTimes),
                *std::max_element(pdfTimes.begin(), pdfTimes.end()));
    std::printf("  preview's first page: median %.0f ms, max %.0f ms\n", median(firstPageTimes),
                *std::max_element(firstPageTimes.begin(), firstPageTimes.end()));
    return 0;
}
