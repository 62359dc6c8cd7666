// The operation types list and editor on a real database with real windows: adding,
// renaming and deleting types, the refusals and the duplicate check without regard to
// letter case (Cyrillic included), the pick for the price editor, the search field.
#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/OperationTypeEditor.h"
#include "refbooks/OperationTypesDialog.h"
#include "support/TestSupport.h"

#include <QDir>
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
    void screenshots();

private:
    static void type(QWidget* w, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void runFromMenu(const std::function<void()>& inList);
    int rows() const { return g_database->operationTypes().recordCount(); }
    QString current() const { return g_database->operationTypes().fieldByName("vid").asString(); }
    int count(const QString& where) {
        return db->scalar("select count(*) from accounts_dep.vid_oper where " + where).toInt();
    }

    TestDatabase* db = nullptr;
    MessageRecorder* boxes = nullptr;
    ModalScript onModal;
};

void TestOperTypes::init() {
    db = new TestDatabase;
    db->openDatabase();
    boxes = new MessageRecorder;
    // Ordered by vid: Окраска, Резка, Сварка полуавтоматом, Ср. сдельная, Хоз. работы.
    db->exec(
        "insert into accounts_dep.vid_oper (id, vid) values (3, 'Окраска'), (4, 'Сварка полуавтоматом'), "
        "(5, 'Резка'), (7777, 'Хоз. работы'), (7778, 'Ср. сдельная')");
    g_operationTypeEditor = new OperationTypeEditor;
    g_operationTypesDialog = new OperationTypesDialog;
    onModal.clear();
    onModal.install();
}

void TestOperTypes::cleanup() {
    seams::setModalHandler({});
    delete g_operationTypesDialog;
    delete g_operationTypeEditor;
    delete boxes;
    delete db;
    boxes = nullptr;
    db = nullptr;
}

void TestOperTypes::runFromMenu(const std::function<void()>& inList) {
    onModal["OperationTypesDialog"] = inList;
    QMetaObject::invokeMethod(g_operationTypesDialog, "openFromMainMenu", Qt::DirectConnection);
    QVERIFY(!g_database->operationTypes().isOpen());
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
        caption = g_operationTypeEditor->windowTitle();
        QCOMPARE(g_operationTypeEditor->Tag, 1);
        QCOMPARE(g_operationTypeEditor->Edit1->text(), QString());
        g_operationTypeEditor->Edit1->setText(typed);
        g_operationTypeEditor->setResult(-1);
        g_operationTypeEditor->Button1->click();
        closed = g_operationTypeEditor->result() == QDialog::Accepted;
    };
    runFromMenu([&] {
        QVERIFY(g_operationTypesDialog->Button1->isDefault());
        QVERIFY(!g_operationTypesDialog->Edit1->isVisibleTo(g_operationTypesDialog));
        g_database->operationTypes().last();
        g_operationTypesDialog->Button1->click();
        QCOMPARE(rows(), refusal.isEmpty() ? 6 : 5);
        if (refusal.isEmpty())
            QCOMPARE(g_database->operationTypes().recNo(), 1); // reopened
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
        caption = g_operationTypeEditor->windowTitle();
        shown = g_operationTypeEditor->Edit1->text();
        QCOMPARE(g_operationTypeEditor->Tag, 2);
        g_operationTypeEditor->Edit1->setText(typed);
        g_operationTypeEditor->Button1->click();
    };
    db->exec("update accounts_dep.vid_oper set vid='  Резка ' where id=5");
    runFromMenu([&] {
        QVERIFY(g_database->operationTypes().locate("id", 5));
        g_operationTypesDialog->DBGrid1DblClick();
    });
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
                                    sqlQuote(typed.trimmed().toUpper()) + " and id<>5"));
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
        QVERIFY(g_database->operationTypes().locate("id", 4));
        g_operationTypesDialog->Button3->click();
        QCOMPARE(rows(), answer == QMessageBox::Yes ? 4 : 5);
    });
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].caption, QString("Удаление"));
    QCOMPARE(boxes->shown[0].text, QString("Удалить вид операции?"));
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
    runFromMenu([] {
        g_operationTypesDialog->Button2->click();
        g_operationTypesDialog->Button3->click();
    });
    QVERIFY(!editorShown);
    QVERIFY(boxes->shown.isEmpty());
}

void TestOperTypes::picker_data() {
    QTest::addColumn<int>("pickId"); // 0: empty list; -1: "Выход"
    QTest::addColumn<bool>("picked");
    QTest::addColumn<QString>("vid");
    QTest::addColumn<int>("id");
    QTest::newRow("a type") << 5 << true << "Резка" << 5;
    QTest::newRow("empty list: empty values") << 0 << true << "" << 0;
    QTest::newRow("Выход: nothing") << -1 << false << "прежняя" << 9;
}

void TestOperTypes::picker() {
    QFETCH(int, pickId);
    QFETCH(bool, picked);
    QFETCH(QString, vid);
    QFETCH(int, id);
    if (pickId == 0)
        db->exec("delete from accounts_dep.vid_oper");
    db->exec("update accounts_dep.vid_oper set vid=' Резка  ' where id=5");
    // The price editor's fields before the pick.
    QString editorVid = "прежняя";
    int editorId = 9;
    onModal["OperationTypesDialog"] = [&] {
        QCOMPARE(g_operationTypesDialog->Tag, 1);
        QVERIFY(g_database->operationTypes().isOpen());
        QCOMPARE(g_operationTypesDialog->Button2->text(), QString("Выбрать"));
        QVERIFY(g_operationTypesDialog->Button2->isDefault());
        QVERIFY(!g_operationTypesDialog->Button1->isVisibleTo(g_operationTypesDialog));
        QVERIFY(!g_operationTypesDialog->Button3->isVisibleTo(g_operationTypesDialog));
        QVERIFY(g_operationTypesDialog->Edit1->isVisibleTo(g_operationTypesDialog));
        QCOMPARE(g_operationTypesDialog->Edit1->text(), QString());
        if (pickId > 0)
            QVERIFY(g_database->operationTypes().locate("id", pickId));
        if (pickId < 0)
            QTest::keyClick(g_operationTypesDialog, Qt::Key_Escape);
        else
            g_operationTypesDialog->Button2->click();
    };
    if (g_operationTypesDialog->openAsPicker()) {
        editorVid = g_operationTypesDialog->PickedVid;
        editorId = g_operationTypesDialog->PickedId;
    }
    QCOMPARE(g_operationTypesDialog->Picked, picked);
    QCOMPARE(editorVid, vid);
    QCOMPARE(editorId, id);
    // Afterwards the list is back to its list-mode looks.
    QVERIFY(!g_database->operationTypes().isOpen());
    QVERIFY(!g_operationTypesDialog->Button2->isDefault());
    QVERIFY(!g_operationTypesDialog->Edit1->isVisibleTo(g_operationTypesDialog));
}

void TestOperTypes::searchInPickerOnly() {
    onModal["OperationTypesDialog"] = [&] {
        QLineEdit* e = g_operationTypesDialog->Edit1;
        type(e, "С");
        QCOMPARE(rows(), 2);
        QCOMPARE(current(), QString("Сварка полуавтоматом"));
        QTest::keyClick(e, Qt::Key_Down);
        QCOMPARE(current(), QString("Ср. сдельная"));
        QCOMPARE(g_operationTypesDialog->DBGrid1->currentIndex().row(), 1);
        QTest::keyClick(e, Qt::Key_Up);
        QCOMPARE(current(), QString("Сварка полуавтоматом"));
        for (Qt::Key k : {Qt::Key_Left, Qt::Key_Home, Qt::Key_Delete})
            QTest::keyClick(e, k);
        QCOMPARE(e->text(), QString("С"));
        type(e, "р");
        QCOMPARE(rows(), 1);
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(rows(), 2);
        type(e, "в");
        g_operationTypesDialog->Button2->click();
    };
    QVERIFY(g_operationTypesDialog->openAsPicker());
    QCOMPARE(g_operationTypesDialog->PickedId, 4);
    // From the main menu the list is whole, the search field hidden.
    runFromMenu([&] {
        QCOMPARE(rows(), 5);
        QVERIFY(!g_operationTypesDialog->Edit1->isVisibleTo(g_operationTypesDialog));
        QCOMPARE(g_operationTypesDialog->Button2->text(), QString("Изменить"));
        QVERIFY(g_operationTypesDialog->Button1->isVisibleTo(g_operationTypesDialog));
        QVERIFY(g_operationTypesDialog->Button3->isVisibleTo(g_operationTypesDialog));
    });
    // The next pick starts with an empty search field and all types.
    onModal["OperationTypesDialog"] = [&] {
        QCOMPARE(g_operationTypesDialog->Edit1->text(), QString());
        QCOMPARE(rows(), 5);
        g_operationTypesDialog->Button4->click();
    };
    QVERIFY(!g_operationTypesDialog->openAsPicker());
}

// With TABEL_SHOTS=folder set, saves pictures of the list and the editor with workshop data.
void TestOperTypes::screenshots() {
    const QString dir = qEnvironmentVariable("TABEL_SHOTS");
    if (dir.isEmpty())
        QSKIP("TABEL_SHOTS not set");
    QDir().mkpath(dir);
    db->exec("insert into accounts_dep.vid_oper (vid) values ('Гибка'), ('Грунтовка'), ('Зачистка швов'), "
             "('Комплектация'), ('Контроль ОТК'), ('Окраска порошковая'), ('Резка плазменная'), "
             "('Сборка'), ('Сверловка'), ('Упаковка'), ('Штамповка')");
    onModal["OperationTypeEditor"] = [&] {
        g_operationTypeEditor->show();
        QVERIFY(QTest::qWaitForWindowExposed(g_operationTypeEditor));
        g_operationTypeEditor->grab().save(dir + "/g_operationTypeEditor.png");
        g_operationTypeEditor->hide();
    };
    runFromMenu([&] {
        g_operationTypesDialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(g_operationTypesDialog));
        g_database->operationTypes().setRecNo(3);
        g_operationTypesDialog->grab().save(dir + "/g_operationTypesDialog.png");
        g_operationTypesDialog->Button2->click();
        g_operationTypesDialog->hide();
    });
    onModal["OperationTypesDialog"] = [&] {
        g_operationTypesDialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(g_operationTypesDialog));
        type(g_operationTypesDialog->Edit1, "Ко");
        g_operationTypesDialog->grab().save(dir + "/g_operationTypesDialog-picker.png");
        g_operationTypesDialog->hide();
    };
    g_operationTypesDialog->openAsPicker();
}

QTEST_MAIN(TestOperTypes)
#include "test_opertypes.moc"
