// The hours timesheet on the form T-13 on a real database: the codes and hours of each day,
// the halves' and the month's sums, the header texts from the settings files or typed once,
// the PDF file of the command line with its text readable, and "Печать Т-13" of the window.
#include "TimesheetFixture.h"
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "data/Database.h"
#include "records/TimesheetRebuild.h"
#include "reportengine/ReportPreview.h"
#include "reports/T13Report.h"
#include "support/CommandRun.h"
#include "ui/Permissions.h"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

} // namespace

class TestT13 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dayCodesAndSums_data();
    void dayCodesAndSums();
    void headerFromSettingsFiles();
    void commandWritesPdf();
    void windowAsksOnceForTheTexts();

private:
    void writeSettings(const QString& organisation, const QString& department);

    TestDatabase* db = nullptr;
    Database* database = nullptr;
    MessageRecorder* boxes = nullptr;
    FixedClock* clock = nullptr;
    QTemporaryDir* config = nullptr;
    QTemporaryDir dir;
};

void TestT13::init() {
    // The settings files and what the user typed live in a folder of this test.
    config = new QTemporaryDir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config->path()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config->path());
    db = new TestDatabase;
    boxes = new MessageRecorder;
    clock = new FixedClock(QDateTime(QDate(2024, 4, 2), QTime(10, 0)));
    loadTimesheetFixture(*db);
    // A Saturday with night maintenance on a day off, and a worker with day and overtime hours
    // on one day.
    db->exec(
        "insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, "
        "i_holiday, i_night) values (3, 7777, 2, '16.03.2024', 3, 2024, 1, 5, 20, 1, 1)");
    db->exec(
        "insert into accounts_dep.smena (data, smena, w_id, time, kol_vo, cena, brak, i_id, o_id, color, "
        "ok, vvod, prize) values ('07.03.2024', 1, 4, 8, 1, 1, 0, 5, 42, 0, 'ok', '07.03.2024', 0)");
    database = db->openDatabase();
    for (int month : {2, 3, 4}) {
        rebuildTimesheetRows(*database, TimesheetRows::Shifts, 2024, month);
        rebuildTimesheetRows(*database, TimesheetRows::Maintenance, 2024, month);
    }
}

void TestT13::cleanup() {
    delete clock;
    delete boxes;
    delete db;
    delete config;
    qunsetenv("XDG_CONFIG_HOME");
}

void TestT13::writeSettings(const QString& organisation, const QString& department) {
    QDir(config->path()).mkpath("tabel");
    QFile file(config->path() + "/tabel/tabel.conf");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QString("[database]\nsslmode=disable\n\n[t13]\norganisation=%1\ndepartment=%2\n")
                   .arg(organisation, department)
                   .toUtf8());
}

// A worker's day code and hours, and the sums of the halves and the month. March 2024 begins on
// a Friday: the 2nd and 3rd are Saturday and Sunday.
void TestT13::dayCodesAndSums_data() {
    QTest::addColumn<QString>("fio");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("a weekend day with a record of no hours") << "Алексеев А.А."
                                                             << "c2"
                                                             << "В";
    QTest::newRow("a Sunday without records") << "Алексеев А.А."
                                              << "c3"
                                              << "В";
    QTest::newRow("a working day without hours") << "Алексеев А.А."
                                                 << "c6"
                                                 << "";
    QTest::newRow("shifts 1 and 2: by day") << "Алексеев А.А."
                                            << "c4"
                                            << "Я";
    QTest::newRow("shifts 1 and 2 added") << "Алексеев А.А."
                                          << "h4"
                                          << "11";
    QTest::newRow("maintenance by day") << "Алексеев А.А."
                                        << "c12"
                                        << "Я";
    QTest::newRow("maintenance by night") << "Алексеев А.А."
                                          << "c13"
                                          << "Н";
    QTest::newRow("night hours") << "Алексеев А.А."
                                 << "h13"
                                 << "6";
    QTest::newRow("first half's days") << "Алексеев А.А."
                                       << "days1"
                                       << "5";
    QTest::newRow("first half's hours") << "Алексеев А.А."
                                        << "hours1"
                                        << "39";
    QTest::newRow("second half's days") << "Алексеев А.А."
                                        << "days2"
                                        << "0";
    QTest::newRow("month's hours") << "Алексеев А.А."
                                   << "hours"
                                   << "39";
    QTest::newRow("a record outside the month is left out") << "Борисов Б.Б."
                                                            << "c1"
                                                            << "";
    QTest::newRow("shift 3") << "Борисов Б.Б."
                             << "c6"
                             << "Н";
    QTest::newRow("night and a day off") << "Борисов Б.Б."
                                         << "c31"
                                         << "Н/РВ";
    QTest::newRow("their hours") << "Борисов Б.Б."
                                 << "h31"
                                 << "4/3";
    QTest::newRow("second half's sum") << "Борисов Б.Б."
                                       << "hours2"
                                       << "7";
    QTest::newRow("a Saturday with hours on a day off") << "Васильев В.В."
                                                        << "c16"
                                                        << "РВ";
    QTest::newRow("a record of no hours leaves the day") << "Васильев В.В."
                                                         << "c15"
                                                         << "";
    QTest::newRow("overtime beside day hours") << "Григорьев Г.Г."
                                               << "c7"
                                               << "Я/С";
    QTest::newRow("its hours") << "Григорьев Г.Г."
                               << "h7"
                               << "8/2";
    QTest::newRow("tab number") << "Григорьев Г.Г."
                                << "tab_no"
                                << "4";
    QTest::newRow("line number") << "Григорьев Г.Г."
                                 << "n"
                                 << "4";
}

void TestT13::dayCodesAndSums() {
    QFETCH(QString, fio);
    QFETCH(QString, field);
    QFETCH(QString, value);
    T13Report report(*database);
    report.openMonth(3, 2024);
    Dataset& rows = report.query();
    QCOMPARE(rows.recordCount(), 4);
    for (int r = 0; r < rows.recordCount(); ++r)
        if (rows.valueAt(r, "fio").toString() == fio) {
            QCOMPARE(rows.valueAt(r, field).toString(), value);
            return;
        }
    QFAIL("no line of the worker");
}

// The organisation and department of the settings files come before what was typed; the
// document's number is the month's, its date the given day.
void TestT13::headerFromSettingsFiles() {
    rememberT13Texts("Набрано", "Набрано тоже");
    T13Header h = t13HeaderFromSettings(3, 2024, QDate(2024, 4, 2));
    QCOMPARE(h.organisation, QString("Набрано"));
    QCOMPARE(h.department, QString("Набрано тоже"));
    QCOMPARE(h.number, QString("3"));
    QCOMPARE(h.date, QDate(2024, 4, 2));
    writeSettings("ООО «Завод»", "Цех № 2");
    h = t13HeaderFromSettings(3, 2024, QDate(2024, 4, 2));
    QCOMPARE(h.organisation, QString("ООО «Завод»"));
    QCOMPARE(h.department, QString("Цех № 2"));
}

// The command writes the form into a PDF file whose Cyrillic text reads back: the header, the
// period, each worker with his codes, and the signatures.
void TestT13::commandWritesPdf() {
    writeSettings("ООО «Завод»", "Цех № 2");
    const QString pdf = dir.filePath("t13.pdf");
    QString err;
    const int rc = runCaptured(
        QStringList{"--timesheet", "t13", "--month", "03.2024", "--pdf", pdf} + db->commandLine(), &err);
    QVERIFY2(rc == 0, qPrintable(err));
    const QString text = pdfText(pdf);
    for (const QString& expected :
         {QString("ТАБЕЛЬ УЧЕТА РАБОЧЕГО ВРЕМЕНИ"), QString("0301008"), QString("ООО «Завод»"),
          QString("Цех № 2"), QString("01.03.2024"), QString("31.03.2024"), QString("02.04.2024"),
          QString("Алексеев А.А."), QString("Григорьев Г.Г."), QString("Н/РВ"), QString("Я/С"),
          QString("Ответственное лицо"), QString("Работник кадровой службы"), QString("Неявки по")})
        QVERIFY2(text.contains(expected), qPrintable(expected + "\n" + text));
    // A month without records: the form with its header and signatures only.
    QVERIFY(
        runCaptured(QStringList{"--timesheet", "t13", "--month", "05.2024", "--pdf", pdf} + db->commandLine(),
                    &err) == 0);
    QVERIFY(pdfText(pdf).contains("Ответственное лицо"));
    QCOMPARE(runCaptured(QStringList{"--timesheet", "t13", "--month", "03.2024", "--xlsx", pdf}, &err), 2);
    QVERIFY2(err.contains("неизвестный параметр --xlsx для табеля t13"), qPrintable(err));
}

// Without texts in the settings files the window asks once; the next printout takes what was
// typed.
void TestT13::windowAsksOnceForTheTexts() {
    MainWindow mainWindow(*database, *permissionsForCode("73516280"));
    QStringList shown;
    QStringList previewTexts;
    seams::setModalHandler([&](QDialog* d) {
        shown << d->objectName();
        if (d->objectName() == "HoursTimesheetWindow") {
            for (int i = 0; i < 2; ++i)
                clickOn(childNamed<QPushButton>(d, "t13Button"));
        } else if (d->objectName() == "T13TextsDialog") {
            // Cyrillic is typed as the input method hands it over: the whole text at once.
            childNamed<QLineEdit>(d, "organisationEdit")->insert("  АО «Станкозавод» ");
            childNamed<QLineEdit>(d, "departmentEdit")->insert("Цех сборки");
            clickOn(childNamed<QPushButton>(d, "saveButton"));
        } else if (auto* p = qobject_cast<reportengine::ReportPreviewDialog*>(d)) {
            previewTexts = p->pages().texts();
        }
        return d->result();
    });
    childNamed<QDateEdit>(&mainWindow, "dateEdit")->setDate(QDate(2024, 3, 20));
    childNamed<QAction>(&mainWindow, "shiftTimesheetAction")->trigger();
    seams::setModalHandler({});
    QCOMPARE(shown.size(), 4);
    QCOMPARE(shown.mid(0, 2), (QStringList{"HoursTimesheetWindow", "T13TextsDialog"}));
    QVERIFY(previewTexts.contains("АО «Станкозавод»"));
    QVERIFY(previewTexts.contains("Цех сборки"));
    QVERIFY(previewTexts.contains("Васильев В.В."));
    QVERIFY(boxes->shown.isEmpty());
}

QTEST_MAIN(TestT13)
#include "test_t13.moc"
