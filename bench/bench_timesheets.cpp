// Benchmark (not a test): the monthly timesheets on the large database, through the real windows:
// each view of the piece-work timesheet opened with its totals, the hours timesheet opened, the
// rebuild of a month in either window, and the command-line export of the general view.
// Usage: QT_QPA_PLATFORM=offscreen bench_timesheets DATABASE SERVER
#include "app/CommandLine.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Dataset.h"
#include "records/TimesheetRebuild.h"
#include "timesheets/HoursTimesheetWindow.h"
#include "timesheets/PieceworkTimesheetWindow.h"
#include "ui/Seams.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median and maximum in milliseconds of runs of the action.
QList<double> timed(int runs, const std::function<void(int run)>& action) {
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        action(i);
        times << t.nsecsElapsed() / 1e6;
    }
    return times;
}

void report(const char* what, const QList<double>& times, double limit, const QString& extra = {}) {
    const double worst = *std::max_element(times.begin(), times.end());
    std::printf("%s: median %.1f ms, max %.1f ms (limit %.0f ms)%s%s\n", what, median(times), worst, limit,
                extra.isEmpty() ? "" : ", ", qPrintable(extra));
}

} // namespace

int main(int argc, char** argv) {
    readLocalTimeZoneOnce(); // as the program does
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    seams::setMessageHandler([](const seams::Message& m) {
        std::fprintf(stderr, "%s\n", qPrintable(m.text));
        return QMessageBox::Ok;
    });
    seams::setModalHandler([](QDialog*) { return 0; });
    TimesheetMonth month;
    {
        Database db;
        try {
            db.connection().setConnectionString(buildConnectionString(args));
            db.connection().open();
            // The last whole month of the records.
            const QDate last =
                db.readValue(QStringLiteral("select max(data) from accounts_dep.smena")).toDate();
            month = TimesheetMonth::of(last.addMonths(-1));
            seams::setClock([month] { return QDateTime(QDate(month.year, month.month, 15), QTime(9, 0)); });
            std::printf(
                "month %02d.%d: %lld timesheet rows, %lld maintenance records in all\n", month.month,
                month.year,
                db.readValue(QStringLiteral("select count(*) from accounts_dep.h_tabel")).toLongLong(),
                db.readValue(QStringLiteral("select count(*) from accounts_dep.fatigue")).toLongLong());

            PieceworkTimesheetWindow piecework(db);
            const std::pair<PieceworkView, const char*> views[] = {
                {PieceworkView::Piecework, "open piece work with totals"},
                {PieceworkView::Maintenance, "open maintenance works with totals"},
                {PieceworkView::AverageRate, "open average rate with totals"},
                {PieceworkView::General, "open general timesheet with totals"}};
            for (const auto& [view, what] : views) {
                int lines = 0;
                seams::setModalHandler([&](QDialog*) {
                    lines = piecework.currentQuery().recordCount();
                    return 0;
                });
                const QList<double> t = timed(15, [&](int) { piecework.showView(view); });
                report(what, t, 100, QStringLiteral("%1 lines").arg(lines));
            }
            HoursTimesheetWindow hours(db);
            report("open hours timesheet (three shifts)",
                   timed(15, [&](int) { hours.showMonth(QDate(month.year, month.month, 10)); }), 100);
            report("rebuild maintenance rows of the month",
                   timed(3,
                         [&](int) {
                             rebuildTimesheetRows(db, TimesheetRows::Maintenance, month.year, month.month);
                         }),
                   1000);
            report(
                "rebuild shift rows of the month",
                timed(3,
                      [&](int) { rebuildTimesheetRows(db, TimesheetRows::Shifts, month.year, month.month); }),
                1000);
        } catch (const DbError& e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.message));
            return 1;
        }
    }
    // The command opens the program's connection itself, so the one above has gone.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("general.xlsx"));
    const QString monthText =
        QStringLiteral("%1.%2").arg(month.month, 2, 10, QLatin1Char('0')).arg(month.year);
    int rc = 0;
    const QList<double> t = timed(7, [&](int) {
        rc |= int(runCommand(readCommandLine(QStringList{QStringLiteral("--timesheet"), QStringLiteral("all"),
                                                         QStringLiteral("--month"), monthText,
                                                         QStringLiteral("--xlsx"), file} +
                                             args),
                             // The newest possible build, so the version check lets it run.
                             BuildStamp{QString(), QString(), 99991231, 235959, QString(), false}));
    });
    report("export general timesheet into .xlsx (command, with connecting)", t, 500,
           QStringLiteral("%1 bytes").arg(QFileInfo(file).size()));
    return rc;
}
