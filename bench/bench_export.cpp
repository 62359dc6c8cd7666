// Benchmark: writes 10,000 cells through the export operations and saves the workbook as .xlsx,
// printing the time taken. Run by hand; the whole should stay well under half a second.
#include "data/Sql.h"
#include "export/ExcelHelper.h"
#include "export/InProcessSpreadsheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    readLocalTimeZoneOnce(); // as the program does
    QCoreApplication app(argc, argv);
    QString saved;
    spreadsheet::inprocess::setWorkbookOpener([&saved](const QString& path) {
        saved = path;
        return true;
    });
    const QLocale locale;

    QElapsedTimer timer;
    timer.start();
    if (HoursExcel::ExcelOpen(QString()) != 1)
        return 1;
    HoursExcel::ExcelSetVisible(false);
    const int columns = 10;
    const int rows = 1000;
    for (int c = 1; c <= columns; ++c)
        HoursExcel::ExcelPutCell(1, c, 1, QStringLiteral("Столбец %1").arg(c), true, true, true);
    for (int r = 2; r <= rows; ++r) {
        HoursExcel::ExcelPutCell(1, 1, r, QStringLiteral("Иванов И.И. %1").arg(r), true, true, false);
        HoursExcel::ExcelPutCell(1, 2, r, QStringLiteral("%1").arg(r, 5, 10, QLatin1Char('0')), true, true,
                                 false);
        for (int c = 3; c <= columns; ++c)
            HoursExcel::ExcelPutCell(1, c, r, locale.toString(r * c / 8.0, 'g', 15), false, true, false);
    }
    const qint64 written = timer.nsecsElapsed();
    HoursExcel::ExcelSetVisible(true);
    const qint64 total = timer.nsecsElapsed();

    std::printf("%d cells written in %.1f ms, saved in %.1f ms, total %.1f ms; %lld bytes in %s\n",
                rows * columns, written / 1e6, (total - written) / 1e6, total / 1e6,
                static_cast<long long>(QFileInfo(saved).size()), qPrintable(saved));
    // KEEP=1 leaves the workbook in place for a look.
    if (!qEnvironmentVariableIsSet("KEEP")) {
        QFile::remove(saved);
        QDir().rmdir(QFileInfo(saved).absolutePath());
    }
    return total < 500'000'000 ? 0 : 2;
}
