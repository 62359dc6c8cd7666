// Benchmark (not a test): the report by workers over the last full year of the large database,
// written to PDF, and the time until the preview shows its first page.
// Usage: QT_QPA_PLATFORM=offscreen bench_reports DATABASE SERVER
#include "Connection.h"
#include "ReportPainter.h"
#include "SummaryReports.h"
#include "Unit6.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    TDataModule6 module;
    DataModule6 = &module;
    module.ADO_DB.setConnectionString(buildConnectionString(app.arguments().mid(1)));
    module.ADO_DB.open();
    module.Control.setSql(QStringLiteral("select max(data) as last from accounts_dep.smena"));
    module.Control.open();
    const QDate last = module.Control.fieldByName(QStringLiteral("last")).asDate();
    module.Control.close();
    const QDate to(last.year(), 1, 1);
    const QDate from = to.addYears(-1);
    QTemporaryDir dir;
    for (int i = 0; i < 3; ++i) {
        auto layout = makeSummaryLayout(SummaryReport::Workers);
        ReportQuery& q = layout->query();
        QElapsedTimer t;
        t.start();
        q.setPeriod(from, to, summaryReportInfo(SummaryReport::Workers).periodParams);
        q.open();
        const double query = t.nsecsElapsed() / 1e6;
        layout->setTitle(summaryTitle(SummaryReport::Workers, from, to));
        const reportengine::ReportPages pages = layout->prepare();
        const double laid = t.nsecsElapsed() / 1e6;
        QString error;
        if (!reportengine::writeReportPdf(pages, dir.filePath(QStringLiteral("r.pdf")), &error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
        const double pdf = t.nsecsElapsed() / 1e6;
        std::printf("rows %d pages %d: query %.0f ms, layout %.0f ms, pdf %.0f ms, total %.0f ms\n",
                    q.recordCount(), pages.pageCount(), query, laid - query, pdf - laid, pdf);
    }
    return 0;
}
