// The nomenclature groups list and editor on a real database with real windows: adding and
// renaming groups with their statements, the row number kept after a save, the pick for the
// maintenance-work editor, the search field and its persistence, the windows' looks.
#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/NomenclatureGroupEditor.h"
#include "refbooks/NomenclatureGroupsDialog.h"
#include "support/TestSupport.h"
#include "ui/DatasetGrid.h"

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
    void emptyNameRefused();
    void renameGroup_data();
    void renameGroup();
    void refusedStatementKeepsEditorOpen();
    void deleteButtonAlwaysDisabled();
    void emptyListRenamesNothing();
    void picker_data();
    void picker();
    void searchKeysAndPersistence();

private:
    static void type(QWidget* w, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void runFromMenu(const std::function<void()>& inList);
    // The groups the grid shows.
    Dataset& groups() const { return *shownDataset(grid); }
    int rows() const { return groups().recordCount(); }
    QString current() const { return groups().fieldByName("s_caption").asString(); }

    TestDatabase* db = nullptr;
    Database* dm = nullptr;
    MessageRecorder* boxes = nullptr;
    ModalScript onModal;
    NomenclatureGroupsDialog* dialog = nullptr;
    NomenclatureGroupEditor* editor = nullptr;
    // The list's parts.
    QLineEdit* searchEdit = nullptr;
    QTableView* grid = nullptr;
    QPushButton *addButton = nullptr, *changeButton = nullptr, *removeButton = nullptr, *exitButton = nullptr;
    // The editor's parts.
    QLineEdit* nameEdit = nullptr;
    QPushButton* saveButton = nullptr;
};

void TestNomGroups::init() {
    db = new TestDatabase;
    dm = db->openDatabase();
    boxes = new MessageRecorder;
    // Level 1 is the root and not listed; by name: Верстаки, Кронштейны, Стеллажи, Шкафы.
    db->exec("insert into cmn_classifier.item (id, id_level, s_caption) values (1, 1, 'Продукция цеха'), "
             "(10, 2, 'Стеллажи металлические'), (11, 2, 'Шкафы металлические'), "
             "(12, 2, 'Верстаки слесарные'), (13, 2, 'Кронштейны и крепёж')");
    dialog = new NomenclatureGroupsDialog(*dm);
    editor = dialog->findChild<NomenclatureGroupEditor*>();
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

void TestNomGroups::cleanup() {
    seams::setModalHandler({});
    delete dialog;
    dialog = nullptr;
    delete boxes;
    delete db;
    boxes = nullptr;
    db = nullptr;
}

void TestNomGroups::runFromMenu(const std::function<void()>& inList) {
    onModal["NomenclatureGroupsDialog"] = inList;
    dialog->browse();
    QVERIFY(!groups().isOpen());
}

// Both windows: fixed border with the close button only, centred, no icon resource needed.
void TestNomGroups::windowLooks() {
    for (QDialog* w : {static_cast<QDialog*>(dialog), static_cast<QDialog*>(editor)}) {
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
    QCOMPARE(dialog->windowTitle(), QString("Номенклатура (26)"));
    QCOMPARE(editor->windowTitle(), QString("Ведение групп (29)"));
    // No default button in the list: Enter chooses nothing.
    QVERIFY(!addButton->isDefault() && !changeButton->isDefault());
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
}

// A group without a name is refused: nothing is stored and the editor stays open.
void TestNomGroups::emptyNameRefused() {
    SqlRecorder sql;
    onModal["NomenclatureGroupEditor"] = [&] {
        nameEdit->setText("   ");
        editor->setResult(-1);
        saveButton->click();
        QCOMPARE(editor->result(), -1);
    };
    runFromMenu([&] {
        addButton->click();
        QCOMPARE(rows(), 4);
    });
    QCOMPARE(boxes->texts(), QStringList{"Все поля должны быть заполнены!"});
    QVERIFY(sql.statements.filter("INSERT", Qt::CaseInsensitive).isEmpty());
}

void TestNomGroups::addGroup() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    SqlRecorder sql;
    bool closed = false;
    onModal["NomenclatureGroupEditor"] = [&] {
        QCOMPARE(nameEdit->text(), QString());
        nameEdit->setText(typed);
        editor->setResult(-1);
        saveButton->click();
        closed = editor->result() == QDialog::Accepted;
    };
    runFromMenu([&] {
        QCOMPARE(changeButton->text(), QString("Изменить"));
        QVERIFY(addButton->isVisibleTo(dialog));
        groups().setRecNo(3); // Стеллажи
        addButton->click();
        QCOMPARE(rows(), 5);
        QCOMPARE(groups().recNo(), 3); // the same row number, whatever group it now holds
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
        shown = nameEdit->text();
        nameEdit->setText(typed);
        saveButton->click();
    };
    runFromMenu([&] {
        QVERIFY(groups().locate("id", 10));
        QCOMPARE(groups().recNo(), 3);
        emit grid->doubleClicked(grid->currentIndex());
        QCOMPARE(groups().recNo(), 3);
        QCOMPARE(current(), atRow);
    });
    QCOMPARE(shown, QString("Стеллажи металлические")); // trimmed
    QVERIFY(sql.statements.contains("UPDATE cmn_classifier.item SET s_caption=" + sqlQuote(stored) +
                                    " where id=:id"));
    QCOMPARE(db->scalar("select s_caption from cmn_classifier.item where id=10").toString(), stored);
}

void TestNomGroups::refusedStatementKeepsEditorOpen() {
    QString error;
    onModal["NomenclatureGroupEditor"] = [&] {
        nameEdit->setText(QString(300, QChar(u'Я'))); // longer than the column
        editor->setResult(-1);
        try {
            saveButton->click();
        } catch (const DbError& e) {
            error = e.message;
        }
        QCOMPARE(editor->result(), -1);
        QCOMPARE(nameEdit->text(), QString(300, QChar(u'Я')));
    };
    runFromMenu([this] { addButton->click(); });
    // Refused before any statement, with the field and its limit named.
    QVERIFY(error.isEmpty());
    QCOMPARE(boxes->texts(), QStringList{"Поле «Наименование» длиннее допустимого: не больше 254 символов."});
    QCOMPARE(db->scalar("select count(*) from cmn_classifier.item").toInt(), 5);
}

void TestNomGroups::deleteButtonAlwaysDisabled() {
    runFromMenu([this] {
        QVERIFY(removeButton->isVisibleTo(dialog));
        QVERIFY(!removeButton->isEnabled());
    });
    onModal["NomenclatureGroupsDialog"] = [this] { exitButton->click(); };
    QVERIFY(!dialog->pickGroup());
    QVERIFY(!removeButton->isEnabled());
}

// With no group listed, "Изменить" opens no editor; "Добавить" still does.
void TestNomGroups::emptyListRenamesNothing() {
    db->exec("delete from cmn_classifier.item where id_level=2");
    int editorShown = 0;
    onModal["NomenclatureGroupEditor"] = [&] {
        ++editorShown;
        nameEdit->setText("Сейфы");
        saveButton->click();
    };
    runFromMenu([&] {
        changeButton->click();
        QCOMPARE(editorShown, 0);
        addButton->click();
        QCOMPARE(editorShown, 1);
        QCOMPARE(rows(), 1);
    });
}

void TestNomGroups::picker_data() {
    QTest::addColumn<int>("pickId"); // 0: empty list; -1: Esc
    QTest::addColumn<bool>("picked");
    QTest::addColumn<qint64>("id");
    QTest::addColumn<QString>("caption");
    QTest::newRow("caption as stored") << 10 << true << qint64(10) << " Стеллажи металлические  ";
    QTest::newRow("empty list") << 0 << true << qint64(0) << "";
    QTest::newRow("Esc: nothing") << -1 << false << qint64(0) << QString();
    QTest::newRow("Enter in the search field") << -2 << true << qint64(10) << " Стеллажи металлические  ";
}

void TestNomGroups::picker() {
    QFETCH(int, pickId);
    QFETCH(bool, picked);
    QFETCH(qint64, id);
    QFETCH(QString, caption);
    db->exec("update cmn_classifier.item set s_caption=' Стеллажи металлические  ' where id=10");
    if (pickId == 0)
        db->exec("delete from cmn_classifier.item where id_level=2");
    onModal["NomenclatureGroupsDialog"] = [&] {
        QCOMPARE(dialog->mode(), ListDialog::Mode::Pick);
        QVERIFY(groups().isOpen());
        QCOMPARE(changeButton->text(), QString("Выбрать"));
        QVERIFY(!removeButton->isVisibleTo(dialog));
        QVERIFY(!addButton->isVisibleTo(dialog));
        if (pickId > 0)
            QVERIFY(groups().locate("id", pickId));
        dialog->setResult(-1);
        if (pickId == -2) {
            // The name's beginning typed, then Enter in the search field.
            searchEdit->setText(" Стел");
            QTest::keyEvent(QTest::Click, searchEdit, Qt::Key_Return);
        } else if (pickId < 0) {
            QTest::keyEvent(QTest::Click, dialog, Qt::Key_Escape);
        } else {
            changeButton->click();
        }
        QCOMPARE(dialog->result(), pickId == -1 ? int(QDialog::Rejected) : int(QDialog::Accepted));
    };
    const std::optional<NomenclatureGroup> group = dialog->pickGroup();
    QCOMPARE(group.has_value(), picked);
    if (group) {
        QCOMPARE(group->id, id);
        QCOMPARE(group->name, caption);
    }
    QVERIFY(!groups().isOpen());
    QVERIFY(removeButton->isVisibleTo(dialog));
    QVERIFY(addButton->isVisibleTo(dialog));
}

void TestNomGroups::searchKeysAndPersistence() {
    runFromMenu([&] {
        QLineEdit* e = searchEdit;
        type(e, "ш");
        QCOMPARE(rows(), 1);
        e->clear();
        QCOMPARE(rows(), 4);
        type(e, "В");
        QCOMPARE(rows(), 1);
        QTest::keyEvent(QTest::Click, e, Qt::Key_Backspace);
        type(e, "С");
        QCOMPARE(current(), QString("Стеллажи металлические"));
        for (Qt::Key k : {Qt::Key_Left, Qt::Key_Home, Qt::Key_Delete})
            QTest::keyEvent(QTest::Click, e, k);
        QCOMPARE(e->text(), QString("С"));
        QCOMPARE(e->cursorPosition(), 1);
    });
    // Kept for the picker, which also searches on.
    db->exec("insert into cmn_classifier.item (id, id_level, s_caption) values (14, 2, 'Сейфы')");
    onModal["NomenclatureGroupsDialog"] = [&] {
        QCOMPARE(searchEdit->text(), QString("С"));
        QCOMPARE(rows(), 2);
        QCOMPARE(current(), QString("Сейфы"));
        QTest::keyEvent(QTest::Click, searchEdit, Qt::Key_Down);
        QCOMPARE(current(), QString("Стеллажи металлические"));
        QCOMPARE(grid->currentIndex().row(), 1);
        QTest::keyEvent(QTest::Click, searchEdit, Qt::Key_Up);
        QCOMPARE(current(), QString("Сейфы"));
        type(searchEdit, "т");
        changeButton->click();
    };
    const std::optional<NomenclatureGroup> group = dialog->pickGroup();
    QVERIFY(group);
    QCOMPARE(group->id, qint64(10));
    runFromMenu([&] {
        QCOMPARE(searchEdit->text(), QString("Ст"));
        QCOMPARE(rows(), 1);
    });
}

QTEST_MAIN(TestNomGroups)
#include "test_nomgroups.moc"
