// The program's command line run as the program itself: --help and --version answer with exit
// code 0, and an option given twice is refused in every mode with code 2 and nothing written.
#include "app/BuildStamp.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void helpAndVersion_data();
    void helpAndVersion();
    void optionTwiceIsRefused_data();
    void optionTwiceIsRefused();
    void badPositionalArgumentsAreRefused_data();
    void badPositionalArgumentsAreRefused();
};

namespace {

struct Run {
    int exitCode = -1;
    QString out, err;
};

Run runProgram(const QStringList& args) {
    QProcess program;
    program.start(QStringLiteral(TABEL_EXECUTABLE), args);
    Run r;
    if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = program.exitCode();
    r.out = QString::fromLocal8Bit(program.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(program.readAllStandardError());
    return r;
}

} // namespace

void TestCommandLine::helpAndVersion_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("--help") << QStringList{"--help"} << "Использование: tabel [БАЗА СЕРВЕР]";
    QTest::newRow("-h") << QStringList{"-h"} << "Использование: tabel [БАЗА СЕРВЕР]";
    QTest::newRow("--version") << QStringList{"--version"} << "tabel " TABEL_VERSION;
}

void TestCommandLine::helpAndVersion() {
    QFETCH(QStringList, args);
    QFETCH(QString, firstLine);
    const Run r = runProgram(args);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out.section(u'\n', 0, 0), firstLine);
    if (args.first() == u"--version") {
        // The build stamp: the numbers as the version check counts them, and the texts they come from.
        static const QRegularExpression stamp("^метка сборки (\\d{8}) (\\d+) \\((.{11}) (.{8}) UTC\\)$");
        const QRegularExpressionMatch m = stamp.match(r.out.section(u'\n', 1, 1));
        QVERIFY2(m.hasMatch(), qPrintable(r.out));
        QCOMPARE(m.captured(1).toInt(), computeBuildDate(m.captured(3)));
        QCOMPARE(m.captured(2).toInt(), computeBuildTime(m.captured(4)));
        // The commit the stamp was taken from (the tests run on a git tree).
        QVERIFY2(r.out.section(u'\n', 2, 2).startsWith("коммит "), qPrintable(r.out));
    } else {
        for (const char* option :
             {"--report", "--timesheet", "--import", "--months", "--history", "--xlsx", "--version"})
            QVERIFY2(r.out.contains(option), option);
        QVERIFY(r.out.contains("Каждый параметр задается не более одного раза."));
    }
    QVERIFY(r.err.isEmpty());
}

void TestCommandLine::optionTwiceIsRefused_data() {
    QTest::addColumn<QStringList>("args"); // FILE and FILE2 stand for files in a fresh folder
    QTest::addColumn<QString>("message");
    QTest::newRow("report, file") << QStringList{"--report",   "workers", "--from", "01.02.2025", "--to",
                                                 "01.03.2025", "--pdf",   "FILE",   "--pdf",      "FILE2"}
                                  << "параметр --pdf указан дважды";
    QTest::newRow("report, period") << QStringList{"--report", "workers",    "--from", "01.02.2025",
                                                   "--to",     "01.03.2025", "--from", "01.01.2025",
                                                   "--pdf",    "FILE"}
                                    << "параметр --from указан дважды";
    QTest::newRow("timesheet, file") << QStringList{"--timesheet", "all",  "--month", "03.2024",
                                                    "--xlsx",      "FILE", "--xlsx",  "FILE2"}
                                     << "параметр --xlsx указан дважды";
    QTest::newRow("timesheet, month")
        << QStringList{"--timesheet", "all", "--month", "03.2024", "--xlsx", "FILE", "--month=04.2024"}
        << "параметр --month указан дважды";
    QTest::newRow("import") << QStringList{"--import", "--import"} << "параметр --import указан дважды";
    QTest::newRow("months") << QStringList{"--months", "--months"} << "параметр --months указан дважды";
    QTest::newRow("history, period") << QStringList{"--history", "--from",     "01.12.2026",
                                                    "--to",      "10.12.2026", "--xlsx",
                                                    "FILE",      "--to",       "11.12.2026"}
                                     << "параметр --to указан дважды";
    QTest::newRow("history, option of another mode")
        << QStringList{"--history", "--month", "12.2026", "--xlsx", "FILE"} << "неизвестный параметр --month";
    QTest::newRow("windows, help") << QStringList{"--help", "-h"} << "параметр --help указан дважды";
}

void TestCommandLine::optionTwiceIsRefused() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    args.replaceInStrings(QRegularExpression("^FILE$"), dir.filePath("a"));
    args.replaceInStrings(QRegularExpression("^FILE2$"), dir.filePath("b"));
    // An unreachable server: had the arguments been taken, the run would end with code 3.
    const Run r = runProgram(args + QStringList{"kor_erp", dir.filePath("no-such-socket-folder")});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.startsWith("Ошибка: " + message + "\nИспользование: "), qPrintable(r.err));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QVERIFY(r.out.isEmpty());
}

// The database and the server: both or neither, the database named, nothing more; a month whose
// next month is still a date. Refused with code 2 before anything is opened, in every mode.
void TestCommandLine::badPositionalArgumentsAreRefused_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("import, empty database name")
        << QStringList{"--import", "", "SERVER"} << "пустое имя базы данных";
    QTest::newRow("import, database alone") << QStringList{"--import", "kor_erp"} << "нужны оба параметра";
    QTest::newRow("history, database alone")
        << QStringList{"--history", "--from", "01.12.2026", "--to", "10.12.2026", "--xlsx", "FILE", "kor_erp"}
        << "указана база данных без сервера: kor_erp";
    QTest::newRow("history, day of no month")
        << QStringList{"--history", "--from", "01.13.2026", "--to",  "10.12.2026",
                       "--xlsx",    "FILE",   "kor_erp",    "SERVER"}
        << "дата --from '01.13.2026' не в виде ДД.ММ.ГГГГ";
    QTest::newRow("windows, empty database name") << QStringList{"", "SERVER"} << "пустое имя базы данных";
    QTest::newRow("windows, three positional")
        << QStringList{"kor_erp", "SERVER", "extra"} << "лишние параметры: extra";
    QTest::newRow("timesheet, month beyond the years")
        << QStringList{"--timesheet", "all", "--month", "12.9999", "--xlsx", "FILE", "kor_erp", "SERVER"}
        << "месяц '12.9999' не в виде ММ.ГГГГ";
}

void TestCommandLine::badPositionalArgumentsAreRefused() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    args.replaceInStrings(QRegularExpression("^FILE$"), dir.filePath("a"));
    // An unreachable server: had the arguments been taken, the run would end with code 3.
    args.replaceInStrings(QRegularExpression("^SERVER$"), dir.filePath("no-such-socket-folder"));
    const Run r = runProgram(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.startsWith("Ошибка: " + message), qPrintable(r.err));
    QVERIFY2(r.err.contains("Использование: "), qPrintable(r.err));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
