// Takes a picture of every window of the program on a given database, as a user opens it from
// the main window: the main window itself, each list of the menu with its editors, the work-record
// editor, the reports dialog, the maintenance works of the journal's day with an entry's editor,
// the timesheets in each view, on their month (the piece-work views with their chart too) and on
// February, the month handed to payroll, the month closing window, the change list and the
// versions of the work record changed most often, and, when the database has a closed month, the
// journal on the newest day of it that has records, the users window with a new user's editor,
// and the login dialog waiting after five wrong codes. Run under a desktop (Xvfb
// with a window manager) or offscreen.
// Usage: screenshots DATABASE SERVER FOLDER
#include "app/LoginAttempts.h"
#include "app/LoginDialog.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "app/VersionCheck.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "history/RecordHistoryDialog.h"
#include "journal/JournalView.h"
#include "records/ChangeLog.h"
#include "records/ClosedMonths.h"
#include "reportengine/ReportPainter.h"
#include "reports/HoursTimesheetReport.h"
#include "reports/SummaryReports.h"
#include "timesheets/MonthChart.h"
#include "ui/Permissions.h"
#include "ui/Seams.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

QString folder;

void shoot(QWidget* window, const QString& name) {
    // Let the window lay itself out and paint.
    QEventLoop settle;
    QTimer::singleShot(150, &settle, &QEventLoop::quit);
    settle.exec();
    const QString file = folder + u'/' + name + QStringLiteral(".png");
    if (window->grab().save(file))
        std::printf("%s\n", qPrintable(file));
}

// The timesheet windows again on February of the same year.
void shootFebruary(QDialog* w, const QString& name) {
    auto* month = w->findChild<QComboBox*>(QStringLiteral("monthBox"));
    if (!month)
        return;
    month->setCurrentIndex(1);
    shoot(w, name + QStringLiteral("_february"));
}

// The piece-work timesheet's chart of the month.
void shootChart(QDialog* w, const QString& name) {
    auto* tabs = w->findChild<QTabWidget*>(QStringLiteral("viewTabs"));
    if (!tabs)
        return;
    tabs->setCurrentIndex(1);
    shoot(w, name + QStringLiteral("_chart"));
    // The picture "Сохранить PNG" saves.
    if (auto* chart = w->findChild<MonthChart*>(QStringLiteral("monthChart")))
        chart->picture().save(folder + u'/' + name + QStringLiteral("_chart_picture.png"));
    tabs->setCurrentIndex(0);
}

QPushButton* buttonWithText(QWidget* window, const QString& text) {
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == text && b->isVisible())
            return b;
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    TabelApplication app(argc, argv);
    speakRussian(app);
    if (app.arguments().size() != 4) {
        std::fprintf(stderr, "usage: screenshots DATABASE SERVER FOLDER\n");
        return 2;
    }
    folder = app.arguments().at(3);
    QDir().mkpath(folder);
    // The pictures leave the user's own settings alone: the window places and the login's count
    // of wrong codes (five of them are typed for its picture) go to a folder removed at the end.
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    seams::setMessageHandler([](const seams::Message& m) {
        std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
        return QMessageBox::No;
    });
    Database db;
    try {
        db.connection().setConnectionString(buildConnectionString(app.arguments().mid(1, 2)));
        db.connection().open();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    MainWindow window(db, *permissionsForCode(QStringLiteral("73516280")));
    // Every modal window is shown, pictured and, for a list, its "Добавить" editor too.
    QString shotName; // the window's name, and for the timesheets the menu item that opened it
    seams::setModalHandler([&shotName](QDialog* w) {
        w->show();
        const QString name = shotName.isEmpty() ? w->objectName() : shotName;
        shoot(w, name);
        if (!shotName.isEmpty()) {
            shootChart(w, name);
            shootFebruary(w, name);
        }
        if (w->objectName().endsWith(QStringLiteral("Dialog")))
            if (QPushButton* add = buttonWithText(w, QStringLiteral("Добавить")))
                add->click();
        if (w->objectName() == QStringLiteral("MaintenanceWorksWindow"))
            if (QPushButton* change = buttonWithText(w, QStringLiteral("Изменить")))
                change->click();
        w->hide();
        return 0;
    });
    window.show();
    window.journal().showToday();
    shoot(&window, QStringLiteral("MainWindow"));
    // The journal's totals for another row's worker, and the journal filtered by that worker.
    if (auto* grid = window.findChild<QTableView*>(QStringLiteral("journalGrid"));
        grid && grid->model()->rowCount() > 1) {
        grid->setCurrentIndex(grid->model()->index(1, 0));
        shoot(&window, QStringLiteral("MainWindow_totals"));
        const QString name = grid->model()->index(1, 0).data().toString().trimmed();
        if (auto* filter = window.findChild<QLineEdit*>(QStringLiteral("filterEdit"))) {
            filter->setText(name.left(4));
            shoot(&window, QStringLiteral("MainWindow_filter"));
            filter->clear();
        }
    }
    // The printed pages: the hours timesheet of the journal's month and the detailed report by
    // workers of the month before.
    const QDate day = window.journal().day().date;
    HoursTimesheetReport hours(db);
    hours.openMonth(day.month(), day.year());
    hours.setTitle(day.toString(QStringLiteral("MM.yyyy")));
    if (hours.writePdf(folder + QStringLiteral("/hours_timesheet.pdf")))
        std::printf("%s\n", qPrintable(folder + QStringLiteral("/hours_timesheet.pdf")));
    hours.query().close();
    {
        auto layout = makeSummaryLayout(SummaryReport::WorkersDetail, db);
        const QDate first(day.year(), day.month(), 1);
        SummaryReportFeed feed(*layout, SummaryReport::WorkersDetail, first.addMonths(-1), first, -1);
        feed.finishAll();
        if (reportengine::writeReportPdf(feed.pages(), folder + QStringLiteral("/workers_detail.pdf")))
            std::printf("%s\n", qPrintable(folder + QStringLiteral("/workers_detail.pdf")));
    }
    for (const char* action :
         {"workersAction", "productsAction", "operationPricesAction", "operationTypesAction",
          "nomenclatureGroupsAction", "usersAction", "summaryReportsAction"})
        window.findChild<QAction*>(QLatin1String(action))->trigger();
    for (const char* action :
         {"pieceworkTimesheetAction", "maintenanceTimesheetAction", "averageRateTimesheetAction",
          "generalTimesheetAction", "shiftTimesheetAction", "payrollSummaryAction"}) {
        shotName = QLatin1String(action).chopped(6);
        window.findChild<QAction*>(QLatin1String(action))->trigger();
    }
    shotName.clear();
    window.findChild<QAction*>(QStringLiteral("monthClosingAction"))->trigger();
    window.findChild<QAction*>(QStringLiteral("changeLogAction"))->trigger();
    // The versions of the work record changed most often, as "История" shows them.
    try {
        const QVariant changed =
            db.readValue(QStringLiteral("select row_id from accounts_dep.change_log where table_name='smena' "
                                        "group by row_id order by count(*) desc, row_id limit 1"));
        if (changed.isValid()) {
            RecordHistoryDialog history(db, &window);
            history.showRecord(kWorkRecordsTable, changed.toLongLong(),
                               QStringLiteral("запись %1").arg(changed.toLongLong()));
        }
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message));
    }
    window.findChild<QPushButton*>(QStringLiteral("addButton"))->click();
    window.findChild<QPushButton*>(QStringLiteral("maintenanceWorksButton"))->click();
    try {
        const std::vector<MonthClosing> closed = closedMonths(db);
        if (!closed.empty()) {
            const YearMonth m = closed.back().month;
            const QDate day =
                db.readValue(QStringLiteral("select max(data) from accounts_dep.smena where data >= "
                                            "make_date(:y, :m, 1) and data < make_date(:y, :m, 1) "
                                            "+ interval '1 month'"),
                             {{QStringLiteral("y"), m.year}, {QStringLiteral("m"), m.month}})
                    .toDate();
            window.journal().showDay(day.isValid() ? day : QDate(m.year, m.month, 1));
            shoot(&window, QStringLiteral("MainWindow_closed_month"));
        }
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message));
    }
    // The login dialog waiting after five wrong codes; the count is cleared again afterwards, so
    // that the user of this computer need not wait.
    {
        VersionCheck check(db, QStringLiteral(__DATE__), QStringLiteral(__TIME__));
        check.repeatTimer().stop();
        LoginAttempts attempts;
        for (int i = 0; i < LoginAttempts::kFreeTries; ++i)
            attempts.noteWrongCode();
        LoginDialog login(db, check);
        login.show();
        shoot(&login, QStringLiteral("LoginDialog_wait"));
        login.hide();
        attempts.noteRightCode();
    }
    return 0;
}
