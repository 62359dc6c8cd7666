// The command-line timesheet export on a real database: the .xlsx file holds the sheet of the
// window's "Excel" button, with day figures and totals as numbers and names as text; nothing in
// the database changes; bad arguments and an unreachable database end with their exit codes.
#include "TimesheetFixture.h"
#include "app/CommandLine.h"
#include "data/Database.h"
#include "records/TimesheetRebuild.h"
#include "timesheets/TimesheetCommand.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

// The build stamp the command runs as.
constexpr int kBuildDate = 20261209;
constexpr int kBuildTime = 80000;

// Runs the command with its error output caught.
int runCaptured(const QStringList& args, QString* err) {
    return runWithErrorsCaught(
        [&] {
            return int(
                runCommand(readCommandLine(args), BuildStamp{{}, {}, kBuildDate, kBuildTime, {}, false}));
        },
        err);
}

QByteArray unzip(const QString& file, const QString& member) {
    QProcess p;
    p.start("unzip", {"-p", file, member});
    p.waitForFinished(30000);
    return p.readAllStandardOutput();
}

// The cells of the first sheet by address ("A1"): "n:" and the number, or "s:" and the text.
QHash<QString, QString> readCells(const QString& file) {
    QStringList shared;
    QXmlStreamReader strings(unzip(file, "xl/sharedStrings.xml"));
    while (!strings.atEnd()) {
        strings.readNext();
        if (strings.isStartElement() && strings.name() == u"si")
            shared << QString();
        else if (strings.isStartElement() && strings.name() == u"t" && !shared.isEmpty())
            shared.last() += strings.readElementText();
    }
    QHash<QString, QString> cells;
    QXmlStreamReader sheet(unzip(file, "xl/worksheets/sheet1.xml"));
    QString address, type;
    while (!sheet.atEnd()) {
        sheet.readNext();
        if (sheet.isStartElement() && sheet.name() == u"c") {
            address = sheet.attributes().value("r").toString();
            type = sheet.attributes().value("t").toString();
        } else if (sheet.isStartElement() && sheet.name() == u"v") {
            const QString v = sheet.readElementText();
            cells[address] = type == u"s" ? "s:" + shared.value(v.toInt()) : "n:" + v;
        }
    }
    return cells;
}

} // namespace

class TestTimesheetCommand : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void writesSheet_data();
    void writesSheet();
    void badArguments_data();
    void badArguments();
    void unreachableDatabase();
    void outdatedProgramIsRefused();

private:
    TestDatabase* db = nullptr;
    QTemporaryDir dir;
};

void TestTimesheetCommand::init() {
    db = new TestDatabase;
    loadTimesheetFixture(*db);
    Database* database = db->openDatabase();
    rebuildTimesheetRows(*database, TimesheetRows::Shifts, 2024, 3);
    rebuildTimesheetRows(*database, TimesheetRows::Maintenance, 2024, 3);
    database->connection().close();
}

void TestTimesheetCommand::cleanup() {
    delete db;
}

void TestTimesheetCommand::writesSheet_data() {
    QTest::addColumn<QString>("timesheet");
    QTest::addColumn<QStringList>("cells"); // address=value
    QTest::newRow("all") << "all"
                         << QStringList{"A1=s:Март 2024",   "A2=s:Фамилия И.О.",  "C2=n:1",
                                        "AH2=s:Итого (ч.)", "A3=s:Алексеев А.А.", "F3=n:11",
                                        "AH3=n:39",         "AI3=n:655",          "A6=s:Григорьев Г.Г."};
    QTest::newRow("maintenance") << "maintenance"
                                 << QStringList{"A5=s:Васильев В.В.", "B5=s:дн.", "M5=n:8", "AH5=n:8",
                                                "AI5=n:120",          "AJ5=n:15"};
    QTest::newRow("shifts") << "shifts"
                            << QStringList{"A1=s:Март 2024", "B2=n:1",   "AG2=s:Итого", "A3=s:Алексеев А.А.",
                                           "E3=n:11",        "AG3=n:39", "AF4=n:7",     "AG6=n:2"};
}

void TestTimesheetCommand::writesSheet() {
    QFETCH(QString, timesheet);
    QFETCH(QStringList, cells);
    const QString file = dir.filePath(timesheet + ".xlsx");
    const QString before = timesheetRows(*db, 3, 2024);
    QString err;
    const int rc = runCaptured(QStringList{"--timesheet", timesheet, "--month", "03.2024", "--xlsx", file} +
                                   db->commandLine(),
                               &err);
    QVERIFY2(rc == 0, qPrintable(err));
    const QHash<QString, QString> written = readCells(file);
    for (const QString& c : cells) {
        const QString address = c.section('=', 0, 0);
        QCOMPARE(written.value(address), c.section('=', 1));
    }
    QCOMPARE(timesheetRows(*db, 3, 2024), before);
}

void TestTimesheetCommand::badArguments_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown timesheet")
        << QStringList{"--timesheet", "salaries", "--month", "03.2024", "--xlsx", "x.xlsx"}
        << "неизвестный табель 'salaries'";
    QTest::newRow("bad month") << QStringList{"--timesheet", "all", "--month", "13.2024", "--xlsx", "x.xlsx"}
                               << "месяц '13.2024' не в виде ММ.ГГГГ";
    QTest::newRow("no month") << QStringList{"--timesheet", "all", "--xlsx", "x.xlsx"} << "не указан месяц";
    QTest::newRow("no file") << QStringList{"--timesheet", "shifts", "--month", "3.2024"}
                             << "не указан файл (--xlsx)";
    QTest::newRow("three positional")
        << QStringList{"--timesheet", "all", "--month", "03.2024", "--xlsx", "x.xlsx", "a", "b", "c"}
        << "лишние параметры: c";
    QTest::newRow("file twice") << QStringList{"--timesheet", "all",    "--month", "03.2024",
                                               "--xlsx",      "y.xlsx", "--xlsx",  "x.xlsx"}
                                << "параметр --xlsx указан дважды";
    QTest::newRow("option of the report")
        << QStringList{"--timesheet", "all", "--month", "03.2024", "--pdf", "y.pdf", "--xlsx", "x.xlsx"}
        << "неизвестный параметр --pdf";
    QTest::newRow("empty database name")
        << QStringList{"--timesheet", "all", "--month", "03.2024", "--xlsx", "x.xlsx", " ", "host"}
        << "пустое имя базы данных";
}

void TestTimesheetCommand::badArguments() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QString err;
    QCOMPARE(runCaptured(args, &err), 2);
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY(err.contains("--timesheet piecework|maintenance|average|all|shifts"));
    QVERIFY(!QFile::exists("x.xlsx"));
    QVERIFY(!QFile::exists("y.xlsx"));
}

void TestTimesheetCommand::unreachableDatabase() {
    const QString file = dir.filePath("none.xlsx");
    QString err;
    QCOMPARE(runCaptured({"--timesheet", "all", "--month", "03.2024", "--xlsx", file, db->name(),
                          dir.filePath("no-such-socket-folder")},
                         &err),
             3);
    QVERIFY(!QFile::exists(file));
}

// A newer program has run against the database: the command refuses, as the windows do, and
// writes nothing.
void TestTimesheetCommand::outdatedProgramIsRefused() {
    db->exec(QString("update accounts_dep.ver set d = %1, t = %2").arg(kBuildDate).arg(kBuildTime + 1));
    const QString file = dir.filePath("old.xlsx");
    QString err;
    QCOMPARE(runCaptured({"--timesheet", "all", "--month", "03.2024", "--xlsx", file, db->name(), db->host()},
                         &err),
             5);
    QVERIFY2(err.contains("более новая версия"), qPrintable(err));
    QVERIFY(!QFile::exists(file));
}

QTEST_MAIN(TestTimesheetCommand)
#include "test_timesheet_command.moc"
