// The application shell with its real windows on a real database: build stamp, version
// check, login and roles, start-up failure, the life cycle and the error report.
#include "app/BuildStamp.h"
#include "app/LoginDialog.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "data/Database.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

class TestApp : public QObject {
    Q_OBJECT
private slots:
    void buildStamp_data();
    void buildStamp();
    void init();
    void cleanup();
    void versionCheck_data();
    void versionCheck();
    void refusalEndsByTimerWhenMessageStaysOpen();
    void versionCheckRunsWhileModalWindowIsOpen();
    void roles_data();
    void roles();
    void invalidThenValidCode();
    void closingMainWindowEndsProgram();
    void unreachableServer();
    void handlerErrorIsShownAndProgramGoesOn();

private:
    void start();
    void setVer(int d, int t, const QString& delim = ".");
    TestDatabase* db = nullptr;
    MessageRecorder* boxes = nullptr;
    EndRecorder* ends = nullptr;
    QList<QDialog*> modals;
};

void TestApp::buildStamp_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<int>("buildDate");
    QTest::addColumn<int>("buildTime");
    QTest::newRow("Feb 27 2024") << "Feb 27 2024"
                                 << "15:11:03" << 20240227 << 54663;
    QTest::newRow("blank before a single-digit day") << "Jun  5 2024"
                                                     << "00:00:00" << 20240605 << 0;
    QTest::newRow("no date") << "???????????"
                             << "23:59:59" << 19000101 << 86399;
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 1; m <= 12; ++m)
        QTest::newRow(months[m - 1]) << QString("%1 10 2026").arg(months[m - 1]) << "01:02:03"
                                     << 20261010 + (m - 10) * 100 << 3723;
}

void TestApp::buildStamp() {
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(int, buildDate);
    QFETCH(int, buildTime);
    QCOMPARE(computeBuildDate(date), buildDate);
    QCOMPARE(computeBuildTime(time), buildTime);
}

void TestApp::init() {
    if (QString(QTest::currentTestFunction()) == "buildStamp")
        return;
    db = new TestDatabase;
    boxes = new MessageRecorder;
    ends = new EndRecorder;
    modals.clear();
    seams::setModalHandler([this](QDialog* w) {
        modals << w;
        return 0;
    });
}

void TestApp::cleanup() {
    shutdownProgram();
    seams::setModalHandler({});
    delete ends;
    delete boxes;
    delete db;
    ends = nullptr;
    boxes = nullptr;
    db = nullptr;
}

void TestApp::start() {
    QVERIFY(startProgram(db->commandLine(), "Feb 27 2024", "15:11:03"));
}

void TestApp::setVer(int d, int t, const QString& delim) {
    db->exec(QString("update accounts_dep.ver set d=%1, t=%2, delim='%3'").arg(d).arg(t).arg(delim));
}

void TestApp::versionCheck_data() {
    QTest::addColumn<int>("d");
    QTest::addColumn<int>("t");
    QTest::addColumn<bool>("emptyTable");
    QTest::addColumn<int>("expectD");
    QTest::addColumn<int>("expectT");
    QTest::addColumn<bool>("refused");
    QTest::newRow("older day: written") << 20240226 << 86000 << false << 20240227 << 54663 << false;
    QTest::newRow("older time: written") << 20240227 << 100 << false << 20240227 << 54663 << false;
    QTest::newRow("equal: untouched") << 20240227 << 54663 << false << 20240227 << 54663 << false;
    QTest::newRow("newer: refused") << 20240227 << 60000 << false << 20240227 << 60000 << true;
    QTest::newRow("no row: inserted") << 0 << 0 << true << 20240227 << 54663 << false;
}

void TestApp::versionCheck() {
    QFETCH(int, d);
    QFETCH(int, t);
    QFETCH(bool, emptyTable);
    QFETCH(int, expectD);
    QFETCH(int, expectT);
    QFETCH(bool, refused);
    if (emptyTable)
        db->exec("delete from accounts_dep.ver");
    else
        setVer(d, t, ",");
    start();
    SqlRecorder sql;
    g_mainWindow->versionCheck();
    QCOMPARE(db->scalar("select count(*) from accounts_dep.ver").toInt(), 1);
    QCOMPARE(db->scalar("select d from accounts_dep.ver").toInt(), expectD);
    QCOMPARE(db->scalar("select t from accounts_dep.ver").toInt(), expectT);
    QCOMPARE(g_mainWindow->buildDate, 20240227);
    QCOMPARE(g_mainWindow->buildTime, 54663);
    const bool wrote = !sql.statements.filter("update", Qt::CaseInsensitive).isEmpty() ||
                       !sql.statements.filter("insert", Qt::CaseInsensitive).isEmpty();
    QCOMPARE(wrote, d != expectD || t != expectT || emptyTable);
    if (!emptyTable)
        QCOMPARE(g_database->decimalSeparator, QString(","));
    QCOMPARE(ends->count, refused ? 1 : 0);
    QCOMPARE(g_loginDialog->Timer1->isActive(), refused);
    if (refused) {
        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown[0].text,
                 QString("Версия программы не соответсвует БД! Запустите программу через 5 мин."));
        QCOMPARE(boxes->shown[0].caption, QString("Ошибка"));
    } else {
        QVERIFY(boxes->shown.isEmpty());
    }
}

void TestApp::refusalEndsByTimerWhenMessageStaysOpen() {
    start();
    QTest::qWait(100); // the login dialog's own activation check has run
    setVer(20240301, 0);
    // The user leaves the message open: the login dialog's timer ends the program.
    int endsWhileOpen = -1;
    seams::setMessageHandler([&](const seams::Message&) {
        QElapsedTimer clock;
        clock.start();
        while (ends->count == 0 && clock.elapsed() < 8000)
            QTest::qWait(50);
        endsWhileOpen = ends->count;
        return QMessageBox::Ok;
    });
    g_loginDialog->FormActivate();
    QCOMPARE(endsWhileOpen, 1);
}

void TestApp::versionCheckRunsWhileModalWindowIsOpen() {
    start();
    g_mainWindow->Timer1->setInterval(100);
    // While the main window is open, a newer program writes its stamp.
    seams::setModalHandler([&](QDialog*) {
        setVer(20991231, 0);
        QElapsedTimer clock;
        clock.start();
        while (ends->count == 0 && clock.elapsed() < 5000)
            QTest::qWait(20);
        return 0;
    });
    g_loginDialog->Edit1->setText("73516280");
    g_loginDialog->Button1Click();
    QVERIFY(ends->count >= 1);
    QVERIFY(boxes->texts().contains("Версия программы не соответсвует БД! Запустите программу через 5 мин."));
}

void TestApp::roles_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("disabled");
    const QStringList journal{"RadioButton1", "RadioButton2", "RadioButton3", "RadioButton4",
                              "CBox1",        "Button8",      "DateT",        "DBGrid2"};
    QTest::newRow("full") << "73516280" << QStringList{};
    QTest::newRow("full, second code") << "0471" << QStringList{};
    QTest::newRow("foreman with blanks") << "  fendrok " << QStringList{"Button2", "Button3", "N2", "N11"};
    QTest::newRow("storekeeper") << "wirbo" << QStringList{"Button1", "Button2", "Button3", "N2", "N11"};
    QTest::newRow("analyst") << "plutvi"
                             << QStringList{"Button1", "Button2", "Button3", "N2", "N11"} + journal;
}

void TestApp::roles() {
    QFETCH(QString, code);
    QFETCH(QStringList, disabled);
    start();
    g_loginDialog->Edit1->setText(code);
    QTest::mouseClick(g_loginDialog->Button1, Qt::LeftButton);
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(modals, QList<QDialog*>{g_mainWindow});
    QCOMPARE(g_mainWindow->loginCode, code.trimmed());
    QCOMPARE(g_mainWindow->currentShift, 1);
    QCOMPARE(g_database->journal(3).param("ok").toString(), QString("ta"));
    const QStringList all{"Button1",      "Button2",      "Button3", "RadioButton1", "RadioButton2",
                          "RadioButton3", "RadioButton4", "CBox1",   "Button8",      "DateT",
                          "DBGrid2",      "Button4",      "Button5"};
    for (const QString& name : all) {
        auto* w = g_mainWindow->findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QVERIFY2(w->isEnabled() == !disabled.contains(name), qPrintable(name));
    }
    for (const char* name : {"N2", "N11", "N7", "N5", "N10"}) {
        auto* a = g_mainWindow->findChild<QAction*>(name);
        QVERIFY2(a->isEnabled() == !disabled.contains(name), name);
    }
    QVERIFY(!g_mainWindow->N12->isVisible());
    // The dialog closed itself after the main window: the program ended.
    QCOMPARE(ends->count, 1);
}

void TestApp::invalidThenValidCode() {
    start();
    g_loginDialog->Edit1->setText("Fendrok"); // one letter in upper case
    g_loginDialog->Button1Click();
    QCOMPARE(boxes->texts(), QStringList{"Введены неверные данные."});
    QCOMPARE(boxes->shown[0].caption, QString("Ошибка"));
    QVERIFY(modals.isEmpty());
    QCOMPARE(g_loginDialog->Edit1->text(), QString("Fendrok"));
    QVERIFY(!g_mainWindow->N11->isEnabled());
    QVERIFY(g_mainWindow->Button2->isEnabled());
    QCOMPARE(ends->count, 0);
    g_loginDialog->Edit1->setText("73516280");
    g_loginDialog->Button1Click();
    QCOMPARE(modals.size(), 1);
    QVERIFY(g_mainWindow->N11->isEnabled());
    QVERIFY(g_mainWindow->N2->isEnabled());
    QVERIFY(g_mainWindow->Button3->isEnabled());
}

void TestApp::closingMainWindowEndsProgram() {
    start();
    bool loginHidden = false;
    seams::setModalHandler([&](QDialog* w) {
        loginHidden = !g_loginDialog->isVisible();
        // The real modal showing, closed by "Выход".
        QTimer::singleShot(0, g_mainWindow->Button4, [] { g_mainWindow->Button4->click(); });
        return w->exec();
    });
    g_loginDialog->Edit1->setText("plutvi");
    g_loginDialog->Button1Click();
    QVERIFY(loginHidden);
    QVERIFY(!g_mainWindow->isVisible());
    QCOMPARE(ends->count, 1);
    QVERIFY(boxes->shown.isEmpty());
}

void TestApp::unreachableServer() {
    QVERIFY(!startProgram({"nodb", "/nonexistent-socket-folder"}, "Feb 27 2024", "15:11:03"));
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, QString("Подключение к БД отсутсвует!!!"));
    QCOMPARE(boxes->shown[0].caption, QString("Ошибка!"));
    QCOMPARE(boxes->shown[0].icon, QMessageBox::Critical);
    QVERIFY(g_loginDialog == nullptr);
    QCOMPARE(ends->count, 1);
}

void TestApp::handlerErrorIsShownAndProgramGoesOn() {
    start();
    // The version check of the timer fails on a missing table: the database's text is shown.
    db->exec("alter table accounts_dep.ver rename to ver_gone");
    g_mainWindow->Timer1->setInterval(10);
    QTRY_VERIFY(!boxes->shown.isEmpty());
    g_mainWindow->Timer1->stop();
    QVERIFY2(boxes->shown[0].text.contains("accounts_dep.ver"), qPrintable(boxes->shown[0].text));
    QCOMPARE(ends->count, 0);
    db->exec("alter table accounts_dep.ver_gone rename to ver");
    g_mainWindow->versionCheck();
    QCOMPARE(db->scalar("select d from accounts_dep.ver").toInt(), 20240227);
}

int main(int argc, char** argv) {
    TabelApplication app(argc, argv);
    TestApp t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_app.moc"
