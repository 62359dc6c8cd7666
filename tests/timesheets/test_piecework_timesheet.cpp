// The piece-work timesheet window on a real database: the month's period and column layout, the
// four views' lines and totals, the maintenance rebuild and the export of each view.
#include "TimesheetFixture.h"
#include "data/Database.h"
#include "data/Dataset.h"
#include "data/Format.h"
#include "export/InProcessSpreadsheet.h"
#include "records/TimesheetRebuild.h"
#include "support/RecordingSpreadsheet.h"
#include "timesheets/MonthChart.h"
#include "timesheets/PieceworkTimesheetWindow.h"

#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

Q_DECLARE_METATYPE(PieceworkView)

class TestPieceworkTimesheet : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void columnLayout_data();
    void columnLayout();
    void decemberEndsWithTheYear();
    void viewLines_data();
    void viewLines();
    void totals();
    void refreshAfterRebuildKeepsTotals();
    void rebuildWithoutRecordsLeavesNoRows();
    void yearListHasThisYear();
    void yearWithoutTimesheetRowsCanBeRebuilt();
    void failedRebuildKeepsTheRows();
    void exportColumns_data();
    void exportColumns();
    void emptyMonthExport();
    void chartFollowsTheMonth_data();
    void chartFollowsTheMonth();
    void chartSavedAsPicture();

private:
    // Opens the view on the clock's month and runs the action inside the window.
    void inWindow(PieceworkView view, const std::function<void()>& action);
    template <class T> T* widget(const char* name) { return childNamed<T>(window, name); }
    // The grid's text of a field in the line whose fields match.
    QString lineText(const QString& field, const QString& fio, const QString& night = {});
    void chooseMonth(int month);

    TestDatabase* db = nullptr;
    Database* database = nullptr;
    PieceworkTimesheetWindow* window = nullptr;
    MessageRecorder* boxes = nullptr;
    FixedClock* clock = nullptr;
    ModalScript script;
};

void TestPieceworkTimesheet::init() {
    db = new TestDatabase;
    boxes = new MessageRecorder;
    clock = new FixedClock(QDateTime(QDate(2024, 3, 15), QTime(10, 0)));
    loadTimesheetFixture(*db);
    database = db->openDatabase();
    for (int month : {2, 3, 4}) {
        rebuildTimesheetRows(*database, TimesheetRows::Shifts, 2024, month);
        rebuildTimesheetRows(*database, TimesheetRows::Maintenance, 2024, month);
    }
    window = new PieceworkTimesheetWindow(*database);
    script.clear();
    script.install();
}

void TestPieceworkTimesheet::cleanup() {
    delete window;
    window = nullptr;
    delete clock;
    delete boxes;
    delete db;
}

void TestPieceworkTimesheet::inWindow(PieceworkView view, const std::function<void()>& action) {
    script["PieceworkTimesheetWindow"] = action;
    window->showView(view);
    QCOMPARE(script.shown, QStringList{"PieceworkTimesheetWindow"});
    script.clear();
    QVERIFY(!window->currentQuery().isOpen());
}

QString TestPieceworkTimesheet::lineText(const QString& field, const QString& fio, const QString& night) {
    Dataset& rows = window->currentQuery();
    for (int r = 0; r < rows.recordCount(); ++r)
        if (rows.valueAt(r, "fio").toString() == fio &&
            (night.isEmpty() || rows.valueAt(r, "s_night") == night)) {
            const int column = int(rows.fieldNames().indexOf(field));
            return rows.displayText(rows.valueAt(r, field), column);
        }
    return "no line";
}

void TestPieceworkTimesheet::chooseMonth(int month) {
    auto* box = widget<QComboBox>("monthBox");
    box->setFocus();
    while (box->currentIndex() + 1 < month)
        QTest::keyEvent(QTest::Click, box, Qt::Key_Down);
    while (box->currentIndex() + 1 > month)
        QTest::keyEvent(QTest::Click, box, Qt::Key_Up);
}

// The day columns follow the month's length, the name column widens by 20 for each hidden day,
// and Saturdays and Sundays are red, in the grid and in the titles; a 31-day month shows all
// days again.
void TestPieceworkTimesheet::columnLayout_data() {
    QTest::addColumn<PieceworkView>("view");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("nameWidth");
    QTest::addColumn<QList<int>>("weekends");
    const QList<int> march{2, 3, 9, 10, 16, 17, 23, 24, 30, 31};
    QTest::newRow("piece work, March") << PieceworkView::Piecework << 3 << 31 << 238 << march;
    QTest::newRow("piece work, April")
        << PieceworkView::Piecework << 4 << 30 << 258 << QList<int>{6, 7, 13, 14, 20, 21, 27, 28};
    QTest::newRow("maintenance, February of a leap year")
        << PieceworkView::Maintenance << 2 << 29 << 248 << QList<int>{3, 4, 10, 11, 17, 18, 24, 25};
    QTest::newRow("average rate, March") << PieceworkView::AverageRate << 3 << 31 << 208 << march;
    QTest::newRow("general, April") << PieceworkView::General << 4 << 30 << 324
                                    << QList<int>{6, 7, 13, 14, 20, 21, 27, 28};
}

void TestPieceworkTimesheet::columnLayout() {
    QFETCH(PieceworkView, view);
    QFETCH(int, month);
    QFETCH(int, days);
    QFETCH(int, nameWidth);
    QFETCH(QList<int>, weekends);
    inWindow(view, [&] {
        auto* grid = widget<QTableView>("timesheetGrid");
        chooseMonth(month);
        QCOMPARE(window->month().month, month);
        QCOMPARE(grid->columnWidth(0), nameWidth);
        QCOMPARE(grid->isColumnHidden(1), view == PieceworkView::Piecework || view == PieceworkView::General);
        QCOMPARE(grid->isColumnHidden(35), view == PieceworkView::General);
        for (int day = 1; day <= 31; ++day) {
            QCOMPARE(grid->isColumnHidden(day + 1), day > days);
            if (day > days)
                continue;
            const QColor expected =
                weekends.contains(day) ? QColor(Qt::red) : window->palette().color(QPalette::WindowText);
            QCOMPARE(grid->model()->headerData(day + 1, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
                     expected);
            if (grid->model()->rowCount() > 0)
                QCOMPARE(grid->model()->index(0, day + 1).data(Qt::ForegroundRole).value<QColor>(), expected);
        }
        // Back to a 31-day month.
        chooseMonth(3);
        QCOMPARE(grid->columnWidth(0), nameWidth - (31 - days) * 20);
        for (int day = 29; day <= 31; ++day)
            QVERIFY(!grid->isColumnHidden(day + 1));
        QCOMPARE(grid->model()->headerData(31 + 1, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
                 QColor(Qt::red));
    });
}

// December's period ends on 1 January: the 31st counts, the 1st of January does not.
void TestPieceworkTimesheet::decemberEndsWithTheYear() {
    db->exec(
        "insert into accounts_dep.smena (data, smena, w_id, time, kol_vo, cena, brak, i_id, o_id, color, ok, "
        "vvod, prize) values ('31.12.2024', 1, 1, 5, 1, 7, 0, 5, 42, 0, 'ok', '31.12.2024', 0), "
        "('01.01.2025', 1, 1, 8, 1, 1000, 0, 5, 42, 0, 'ok', '01.01.2025', 0)");
    db->exec("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, cnt, price, i_night) values "
             "(1, 7777, 2, '31.12.2024', 2, 10, 0), (1, 7777, 2, '01.01.2025', 3, 1000, 0)");
    rebuildTimesheetRows(*database, TimesheetRows::Shifts, 2024, 12);
    rebuildTimesheetRows(*database, TimesheetRows::Maintenance, 2024, 12);
    clock->set(QDateTime(QDate(2024, 12, 20), QTime(9, 0)));
    inWindow(PieceworkView::General, [&] {
        QCOMPARE(window->month().month, 12);
        QCOMPARE(window->currentQuery().recordCount(), 1);
        QCOMPARE(lineText("i_time", "Алексеев А.А."), QString("7"));
        QCOMPARE(lineText("f_price", "Алексеев А.А."), QString("27"));
        QCOMPARE(lineText("d31", "Алексеев А.А."), QString("7"));
        QCOMPARE(widget<QLabel>("allTotalLabel")->text(), toScreenSeparator("27.00"));
        QCOMPARE(widget<QLabel>("pieceworkTotalLabel")->text(), toScreenSeparator("7.00"));
        QCOMPARE(widget<QLabel>("maintenanceTotalLabel")->text(), toScreenSeparator("20.00"));
        QCOMPARE(widget<QLabel>("averageRateTotalLabel")->text(), QString());
    });
}

// The lines of each view for March: worker, day/night flag, a day, hours, earnings, per hour.
void TestPieceworkTimesheet::viewLines_data() {
    QTest::addColumn<PieceworkView>("view");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QStringList>("line"); // fio, night, day field, day, i_time, f_price, average_price
    QTest::newRow("piece work, shifts 1 and 2 added")
        << PieceworkView::Piecework << 3
        << QStringList{"Алексеев А.А.", "", "d4", "11", "21", "235", "11.19"};
    QTest::newRow("piece work, overtime only")
        << PieceworkView::Piecework << 3 << QStringList{"Григорьев Г.Г.", "", "d7", "2", "2", "30", "15"};
    QTest::newRow("maintenance by day") << PieceworkView::Maintenance << 3
                                        << QStringList{"Алексеев А.А.", "дн.", "d12", "4", "12", "240", "20"};
    QTest::newRow("maintenance by night")
        << PieceworkView::Maintenance << 3
        << QStringList{"Алексеев А.А.", "ноч.", "d13", "6", "6", "180", "30"};
    QTest::newRow("average rate without hours")
        << PieceworkView::AverageRate << 3 << QStringList{"Васильев В.В.", "ноч.", "d15", "0", "0", "0", "0"};
    QTest::newRow("general adds every kind")
        << PieceworkView::General << 4 << QStringList{"Борисов Б.Б.", "", "d31", "7", "15", "210", ""};
}

void TestPieceworkTimesheet::viewLines() {
    QFETCH(PieceworkView, view);
    QFETCH(int, lines);
    QFETCH(QStringList, line);
    inWindow(view, [&] {
        QCOMPARE(window->currentQuery().recordCount(), lines);
        QCOMPARE(lineText(line[2], line[0], line[1]), line[3]);
        QCOMPARE(lineText("i_time", line[0], line[1]), line[4]);
        QCOMPARE(lineText("f_price", line[0], line[1]), line[5]);
        if (view != PieceworkView::General)
            QCOMPARE(lineText("average_price", line[0], line[1]), toScreenSeparator(line[6]));
    });
}

// The workshop's totals of the month, the same in every view.
void TestPieceworkTimesheet::totals() {
    inWindow(PieceworkView::AverageRate, [&] {
        QCOMPARE(widget<QLabel>("pieceworkTotalLabel")->text(), toScreenSeparator("355.00"));
        QCOMPARE(widget<QLabel>("maintenanceTotalLabel")->text(), toScreenSeparator("540.00"));
        QCOMPARE(widget<QLabel>("averageRateTotalLabel")->text(), toScreenSeparator("220.00"));
        QCOMPARE(widget<QLabel>("allTotalLabel")->text(), toScreenSeparator("1115.00"));
        // A month without any record: the three parts are empty, the sum is 0.
        chooseMonth(6);
        QCOMPARE(widget<QLabel>("pieceworkTotalLabel")->text(), QString());
        QCOMPARE(widget<QLabel>("allTotalLabel")->text(), toScreenSeparator("0.00"));
    });
}

// A record added meanwhile reaches the grid through "Перестроить" and "Обновить"; the totals
// panel keeps the figures of the month's opening.
void TestPieceworkTimesheet::refreshAfterRebuildKeepsTotals() {
    inWindow(PieceworkView::Maintenance, [&] {
        QCOMPARE(lineText("d20", "Васильев В.В.", "дн."), QString());
        db->exec("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, cnt, price, i_night) values "
                 "(3, 7777, 2, '20.03.2024', 7, 10, 0)");
        clickOn(widget<QPushButton>("rebuildButton"));
        QVERIFY(widget<QProgressBar>("progressBar")->isHidden());
        clickOn(widget<QPushButton>("refreshButton"));
        QCOMPARE(lineText("d20", "Васильев В.В.", "дн."), QString("7"));
        QCOMPARE(lineText("d11", "Васильев В.В.", "дн."), QString("8"));
        QCOMPARE(widget<QLabel>("maintenanceTotalLabel")->text(), toScreenSeparator("540.00"));
    });
}

// With every maintenance record of the month deleted, a rebuild leaves none of their rows; the
// journal's rows and other months stay.
void TestPieceworkTimesheet::rebuildWithoutRecordsLeavesNoRows() {
    const QString april = timesheetRows(*db, 4, 2024);
    db->exec("delete from accounts_dep.fatigue where i_mnth=3");
    inWindow(PieceworkView::Maintenance, [&] {
        QCOMPARE(window->currentQuery().recordCount(), 3);
        clickOn(widget<QPushButton>("rebuildButton"));
        QCOMPARE(window->currentQuery().recordCount(), 0);
    });
    QCOMPARE(db->scalar("select count(*) from accounts_dep.h_tabel where month=3 and year=2024 and smena=0")
                 .toInt(),
             0);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.h_tabel where month=3 and year=2024 and smena>0")
                 .toInt(),
             4);
    QCOMPARE(timesheetRows(*db, 4, 2024), april);
}

// A new year has no rows yet, but its months can be chosen and rebuilt.
void TestPieceworkTimesheet::yearListHasThisYear() {
    clock->set(QDateTime(QDate(2026, 1, 9), QTime(9, 0)));
    db->exec("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, cnt, price, i_night) values "
             "(1, 7777, 2, '05.01.2026', 8, 10, 0)");
    inWindow(PieceworkView::Maintenance, [&] {
        auto* years = widget<QComboBox>("yearBox");
        QCOMPARE(years->currentText(), QString("2026"));
        QCOMPARE(years->itemText(0), QString("2024"));
        clickOn(widget<QPushButton>("rebuildButton"));
        QCOMPARE(lineText("d5", "Алексеев А.А.", "дн."), QString("8"));
    });
}

// A database whose timesheet rows start later than its records: the year of the first records
// is offered, and its month is rebuilt from them.
void TestPieceworkTimesheet::yearWithoutTimesheetRowsCanBeRebuilt() {
    db->exec("delete from accounts_dep.h_tabel where year=2024");
    db->exec("insert into accounts_dep.h_tabel (w_id, smena, month, year, d1) select w_id, 1, 1, 2026, 8 "
             "from accounts_dep.smena limit 1");
    clock->set(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    inWindow(PieceworkView::Maintenance, [&] {
        auto* years = widget<QComboBox>("yearBox");
        QCOMPARE(years->currentText(), QString("2026"));
        QCOMPARE(years->itemText(0), QString("2024"));
        QCOMPARE(years->itemText(years->count() - 1), QString("2027"));
        QCOMPARE(window->currentQuery().recordCount(), 0);
        years->setFocus();
        while (years->currentText() != "2024")
            QTest::keyEvent(QTest::Click, years, Qt::Key_Up);
        chooseMonth(3);
        clickOn(widget<QPushButton>("rebuildButton"));
        QCOMPARE(window->currentQuery().recordCount(), 3);
        QCOMPARE(lineText("d13", "Алексеев А.А.", "ноч."), QString("6"));
    });
}

// A rebuild the server refuses half-way: its message comes back, the month keeps its rows and the
// grid shows them again without the progress bar.
void TestPieceworkTimesheet::failedRebuildKeepsTheRows() {
    const QString before = timesheetRows(*db, 3, 2024);
    db->exec(
        "create function pg_temp.refuse() returns trigger language plpgsql as "
        "$$ begin if new.d13 is not null then raise exception 'табель закрыт'; end if; return new; end $$");
    db->exec("create trigger refuse_day before update or insert on accounts_dep.h_tabel for each row execute "
             "function pg_temp.refuse()");
    inWindow(PieceworkView::Maintenance, [&] {
        // The slot shows the server's text itself: no exception leaves it.
        widget<QPushButton>("rebuildButton")->click();
        QVERIFY(widget<QProgressBar>("progressBar")->isHidden());
        QCOMPARE(window->currentQuery().recordCount(), 3);
        QCOMPARE(lineText("d13", "Алексеев А.А.", "ноч."), QString("6"));
    });
    const QString error = boxes->texts().join(u'\n');
    QCOMPARE(boxes->texts().size(), 1);
    QVERIFY2(error.contains("табель закрыт"), qPrintable(error));
    QCOMPARE(timesheetRows(*db, 3, 2024), before);
}

// The sheet: title, header and lines; column 2 only where the view has the day/night column,
// column 36 not in the general view; the button counts the lines.
void TestPieceworkTimesheet::exportColumns_data() {
    QTest::addColumn<PieceworkView>("view");
    QTest::addColumn<QString>("hourly"); // header of column 36
    QTest::addColumn<QStringList>(
        "last"); // last line: name, day/night, day column, its value, hours, earnings
    QTest::newRow("piece work") << PieceworkView::Piecework << "Час (р.)"
                                << QStringList{"Григорьев Г.Г.", "", "9", "2", "2", "30"};
    QTest::newRow("maintenance") << PieceworkView::Maintenance << "Час (р.)"
                                 << QStringList{"Васильев В.В.", "дн.", "13", "8", "8", "120"};
    QTest::newRow("general") << PieceworkView::General << ""
                             << QStringList{"Григорьев Г.Г.", "", "9", "2", "2", "30"};
}

void TestPieceworkTimesheet::exportColumns() {
    QFETCH(PieceworkView, view);
    QFETCH(QString, hourly);
    QFETCH(QStringList, last);
    RecordingSpreadsheet sheet;
    int lines = 0;
    inWindow(view, [&] {
        lines = window->currentQuery().recordCount();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QRect refreshBefore = widget<QPushButton>("refreshButton")->geometry();
        clickOn(widget<QPushButton>("excelButton"));
        QCOMPARE(widget<QPushButton>("excelButton")->text(), QString("Excel (%1 из %1)").arg(lines));
        // The count written does not push the buttons beside it.
        QCoreApplication::processEvents();
        QCOMPARE(widget<QPushButton>("refreshButton")->geometry(), refreshBefore);
        window->hide();
    });
    QCOMPARE(widget<QPushButton>("excelButton")->text(), QString("Excel"));
    const auto text = [&](int column, int row) {
        const auto* c = sheet.cell(1, column, row);
        return c ? c->value : QString();
    };
    QVERIFY(sheet.visible);
    QCOMPARE(text(1, 1), QString("Март 2024"));
    QCOMPARE(text(1, 2), QString("Фамилия И.О."));
    QCOMPARE(text(2, 2), QString());
    QCOMPARE(text(3, 2), QString("1"));
    QCOMPARE(text(33, 2), QString("31"));
    QCOMPARE(text(34, 2), QString("Итого (ч.)"));
    QCOMPARE(text(35, 2), QString("Итого (р.)"));
    QCOMPARE(text(36, 2), hourly);
    QVERIFY(sheet.cell(1, 1, 2)->bold.value_or(false));
    QCOMPARE(sheet.cell(1, 1, 3)->numberFormat, QString("@"));
    const int row = lines + 2;
    QCOMPARE(text(1, row), last[0]);
    QCOMPARE(text(2, row), last[1]);
    QCOMPARE(text(last[2].toInt(), row), last[3]);
    QCOMPARE(text(34, row), last[4]);
    QCOMPARE(text(35, row), last[5]);
    for (int r = 3; r <= row; ++r) {
        if (view != PieceworkView::Maintenance)
            QCOMPARE(text(2, r), QString());
        if (view == PieceworkView::General)
            QCOMPARE(text(36, r), QString());
        else
            QVERIFY(!text(36, r).isEmpty());
    }
    QCOMPARE(text(1, row + 1), QString());
}

// A month without lines: the title and the header only.
void TestPieceworkTimesheet::emptyMonthExport() {
    RecordingSpreadsheet sheet;
    inWindow(PieceworkView::Piecework, [&] {
        chooseMonth(7);
        clickOn(widget<QPushButton>("excelButton"));
        QCOMPARE(widget<QPushButton>("excelButton")->text(), QString("Excel (0 из 0)"));
    });
    QCOMPARE(sheet.cell(1, 1, 1)->value, QString("Июль 2024"));
    QVERIFY(sheet.cell(1, 1, 2));
    QVERIFY(!sheet.cell(1, 1, 3));
}

// The chart's tab draws the workshop's amount and hours of each day of the shown view and month,
// and each line's earnings per hour against the workshop's; it follows a change of the month.
void TestPieceworkTimesheet::chartFollowsTheMonth_data() {
    QTest::addColumn<PieceworkView>("view");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<double>("amount");
    QTest::addColumn<double>("hours");
    QTest::addColumn<int>("lines");
    QTest::addColumn<double>("workshopRate");
    QTest::newRow("piece work, two shifts on the 4th")
        << PieceworkView::Piecework << 3 << 4 << 130.0 << 11.0 << 3 << 355.0 / 35;
    QTest::newRow("maintenance, two workers on the 11th")
        << PieceworkView::Maintenance << 3 << 11 << 280.0 << 16.0 << 3 << 540.0 / 26;
    QTest::newRow("general, April the 1st")
        << PieceworkView::General << 4 << 1 << 880.0 << 16.0 << 2 << 880.0 / 16;
}

void TestPieceworkTimesheet::chartFollowsTheMonth() {
    QFETCH(PieceworkView, view);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(double, amount);
    QFETCH(double, hours);
    QFETCH(int, lines);
    QFETCH(double, workshopRate);
    inWindow(view, [&] {
        widget<QTabWidget>("viewTabs")->setCurrentIndex(1);
        QCOMPARE(window->chart().dayAmounts().size(), 31);
        chooseMonth(month);
        const MonthChart& chart = window->chart();
        QCOMPARE(chart.dayAmounts().size(), window->month().days());
        QCOMPARE(chart.dayAmounts()[day - 1], amount);
        QCOMPARE(chart.dayHours()[day - 1], hours);
        QCOMPARE(chart.workerNames().size(), lines);
        QVERIFY(qAbs(chart.workshopRate() - workshopRate) < 0.01);
        QCOMPARE(chart.workerRates().size(), lines);
        widget<QTabWidget>("viewTabs")->setCurrentIndex(0);
    });
    QVERIFY(boxes->shown.isEmpty());
}

// "Сохранить PNG" saves both charts as one picture where the exports go.
void TestPieceworkTimesheet::chartSavedAsPicture() {
    QString saved;
    spreadsheet::inprocess::setWorkbookOpener([&](const QString& path) {
        saved = path;
        return true;
    });
    inWindow(PieceworkView::Piecework, [&] {
        widget<QTabWidget>("viewTabs")->setCurrentIndex(1);
        clickOn(widget<QPushButton>("savePictureButton"));
    });
    spreadsheet::inprocess::setWorkbookOpener({});
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY2(QFileInfo(saved).fileName().startsWith("График Табель сделка Март 2024 ") &&
                 saved.endsWith(".png"),
             qPrintable(saved));
    QImage picture(saved);
    QVERIFY(picture.width() >= 900 && picture.height() >= 360 + 120);
    QFile::remove(saved);
}

QTEST_MAIN(TestPieceworkTimesheet)
#include "test_piecework_timesheet.moc"
