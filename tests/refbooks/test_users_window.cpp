// The users window and its editor on a real database with real windows: a user added with the
// code typed twice, the refusals (codes unlike, too short, another user's; the last full-access
// user deactivated or moved), a user deactivated and activated again, renamed, given a new code,
// and the window without the users' table.
#include "data/Database.h"
#include "records/AccessCode.h"
#include "records/UserStore.h"
#include "refbooks/UserEditor.h"
#include "refbooks/UsersDialog.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {
// Types the text key by key (Cyrillic letters too, which QTest::keyClicks does not take).
void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
} // namespace

class TestUsersWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void addUser_data();
    void addUser();
    void deactivateAndActivate_data();
    void deactivateAndActivate();
    void renameAndMove_data();
    void renameAndMove();
    void newCode();
    void withoutTheUsersTable();

private:
    // Shows the window and runs the action inside it.
    void inWindow(const std::function<void()>& action);
    // Makes the user of the name the grid's current row.
    void choose(const QString& name);
    QString gridText() const;
    void makeUsers(const QStringList& users);

    TestDatabase* db = nullptr;
    Database* dm = nullptr;
    MessageRecorder* boxes = nullptr;
    ModalScript onModal;
    UsersDialog* dialog = nullptr;
    UserEditor* editor = nullptr;
    QTableWidget* grid = nullptr;
};

void TestUsersWindow::init() {
    db = new TestDatabase;
    dm = db->openDatabase();
    boxes = new MessageRecorder;
    makeUsers({"Иванова А. П.:full:ivan-111", "Петров С. С.:foreman:petr-222"});
    dialog = new UsersDialog(*dm);
    editor = dialog->findChild<UserEditor*>();
    QVERIFY(editor);
    grid = childNamed<QTableWidget>(dialog, "usersGrid");
    onModal.clear();
    onModal.install();
}

void TestUsersWindow::cleanup() {
    seams::setModalHandler({});
    delete dialog;
    dialog = nullptr;
    delete boxes;
    delete db;
    boxes = nullptr;
    db = nullptr;
}

void TestUsersWindow::makeUsers(const QStringList& users) {
    for (const QString& text : users) {
        const QStringList f = text.split(u':');
        db->exec(QString("insert into accounts_dep.tabel_user (name, role, code_hash, active) values "
                         "('%1', '%2', '%3', %4)")
                     .arg(f[0], f[1], hashAccessCode(f[2]), f.value(3) == u"inactive" ? "false" : "true"));
    }
}

void TestUsersWindow::inWindow(const std::function<void()>& action) {
    onModal["UsersDialog"] = action;
    dialog->browse();
}

void TestUsersWindow::choose(const QString& name) {
    for (int row = 0; row < grid->rowCount(); ++row)
        if (grid->item(row, 0)->text() == name) {
            grid->setFocus();
            grid->selectRow(row);
            return;
        }
    QFAIL(qPrintable("no row " + name));
}

QString TestUsersWindow::gridText() const {
    QStringList rows;
    for (int row = 0; row < grid->rowCount(); ++row)
        rows << grid->item(row, 0)->text() + ", " + grid->item(row, 1)->text() + ", " +
                    grid->item(row, 2)->text();
    return rows.join(" | ");
}

void TestUsersWindow::addUser_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("roleIndex"); // 0 full access, 1 foreman, 2 storekeeper, 3 analyst
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("focus"); // the box the focus goes to after a refusal
    QTest::newRow("storekeeper") << "Орлова Е. В." << 2 << "склад-2026"
                                 << "склад-2026" << QString() << QString();
    QTest::newRow("codes unlike") << "Орлова Е. В." << 2 << "склад-2026"
                                  << "склад-2025"
                                  << "Код и его повтор не совпадают."
                                  << "repeatEdit";
    QTest::newRow("code too short") << "Орлова Е. В." << 2 << "sk-26"
                                    << "sk-26"
                                    << "Код должен быть не короче 6 знаков."
                                    << "codeEdit";
    QTest::newRow("code of another user") << "Орлова Е. В." << 3 << "petr-222"
                                          << "petr-222"
                                          << "Такой код уже есть у другого пользователя: выберите другой."
                                          << "codeEdit";
    QTest::newRow("name of another user") << "петров с. с." << 3 << "orl-444"
                                          << "orl-444"
                                          << "Пользователь с таким именем уже есть."
                                          << "nameEdit";
}

void TestUsersWindow::addUser() {
    QFETCH(QString, name);
    QFETCH(int, roleIndex);
    QFETCH(QString, code);
    QFETCH(QString, repeat);
    QFETCH(QString, refusal);
    QFETCH(QString, focus);
    onModal.onScreen = true;
    bool stayedOpen = false;
    QString focused;
    onModal["UserEditor"] = [&] {
        QCOMPARE(editor->windowTitle(), QString("Новый пользователь"));
        typeText(childNamed<QLineEdit>(editor, "nameEdit"), name);
        childNamed<QComboBox>(editor, "roleBox")->setCurrentIndex(roleIndex);
        typeText(childNamed<QLineEdit>(editor, "codeEdit"), code);
        typeText(childNamed<QLineEdit>(editor, "repeatEdit"), repeat);
        editor->setResult(-1);
        QTest::keyClick(childNamed<QLineEdit>(editor, "repeatEdit"), Qt::Key_Return);
        stayedOpen = editor->result() == -1;
        focused = editor->focusWidget() ? editor->focusWidget()->objectName() : QString();
        if (stayedOpen)
            childNamed<QPushButton>(editor, "cancelButton")->click();
    };
    inWindow([&] { clickOn(childNamed<QPushButton>(dialog, "addButton")); });
    QCOMPARE(onModal.shown, (QStringList{"UsersDialog", "UserEditor"}));
    if (refusal.isEmpty()) {
        QVERIFY2(boxes->shown.isEmpty(), qPrintable(boxes->texts().join('|')));
        QVERIFY(!stayedOpen);
        QCOMPARE(gridText(), QString("Иванова А. П., Полный доступ, да | Орлова Е. В., Кладовщик, да | "
                                     "Петров С. С., Мастер, да"));
        QCOMPARE(findCodeOwner(*dm, code).user->name, name);
        return;
    }
    QCOMPARE(boxes->texts(), QStringList{refusal});
    QVERIFY(stayedOpen);
    QCOMPARE(focused, focus);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.tabel_user").toInt(), 2);
}

void TestUsersWindow::deactivateAndActivate_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("grid");
    QTest::newRow("foreman") << "Петров С. С." << QString()
                             << "Иванова А. П., Полный доступ, да | Петров С. С., Мастер, нет";
    QTest::newRow("last full access")
        << "Иванова А. П."
        << "Это последний действующий пользователь с полным доступом: он не отключается."
        << "Иванова А. П., Полный доступ, да | Петров С. С., Мастер, да";
}

void TestUsersWindow::deactivateAndActivate() {
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    QFETCH(QString, grid);
    QString caption;
    inWindow([&] {
        choose(name);
        auto* activeButton = childNamed<QPushButton>(dialog, "activeButton");
        QCOMPARE(activeButton->text(), QString("Отключить"));
        clickOn(activeButton);
        caption = activeButton->text();
    });
    QCOMPARE(boxes->shown.value(0).text,
             QString("Отключить пользователя? Он больше не сможет войти в программу."));
    QCOMPARE(boxes->shown.value(0).detail, name);
    QCOMPARE(boxes->shown.size(), refusal.isEmpty() ? 1 : 2);
    if (!refusal.isEmpty())
        QCOMPARE(boxes->shown[1].text, refusal);
    QCOMPARE(gridText(), grid);
    QCOMPARE(caption, refusal.isEmpty() ? QString("Включить") : QString("Отключить"));
    if (!refusal.isEmpty())
        return;
    // Deactivated, the user no longer logs in; activated again (no question), it does.
    QVERIFY(!findCodeOwner(*dm, "petr-222").user);
    boxes->clear();
    inWindow([&] {
        choose(name);
        clickOn(childNamed<QPushButton>(dialog, "activeButton"));
    });
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(findCodeOwner(*dm, "petr-222").user->name, name);
}

void TestUsersWindow::renameAndMove_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<int>("roleIndex");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("grid");
    QTest::newRow("foreman renamed, made analyst")
        << "Петров С. С."
        << "  Петров Семён Сергеевич " << 3 << QString()
        << "Иванова А. П., Полный доступ, да | Петров Семён Сергеевич, Аналитик, да";
    QTest::newRow("last full access made foreman")
        << "Иванова А. П."
        << "Иванова А. П." << 1
        << "Это последний действующий пользователь с полным доступом: его роль не меняется."
        << "Иванова А. П., Полный доступ, да | Петров С. С., Мастер, да";
}

void TestUsersWindow::renameAndMove() {
    QFETCH(QString, name);
    QFETCH(QString, newName);
    QFETCH(int, roleIndex);
    QFETCH(QString, refusal);
    QFETCH(QString, grid);
    onModal["UserEditor"] = [&] {
        QCOMPARE(editor->windowTitle(), QString("Изменение пользователя"));
        auto* nameEdit = childNamed<QLineEdit>(editor, "nameEdit");
        QCOMPARE(nameEdit->text(), name);
        // No code is asked for.
        QVERIFY(!childNamed<QLineEdit>(editor, "codeEdit")->isVisibleTo(editor));
        nameEdit->setText(newName);
        childNamed<QComboBox>(editor, "roleBox")->setCurrentIndex(roleIndex);
        editor->setResult(-1);
        clickOn(childNamed<QPushButton>(editor, "saveButton"));
        if (editor->result() == -1)
            editor->reject();
    };
    inWindow([&] {
        choose(name);
        clickOn(childNamed<QPushButton>(dialog, "changeButton"));
    });
    QCOMPARE(boxes->texts(), refusal.isEmpty() ? QStringList() : QStringList{refusal});
    QCOMPARE(gridText(), grid);
}

void TestUsersWindow::newCode() {
    onModal["UserEditor"] = [&] {
        QCOMPARE(editor->windowTitle(), QString("Новый код пользователя"));
        QVERIFY(childNamed<QLineEdit>(editor, "nameEdit")->isReadOnly());
        childNamed<QLineEdit>(editor, "codeEdit")->setText("новый-код");
        childNamed<QLineEdit>(editor, "repeatEdit")->setText("новый-код");
        clickOn(childNamed<QPushButton>(editor, "saveButton"));
    };
    inWindow([&] {
        choose("Петров С. С.");
        clickOn(childNamed<QPushButton>(dialog, "codeButton"));
    });
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(findCodeOwner(*dm, "новый-код").user->name, QString("Петров С. С."));
    QVERIFY(!findCodeOwner(*dm, "petr-222").user);
}

void TestUsersWindow::withoutTheUsersTable() {
    db->exec("drop table accounts_dep.tabel_user cascade");
    dialog->browse();
    QVERIFY(onModal.shown.isEmpty());
    QCOMPARE(boxes->texts(), QStringList{"В базе данных нет таблицы пользователей: администратору нужно "
                                         "применить к ней файл db/history.sql."});
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestUsersWindow t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_users_window.moc"
