// The hours timesheet window on a real database, opened from the main window's menu for the
// month of the journal date: the shift tabs, the day columns and cell colours, the journal
// rebuild and the export of all shifts together.
#include "TimesheetFixture.h"
#include "app/MainWindow.h"
#include "data/Database.h"
#include "records/TimesheetRebuild.h"
#include "support/RecordingSpreadsheet.h"
#include "timesheets/HoursTimesheetWindow.h"
#include "ui/DatasetGrid.h"
#include "ui/Permissions.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

class TestHoursTimesheet : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensOnTheJournalMonth();
    void shiftRowsAsTheSharedSheets();
    void dayColumnsFollowTheMonth();
    void cellColours_data();
    void cellColours();
    void workerInTwoShifts();
    void rebuildLeavesMaintenanceRows();
    void exportAddsAllShifts();
    void emptyMonthExport();
    void overtimeHasATabOfItsOwn();
    void dayColumnsHoldTwoBoldDigits();

private:
    // Opens the window from the menu with the journal on the day and runs the action inside it.
    void inWindow(const QDate& journalDate, const std::function<void()>& action);
    HoursTimesheetWindow* window() {
        return childNamed<HoursTimesheetWindow>(mainWindow, "HoursTimesheetWindow");
    }
    template <class T> T* widget(const QString& name) { return childNamed<T>(window(), name); }
    // The grid's text of a day in the worker's row of the shift's tab.
    QModelIndex cell(int shift, const QString& fio, int column);
    void chooseMonth(int month, int year);

    TestDatabase* db = nullptr;
    Database* database = nullptr;
    MainWindow* mainWindow = nullptr;
    MessageRecorder* boxes = nullptr;
    FixedClock* clock = nullptr;
    ModalScript script;
};

void TestHoursTimesheet::init() {
    db = new TestDatabase;
    boxes = new MessageRecorder;
    clock = new FixedClock(QDateTime(QDate(2026, 12, 10), QTime(10, 0)));
    loadTimesheetFixture(*db);
    database = db->openDatabase();
    for (int month : {2, 3, 4}) {
        rebuildTimesheetRows(*database, TimesheetRows::Shifts, 2024, month);
        rebuildTimesheetRows(*database, TimesheetRows::Maintenance, 2024, month);
    }
    mainWindow = new MainWindow(*database, *permissionsForCode("73516280"));
    script.clear();
    script.install();
}

void TestHoursTimesheet::cleanup() {
    delete mainWindow;
    mainWindow = nullptr;
    delete clock;
    delete boxes;
    delete db;
}

void TestHoursTimesheet::inWindow(const QDate& journalDate, const std::function<void()>& action) {
    childNamed<QDateEdit>(mainWindow, "dateEdit")->setDate(journalDate);
    script["HoursTimesheetWindow"] = action;
    childNamed<QAction>(mainWindow, "shiftTimesheetAction")->trigger();
    QCOMPARE(script.shown, QStringList{"HoursTimesheetWindow"});
    script.clear();
}

QModelIndex TestHoursTimesheet::cell(int shift, const QString& fio, int column) {
    QAbstractItemModel* rows = widget<QTableView>(QString("shift%1Grid").arg(shift))->model();
    for (int r = 0; r < rows->rowCount(); ++r)
        if (rows->index(r, 0).data().toString() == fio)
            return rows->index(r, column);
    return {};
}

void TestHoursTimesheet::chooseMonth(int month, int year) {
    widget<QComboBox>("yearBox")->setCurrentText(QString::number(year));
    widget<QComboBox>("monthBox")->setCurrentIndex(month - 1);
}

// A journal date in March 2024 opens March 2024; the year list runs from 2007 to the year after
// this one.
void TestHoursTimesheet::opensOnTheJournalMonth() {
    inWindow(QDate(2024, 3, 20), [&] {
        QCOMPARE(widget<QComboBox>("monthBox")->currentText(), QString("Март"));
        QCOMPARE(widget<QComboBox>("yearBox")->currentText(), QString("2024"));
        auto* years = widget<QComboBox>("yearBox");
        QCOMPARE(years->itemText(0), QString("2007"));
        QCOMPARE(years->itemText(years->count() - 1), QString("2027"));
        QCOMPARE(widget<QTableView>("shift1Grid")->model()->rowCount(), 1);
        QCOMPARE(cell(1, "Алексеев А.А.", 32).data().toString(), QString("18"));
        QCOMPARE(cell(3, "Борисов Б.Б.", 31).data().toString(), QString("4"));
        QCOMPARE(cell(3, "Борисов Б.Б.", 32).data().toString(), QString("12"));
    });
}

// Each tab lists what the shared hours sheet of its shift gives: the same workers, days, totals,
// earnings and earnings per hour.
void TestHoursTimesheet::shiftRowsAsTheSharedSheets() {
    db->exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, d8) values (3, 3, 2024, 2, 4)");
    inWindow(QDate(2024, 3, 20), [&] {
        for (int shift = 1; shift <= 3; ++shift) {
            Dataset shared;
            shared.setSql(Database::hoursSheetSql(shift));
            shared.setParam("mnth", 3);
            shared.setParam("yea", 2024);
            shared.setParam("date1", QDate(2024, 3, 1));
            shared.setParam("date2", QDate(2024, 4, 1));
            shared.open();
            const Dataset* rows = shownDataset(widget<QTableView>(QString("shift%1Grid").arg(shift)));
            QCOMPARE(rows->recordCount(), shared.recordCount());
            for (int r = 0; r < rows->recordCount(); ++r)
                for (const QString field : {"fio", "summ", "average_price", "cena_all", "d4", "d31", "w_id"})
                    QCOMPARE(rows->valueAt(r, field).toString(), shared.valueAt(r, field).toString());
            shared.close();
        }
    });
}

// February 2023 has 28 days: days 29 to 31 have silver titles; March shows them again; in
// February 2024 the 30th does not show.
void TestHoursTimesheet::dayColumnsFollowTheMonth() {
    inWindow(QDate(2024, 3, 20), [&] {
        chooseMonth(2, 2023);
        QAbstractItemModel* grid = widget<QTableView>("shift1Grid")->model();
        const QColor background = window()->palette().color(QPalette::Base);
        for (int day = 29; day <= 31; ++day) {
            QCOMPARE(grid->headerData(day, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
                     QColor(192, 192, 192));
            QCOMPARE(grid->headerData(day, Qt::Horizontal).toString(), QString::number(day));
        }
        QCOMPARE(grid->headerData(26, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
        chooseMonth(3, 2024);
        QCOMPARE(cell(1, "Алексеев А.А.", 29).data(Qt::ForegroundRole).value<QColor>(),
                 QColor(192, 192, 192));
        QCOMPARE(cell(1, "Алексеев А.А.", 31).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
        QCOMPARE(grid->headerData(29, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
                 window()->palette().color(QPalette::WindowText));
        chooseMonth(2, 2024);
        QCOMPARE(cell(1, "Борисов Б.Б.", 29).data().toString(), QString("8"));
        QCOMPARE(cell(1, "Борисов Б.Б.", 30).data(Qt::ForegroundRole).value<QColor>(), background);
    });
}

// 0 hours silver (red on a weekend), 8 bold, 10 bold on light green.
void TestHoursTimesheet::cellColours_data() {
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QColor>("background");
    const QColor normal = QApplication::palette().color(QPalette::WindowText);
    QTest::newRow("0 on a Saturday") << 2 << "0" << QColor(Qt::red) << false << QColor();
    QTest::newRow("8 hours") << 4 << "8" << normal << true << QColor();
    QTest::newRow("10 hours") << 5 << "10" << normal << true << QColor(192, 220, 192);
    QTest::newRow("empty Wednesday") << 6 << "" << QColor(192, 192, 192) << false << QColor();
}

void TestHoursTimesheet::cellColours() {
    QFETCH(int, day);
    QFETCH(QString, value);
    QFETCH(QColor, text);
    QFETCH(bool, bold);
    QFETCH(QColor, background);
    inWindow(QDate(2024, 3, 1), [&] {
        const QModelIndex c = cell(1, "Алексеев А.А.", day);
        QCOMPARE(c.data().toString(), value);
        QCOMPARE(c.data(Qt::ForegroundRole).value<QColor>(), text);
        QCOMPARE(c.data(Qt::FontRole).value<QFont>().bold(), bold);
        QCOMPARE(c.data(Qt::BackgroundRole).value<QColor>(), background);
    });
}

// A worker in shifts 1 and 2 on the same day has a row on each tab with that shift's hours.
void TestHoursTimesheet::workerInTwoShifts() {
    inWindow(QDate(2024, 3, 1), [&] {
        QCOMPARE(cell(1, "Алексеев А.А.", 4).data().toString(), QString("8"));
        QCOMPARE(cell(2, "Алексеев А.А.", 4).data().toString(), QString("3"));
        QCOMPARE(cell(2, "Алексеев А.А.", 32).data().toString(), QString("3"));
    });
}

// The journal rebuild writes the shift rows (overtime too) from the records and leaves the
// maintenance rows alone.
void TestHoursTimesheet::rebuildLeavesMaintenanceRows() {
    const QString before = timesheetRows(*db, 3, 2024);
    db->exec("update accounts_dep.h_tabel set d20=5 where month=3 and year=2024");
    db->exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, d21) values (3, 3, 2024, 1, 8)");
    inWindow(QDate(2024, 3, 1), [&] {
        QCOMPARE(widget<QTableView>("shift1Grid")->model()->rowCount(), 1);
        clickOn(widget<QPushButton>("rebuildButton"));
        QCOMPARE(cell(1, "Алексеев А.А.", 20).data().toString(), QString());
    });
    QCOMPARE(
        db->scalar("select count(*) from accounts_dep.h_tabel where month=3 and year=2024 and smena=0 and "
                   "d20=5")
            .toInt(),
        6);
    QCOMPARE(
        db->scalar("select count(*) from accounts_dep.h_tabel where month=3 and year=2024 and smena>0 and "
                   "d20 is not null")
            .toInt(),
        0);
    db->exec("update accounts_dep.h_tabel set d20=null where month=3 and year=2024");
    QCOMPARE(timesheetRows(*db, 3, 2024), before);
}

// The sheet adds the hours of every shift and kind per worker, with the row's total.
void TestHoursTimesheet::exportAddsAllShifts() {
    RecordingSpreadsheet sheet;
    inWindow(QDate(2024, 3, 1), [&] {
        clickOn(widget<QPushButton>("excelButton"));
        QCOMPARE(widget<QPushButton>("excelButton")->text(), QString("Excel (4 из 4)"));
    });
    const auto text = [&](int column, int row) {
        const auto* c = sheet.cell(1, column, row);
        return c ? c->value : QString();
    };
    QCOMPARE(text(1, 1), QString("Март 2024"));
    QCOMPARE(text(2, 2), QString("1"));
    QCOMPARE(text(33, 2), QString("Итого"));
    const QStringList names{"Алексеев А.А.", "Борисов Б.Б.", "Васильев В.В.", "Григорьев Г.Г."};
    const QStringList totals{"39", "15", "10", "2"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(text(1, 3 + i), names[i]);
        QCOMPARE(text(33, 3 + i), totals[i]);
    }
    QCOMPARE(text(5, 3), QString("11")); // the 4th: shifts 1 and 2
    QCOMPARE(text(32, 4), QString("7")); // the 31st: shift 3 and average rate
    QCOMPARE(text(16, 5), QString("0")); // the 15th: a record without hours
    QVERIFY(sheet.visible);
}

void TestHoursTimesheet::emptyMonthExport() {
    RecordingSpreadsheet sheet;
    inWindow(QDate(2024, 7, 1), [&] {
        clickOn(widget<QPushButton>("excelButton"));
        QCOMPARE(widget<QPushButton>("excelButton")->text(), QString("Excel (0 из 0)"));
    });
    QVERIFY(sheet.cell(1, 1, 2));
    QVERIFY(!sheet.cell(1, 1, 3));
}

// The overtime (shift 4) has a tab of its own after the three shifts; the month's rebuild keeps
// its hours there.
void TestHoursTimesheet::overtimeHasATabOfItsOwn() {
    inWindow(QDate(2024, 3, 1), [&] {
        auto* tabs = widget<QTabWidget>("shiftTabs");
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(3), QString("Переработка"));
        QCOMPARE(cell(4, "Григорьев Г.Г.", 7).data().toString(), QString("2"));
        QVERIFY(!cell(1, "Григорьев Г.Г.", 7).isValid());
        clickOn(widget<QPushButton>("rebuildButton"));
        QCOMPARE(cell(4, "Григорьев Г.Г.", 7).data().toString(), QString("2"));
    });
}

// A day of 10 hours and more, drawn bold, fits its column: nothing is cut to "…".
void TestHoursTimesheet::dayColumnsHoldTwoBoldDigits() {
    inWindow(QDate(2024, 3, 1), [&] {
        auto* grid = widget<QTableView>("shift1Grid");
        const QModelIndex ten = cell(1, "Алексеев А.А.", 5);
        QCOMPARE(ten.data().toString(), QString("10"));
        const QFont font = ten.data(Qt::FontRole).value<QFont>();
        QVERIFY(font.bold());
        const int needed = QFontMetrics(font).horizontalAdvance(QStringLiteral("24")) +
                           2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
        for (int day = 1; day <= 31; ++day)
            QVERIFY2(grid->columnWidth(day) >= needed,
                     qPrintable(QString("day %1: %2 < %3").arg(day).arg(grid->columnWidth(day)).arg(needed)));
    });
}

QTEST_MAIN(TestHoursTimesheet)
#include "test_hours_timesheet.moc"
