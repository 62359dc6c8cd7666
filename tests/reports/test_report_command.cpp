// The command-line report mode on a real database: a good run writes the report into a PDF
// and changes nothing in the database; bad arguments and an unreachable database end with a
// non-zero result and a message on the error output.
#include "ReportFixture.h"
#include "ReportTestText.h"
#include "app/CommandLine.h"
#include "data/Database.h"
#include "support/CommandRun.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

class TestReportCommand : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void writesReport_data();
    void writesReport();
    void badArguments_data();
    void badArguments();
    void unreachableDatabase();
    void deviceTargetIsRefused();
    void outdatedProgramIsRefused();

private:
    TestDatabase* m_testDb = nullptr;
    QTemporaryDir m_dir;
};

void TestReportCommand::init() {
    QVERIFY(m_dir.isValid());
    m_testDb = new TestDatabase;
    loadReportFixture(*m_testDb);
}

void TestReportCommand::cleanup() {
    delete m_testDb;
    m_testDb = nullptr;
}

void TestReportCommand::writesReport_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("workers") << QStringList{"--report", "workers"}
                             << QStringList{"Отчет по рабочим за период с 01.02.2025 по 28.02.2025",
                                            "Алексеев А.А.", "Итого: 866.00 721.67"}
                             << QStringList{"Васильев"};
    QTest::newRow("products, blanks")
        << QStringList{"--kind", "blanks", "--report", "products"}
        << QStringList{"Отчет по продукции за период с 01.02.2025 по 28.02.2025", "Итого: 13 25"}
        << QStringList{"Корпуса"};
    QTest::newRow("workers-detail, finished")
        << QStringList{"--report", "workers-detail", "--kind", "finished"}
        << QStringList{"Детальный отчет по рабочим", "Итого: 3 57 336.00"} << QStringList{"Кр-1"};
    QTest::newRow("products-detail, all") << QStringList{"--report", "products-detail", "--kind", "all"}
                                          << QStringList{"Итого: 8 142.5 87 386.00"} << QStringList{};
}

void TestReportCommand::writesReport() {
    QFETCH(QStringList, options);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    const QString pdf = m_dir.filePath(QStringLiteral("out.pdf"));
    QFile::remove(pdf);
    const QVariant stamp = m_testDb->scalar("select d::text || '/' || t::text from accounts_dep.ver");
    QString err;
    const int rc =
        runCaptured(options + QStringList{"--from", "01.02.2025", "--to", "01.03.2025", "--pdf", pdf} +
                        m_testDb->commandLine(),
                    &err);
    QVERIFY2(rc == 0, qPrintable(err));
    const QStringList lines = pdfLines(pdf);
    for (const QString& p : present)
        QVERIFY2(hasLine(lines, p), qPrintable(p + "\n---\n" + lines.join('\n')));
    for (const QString& a : absent)
        QVERIFY(!lines.join('\n').contains(a));
    // Nothing written: the build stamp is as it was.
    QCOMPARE(m_testDb->scalar("select d::text || '/' || t::text from accounts_dep.ver"), stamp);
}

void TestReportCommand::badArguments_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QStringList period{"--from", "01.02.2025", "--to", "01.03.2025"};
    QTest::newRow("unknown report") << (QStringList{"--report", "salaries", "--pdf", "x.pdf"} + period)
                                    << "неизвестный отчет 'salaries'";
    QTest::newRow("bad date") << QStringList{"--report", "workers",    "--from", "2025-02-01",
                                             "--to",     "01.03.2025", "--pdf",  "x.pdf"}
                              << "дата --from '2025-02-01' не в виде ДД.ММ.ГГГГ";
    QTest::newRow("impossible date") << QStringList{"--report", "workers",    "--from", "30.02.2025",
                                                    "--to",     "01.03.2025", "--pdf",  "x.pdf"}
                                     << "дата --from '30.02.2025'";
    QTest::newRow("no file") << (QStringList{"--report", "workers"} + period) << "не указан файл (--pdf)";
    QTest::newRow("no period") << QStringList{"--report", "workers", "--pdf", "x.pdf"} << "не указан период";
    QTest::newRow("reversed period") << QStringList{"--report", "workers",    "--from", "01.03.2025",
                                                    "--to",     "01.02.2025", "--pdf",  "x.pdf"}
                                     << "период пуст";
    QTest::newRow("unknown kind") << (QStringList{"--report", "workers", "--kind", "red", "--pdf", "x.pdf"} +
                                      period)
                                  << "неизвестный вид продукции 'red'";
    QTest::newRow("missing value") << (period + QStringList{"--pdf", "x.pdf", "--report"})
                                   << "после --report нет значения";
    QTest::newRow("unknown option") << (QStringList{"--report", "workers", "--pdf", "x.pdf", "--xls"} +
                                        period)
                                    << "неизвестный параметр --xls";
    QTest::newRow("three positional")
        << (QStringList{"--report", "workers", "--pdf", "x.pdf", "a", "b", "c"} + period)
        << "лишние параметры: c";
    QTest::newRow("file twice") << (QStringList{"--report", "workers", "--pdf", "x.pdf", "--pdf", "y.pdf"} +
                                    period)
                                << "параметр --pdf указан дважды";
    QTest::newRow("empty database name")
        << (QStringList{"--report", "workers", "--pdf", "x.pdf", "", "host"} + period)
        << "пустое имя базы данных";
}

void TestReportCommand::badArguments() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QString err;
    QCOMPARE(runCaptured(args, &err), 2);
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY(err.contains("--report workers|products|workers-detail|products-detail"));
    QVERIFY(!QFile::exists("x.pdf"));
}

void TestReportCommand::unreachableDatabase() {
    const QString pdf = m_dir.filePath(QStringLiteral("none.pdf"));
    QString err;
    QCOMPARE(runCaptured({"--report", "workers", "--from", "01.02.2025", "--to", "01.03.2025", "--pdf", pdf,
                          m_testDb->name(), m_dir.filePath("no-such-socket-folder")},
                         &err),
             3);
    QVERIFY2(err.startsWith(QStringLiteral("Ошибка базы данных: ")), qPrintable(err));
    QVERIFY(!QFile::exists(pdf));
    // A database that is there but refuses: no such database on the test server.
    QCOMPARE(runCaptured({"--report", "products", "--from", "01.02.2025", "--to", "01.03.2025", "--pdf", pdf,
                          "no_such_database", m_testDb->host()},
                         &err),
             3);
    QVERIFY2(err.contains("no_such_database"), qPrintable(err));
    QVERIFY(!QFile::exists(pdf));
}

void TestReportCommand::deviceTargetIsRefused() {
    QString err;
    QCOMPARE(runCaptured({"--report", "workers", "--from", "01.02.2025", "--to", "01.03.2025", "--pdf",
                          "/dev/null", m_testDb->name(), m_testDb->host()},
                         &err),
             int(CommandExit::FileError));
    QVERIFY2(err.contains("не обычный файл"), qPrintable(err));
    QVERIFY(!QFileInfo("/dev/null").isFile());
}

// A newer program has run against the database: the command refuses, as the windows do, and
// writes nothing.
void TestReportCommand::outdatedProgramIsRefused() {
    m_testDb->exec(QString("update accounts_dep.ver set d = %1, t = %2")
                       .arg(kCommandBuildDate)
                       .arg(kCommandBuildTime + 1));
    const QString pdf = m_dir.filePath(QStringLiteral("old.pdf"));
    QString err;
    QCOMPARE(runCaptured({"--report", "workers", "--from", "01.02.2025", "--to", "01.03.2025", "--pdf", pdf,
                          m_testDb->name(), m_testDb->host()},
                         &err),
             int(CommandExit::ProgramOutdated));
    QVERIFY2(err.contains("Версия программы не соответсвует БД"), qPrintable(err));
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(m_testDb->scalar("select t from accounts_dep.ver").toInt(), kCommandBuildTime + 1);
}

QTEST_MAIN(TestReportCommand)
#include "test_report_command.moc"
