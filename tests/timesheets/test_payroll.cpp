// The month handed to payroll on a real database: every column against the four piece-work
// timesheet views and the totals line against the workshop's totals panel, the window's
// grid, its workbook and CSV file, and the command line's files and refusals.
#include "TimesheetFixture.h"
#include "app/CommandLine.h"
#include "data/Database.h"
#include "export/InProcessSpreadsheet.h"
#include "records/TimesheetRebuild.h"
#include "support/CommandRun.h"
#include "support/RecordingSpreadsheet.h"
#include "timesheets/PayrollMonth.h"
#include "timesheets/PayrollSummaryWindow.h"
#include "timesheets/PieceworkViews.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Beside the shared fixture: Дмитриев has only maintenance hours (by night and by day), and
// Ёлкин, whose name holds a quote and a semicolon, one journal record.
void loadPayrollFixture(TestDatabase& db) {
    loadTimesheetFixture(db);
    db.exec("insert into accounts_dep.person (id, fio) values (5, 'Дмитриев Д.Д.'), "
            "(6, 'Ёлкин \"Мл.\"; Е.Е.')");
    db.exec("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, "
            "price, i_holiday, i_night) values (5, 7777, 2, '18.03.2024', 3, 2024, 1, 5, 25, 0, 1), "
            "(5, 7777, 2, '19.03.2024', 3, 2024, 1, 3, 25, 0, 0)");
    db.exec("insert into accounts_dep.smena (data, smena, w_id, time, kol_vo, cena, brak, i_id, o_id, color, "
            "ok, vvod, prize) values ('20.03.2024', 1, 6, 4, 4, 12.5, 0, 5, 42, 0, 'ok', '20.03.2024', 0)");
}

// Money as whole kopecks, from the exact text of a numeric value.
qint64 kopecks(const QVariant& v) {
    if (v.isNull())
        return 0;
    return qRound64(v.toString().toDouble() * 100);
}

// The figures of one worker as the four views add them up.
struct Figures {
    QString fio;
    qint64 hours[4] = {0, 0, 0, 0};
    qint64 money[4] = {0, 0, 0, 0};
};

const char* const kExpectedMarch =
    "Таб. №;Фамилия И.О.;Часы сделка;Сделка (р.);Часы хоз. работ;Хоз. работы (р.);Часы ср. сд.;Ср. сд. "
    "(р.);Всего часов;Всего (р.);Час (р.)\r\n"
    "6;\"Ёлкин \"\"Мл.\"\"; Е.Е.\";4;50,00;0;0,00;0;0,00;4;50,00;12,50\r\n"
    "1;Алексеев А.А.;21;235,00;18;420,00;0;0,00;39;655,00;16,79\r\n"
    "2;Борисов Б.Б.;12;90,00;0;0,00;3;120,00;15;210,00;14,00\r\n"
    "3;Васильев В.В.;0;0,00;8;120,00;2;100,00;10;220,00;22,00\r\n"
    "4;Григорьев Г.Г.;2;30,00;0;0,00;0;0,00;2;30,00;15,00\r\n"
    "5;Дмитриев Д.Д.;0;0,00;8;200,00;0;0,00;8;200,00;25,00\r\n";

} // namespace

class TestPayroll : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void columnsAreTheViewsSums_data();
    void columnsAreTheViewsSums();
    void gridShowsTheMonth();
    void excelWritesNumbers();
    void csvForPayroll();
    void commandWritesBothFiles();
    void commandRefuses_data();
    void commandRefuses();

private:
    void inWindow(const std::function<void()>& action);
    void chooseMonth(int month);

    TestDatabase* db = nullptr;
    Database* database = nullptr;
    PayrollSummaryWindow* window = nullptr;
    MessageRecorder* boxes = nullptr;
    FixedClock* clock = nullptr;
    ModalScript script;
    QTemporaryDir dir;
};

void TestPayroll::init() {
    db = new TestDatabase;
    boxes = new MessageRecorder;
    clock = new FixedClock(QDateTime(QDate(2024, 3, 15), QTime(10, 0)));
    loadPayrollFixture(*db);
    database = db->openDatabase();
    for (int month : {2, 3, 4}) {
        rebuildTimesheetRows(*database, TimesheetRows::Shifts, 2024, month);
        rebuildTimesheetRows(*database, TimesheetRows::Maintenance, 2024, month);
    }
    window = new PayrollSummaryWindow(*database);
    script.clear();
    script.install();
}

void TestPayroll::cleanup() {
    delete window;
    window = nullptr;
    delete clock;
    delete boxes;
    delete db;
}

void TestPayroll::inWindow(const std::function<void()>& action) {
    script["PayrollSummaryWindow"] = action;
    window->showMonth();
    QCOMPARE(script.shown, QStringList{"PayrollSummaryWindow"});
    script.clear();
    QVERIFY(!window->lines().isOpen());
}

void TestPayroll::chooseMonth(int month) {
    auto* box = childNamed<QComboBox>(window, "monthBox");
    box->setFocus();
    while (box->currentIndex() + 1 < month)
        QTest::keyEvent(QTest::Click, box, Qt::Key_Down);
    while (box->currentIndex() + 1 > month)
        QTest::keyEvent(QTest::Click, box, Qt::Key_Up);
}

// For each worker every column is the sum of his lines in the view of that kind (both the day
// and the night line of the maintenance and average-rate views), the totals the general view's,
// "Час (р.)" all money over all hours; the lines are the general view's workers in its order;
// the totals line adds the lines up and equals the workshop's totals panel.
void TestPayroll::columnsAreTheViewsSums_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("workers");
    QTest::newRow("March: all kinds of rows") << 3 << 6;
    QTest::newRow("February: one journal record") << 2 << 1;
    QTest::newRow("April: journal and maintenance") << 4 << 2;
    QTest::newRow("May: no rows") << 5 << 0;
}

void TestPayroll::columnsAreTheViewsSums() {
    QFETCH(int, month);
    QFETCH(int, workers);
    const TimesheetMonth m{month, 2024};
    // The four views' own statements, added up per worker.
    const PieceworkView views[4] = {PieceworkView::Piecework, PieceworkView::Maintenance,
                                    PieceworkView::AverageRate, PieceworkView::General};
    QMap<qint64, Figures> expected;
    QList<qint64> generalOrder;
    for (int v = 0; v < 4; ++v) {
        Dataset rows(nullptr, database->connection().name());
        rows.setSql(pieceworkViewSql(views[v]));
        setPieceworkMonth(rows, views[v], m);
        rows.open();
        for (int r = 0; r < rows.recordCount(); ++r) {
            const qint64 id = rows.valueAt(r, "id").toLongLong();
            Figures& f = expected[id];
            f.hours[v] += rows.valueAt(r, "i_time").toLongLong();
            f.money[v] += kopecks(rows.valueAt(r, "f_price"));
            if (views[v] == PieceworkView::General) {
                f.fio = rows.valueAt(r, "fio").toString();
                generalOrder << id;
            }
        }
    }
    QCOMPARE(generalOrder.size(), workers);
    const PieceworkTotals panel = readPieceworkTotals(*database, m);

    inWindow([&] {
        chooseMonth(month);
        QCOMPARE(window->month().month, month);
        Dataset& lines = window->lines();
        QCOMPARE(lines.recordCount(), workers + 1);
        const QStringList hourFields{"piecework_hours", "maintenance_hours", "average_hours", "total_hours"};
        const QStringList moneyFields{"piecework_amount", "maintenance_amount", "average_amount",
                                      "total_amount"};
        qint64 sumHours[4] = {0, 0, 0, 0}, sumMoney[4] = {0, 0, 0, 0};
        for (int r = 0; r < workers; ++r) {
            const qint64 id = lines.valueAt(r, "tab_no").toLongLong();
            QCOMPARE(id, generalOrder[r]);
            const Figures& f = expected[id];
            QCOMPARE(lines.valueAt(r, "fio").toString(), f.fio);
            for (int v = 0; v < 4; ++v) {
                QCOMPARE(lines.valueAt(r, hourFields[v]).toLongLong(), f.hours[v]);
                QCOMPARE(kopecks(lines.valueAt(r, moneyFields[v])), f.money[v]);
                sumHours[v] += f.hours[v];
                sumMoney[v] += f.money[v];
            }
            // The general view's line is the sum of the other three on this fixture.
            QCOMPARE(f.hours[0] + f.hours[1] + f.hours[2], f.hours[3]);
            QCOMPARE(f.money[0] + f.money[1] + f.money[2], f.money[3]);
            const qint64 hourly = f.hours[3] == 0 ? 0 : qRound64(double(f.money[3]) / double(f.hours[3]));
            QCOMPARE(kopecks(lines.valueAt(r, "hourly")), hourly);
        }
        const int total = workers;
        QVERIFY(lines.valueAt(total, "tab_no").isNull());
        QCOMPARE(lines.valueAt(total, "fio").toString(), QString("Итого"));
        for (int v = 0; v < 4; ++v) {
            QCOMPARE(lines.valueAt(total, hourFields[v]).toLongLong(), sumHours[v]);
            QCOMPARE(kopecks(lines.valueAt(total, moneyFields[v])), sumMoney[v]);
        }
        QCOMPARE(kopecks(lines.valueAt(total, "piecework_amount")), kopecks(panel.piecework));
        QCOMPARE(kopecks(lines.valueAt(total, "maintenance_amount")), kopecks(panel.maintenance));
        QCOMPARE(kopecks(lines.valueAt(total, "average_amount")), kopecks(panel.averageRate));
        QCOMPARE(kopecks(lines.valueAt(total, "total_amount")), kopecks(panel.all));
    });
}

// The grid shows the titles in their order, money with two decimals and the totals line in
// bold; it opens on the month of the computer's date.
void TestPayroll::gridShowsTheMonth() {
    inWindow([&] {
        QCOMPARE(window->windowTitle(), QString("Итоги месяца для расчета"));
        QCOMPARE(window->month().month, 3);
        auto* grid = childNamed<QTableView>(window, "payrollGrid");
        QAbstractItemModel* model = grid->model();
        QStringList titles;
        for (int c = 0; c < model->columnCount(); ++c)
            titles << model->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"Таб. №", "Фамилия И.О.", "Часы сделка", "Сделка (р.)",
                                      "Часы хоз. работ", "Хоз. работы (р.)", "Часы ср. сд.", "Ср. сд. (р.)",
                                      "Всего часов", "Всего (р.)", "Час (р.)"}));
        const QString sep = QLocale().decimalPoint();
        QCOMPARE(model->index(1, 1).data().toString(), QString("Алексеев А.А."));
        QCOMPARE(model->index(1, 3).data().toString(), "235" + sep + "00");
        QCOMPARE(model->index(1, 10).data().toString(), "16" + sep + "79");
        QCOMPARE(model->index(6, 1).data().toString(), QString("Итого"));
        QCOMPARE(model->index(6, 9).data().toString(), "1365" + sep + "00");
        QCOMPARE(model->index(6, 10).data().toString(), "17" + sep + "50");
        auto boldAt = [&](int row) {
            QStyleOptionViewItem o;
            o.initFrom(grid);
            struct Probe : QStyledItemDelegate {
                using QStyledItemDelegate::initStyleOption;
            };
            static_cast<Probe*>(grid->itemDelegate())->initStyleOption(&o, model->index(row, 3));
            return o.font.bold();
        };
        QVERIFY(!boldAt(1));
        QVERIFY(boldAt(6));
    });
}

// "Excel": the title, the column titles, numbers as numbers and the names as texts, the
// totals line in bold.
void TestPayroll::excelWritesNumbers() {
    RecordingSpreadsheet sheet;
    inWindow([&] { clickOn(childNamed<QPushButton>(window, "excelButton")); });
    QCOMPARE(sheet.cell(1, 1, 1)->value, QString("Итоги месяца для расчета Март 2024"));
    QCOMPARE(sheet.cell(1, 4, 2)->value, QString("Сделка (р.)"));
    QVERIFY(sheet.cell(1, 4, 2)->bold.value_or(false));
    const QString sep = QLocale().decimalPoint();
    QCOMPARE(sheet.cell(1, 1, 4)->value, QString("1"));
    QCOMPARE(sheet.cell(1, 2, 4)->value, QString("Алексеев А.А."));
    QCOMPARE(sheet.cell(1, 2, 4)->numberFormat, QString("@"));
    QCOMPARE(sheet.cell(1, 4, 4)->value, "235" + sep + "00");
    QVERIFY(sheet.cell(1, 4, 4)->numberFormat != "@");
    QVERIFY(!sheet.cell(1, 4, 4)->bold.value_or(false));
    QCOMPARE(sheet.cell(1, 2, 9)->value, QString("Итого"));
    QCOMPARE(sheet.cell(1, 10, 9)->value, "1365" + sep + "00");
    QVERIFY(sheet.cell(1, 10, 9)->bold.value_or(false));
    QVERIFY(sheet.visible);
    QVERIFY(boxes->shown.isEmpty());
}

// "CSV": the workers' lines as a payroll program loads them, saved in the documents folder and
// handed to the desktop; a failing write is shown, not swallowed.
void TestPayroll::csvForPayroll() {
    QString opened;
    spreadsheet::inprocess::setWorkbookOpener([&](const QString& path) {
        opened = path;
        return true;
    });
    inWindow([&] { clickOn(childNamed<QPushButton>(window, "csvButton")); });
    spreadsheet::inprocess::setWorkbookOpener({});
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY2(opened.endsWith(".csv") &&
                 QFileInfo(opened).fileName().startsWith("Итоги месяца для расчета Март 2024 "),
             qPrintable(opened));
    QFile file(opened);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), QString::fromUtf8(kExpectedMarch));
    file.close();
    QFile::remove(opened);
}

// The command writes the same lines into both files from a read-only session.
void TestPayroll::commandWritesBothFiles() {
    const QString before = timesheetRows(*db, 3, 2024);
    const QString csv = dir.filePath("march.csv"), xlsx = dir.filePath("march.xlsx");
    QString err;
    const int rc = runCaptured(
        QStringList{"--timesheet", "payroll", "--month", "03.2024", "--csv", csv, "--xlsx", xlsx} +
            db->commandLine(),
        &err);
    QVERIFY2(rc == 0, qPrintable(err));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray(kExpectedMarch));
    QVERIFY(QFileInfo(xlsx).size() > 0);
    QCOMPARE(timesheetRows(*db, 3, 2024), before);
}

void TestPayroll::commandRefuses_data() {
    QTest::addColumn<QStringList>("args"); // FILE stands for a file in a fresh folder
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("payroll without a file") << QStringList{"--timesheet", "payroll", "--month", "03.2024"}
                                            << 2 << "не указан файл (--xlsx или --csv)";
    QTest::newRow("csv of another timesheet")
        << QStringList{"--timesheet", "all", "--month", "03.2024", "--csv", "FILE"} << 2
        << "неизвестный параметр --csv для табеля all";
    QTest::newRow("pdf of the payroll")
        << QStringList{"--timesheet", "payroll", "--month", "03.2024", "--pdf", "FILE"} << 2
        << "неизвестный параметр --pdf для табеля payroll";
    QTest::newRow("one file twice") << QStringList{"--timesheet", "payroll", "--month", "03.2024",
                                                   "--csv",       "FILE",    "--xlsx",  "FILE"}
                                    << 2 << "--xlsx и --csv называют один и тот же файл";
    QTest::newRow("a device") << QStringList{"--timesheet", "payroll", "--month",
                                             "03.2024",     "--csv",   "/dev/null"}
                              << 4 << "/dev/null";
    QTest::newRow("a device for the general timesheet")
        << QStringList{"--timesheet", "all", "--month", "03.2024", "--xlsx", "/dev/null"} << 4 << "/dev/null";
    QTest::newRow("a folder") << QStringList{"--timesheet", "payroll", "--month", "03.2024", "--csv", "DIR"}
                              << 4 << "";
}

void TestPayroll::commandRefuses() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    args.replaceInStrings(QRegularExpression("^FILE$"), dir.filePath("refused"));
    args.replaceInStrings(QRegularExpression("^DIR$"), dir.path());
    QString err;
    QCOMPARE(runCaptured(args + db->commandLine(), &err), code);
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY(!QFile::exists(dir.filePath("refused")));
    QVERIFY(QFileInfo(dir.path()).isDir());
}

QTEST_MAIN(TestPayroll)
#include "test_payroll.moc"
