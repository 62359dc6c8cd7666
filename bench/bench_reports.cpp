// Benchmark (not a test): the report by workers over the last full year of the large database:
// written to PDF as the reports dialog and the command line do it, and the time until the preview
// shows its first page.
// Usage: QT_QPA_PLATFORM=offscreen bench_reports DATABASE SERVER
#include "data/Connection.h"
#include "data/Database.h"
#include "reportengine/ReportPainter.h"
#include "reportengine/ReportPreview.h"
#include "reports/SummaryReports.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

static double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Database db;
    db.connection().setConnectionString(buildConnectionString(app.arguments().mid(1)));
    db.connection().open();
    if (!openCompanion(db.connection().name(), kReportConnectionName))
        return 1;
    const QDate last =
        db.readValue(QStringLiteral("select max(data) as last from accounts_dep.smena")).toDate();
    const QDate to(last.year(), 1, 1);
    const QDate from = to.addYears(-1);
    const SummaryReport report = SummaryReport::Workers;
    QTemporaryDir dir;

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
    std::printf("  into a PDF file: median %.0f ms, max %.0f ms\n", median(pdfTimes),
                *std::max_element(pdfTimes.begin(), pdfTimes.end()));
    std::printf("  preview's first page: median %.0f ms, max %.0f ms\n", median(firstPageTimes),
                *std::max_element(firstPageTimes.begin(), firstPageTimes.end()));
    return 0;
}
