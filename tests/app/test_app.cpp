// The application shell with its real windows on a real database: build stamp, version
// check, login and roles, start-up failure, the life cycle and the error report.
#include "app/BuildStamp.h"
#include "app/LoginDialog.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "app/VersionCheck.h"
#include "data/Database.h"
#include "data/Sql.h"
#include "journal/JournalView.h"
#include "records/AccessCode.h"
#include "records/UserStore.h"
#include "support/TestSupport.h"
#include "ui/Permissions.h"

#include <QMenu>

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {
// Types the text key by key (Cyrillic letters too, which QTest::keyClicks does not take).
void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
} // namespace

class TestApp : public QObject {
    Q_OBJECT
private slots:
    void buildStamp_data();
    void buildStamp();
    void init();
    void cleanup();
    void versionCheck_data();
    void versionCheck();
    void versionWrittenAtTheSameMomentElsewhere();
    void refusalEndsByTimerWhenMessageStaysOpen();
    void versionCheckRunsWhileModalWindowIsOpen();
    void permissions_data();
    void permissions();
    void loginHandsPermissionsToTheMainWindow();
    void invalidThenValidCode();
    void closingMainWindowEndsProgram();
    void escOnTheMainWindowAsksFirst();
    void namedUsersLogin_data();
    void namedUsersLogin();
    void fiveWrongCodesMakeTheNextTryWait();
    void databaseErrorAtLoginLeavesTheDialogUsable();
    void unreachableServer();
    void handlerErrorIsShownAndProgramGoesOn();

private:
    void start();
    // Types the code into the login dialog and presses "Вход".
    void logIn(const QString& code);
    // Types the code into the login dialog key by key and presses Enter.
    void typeCode(const QString& code);
    // Users as "name:role:code[:inactive]", their codes hashed as the program stores them.
    void makeUsers(const QStringList& users);
    void setVer(int d, int t, const QString& delim = ".");
    TestDatabase* db = nullptr;
    Program* program = nullptr;
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
    // No wrong codes of an earlier test count.
    QSettings(QSettings::IniFormat, QSettings::UserScope, "tabel", "login").clear();
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
    delete program;
    program = nullptr;
    seams::setModalHandler({});
    delete ends;
    delete boxes;
    delete db;
    ends = nullptr;
    boxes = nullptr;
    db = nullptr;
}

void TestApp::start() {
    program = new Program(db->commandLine(), "Feb 27 2024", "15:11:03");
    QVERIFY(program->start());
}

void TestApp::logIn(const QString& code) {
    childNamed<QLineEdit>(program->loginDialog(), "codeEdit")->setText(code);
    clickOn(childNamed<QPushButton>(program->loginDialog(), "logInButton"));
}

void TestApp::typeCode(const QString& code) {
    auto* edit = childNamed<QLineEdit>(program->loginDialog(), "codeEdit");
    edit->clear();
    typeText(edit, code);
    QTest::keyClick(edit, Qt::Key_Return);
}

void TestApp::makeUsers(const QStringList& users) {
    for (const QString& text : users) {
        const QStringList f = text.split(u':');
        db->exec(QString("insert into accounts_dep.tabel_user (name, role, code_hash, active) values "
                         "('%1', '%2', '%3', %4)")
                     .arg(f[0], f[1], hashAccessCode(f[2]), f.value(3) == u"inactive" ? "false" : "true"));
    }
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
    program->versionCheck().run();
    QCOMPARE(db->scalar("select count(*) from accounts_dep.ver").toInt(), 1);
    QCOMPARE(db->scalar("select d from accounts_dep.ver").toInt(), expectD);
    QCOMPARE(db->scalar("select t from accounts_dep.ver").toInt(), expectT);
    QCOMPARE(program->versionCheck().buildDate(), 20240227);
    QCOMPARE(program->versionCheck().buildTime(), 54663);
    const bool wrote = !sql.statements.filter("update", Qt::CaseInsensitive).isEmpty() ||
                       !sql.statements.filter("insert", Qt::CaseInsensitive).isEmpty();
    QCOMPARE(wrote, d != expectD || t != expectT || emptyTable);
    if (!emptyTable)
        QCOMPARE(program->database().decimalSeparator, QString(","));
    QCOMPARE(ends->count, refused ? 1 : 0);
    QCOMPARE(program->versionCheck().endTimer().isActive(), refused);
    if (refused) {
        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown[0].text,
                 QString("Версия программы не соответсвует БД! Запустите программу через 5 мин."));
        QCOMPARE(boxes->shown[0].caption, QString("Ошибка"));
    } else {
        QVERIFY(boxes->shown.isEmpty());
    }
}

// A newer program writes its stamp while this one, older than the stored stamp it read, writes
// its own: the stamp is not taken back, and this program is refused with the version message, not
// with a message about a row changed elsewhere.
void TestApp::versionWrittenAtTheSameMomentElsewhere() {
    setVer(20240226, 0);
    start();
    QTest::qWait(100); // the login dialog's own check has run
    boxes->clear();
    ends->count = 0;
    setVer(20240226, 0);
    bool wroteElsewhere = false;
    sqltrace::setHook([&](const QString& sql) {
        if (!wroteElsewhere && sql.startsWith("update accounts_dep.ver", Qt::CaseInsensitive)) {
            wroteElsewhere = true;
            db->exec("update accounts_dep.ver set d=20240227, t=60000");
        }
    });
    program->versionCheck().run();
    sqltrace::setHook({});
    QVERIFY(wroteElsewhere);
    QCOMPARE(db->scalar("select d || ' ' || t from accounts_dep.ver").toString(), QString("20240227 60000"));
    QCOMPARE(boxes->texts(),
             QStringList{"Версия программы не соответсвует БД! Запустите программу через 5 мин."});
    QCOMPARE(ends->count, 1);
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
    program->loginDialog()->checkVersion();
    QCOMPARE(endsWhileOpen, 1);
}

void TestApp::versionCheckRunsWhileModalWindowIsOpen() {
    start();
    program->versionCheck().repeatTimer().setInterval(100);
    // While the main window is open, a newer program writes its stamp.
    seams::setModalHandler([&](QDialog*) {
        setVer(20991231, 0);
        QElapsedTimer clock;
        clock.start();
        while (ends->count == 0 && clock.elapsed() < 5000)
            QTest::qWait(20);
        return 0;
    });
    logIn("73516280");
    QVERIFY(ends->count >= 1);
    QVERIFY(boxes->texts().contains("Версия программы не соответсвует БД! Запустите программу через 5 мин."));
}

void TestApp::permissions_data() {
    QTest::addColumn<QString>("code");
    // add, change, delete, accept, choose the day, reference books, timesheets, reports by
    // workers, report by products, Excel summary, choose the product kind
    QTest::addColumn<QList<bool>>("allowed");
    QTest::addColumn<int>("productKind"); // -1: not fixed
    const bool y = true, n = false;
    QTest::newRow("full") << "73516280" << QList<bool>{y, y, y, y, y, y, y, y, y, y, y} << -1;
    QTest::newRow("full, second code") << "0471" << QList<bool>{y, y, y, y, y, y, y, y, y, y, y} << -1;
    QTest::newRow("foreman") << "fendrok" << QList<bool>{y, n, n, n, y, n, n, n, n, n, y} << -1;
    QTest::newRow("storekeeper") << "wirbo" << QList<bool>{n, n, n, y, y, n, n, n, n, n, n} << 0;
    QTest::newRow("analyst") << "plutvi" << QList<bool>{n, n, n, y, n, n, n, y, y, y, y} << -1;
}

void TestApp::permissions() {
    QFETCH(QString, code);
    QFETCH(QList<bool>, allowed);
    QFETCH(int, productKind);
    const std::optional<Permissions> p = permissionsForCode(code);
    QVERIFY(p);
    const QList<bool> got{p->addRecords,     p->changeRecords,  p->deleteRecords,    p->acceptRecords,
                          p->chooseDay,      p->referenceBooks, p->timesheets,       p->workersReports,
                          p->productsReport, p->excelSummary,   p->chooseProductKind};
    QCOMPARE(got, allowed);
    QCOMPARE(p->productKind.value_or(-1), productKind);
    // Codes match exactly: case and blanks count (the login trims the typed code first).
    QVERIFY(!permissionsForCode(code.toUpper() + "x"));
    QVERIFY(!permissionsForCode(" " + code));
}

void TestApp::loginHandsPermissionsToTheMainWindow() {
    start();
    logIn("  plutvi ");
    QVERIFY(boxes->shown.isEmpty());
    MainWindow* window = program->mainWindow();
    QVERIFY(window);
    QCOMPARE(modals, QList<QDialog*>{window});
    QCOMPARE(window->journal().day().shift, 1);
    QCOMPARE(window->journal().shiftJournal(3).param("ok").toString(), QString("ta"));
    // The analyst's permissions: the journal only looks, the two menus are closed.
    const QStringList disabled{"addButton",         "changeButton", "deleteButton",   "shift1Button",
                               "shift2Button",      "shift3Button", "overtimeButton", "dayOffCheck",
                               "refreshButton",     "dateEdit",     "journalGrid",    "copyButton",
                               "acceptShiftButton", "filterEdit"};
    for (const QString& name : disabled)
        QVERIFY2(!childNamed<QWidget>(window, name)->isEnabled(), qPrintable(name));
    for (const char* name : {"maintenanceWorksButton", "exitButton"})
        QVERIFY2(childNamed<QWidget>(window, name)->isEnabled(), name);
    QVERIFY(!childNamed<QMenu>(window, "referenceBooksMenu")->menuAction()->isEnabled());
    // Of the timesheets menu the analyst has only the month handed to payroll.
    QVERIFY(childNamed<QMenu>(window, "timesheetsMenu")->menuAction()->isEnabled());
    for (const char* name : {"pieceworkTimesheetAction", "shiftTimesheetAction", "maintenanceTimesheetAction",
                             "averageRateTimesheetAction", "generalTimesheetAction"})
        QVERIFY2(!childNamed<QAction>(window, name)->isEnabled(), name);
    QVERIFY(childNamed<QAction>(window, "payrollSummaryAction")->isEnabled());
    QVERIFY(childNamed<QMenu>(window, "reportsMenu")->menuAction()->isEnabled());
    QVERIFY(!childNamed<QAction>(window, "importAction")->isVisible());
    // The dialog closed itself after the main window: the program ended.
    QCOMPARE(ends->count, 1);
}

void TestApp::invalidThenValidCode() {
    start();
    logIn("Fendrok"); // one letter in upper case
    QCOMPARE(boxes->texts(), QStringList{"Введены неверные данные."});
    QCOMPARE(boxes->shown[0].caption, QString("Ошибка"));
    QVERIFY(modals.isEmpty());
    QVERIFY(!program->mainWindow());
    QCOMPARE(childNamed<QLineEdit>(program->loginDialog(), "codeEdit")->text(), QString("Fendrok"));
    QCOMPARE(ends->count, 0);
    logIn("73516280");
    QCOMPARE(modals.size(), 1);
    MainWindow* window = program->mainWindow();
    QVERIFY(childNamed<QMenu>(window, "timesheetsMenu")->menuAction()->isEnabled());
    QVERIFY(childNamed<QAction>(window, "generalTimesheetAction")->isEnabled());
    QVERIFY(childNamed<QAction>(window, "payrollSummaryAction")->isEnabled());
    QVERIFY(childNamed<QMenu>(window, "referenceBooksMenu")->menuAction()->isEnabled());
    QVERIFY(childNamed<QWidget>(window, "deleteButton")->isEnabled());
}

void TestApp::closingMainWindowEndsProgram() {
    start();
    bool loginHidden = false;
    seams::setModalHandler([&](QDialog* w) {
        loginHidden = !program->loginDialog()->isVisible();
        // The real modal showing, closed by "Выход".
        QPushButton* exit = childNamed<QPushButton>(w, "exitButton");
        QTimer::singleShot(0, exit, [exit] { exit->click(); });
        return w->exec();
    });
    logIn("plutvi");
    QVERIFY(loginHidden);
    QVERIFY(!program->mainWindow()->isVisible());
    QCOMPARE(ends->count, 1);
    QVERIFY(boxes->shown.isEmpty());
}

// Esc on the main window asks before the program ends, with «Нет» as the default: «Нет» keeps
// the window, «Да» ends the program.
void TestApp::escOnTheMainWindowAsksFirst() {
    start();
    boxes->answers << QMessageBox::No << QMessageBox::Yes;
    bool stayedAfterNo = false;
    seams::setModalHandler([&](QDialog* dialog) {
        QTimer::singleShot(0, dialog, [&, dialog] {
            QTest::keyClick(dialog, Qt::Key_Escape);
            stayedAfterNo = dialog->isVisible();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        return dialog->exec();
    });
    logIn("plutvi");
    QVERIFY(stayedAfterNo);
    QVERIFY(!program->mainWindow()->isVisible());
    QCOMPARE(ends->count, 1);
    QCOMPARE(boxes->shown.size(), 2);
    QCOMPARE(boxes->shown[0].caption, QString("Выход"));
    QCOMPARE(boxes->shown[0].defaultButton, QMessageBox::No);
}

void TestApp::namedUsersLogin_data() {
    QTest::addColumn<QString>("table"); // "users", "empty", "missing" or "inactive only"
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("role"); // the role granted; empty when refused
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("sessionUser"); // what the server is told
    QTest::newRow("a user with full access") << "users"
                                             << "кот-учёный"
                                             << "full"
                                             << "Табель — Иванова А. П."
                                             << "Иванова А. П.";
    QTest::newRow("a foreman, blanks around") << "users"
                                              << "  pet-777 "
                                              << "foreman"
                                              << "Табель — Петров С. С."
                                              << "Петров С. С.";
    QTest::newRow("a deactivated user") << "users"
                                        << "sid-888" << QString() << QString() << QString();
    QTest::newRow("built-in full access once users exist")
        << "users"
        << "73516280" << QString() << QString() << QString();
    QTest::newRow("built-in foreman once users exist") << "users"
                                                       << "fendrok" << QString() << QString() << QString();
    QTest::newRow("built-in full access, no users") << "empty"
                                                    << "73516280"
                                                    << "full"
                                                    << "Табель"
                                                    << "Полный доступ";
    QTest::newRow("built-in storekeeper, no users' table") << "missing"
                                                           << "wirbo"
                                                           << "storekeeper"
                                                           << "Табель"
                                                           << "Кладовщик";
    QTest::newRow("built-in analyst, inactive users only") << "inactive only"
                                                           << "plutvi"
                                                           << "analyst"
                                                           << "Табель"
                                                           << "Аналитик";
}

void TestApp::namedUsersLogin() {
    QFETCH(QString, table);
    QFETCH(QString, code);
    QFETCH(QString, role);
    QFETCH(QString, title);
    QFETCH(QString, sessionUser);
    if (table == u"users")
        makeUsers({"Иванова А. П.:full:кот-учёный", "Петров С. С.:foreman:pet-777",
                   "Сидоров:full:sid-888:inactive"});
    else if (table == u"inactive only")
        makeUsers({"Сидоров:full:sid-888:inactive"});
    else if (table == u"missing")
        db->exec("drop table accounts_dep.tabel_user cascade");
    setSessionUser({});
    start();
    typeCode(code);
    if (role.isEmpty()) {
        QCOMPARE(boxes->texts(), QStringList{"Введены неверные данные."});
        QVERIFY(modals.isEmpty());
        QVERIFY(!program->mainWindow());
        QCOMPARE(ends->count, 0);
        QCOMPARE(::sessionUser(), QString());
        return;
    }
    QVERIFY2(boxes->shown.isEmpty(), qPrintable(boxes->texts().join('|')));
    MainWindow* window = program->mainWindow();
    QVERIFY(window);
    QCOMPARE(modals, QList<QDialog*>{window});
    QCOMPARE(window->windowTitle(), title);
    // The role's permissions.
    const bool full = role == u"full";
    QCOMPARE(childNamed<QWidget>(window, "deleteButton")->isEnabled(), full);
    QCOMPARE(childNamed<QWidget>(window, "addButton")->isEnabled(), full || role == u"foreman");
    QCOMPARE(childNamed<QWidget>(window, "dateEdit")->isEnabled(), role != u"analyst");
    QCOMPARE(childNamed<QMenu>(window, "referenceBooksMenu")->menuAction()->isEnabled(), full);
    QCOMPARE(childNamed<QAction>(window, "usersAction")->isEnabled(), full);
    QCOMPARE(childNamed<QWidget>(window, "changeButton")->isEnabled(), full);
    // Who works, as this program and the server know it; the closing names a named user.
    QCOMPARE(::sessionUser(), sessionUser);
    QCOMPARE(program->database().readValue("select current_setting('tabel.user', true)").toString(),
             sessionUser);
    QCOMPARE(loggedInUser(), title == u"Табель" ? QString() : sessionUser);
    setLoggedInUser({});
}

// Five wrong codes in a row: the next try waits 30 seconds, said in the dialog with the seconds
// left; a restart of the program does not skip it; each wrong code after the wait starts it again.
void TestApp::fiveWrongCodesMakeTheNextTryWait() {
    makeUsers({"Иванова А. П.:full:кот-учёный"});
    const QDateTime start0(QDate(2026, 12, 10), QTime(9, 0));
    FixedClock clock(start0);
    start();
    QLabel* wait = childNamed<QLabel>(program->loginDialog(), "waitLabel");
    for (int i = 1; i <= 5; ++i) {
        QVERIFY(!wait->isVisibleTo(program->loginDialog()));
        typeCode("кот-ученый");
    }
    QCOMPARE(boxes->texts(), QStringList(5, "Введены неверные данные."));
    QVERIFY(wait->isVisibleTo(program->loginDialog()));
    QCOMPARE(wait->text(), QString("Неверный код введен 5 раз подряд: повторите через 30 с."));
    // The right code is not even looked at while waiting.
    boxes->clear();
    clock.set(start0.addSecs(29));
    typeCode("кот-учёный");
    QVERIFY(!program->mainWindow());
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(wait->text(), QString("Неверный код введен 5 раз подряд: повторите через 1 с."));
    // The program started again waits as well.
    delete program;
    program = nullptr;
    start();
    wait = childNamed<QLabel>(program->loginDialog(), "waitLabel");
    QVERIFY(wait->isVisibleTo(program->loginDialog()));
    QCOMPARE(wait->text(), QString("Неверный код введен 5 раз подряд: повторите через 1 с."));
    typeCode("кот-учёный");
    QVERIFY(!program->mainWindow());
    // After the wait a wrong code makes it wait again.
    clock.set(start0.addSecs(30));
    typeCode("кот-ученый");
    QCOMPARE(boxes->texts(), QStringList{"Введены неверные данные."});
    QCOMPARE(wait->text(), QString("Неверный код введен 5 раз подряд: повторите через 30 с."));
    clock.set(start0.addSecs(60));
    typeCode("кот-учёный");
    QVERIFY(program->mainWindow());
    QCOMPARE(program->mainWindow()->windowTitle(), QString("Табель — Иванова А. П."));
    QVERIFY(!wait->isVisibleTo(program->loginDialog()));
    // The right code cleared the count: the next run starts afresh.
    delete program;
    program = nullptr;
    boxes->clear();
    start();
    for (int i = 1; i <= 4; ++i)
        typeCode("кот-ученый");
    QVERIFY(!childNamed<QLabel>(program->loginDialog(), "waitLabel")->isVisibleTo(program->loginDialog()));
    setLoggedInUser({});
}

// The users' table cannot be read: the server's text is shown, the code is not counted as wrong,
// and the dialog takes the code again once the table can be read.
void TestApp::databaseErrorAtLoginLeavesTheDialogUsable() {
    makeUsers({"Иванова А. П.:full:кот-учёный"});
    db->exec("revoke select on accounts_dep.tabel_user from sys");
    start();
    for (int i = 1; i <= 6; ++i)
        typeCode("кот-учёный");
    QCOMPARE(boxes->shown.size(), 6);
    QVERIFY2(boxes->shown[0].text.contains("tabel_user"), qPrintable(boxes->shown[0].text));
    QVERIFY(!boxes->texts().contains("Введены неверные данные."));
    QVERIFY(!program->mainWindow());
    QCOMPARE(ends->count, 0);
    QVERIFY(!childNamed<QLabel>(program->loginDialog(), "waitLabel")->isVisibleTo(program->loginDialog()));
    db->exec("grant select on accounts_dep.tabel_user to sys");
    typeCode("кот-учёный");
    QVERIFY(program->mainWindow());
    setLoggedInUser({});
}

void TestApp::unreachableServer() {
    program = new Program({"nodb", "/nonexistent-socket-folder"}, "Feb 27 2024", "15:11:03");
    QVERIFY(!program->start());
    QCOMPARE(boxes->shown.size(), 1);
    // The message, with the client library's own reason below it.
    const QString text = boxes->shown[0].text;
    QVERIFY2(text.startsWith("Подключение к БД отсутсвует!!!\n\n"), qPrintable(text));
    QVERIFY2(text.contains("nonexistent-socket-folder"), qPrintable(text));
    QCOMPARE(boxes->shown[0].caption, QString("Ошибка!"));
    QCOMPARE(boxes->shown[0].icon, QMessageBox::Critical);
    QVERIFY(!program->loginDialog());
    QCOMPARE(ends->count, 1);
}

void TestApp::handlerErrorIsShownAndProgramGoesOn() {
    start();
    QTest::qWait(100); // the login dialog's own check on coming up has passed
    // The version check of the timer fails on a missing table: the database's text is shown.
    db->exec("alter table accounts_dep.ver rename to ver_gone");
    program->versionCheck().repeatTimer().setInterval(10);
    QTRY_VERIFY(!boxes->shown.isEmpty());
    QVERIFY2(boxes->shown[0].text.contains("accounts_dep.ver"), qPrintable(boxes->shown[0].text));
    // While the fault stays, the repeated check does not pile up one box after another.
    QTest::qWait(200);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(ends->count, 0);
    // Once a check has passed, the next failure is shown again.
    db->exec("alter table accounts_dep.ver_gone rename to ver");
    QTRY_COMPARE(db->scalar("select d from accounts_dep.ver").toInt(), 20240227);
    QTest::qWait(50);
    db->exec("alter table accounts_dep.ver rename to ver_gone");
    QTRY_COMPARE(boxes->shown.size(), 2);
    program->versionCheck().repeatTimer().stop();
    db->exec("alter table accounts_dep.ver_gone rename to ver");
}

int main(int argc, char** argv) {
    TabelApplication app(argc, argv);
    TestApp t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_app.moc"
