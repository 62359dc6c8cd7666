// The nomenclature groups list and editor on a real database with real windows: adding and
// renaming groups with their statements, the row number kept after a save, the pick for the
// maintenance-work editor, the search field and its persistence, the windows' looks.
#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/NomenclatureGroupEditor.h"
#include "refbooks/NomenclatureGroupsDialog.h"
#include "support/TestSupport.h"

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
    int rows() const { return g_nomenclatureGroupsDialog->item.recordCount(); }
    QString current() const { return g_nomenclatureGroupsDialog->item.fieldByName("s_caption").asString(); }

    TestDatabase* db = nullptr;
    MessageRecorder* boxes = nullptr;
    ModalScript onModal;
};

void TestNomGroups::init() {
    db = new TestDatabase;
    db->openDatabase();
    boxes = new MessageRecorder;
    // Level 1 is the root and not listed; by name: Верстаки, Кронштейны, Стеллажи, Шкафы.
    db->exec("insert into cmn_classifier.item (id, id_level, s_caption) values (1, 1, 'Продукция цеха'), "
             "(10, 2, 'Стеллажи металлические'), (11, 2, 'Шкафы металлические'), "
             "(12, 2, 'Верстаки слесарные'), (13, 2, 'Кронштейны и крепёж')");
    g_nomenclatureGroupsDialog = new NomenclatureGroupsDialog;
    g_nomenclatureGroupEditor = new NomenclatureGroupEditor;
    onModal.clear();
    onModal.install();
}

void TestNomGroups::cleanup() {
    seams::setModalHandler({});
    delete g_nomenclatureGroupEditor;
    delete g_nomenclatureGroupsDialog;
    delete boxes;
    delete db;
    boxes = nullptr;
    db = nullptr;
}

void TestNomGroups::runFromMenu(const std::function<void()>& inList) {
    onModal["NomenclatureGroupsDialog"] = inList;
    QMetaObject::invokeMethod(g_nomenclatureGroupsDialog, "openFromMainMenu", Qt::DirectConnection);
    QVERIFY(!g_nomenclatureGroupsDialog->item.isOpen());
}

// Both windows: fixed border with the close button only, centred, no icon resource needed.
void TestNomGroups::windowLooks() {
    for (QDialog* w : {static_cast<QDialog*>(g_nomenclatureGroupsDialog),
                       static_cast<QDialog*>(g_nomenclatureGroupEditor)}) {
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
    QCOMPARE(g_nomenclatureGroupsDialog->windowTitle(), QString("Номенклатура (26)"));
    QCOMPARE(g_nomenclatureGroupEditor->windowTitle(), QString("Ведение групп (29)"));
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
    onModal["NomenclatureGroupEditor"] = [&] {
        QCOMPARE(g_nomenclatureGroupEditor->Tag, 1);
        QCOMPARE(g_nomenclatureGroupEditor->Edit1->text(), QString());
        g_nomenclatureGroupEditor->Edit1->setText(typed);
        g_nomenclatureGroupEditor->setResult(-1);
        g_nomenclatureGroupEditor->Button1->click();
        closed = g_nomenclatureGroupEditor->result() == QDialog::Accepted;
    };
    runFromMenu([&] {
        QCOMPARE(g_nomenclatureGroupsDialog->Button3->text(), QString("Изменить"));
        QVERIFY(g_nomenclatureGroupsDialog->Button2->isVisibleTo(g_nomenclatureGroupsDialog));
        g_nomenclatureGroupsDialog->item.setRecNo(3); // Стеллажи
        g_nomenclatureGroupsDialog->Button2->click();
        QCOMPARE(rows(), 5);
        QCOMPARE(g_nomenclatureGroupsDialog->item.recNo(),
                 3); // the same row number, whatever group it now holds
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
    onModal["NomenclatureGroupEditor"] = [&] {
        QCOMPARE(g_nomenclatureGroupEditor->Tag, 2);
        shown = g_nomenclatureGroupEditor->Edit1->text();
        g_nomenclatureGroupEditor->Edit1->setText(typed);
        g_nomenclatureGroupEditor->Button1->click();
    };
    runFromMenu([&] {
        QVERIFY(g_nomenclatureGroupsDialog->item.locate("id", 10));
        QCOMPARE(g_nomenclatureGroupsDialog->item.recNo(), 3);
        g_nomenclatureGroupsDialog->DBGrid1DblClick();
        QCOMPARE(g_nomenclatureGroupsDialog->item.recNo(), 3);
        QCOMPARE(current(), atRow);
    });
    QCOMPARE(shown, QString("Стеллажи металлические")); // trimmed
    QVERIFY(sql.statements.contains("UPDATE cmn_classifier.item SET s_caption=" + sqlQuote(stored) +
                                    " where id=10"));
    QCOMPARE(db->scalar("select s_caption from cmn_classifier.item where id=10").toString(), stored);
}

void TestNomGroups::refusedStatementKeepsEditorOpen() {
    QString error;
    onModal["NomenclatureGroupEditor"] = [&] {
        g_nomenclatureGroupEditor->Edit1->setText(QString(300, QChar(u'Я'))); // longer than the column
        g_nomenclatureGroupEditor->setResult(-1);
        try {
            g_nomenclatureGroupEditor->Button1Click();
        } catch (const DbError& e) {
            error = e.message;
        }
        QCOMPARE(g_nomenclatureGroupEditor->result(), -1);
    };
    runFromMenu([] { g_nomenclatureGroupsDialog->Button2->click(); });
    QVERIFY(!error.isEmpty());
    QCOMPARE(db->scalar("select count(*) from cmn_classifier.item").toInt(), 5);
}

void TestNomGroups::deleteButtonAlwaysDisabled() {
    runFromMenu([] {
        QVERIFY(g_nomenclatureGroupsDialog->Button1->isVisibleTo(g_nomenclatureGroupsDialog));
        QVERIFY(!g_nomenclatureGroupsDialog->Button1->isEnabled());
    });
    onModal["NomenclatureGroupsDialog"] = [] { g_nomenclatureGroupsDialog->Button4->click(); };
    g_nomenclatureGroupsDialog->openAsPicker();
    QVERIFY(!g_nomenclatureGroupsDialog->Button1->isEnabled());
}

// With no group listed, "Изменить" opens no editor; "Добавить" still does.
void TestNomGroups::emptyListRenamesNothing() {
    db->exec("delete from cmn_classifier.item where id_level=2");
    int editorShown = 0;
    onModal["NomenclatureGroupEditor"] = [&] {
        ++editorShown;
        g_nomenclatureGroupEditor->Edit1->setText("Сейфы");
        g_nomenclatureGroupEditor->Button1->click();
    };
    runFromMenu([&] {
        g_nomenclatureGroupsDialog->Button3->click();
        QCOMPARE(editorShown, 0);
        g_nomenclatureGroupsDialog->Button2->click();
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
    onModal["NomenclatureGroupsDialog"] = [&] {
        QCOMPARE(g_nomenclatureGroupsDialog->Tag, 24);
        QVERIFY(g_nomenclatureGroupsDialog->item.isOpen());
        QCOMPARE(g_nomenclatureGroupsDialog->Button3->text(), QString("Выбрать"));
        QVERIFY(!g_nomenclatureGroupsDialog->Button1->isVisibleTo(g_nomenclatureGroupsDialog));
        QVERIFY(!g_nomenclatureGroupsDialog->Button2->isVisibleTo(g_nomenclatureGroupsDialog));
        if (pickId > 0)
            QVERIFY(g_nomenclatureGroupsDialog->item.locate("id", pickId));
        g_nomenclatureGroupsDialog->setResult(-1);
        if (pickId < 0)
            QTest::keyClick(g_nomenclatureGroupsDialog, Qt::Key_Escape);
        else
            g_nomenclatureGroupsDialog->Button3->click();
        QCOMPARE(g_nomenclatureGroupsDialog->result(),
                 pickId < 0 ? int(QDialog::Rejected) : int(QDialog::Accepted));
    };
    if (g_nomenclatureGroupsDialog->openAsPicker()) {
        editorId = g_nomenclatureGroupsDialog->PickedId;
        editorCaption = g_nomenclatureGroupsDialog->PickedCaption;
    }
    QCOMPARE(g_nomenclatureGroupsDialog->Picked, picked);
    QCOMPARE(editorId, id);
    QCOMPARE(editorCaption, caption);
    QVERIFY(!g_nomenclatureGroupsDialog->item.isOpen());
    QVERIFY(g_nomenclatureGroupsDialog->Button1->isVisibleTo(g_nomenclatureGroupsDialog));
    QVERIFY(g_nomenclatureGroupsDialog->Button2->isVisibleTo(g_nomenclatureGroupsDialog));
}

void TestNomGroups::searchKeysAndPersistence() {
    runFromMenu([&] {
        QLineEdit* e = g_nomenclatureGroupsDialog->Edit1;
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
    onModal["NomenclatureGroupsDialog"] = [&] {
        QCOMPARE(g_nomenclatureGroupsDialog->Edit1->text(), QString("С"));
        QCOMPARE(rows(), 2);
        QCOMPARE(current(), QString("Сейфы"));
        QTest::keyClick(g_nomenclatureGroupsDialog->Edit1, Qt::Key_Down);
        QCOMPARE(current(), QString("Стеллажи металлические"));
        QCOMPARE(g_nomenclatureGroupsDialog->DBGrid1->currentIndex().row(), 1);
        QTest::keyClick(g_nomenclatureGroupsDialog->Edit1, Qt::Key_Up);
        QCOMPARE(current(), QString("Сейфы"));
        type(g_nomenclatureGroupsDialog->Edit1, "т");
        g_nomenclatureGroupsDialog->Button3->click();
    };
    QVERIFY(g_nomenclatureGroupsDialog->openAsPicker());
    QCOMPARE(g_nomenclatureGroupsDialog->PickedId, qint64(10));
    runFromMenu([&] {
        QCOMPARE(g_nomenclatureGroupsDialog->Edit1->text(), QString("Ст"));
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
    onModal["NomenclatureGroupEditor"] = [&] {
        g_nomenclatureGroupEditor->show();
        QVERIFY(QTest::qWaitForWindowExposed(g_nomenclatureGroupEditor));
        g_nomenclatureGroupEditor->grab().save(dir + "/g_nomenclatureGroupEditor.png");
        g_nomenclatureGroupEditor->hide();
    };
    runFromMenu([&] {
        g_nomenclatureGroupsDialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(g_nomenclatureGroupsDialog));
        g_nomenclatureGroupsDialog->item.setRecNo(2);
        g_nomenclatureGroupsDialog->grab().save(dir + "/g_nomenclatureGroupsDialog.png");
        g_nomenclatureGroupsDialog->Button3->click();
        g_nomenclatureGroupsDialog->hide();
    });
    onModal["NomenclatureGroupsDialog"] = [&] {
        g_nomenclatureGroupsDialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(g_nomenclatureGroupsDialog));
        g_nomenclatureGroupsDialog->grab().save(dir + "/g_nomenclatureGroupsDialog-picker.png");
        g_nomenclatureGroupsDialog->hide();
    };
    g_nomenclatureGroupsDialog->openAsPicker();
}

QTEST_MAIN(TestNomGroups)
#include "test_nomgroups.moc"
