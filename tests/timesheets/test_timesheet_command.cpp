// The command-line timesheet export on a real database: the .xlsx file holds the sheet of the
// window's "Excel" button, with day figures and totals as numbers and names as text; nothing in
// the database changes; bad arguments and an unreachable database end with their exit codes.
#include "TimesheetFixture.h"
#include "app/CommandLine.h"
#include "data/Database.h"
#include "records/TimesheetRebuild.h"
#include "support/CommandRun.h"
#include "timesheets/TimesheetCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

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
    void nonRegularTargetIsLeftAlone_data();
    void nonRegularTargetIsLeftAlone();
    void previousFileIsReplacedWhole();
    void fullDiskKeepsThePreviousFile();
    void monthWithASumTooLargeNamesTheCause();

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
    QTest::newRow("month beyond the years")
        << QStringList{"--timesheet", "all", "--month", "12.9999", "--xlsx", "x.xlsx"}
        << "месяц '12.9999' не в виде ММ.ГГГГ (с 01.1900 по 12.9998)";
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
    db->exec(QString("update accounts_dep.ver set d = %1, t = %2")
                 .arg(kCommandBuildDate)
                 .arg(kCommandBuildTime + 1));
    const QString file = dir.filePath("old.xlsx");
    QString err;
    QCOMPARE(runCaptured({"--timesheet", "all", "--month", "03.2024", "--xlsx", file, db->name(), db->host()},
                         &err),
             5);
    QVERIFY2(err.contains("более новая версия"), qPrintable(err));
    QVERIFY(!QFile::exists(file));
}

// A folder, a device or a pipe as the target: refused with exit 4 before anything is written,
// and left as it was (a pipe without a reader would otherwise hold the command for ever).
void TestTimesheetCommand::nonRegularTargetIsLeftAlone_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("device") << "device"
                            << "не обычный файл";
    QTest::newRow("folder") << "folder"
                            << "это папка";
    QTest::newRow("pipe") << "pipe"
                          << "не обычный файл";
}

void TestTimesheetCommand::nonRegularTargetIsLeftAlone() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QString target = "/dev/null";
    if (kind == "folder") {
        target = dir.filePath("folder");
        QVERIFY(QDir().mkpath(target));
    } else if (kind == "pipe") {
        target = dir.filePath("pipe");
        QCOMPARE(QProcess::execute("mkfifo", {target}), 0);
    }
    QString err;
    QCOMPARE(
        runCaptured({"--timesheet", "all", "--month", "03.2024", "--xlsx", target, db->name(), db->host()},
                    &err),
        int(CommandExit::FileError));
    QVERIFY2(err.contains(message), qPrintable(err));
    const QFileInfo after(target);
    QVERIFY(after.exists());
    QVERIFY(!after.isFile());
    QCOMPARE(after.isDir(), kind == "folder");
}

// An earlier workbook, reached through a link: replaced by the whole new one, with its
// permissions; the link stays a link and nothing else is left in the folder.
void TestTimesheetCommand::previousFileIsReplacedWhole() {
    const QString real = dir.filePath("real/march.xlsx");
    QVERIFY(QDir().mkpath(dir.filePath("real")));
    {
        QFile previous(real);
        QVERIFY(previous.open(QIODevice::WriteOnly));
        previous.write("the previous workbook");
    }
    QVERIFY(QFile::setPermissions(real,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const QString link = dir.filePath("march.xlsx");
    QVERIFY(QFile::link(real, link));
    QString err;
    QCOMPARE(runCaptured({"--timesheet", "all", "--month", "03.2024", "--xlsx", link, db->name(), db->host()},
                         &err),
             0);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readCells(link).value("A1"), QString("s:Март 2024"));
    QCOMPARE(
        QFileInfo(real).permissions() & 0x0777,
        QFileDevice::Permissions(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ReadGroup));
    QCOMPARE(QDir(dir.filePath("real")).entryList(QDir::Files | QDir::Hidden), QStringList{"march.xlsx"});
}

// A disk that fills while the workbook is written: exit 4, and the earlier file is as it was.
// Needs a small file system of its own (a tmpfs, which only root may mount).
void TestTimesheetCommand::fullDiskKeepsThePreviousFile() {
    QTemporaryDir mountPoint;
    const QString at = mountPoint.path();
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=256k", "tmpfs", at}) != 0)
        QSKIP("no small file system can be mounted here");
    struct Unmount {
        QString at;
        ~Unmount() { QProcess::execute("umount", {at}); }
    } unmount{at};
    const QString target = at + "/march.xlsx";
    {
        QFile previous(target);
        QVERIFY(previous.open(QIODevice::WriteOnly));
        previous.write("the previous workbook");
    }
    {
        QFile filler(at + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
    }
    QString err;
    QCOMPARE(
        runCaptured({"--timesheet", "all", "--month", "03.2024", "--xlsx", target, db->name(), db->host()},
                    &err),
        int(CommandExit::FileError));
    QVERIFY2(err.contains(target), qPrintable(err));
    QFile previous(target);
    QVERIFY(previous.open(QIODevice::ReadOnly));
    QCOMPARE(previous.readAll(), QByteArray("the previous workbook"));
    QCOMPARE(QDir(at).entryList(QDir::Files | QDir::Hidden), (QStringList{"filler", "march.xlsx"}));
}

// A month that already holds a record no sum column can hold (written before the limits, or by
// other means): the command fails with the cause in Russian, the server's text below, and
// writes nothing.
void TestTimesheetCommand::monthWithASumTooLargeNamesTheCause() {
    db->exec(
        "insert into accounts_dep.smena (data, smena, w_id, time, kol_vo, cena, brak, i_id, o_id, color, ok, "
        "vvod, prize) values ('12.03.2024', 1, 1, 8, 7000000, 16.05, 0, 5, 42, 0, 'ok', '12.03.2024', 0)");
    const QString file = dir.filePath("overflow.xlsx");
    QString err;
    QCOMPARE(
        runCaptured(
            {"--timesheet", "piecework", "--month", "03.2024", "--xlsx", file, db->name(), db->host()}, &err),
        int(CommandExit::DatabaseError));
    QVERIFY2(err.contains("Сумма не помещается в графу отчёта"), qPrintable(err));
    QVERIFY2(err.contains("numeric field overflow"), qPrintable(err));
    QVERIFY(!QFile::exists(file));
}

QTEST_MAIN(TestTimesheetCommand)
#include "test_timesheet_command.moc"
