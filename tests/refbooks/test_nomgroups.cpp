// The nomenclature groups list and editor on a real database with real windows: adding and
// renaming groups with their statements, the row number kept after a save, the pick for the
// maintenance-work editor, the search field and its persistence, the windows' looks.
#include "Format.h"
#include "TestSupport.h"
#include "Unit26.h"
#include "Unit29.h"
#include "Unit6.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>

class TestNomGroups : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void windowLooks();
    void addGroup_data();
    void addGroup();
    void renameGroup_data();
    void renameGroup();
    void refusedStatementKeepsEditorOpen();
    void deleteButtonAlwaysDisabled();
    void emptyListRenamesNothing();
    void picker_data();
    void picker();
    void searchKeysAndPersistence();
    void screenshots();

private:
    static void type(QWidget* w, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void runFromMenu(const std::function<void()>& inList);
    int rows() const { return Form26->item.recordCount(); }
    QString current() const { return Form26->item.fieldByName("s_caption").asString(); }

    TestDatabase* db = nullptr;
    MessageRecorder* boxes = nullptr;
    ModalScript onModal;
};

void TestNomGroups::init() {
    db = new TestDatabase;
    db->openDataModule();
    boxes = new MessageRecorder;
    // Level 1 is the root and not listed; by name: Верстаки, Кронштейны, Стеллажи, Шкафы.
    db->exec("insert into cmn_classifier.item (id, id_level, s_caption) values (1, 1, 'Продукция цеха'), "
             "(10, 2, 'Стеллажи металлические'), (11, 2, 'Шкафы металлические'), "
             "(12, 2, 'Верстаки слесарные'), (13, 2, 'Кронштейны и крепёж')");
    Form26 = new TForm26;
    Form29 = new TForm29;
    onModal.clear();
    onModal.install();
}

void TestNomGroups::cleanup() {
    seams::setModalHandler({});
    delete Form29;
    delete Form26;
    delete boxes;
    delete db;
    boxes = nullptr;
    db = nullptr;
}

void TestNomGroups::runFromMenu(const std::function<void()>& inList) {
    onModal["Form26"] = inList;
    QMetaObject::invokeMethod(Form26, "openFromMainMenu", Qt::DirectConnection);
    QVERIFY(!Form26->item.isOpen());
}

// Both windows: fixed border with the close button only, centred, no icon resource needed.
void TestNomGroups::windowLooks() {
    for (QDialog* w : {static_cast<QDialog*>(Form26), static_cast<QDialog*>(Form29)}) {
        const Qt::WindowFlags f = w->windowFlags();
        QVERIFY(f.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!f.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!f.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(f.testFlag(Qt::MSWindowsFixedSizeDialogHint));
        QVERIFY(w->windowIcon().isNull() || !w->windowIcon().availableSizes().isEmpty());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        const QPoint centre = w->screen()->availableGeometry().center();
        QVERIFY2((w->frameGeometry().center() - centre).manhattanLength() <= 2,
                 qPrintable(QString("%1 not centred").arg(w->objectName())));
        w->hide();
    }
    QCOMPARE(Form26->windowTitle(), QString("Номенклатура (26)"));
    QCOMPARE(Form29->windowTitle(), QString("Ведение групп (29)"));
    QVERIFY(boxes->shown.isEmpty());
}

void TestNomGroups::addGroup_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("name") << "Тележки грузовые"
                          << "Тележки грузовые";
    QTest::newRow("blanks around") << "  Ограждения  "
                                   << "Ограждения";
    QTest::newRow("apostrophe and colon") << "Крепёж 'М8': болты"
                                          << "Крепёж 'М8': болты";
    QTest::newRow("existing name again") << "Шкафы металлические"
                                         << "Шкафы металлические";
    QTest::newRow("empty: stored empty") << "   "
                                         << "";
}

void TestNomGroups::addGroup() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    SqlRecorder sql;
    bool closed = false;
    onModal["Form29"] = [&] {
        QCOMPARE(Form29->Tag, 1);
        QCOMPARE(Form29->Edit1->text(), QString());
        Form29->Edit1->setText(typed);
        Form29->setResult(-1);
        Form29->Button1->click();
        closed = Form29->result() == QDialog::Accepted;
    };
    runFromMenu([&] {
        QCOMPARE(Form26->Button3->text(), QString("Изменить"));
        QVERIFY(Form26->Button2->isVisibleTo(Form26));
        Form26->item.setRecNo(3); // Стеллажи
        Form26->Button2->click();
        QCOMPARE(rows(), 5);
        QCOMPARE(Form26->item.recNo(), 3); // the same row number, whatever group it now holds
    });
    QVERIFY(closed);
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(sql.statements.contains("INSERT INTO cmn_classifier.item(s_caption) VALUES(" + sqlQuote(stored) +
                                    ")"));
    QCOMPARE(db->scalar("select count(*) from cmn_classifier.item where id_level=2 and s_caption=" +
                        sqlQuote(stored))
                 .toInt(),
             stored == "Шкафы металлические" ? 2 : 1);
}

void TestNomGroups::renameGroup_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("atRow"); // what the remembered row number shows after the save
    QTest::newRow("same place") << " Стеллажи сборные  "
                                << "Стеллажи сборные"
                                << "Стеллажи сборные";
    QTest::newRow("moves away") << "Ящики"
                                << "Ящики"
                                << "Шкафы металлические";
    QTest::newRow("unchanged") << "Стеллажи металлические"
                               << "Стеллажи металлические"
                               << "Стеллажи металлические";
}

void TestNomGroups::renameGroup() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, atRow);
    db->exec("update cmn_classifier.item set s_caption='Стеллажи металлические  ' where id=10");
    SqlRecorder sql;
    QString shown;
    onModal["Form29"] = [&] {
        QCOMPARE(Form29->Tag, 2);
        shown = Form29->Edit1->text();
        Form29->Edit1->setText(typed);
        Form29->Button1->click();
    };
    runFromMenu([&] {
        QVERIFY(Form26->item.locate("id", 10));
        QCOMPARE(Form26->item.recNo(), 3);
        Form26->DBGrid1DblClick();
        QCOMPARE(Form26->item.recNo(), 3);
        QCOMPARE(current(), atRow);
    });
    QCOMPARE(shown, QString("Стеллажи металлические")); // trimmed
    QVERIFY(sql.statements.contains("UPDATE cmn_classifier.item SET s_caption=" + sqlQuote(stored) +
                                    " where id=10"));
    QCOMPARE(db->scalar("select s_caption from cmn_classifier.item where id=10").toString(), stored);
}

void TestNomGroups::refusedStatementKeepsEditorOpen() {
    QString error;
    onModal["Form29"] = [&] {
        Form29->Edit1->setText(QString(300, QChar(u'Я'))); // longer than the column
        Form29->setResult(-1);
        try {
            Form29->Button1Click();
        } catch (const DbError& e) {
            error = e.message;
        }
        QCOMPARE(Form29->result(), -1);
    };
    runFromMenu([] { Form26->Button2->click(); });
    QVERIFY(!error.isEmpty());
    QCOMPARE(db->scalar("select count(*) from cmn_classifier.item").toInt(), 5);
}

void TestNomGroups::deleteButtonAlwaysDisabled() {
    runFromMenu([] {
        QVERIFY(Form26->Button1->isVisibleTo(Form26));
        QVERIFY(!Form26->Button1->isEnabled());
    });
    onModal["Form26"] = [] { Form26->Button4->click(); };
    Form26->openAsPicker();
    QVERIFY(!Form26->Button1->isEnabled());
}

// With no group listed, "Изменить" opens no editor; "Добавить" still does.
void TestNomGroups::emptyListRenamesNothing() {
    db->exec("delete from cmn_classifier.item where id_level=2");
    int editorShown = 0;
    onModal["Form29"] = [&] {
        ++editorShown;
        Form29->Edit1->setText("Сейфы");
        Form29->Button1->click();
    };
    runFromMenu([&] {
        Form26->Button3->click();
        QCOMPARE(editorShown, 0);
        Form26->Button2->click();
        QCOMPARE(editorShown, 1);
        QCOMPARE(rows(), 1);
    });
}

void TestNomGroups::picker_data() {
    QTest::addColumn<int>("pickId"); // 0: empty list; -1: "Выход"
    QTest::addColumn<bool>("picked");
    QTest::addColumn<qint64>("id");
    QTest::addColumn<QString>("caption");
    QTest::newRow("caption as stored") << 10 << true << qint64(10) << " Стеллажи металлические  ";
    QTest::newRow("empty list") << 0 << true << qint64(0) << "";
    QTest::newRow("Выход: nothing") << -1 << false << qint64(77) << "прежняя";
}

void TestNomGroups::picker() {
    QFETCH(int, pickId);
    QFETCH(bool, picked);
    QFETCH(qint64, id);
    QFETCH(QString, caption);
    db->exec("update cmn_classifier.item set s_caption=' Стеллажи металлические  ' where id=10");
    if (pickId == 0)
        db->exec("delete from cmn_classifier.item where id_level=2");
    // The maintenance-work editor's fields before the pick.
    qint64 editorId = 77;
    QString editorCaption = "прежняя";
    onModal["Form26"] = [&] {
        QCOMPARE(Form26->Tag, 24);
        QVERIFY(Form26->item.isOpen());
        QCOMPARE(Form26->Button3->text(), QString("Выбрать"));
        QVERIFY(!Form26->Button1->isVisibleTo(Form26));
        QVERIFY(!Form26->Button2->isVisibleTo(Form26));
        if (pickId > 0)
            QVERIFY(Form26->item.locate("id", pickId));
        Form26->setResult(-1);
        if (pickId < 0)
            QTest::keyClick(Form26, Qt::Key_Escape);
        else
            Form26->Button3->click();
        QCOMPARE(Form26->result(), pickId < 0 ? int(QDialog::Rejected) : int(QDialog::Accepted));
    };
    if (Form26->openAsPicker()) {
        editorId = Form26->PickedId;
        editorCaption = Form26->PickedCaption;
    }
    QCOMPARE(Form26->Picked, picked);
    QCOMPARE(editorId, id);
    QCOMPARE(editorCaption, caption);
    QVERIFY(!Form26->item.isOpen());
    QVERIFY(Form26->Button1->isVisibleTo(Form26));
    QVERIFY(Form26->Button2->isVisibleTo(Form26));
}

void TestNomGroups::searchKeysAndPersistence() {
    runFromMenu([&] {
        QLineEdit* e = Form26->Edit1;
        type(e, "ш");
        QCOMPARE(rows(), 1);
        e->clear();
        QCOMPARE(rows(), 4);
        type(e, "В");
        QCOMPARE(rows(), 1);
        QTest::keyClick(e, Qt::Key_Backspace);
        type(e, "С");
        QCOMPARE(current(), QString("Стеллажи металлические"));
        for (Qt::Key k : {Qt::Key_Left, Qt::Key_Home, Qt::Key_Delete})
            QTest::keyClick(e, k);
        QCOMPARE(e->text(), QString("С"));
        QCOMPARE(e->cursorPosition(), 1);
    });
    // Kept for the picker, which also searches on.
    db->exec("insert into cmn_classifier.item (id, id_level, s_caption) values (14, 2, 'Сейфы')");
    onModal["Form26"] = [&] {
        QCOMPARE(Form26->Edit1->text(), QString("С"));
        QCOMPARE(rows(), 2);
        QCOMPARE(current(), QString("Сейфы"));
        QTest::keyClick(Form26->Edit1, Qt::Key_Down);
        QCOMPARE(current(), QString("Стеллажи металлические"));
        QCOMPARE(Form26->DBGrid1->currentIndex().row(), 1);
        QTest::keyClick(Form26->Edit1, Qt::Key_Up);
        QCOMPARE(current(), QString("Сейфы"));
        type(Form26->Edit1, "т");
        Form26->Button3->click();
    };
    QVERIFY(Form26->openAsPicker());
    QCOMPARE(Form26->PickedId, qint64(10));
    runFromMenu([&] {
        QCOMPARE(Form26->Edit1->text(), QString("Ст"));
        QCOMPARE(rows(), 1);
    });
}

// With TABEL_SHOTS=folder set, saves pictures of the list and the editor with workshop data.
void TestNomGroups::screenshots() {
    const QString dir = qEnvironmentVariable("TABEL_SHOTS");
    if (dir.isEmpty())
        QSKIP("TABEL_SHOTS not set");
    QDir().mkpath(dir);
    db->exec("insert into cmn_classifier.item (id_level, s_caption) values (2, 'Тележки грузовые'), "
             "(2, 'Ограждения и решётки'), (2, 'Контейнеры и ящики'), (2, 'Металлоконструкции')");
    onModal["Form29"] = [&] {
        Form29->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form29));
        Form29->grab().save(dir + "/Form29.png");
        Form29->hide();
    };
    runFromMenu([&] {
        Form26->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form26));
        Form26->item.setRecNo(2);
        Form26->grab().save(dir + "/Form26.png");
        Form26->Button3->click();
        Form26->hide();
    });
    onModal["Form26"] = [&] {
        Form26->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form26));
        Form26->grab().save(dir + "/Form26-picker.png");
        Form26->hide();
    };
    Form26->openAsPicker();
}

QTEST_MAIN(TestNomGroups)
#include "test_nomgroups.moc"
