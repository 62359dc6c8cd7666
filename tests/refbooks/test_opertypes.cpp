// The operation types list and editor on a real database with real windows: adding,
// renaming and deleting types, the refusals and the duplicate check without regard to
// letter case (Cyrillic included), the pick for the price editor, the search field.
#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/OperationTypeEditor.h"
#include "refbooks/OperationTypesDialog.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

class TestOperTypes : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void databaseFoldsCyrillicCase();
    void addType_data();
    void addType();
    void changeType_data();
    void changeType();
    void deleteType_data();
    void deleteType();
    void emptyListChangesAndDeletesNothing();
    void picker_data();
    void picker();
    void searchInPickerOnly();
    void typeInUseIsNotDeleted();
    void pickerStartsInSearchField();

private:
    static void type(QWidget* w, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void runFromMenu(const std::function<void()>& inList);
    Dataset& types() const { return dialog->operationTypes(); }
    int rows() const { return types().recordCount(); }
    QString current() const { return types().fieldByName("vid").asString(); }
    int count(const QString& where) {
        return db->scalar("select count(*) from accounts_dep.vid_oper where " + where).toInt();
    }

    TestDatabase* db = nullptr;
    Database* dm = nullptr;
    MessageRecorder* boxes = nullptr;
    ModalScript onModal;
    OperationTypesDialog* dialog = nullptr;
    OperationTypeEditor* editor = nullptr;
    // The list's parts.
    QLineEdit* searchEdit = nullptr;
    QTableView* grid = nullptr;
    QPushButton *addButton = nullptr, *changeButton = nullptr, *removeButton = nullptr, *exitButton = nullptr;
    // The editor's parts.
    QLineEdit* nameEdit = nullptr;
    QPushButton* saveButton = nullptr;
};

void TestOperTypes::init() {
    db = new TestDatabase;
    dm = db->openDatabase();
    boxes = new MessageRecorder;
    // Ordered by vid: Окраска, Резка, Сварка полуавтоматом, Ср. сдельная, Хоз. работы.
    db->exec(
        "insert into accounts_dep.vid_oper (id, vid) values (3, 'Окраска'), (4, 'Сварка полуавтоматом'), "
        "(5, 'Резка'), (7777, 'Хоз. работы'), (7778, 'Ср. сдельная')");
    dialog = new OperationTypesDialog(*dm);
    editor = dialog->findChild<OperationTypeEditor*>();
    QVERIFY(editor);
    searchEdit = childNamed<QLineEdit>(dialog, "searchEdit");
    grid = childNamed<QTableView>(dialog, "listGrid");
    addButton = childNamed<QPushButton>(dialog, "addButton");
    changeButton = childNamed<QPushButton>(dialog, "changeButton");
    removeButton = childNamed<QPushButton>(dialog, "removeButton");
    exitButton = childNamed<QPushButton>(dialog, "exitButton");
    nameEdit = childNamed<QLineEdit>(editor, "nameEdit");
    saveButton = childNamed<QPushButton>(editor, "saveButton");
    onModal.clear();
    onModal.install();
}

void TestOperTypes::cleanup() {
    seams::setModalHandler({});
    delete dialog;
    dialog = nullptr;
    delete boxes;
    delete db;
    boxes = nullptr;
    db = nullptr;
}

void TestOperTypes::runFromMenu(const std::function<void()>& inList) {
    onModal["OperationTypesDialog"] = inList;
    dialog->browse();
    QVERIFY(!types().isOpen());
}

// The duplicate check relies on upper() of the database folding Cyrillic letters.
void TestOperTypes::databaseFoldsCyrillicCase() {
    QCOMPARE(db->scalar("select upper('окраска ёлочкой, щётка')").toString(),
             QString("ОКРАСКА ЁЛОЧКОЙ, ЩЁТКА"));
    QCOMPARE(QString("окраска ёлочкой, щётка").toUpper(), QString("ОКРАСКА ЁЛОЧКОЙ, ЩЁТКА"));
}

void TestOperTypes::addType_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("stored");
    QTest::newRow("new") << "Гибка" << QString() << "Гибка";
    QTest::newRow("blanks around") << "  Зачистка швов   " << QString() << "Зачистка швов";
    QTest::newRow("apostrophe") << "Гибка 'П'-профиля" << QString() << "Гибка 'П'-профиля";
    QTest::newRow("blanks only") << "   "
                                 << "Все поля должны быть заполнены!" << QString();
    QTest::newRow("lower case") << "окраска"
                                << "Такая операция уже заведена!" << QString();
    QTest::newRow("upper case") << "ОКРАСКА"
                                << "Такая операция уже заведена!" << QString();
    QTest::newRow("mixed case, blanks") << "  сВАРКА ПОЛУАВТОМАТОМ "
                                        << "Такая операция уже заведена!" << QString();
    QTest::newRow("reserved type's name") << "хоз. работы"
                                          << "Такая операция уже заведена!" << QString();
}

void TestOperTypes::addType() {
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    QFETCH(QString, stored);
    SqlRecorder sql;
    bool closed = false;
    QString caption;
    onModal["OperationTypeEditor"] = [&] {
        caption = editor->windowTitle();
        QCOMPARE(nameEdit->text(), QString());
        nameEdit->setText(typed);
        editor->setResult(-1);
        saveButton->click();
        closed = editor->result() == QDialog::Accepted;
    };
    runFromMenu([&] {
        QVERIFY(addButton->isDefault());
        QVERIFY(!searchEdit->isVisibleTo(dialog));
        types().last();
        addButton->click();
        QCOMPARE(rows(), refusal.isEmpty() ? 6 : 5);
        if (refusal.isEmpty())
            QCOMPARE(types().recNo(), 1); // reopened
    });
    QCOMPARE(caption, QString("Заведение нового вида операций"));
    if (!refusal.isEmpty()) {
        QCOMPARE(boxes->texts(), QStringList{refusal});
        QCOMPARE(boxes->shown[0].caption, QString("Ошибка"));
        QCOMPARE(boxes->shown[0].icon, QMessageBox::Critical);
        QVERIFY(!closed);
        QCOMPARE(count("true"), 5);
        if (refusal.startsWith("Такая"))
            QVERIFY(sql.statements.contains(
                "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)=" +
                sqlQuote(typed.trimmed().toUpper())));
        return;
    }
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(closed);
    QCOMPARE(count("vid=" + sqlQuote(stored)), 1);
    // A new type takes a fresh id below the reserved ones.
    QVERIFY(db->scalar("select id from accounts_dep.vid_oper where vid=" + sqlQuote(stored)).toInt() < 7777);
}

void TestOperTypes::changeType_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("own name unchanged") << "Резка" << QString();
    QTest::newRow("own name, other case") << "РЕЗКА" << QString();
    QTest::newRow("new name") << " Резка плазменная " << QString();
    QTest::newRow("another type's name") << "окраска"
                                         << "Такая операция уже заведена!";
    QTest::newRow("empty") << ""
                           << "Все поля должны быть заполнены!";
}

void TestOperTypes::changeType() {
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    SqlRecorder sql;
    QString caption, shown;
    onModal["OperationTypeEditor"] = [&] {
        caption = editor->windowTitle();
        shown = nameEdit->text();
        nameEdit->setText(typed);
        saveButton->click();
    };
    db->exec("update accounts_dep.vid_oper set vid='  Резка ' where id=5");
    runFromMenu([&] {
        QVERIFY(types().locate("id", 5));
        emit grid->doubleClicked(grid->currentIndex());
    });
    QCOMPARE(onModal.shown.count("OperationTypeEditor"), 1);
    QCOMPARE(caption, QString("Изменение данных вида операции"));
    QCOMPARE(shown, QString("Резка"));
    if (!refusal.isEmpty()) {
        QCOMPARE(boxes->texts(), QStringList{refusal});
        QCOMPARE(db->scalar("select vid from accounts_dep.vid_oper where id=5").toString(),
                 QString("  Резка "));
        return;
    }
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(sql.statements.contains("select count(*) as cnt from accounts_dep.vid_oper where upper(vid)=" +
                                    sqlQuote(typed.trimmed().toUpper()) + " and id<>:id"));
    QCOMPARE(db->scalar("select vid from accounts_dep.vid_oper where id=5").toString(), typed.trimmed());
    QCOMPARE(count("true"), 5);
}

void TestOperTypes::deleteType_data() {
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("Yes") << QMessageBox::Yes;
    QTest::newRow("No") << QMessageBox::No;
}

void TestOperTypes::deleteType() {
    QFETCH(QMessageBox::StandardButton, answer);
    boxes->answers << answer;
    runFromMenu([&] {
        QVERIFY(types().locate("id", 4));
        removeButton->click();
        QCOMPARE(rows(), answer == QMessageBox::Yes ? 4 : 5);
    });
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].caption, QString("Удаление"));
    QCOMPARE(boxes->shown[0].text, QString("Удалить вид операции?"));
    QVERIFY(!boxes->shown[0].detail.isEmpty()); // the operation type's name
    QCOMPARE(boxes->shown[0].defaultButton, QMessageBox::No);
    QCOMPARE(boxes->shown[0].icon, QMessageBox::Question);
    QVERIFY(boxes->shown[0].buttons == (QMessageBox::Yes | QMessageBox::No));
    QCOMPARE(count("id=4"), answer == QMessageBox::Yes ? 0 : 1);
    QCOMPARE(count("true"), answer == QMessageBox::Yes ? 4 : 5);
}

// With no type listed, "Изменить" opens no editor and "Удалить" asks nothing.
void TestOperTypes::emptyListChangesAndDeletesNothing() {
    db->exec("delete from accounts_dep.vid_oper");
    bool editorShown = false;
    onModal["OperationTypeEditor"] = [&] { editorShown = true; };
    runFromMenu([this] {
        changeButton->click();
        removeButton->click();
    });
    QVERIFY(!editorShown);
    QVERIFY(boxes->shown.isEmpty());
}

void TestOperTypes::picker_data() {
    QTest::addColumn<int>("pickId"); // 0: empty list; -1: Esc
    QTest::addColumn<bool>("picked");
    QTest::addColumn<QString>("vid");
    QTest::addColumn<int>("id");
    QTest::newRow("a type") << 5 << true << "Резка" << 5;
    QTest::newRow("empty list: empty values") << 0 << true << "" << 0;
    QTest::newRow("Esc: nothing") << -1 << false << QString() << 0;
}

void TestOperTypes::picker() {
    QFETCH(int, pickId);
    QFETCH(bool, picked);
    QFETCH(QString, vid);
    QFETCH(int, id);
    if (pickId == 0)
        db->exec("delete from accounts_dep.vid_oper");
    db->exec("update accounts_dep.vid_oper set vid=' Резка  ' where id=5");
    onModal["OperationTypesDialog"] = [&] {
        QCOMPARE(dialog->mode(), ListDialog::Mode::Pick);
        QVERIFY(types().isOpen());
        QCOMPARE(changeButton->text(), QString("Выбрать"));
        QVERIFY(changeButton->isDefault());
        QVERIFY(!addButton->isVisibleTo(dialog));
        QVERIFY(!removeButton->isVisibleTo(dialog));
        QVERIFY(searchEdit->isVisibleTo(dialog));
        QCOMPARE(searchEdit->text(), QString());
        if (pickId > 0)
            QVERIFY(types().locate("id", pickId));
        if (pickId < 0)
            QTest::keyEvent(QTest::Click, dialog, Qt::Key_Escape);
        else
            changeButton->click();
    };
    const std::optional<OperationType> type = dialog->pickOperationType();
    QCOMPARE(type.has_value(), picked);
    if (type) {
        QCOMPARE(type->name, vid);
        QCOMPARE(type->id, id);
    }
    // Afterwards the list is back to its list-mode looks.
    QVERIFY(!types().isOpen());
    QVERIFY(!changeButton->isDefault());
    QVERIFY(!searchEdit->isVisibleTo(dialog));
}

void TestOperTypes::searchInPickerOnly() {
    onModal["OperationTypesDialog"] = [&] {
        QLineEdit* e = searchEdit;
        type(e, "С");
        QCOMPARE(rows(), 2);
        QCOMPARE(current(), QString("Сварка полуавтоматом"));
        QTest::keyEvent(QTest::Click, e, Qt::Key_Down);
        QCOMPARE(current(), QString("Ср. сдельная"));
        QCOMPARE(grid->currentIndex().row(), 1);
        QTest::keyEvent(QTest::Click, e, Qt::Key_Up);
        QCOMPARE(current(), QString("Сварка полуавтоматом"));
        for (Qt::Key k : {Qt::Key_Left, Qt::Key_Home, Qt::Key_Delete})
            QTest::keyEvent(QTest::Click, e, k);
        QCOMPARE(e->text(), QString("С"));
        type(e, "р");
        QCOMPARE(rows(), 1);
        QTest::keyEvent(QTest::Click, e, Qt::Key_Backspace);
        QCOMPARE(rows(), 2);
        type(e, "в");
        changeButton->click();
    };
    const std::optional<OperationType> picked = dialog->pickOperationType();
    QVERIFY(picked);
    QCOMPARE(picked->id, 4);
    // From the main menu the list is whole, the search field hidden.
    runFromMenu([&] {
        QCOMPARE(rows(), 5);
        QVERIFY(!searchEdit->isVisibleTo(dialog));
        QCOMPARE(changeButton->text(), QString("Изменить"));
        QVERIFY(addButton->isVisibleTo(dialog));
        QVERIFY(removeButton->isVisibleTo(dialog));
    });
    // The next pick starts with an empty search field and all types.
    onModal["OperationTypesDialog"] = [&] {
        QCOMPARE(searchEdit->text(), QString());
        QCOMPARE(rows(), 5);
        exitButton->click();
    };
    QVERIFY(!dialog->pickOperationType());
}

// A type that work records and maintenance entries refer to stays: the message counts them, no
// question is asked and nothing is deleted, so no earnings drop out of the timesheets.
void TestOperTypes::typeInUseIsNotDeleted() {
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 4, 5, 0, 0)");
    db->exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
             "values ('07.12.2026', 1, 17, 5, 42, 1, 1, 0, 8, 'no')");
    db->exec("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, cnt, price) values (17, 4, 1, "
             "'07.12.2026', 8, 100)");
    runFromMenu([&] {
        QVERIFY(types().locate("id", 4));
        removeButton->click();
        QCOMPARE(rows(), 5);
    });
    QCOMPARE(boxes->texts(),
             QStringList{"Вид операции нельзя удалить: на него ссылаются записи журнала и хоз. "
                         "работ (2). Ничего не удалено."});
    QCOMPARE(count("id=4"), 1);
}

// The picker starts in its search field: letters typed at once search, Enter picks the row found.
void TestOperTypes::pickerStartsInSearchField() {
    onModal.onScreen = true;
    onModal["OperationTypesDialog"] = [&] {
        QCOMPARE(QApplication::focusWidget(), searchEdit);
        for (QChar c : QString("Св"))
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        QCOMPARE(current(), QString("Сварка полуавтоматом"));
        QTest::keyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_Return);
    };
    const std::optional<OperationType> picked = dialog->pickOperationType();
    QVERIFY(picked);
    QCOMPARE(picked->id, 4);
}

QTEST_MAIN(TestOperTypes)
#include "test_opertypes.moc"
