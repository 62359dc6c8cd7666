// The workers list and editor on a real database with real windows: adding, changing and
// deleting workers with their statements and refusals, the lookup boxes, the pick handed back
// to the editors, the search field with its keys and persistence.
#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/WorkerEditor.h"
#include "refbooks/WorkersDialog.h"
#include "support/TestSupport.h"
#include "ui/DatasetGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

class TestWorkers : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void addWorker_data();
    void addWorker();
    void changeWorkerKeepsRow();
    void changeKeepsPosition_data();
    void changeKeepsPosition();
    void lookupsReadAgainAndKeepChoice();
    void wheelStepsFocusedLookup();
    void deleteWorker_data();
    void deleteWorker();
    void emptyListChangesAndDeletesNothing();
    void picker_data();
    void picker();
    void pickerByDoubleClicking();
    void searchFilterAndKeys();
    void searchPersistence();
    void gridShowsTheDatabasesWorkers();

private:
    // Types text as key presses (QTest::keyClicks takes only ASCII).
    static void type(QWidget* w, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    // Shows the list from the main menu; inside, `inList` acts as the user.
    void runFromMenu(const std::function<void()>& inList);
    Dataset& workers() const { return dialog->workers(); }
    int rows() const { return workers().recordCount(); }
    QString currentFio() const { return workers().fieldByName("fio").asString(); }
    void chooseStaffpos(const QString& caption) {
        positionBox->setCurrentIndex(positionBox->findText(caption));
    }

    TestDatabase* db = nullptr;
    Database* dm = nullptr;
    MessageRecorder* boxes = nullptr;
    // What the modal seam runs for each window, by object name.
    ModalScript onModal;
    WorkersDialog* dialog = nullptr;
    WorkerEditor* editor = nullptr;
    // The list's parts.
    QLineEdit* searchEdit = nullptr;
    QTableView* grid = nullptr;
    QPushButton *addButton = nullptr, *changeButton = nullptr, *removeButton = nullptr, *exitButton = nullptr;
    // The editor's parts.
    QLineEdit* nameEdit = nullptr;
    QComboBox *departmentBox = nullptr, *positionBox = nullptr, *roleBox = nullptr;
    QPushButton *saveButton = nullptr, *cancelButton = nullptr;
};

void TestWorkers::init() {
    db = new TestDatabase;
    dm = db->openDatabase();
    boxes = new MessageRecorder;
    db->exec("insert into cmn_department.department (id, s_caption) values (1, 'Малярный участок'), "
             "(2, 'Сварочный участок')");
    db->exec("insert into hrms_staffpos.staffpos (id, s_caption) values (1, 'Маляр'), (2, 'Электросварщик'), "
             "(3, 'Слесарь-сборщик')");
    db->exec("insert into adm_role.roles (id, s_caption) values (1, 'Рабочий'), (2, 'Мастер')");
    db->exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values "
             "(17, 'Иванов Иван Иванович', 'Маляр'), (18, 'Петров Пётр Петрович', 'Электросварщик'), "
             "(19, '  Сидоров Сидор  ', 'Маляр'), (20, 'Пестов Павел', '')");
    dialog = new WorkersDialog(*dm);
    editor = dialog->findChild<WorkerEditor*>();
    QVERIFY(editor);
    searchEdit = childNamed<QLineEdit>(dialog, "searchEdit");
    grid = childNamed<QTableView>(dialog, "listGrid");
    addButton = childNamed<QPushButton>(dialog, "addButton");
    changeButton = childNamed<QPushButton>(dialog, "changeButton");
    removeButton = childNamed<QPushButton>(dialog, "removeButton");
    exitButton = childNamed<QPushButton>(dialog, "exitButton");
    nameEdit = childNamed<QLineEdit>(editor, "nameEdit");
    departmentBox = childNamed<QComboBox>(editor, "departmentBox");
    positionBox = childNamed<QComboBox>(editor, "positionBox");
    roleBox = childNamed<QComboBox>(editor, "roleBox");
    saveButton = childNamed<QPushButton>(editor, "saveButton");
    cancelButton = childNamed<QPushButton>(editor, "cancelButton");
    onModal.clear();
    onModal.install();
}

void TestWorkers::cleanup() {
    seams::setModalHandler({});
    delete dialog;
    dialog = nullptr;
    delete boxes;
    delete db;
    boxes = nullptr;
    db = nullptr;
}

void TestWorkers::runFromMenu(const std::function<void()>& inList) {
    onModal["WorkersDialog"] = inList;
    dialog->browse();
    QVERIFY(!workers().isOpen());
}

void TestWorkers::addWorker_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("staffpos");
    QTest::addColumn<QString>("storedFio");
    QTest::addColumn<QString>("statement");
    QTest::newRow("name and position")
        << "Кузнецов Олег"
        << "Маляр"
        << "Кузнецов Олег"
        << "INSERT INTO accounts_dep.person (fio, s_staffpos_hl)VALUES('Кузнецов Олег', 'Маляр')";
    QTest::newRow("blanks around, no position")
        << "   Орлова Анна  "
        << ""
        << "Орлова Анна"
        << "INSERT INTO accounts_dep.person (fio, s_staffpos_hl)VALUES('Орлова Анна', '')";
    QTest::newRow("apostrophes stored as typed")
        << "О'Нил Д''Арк"
        << "Электросварщик"
        << "О'Нил Д''Арк"
        << "INSERT INTO accounts_dep.person (fio, s_staffpos_hl)VALUES('О''Нил Д''''Арк', 'Электросварщик')";
    QTest::newRow("blanks only: refused") << "    "
                                          << "Маляр" << QString() << QString();
    QTest::newRow("empty: refused") << ""
                                    << "Маляр" << QString() << QString();
}

void TestWorkers::addWorker() {
    QFETCH(QString, typed);
    QFETCH(QString, staffpos);
    QFETCH(QString, storedFio);
    QFETCH(QString, statement);
    SqlRecorder sql;
    bool editorClosed = false;
    QString caption;
    onModal["WorkerEditor"] = [&] {
        caption = editor->windowTitle();
        QCOMPARE(nameEdit->text(), QString());
        QCOMPARE(positionBox->count(), 3);
        QCOMPARE(departmentBox->count(), 2);
        QCOMPARE(roleBox->count(), 2);
        QCOMPARE(positionBox->maxVisibleItems(), 10);
        nameEdit->setText(typed);
        chooseStaffpos(staffpos);
        editor->setResult(-1);
        saveButton->click();
        editorClosed = editor->result() == QDialog::Accepted;
    };
    runFromMenu([&] {
        QCOMPARE(changeButton->text(), QString("Изменить"));
        QVERIFY(addButton->isDefault());
        QVERIFY(!changeButton->isDefault());
        workers().last();
        addButton->click();
        QCOMPARE(workers().recNo(), 1); // reopened at the first row
        QCOMPARE(rows(), storedFio.isEmpty() ? 4 : 5);
    });
    QCOMPARE(caption, QString("Заведение данных нового работника"));
    if (storedFio.isEmpty()) {
        QCOMPARE(boxes->texts(), QStringList{"ФИО нужно заполнить!"});
        QCOMPARE(boxes->shown[0].caption, QString("Ошибка"));
        QCOMPARE(boxes->shown[0].icon, QMessageBox::Critical);
        QVERIFY(!editorClosed);
        QCOMPARE(db->scalar("select count(*) from accounts_dep.person").toInt(), 4);
        QVERIFY(!sql.statements.join('\n').contains("INSERT", Qt::CaseInsensitive));
        return;
    }
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(editorClosed);
    QVERIFY(sql.statements.contains(statement));
    QCOMPARE(db->scalar("select s_staffpos_hl from accounts_dep.person where fio=" + sqlQuote(storedFio))
                 .toString(),
             staffpos);
}

void TestWorkers::changeWorkerKeepsRow() {
    SqlRecorder sql;
    QString caption, shownName;
    onModal["WorkerEditor"] = [&] {
        caption = editor->windowTitle();
        shownName = nameEdit->text();
        QCOMPARE(positionBox->currentText(), QString("Маляр")); // the worker's own
        chooseStaffpos("Слесарь-сборщик");
        nameEdit->setText(" Сидоров Сидор Ильич ");
        saveButton->click();
    };
    runFromMenu([&] {
        // Ordered by fio: "  Сидоров Сидор  " (blanks first), Иванов, Пестов, Петров.
        QVERIFY(workers().locate("id", 19));
        QCOMPARE(workers().recNo(), 1);
        changeButton->click();
        // The renamed worker moved to the end; the list keeps the row number.
        QCOMPARE(workers().recNo(), 1);
        QCOMPARE(currentFio(), QString("Иванов Иван Иванович"));
        workers().last();
        QCOMPARE(currentFio(), QString("Сидоров Сидор Ильич"));
        // Unchanged name, saved again from a double click: accepted, same row.
        onModal["WorkerEditor"] = [this] { saveButton->click(); };
        emit grid->doubleClicked(grid->currentIndex());
        QCOMPARE(workers().recNo(), 4);
        QCOMPARE(currentFio(), QString("Сидоров Сидор Ильич"));
    });
    QCOMPARE(onModal.shown.count("WorkerEditor"), 2);
    QCOMPARE(caption, QString("Изменение данных работника"));
    QCOMPARE(shownName, QString("Сидоров Сидор")); // trimmed
    QVERIFY(sql.statements.contains("UPDATE accounts_dep.person SET fio='Сидоров Сидор Ильич', "
                                    "s_staffpos_hl='Слесарь-сборщик' where accounts_dep.person.id=:id"));
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person where fio='Сидоров Сидор Ильич' and "
                        "s_staffpos_hl='Слесарь-сборщик'")
                 .toInt(),
             1);
    // The journal's name follows the change.
    QCOMPARE(db->scalar("select s_caption from cmn_contractor.person where id=19").toString(),
             QString("Сидоров Сидор Ильич"));
}

void TestWorkers::changeKeepsPosition_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown"); // in the position box
    QTest::newRow("a staff position") << "Электросварщик"
                                      << "Электросварщик";
    QTest::newRow("not among the positions") << "Токарь-расточник"
                                             << "";
    QTest::newRow("none") << ""
                          << "";
}

// Correcting a name leaves the position as stored, whatever the box showed at its last use.
void TestWorkers::changeKeepsPosition() {
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    db->exec("update accounts_dep.person set s_staffpos_hl=" + sqlQuote(stored) + " where id=18");
    // The box's last use: "Маляр" chosen for a new worker, then "Отмена".
    onModal["WorkerEditor"] = [this] {
        chooseStaffpos("Маляр");
        cancelButton->click();
    };
    runFromMenu([this] { addButton->click(); });
    onModal["WorkerEditor"] = [&] {
        QCOMPARE(positionBox->currentText(), shown);
        nameEdit->setText("Петров Пётр Павлович");
        saveButton->click();
    };
    runFromMenu([this] {
        QVERIFY(workers().locate("id", 18));
        changeButton->click();
    });
    QCOMPARE(db->scalar("select fio || '/' || s_staffpos_hl from accounts_dep.person where id=18").toString(),
             "Петров Пётр Павлович/" + stored);
    // A new worker gets the box's caption, or none.
    onModal["WorkerEditor"] = [this] {
        nameEdit->setText("Новиков Н.");
        saveButton->click();
    };
    runFromMenu([this] { addButton->click(); });
    QCOMPARE(db->scalar("select s_staffpos_hl from accounts_dep.person where fio='Новиков Н.'").toString(),
             shown);
}

void TestWorkers::lookupsReadAgainAndKeepChoice() {
    QStringList offered;
    onModal["WorkerEditor"] = [&] {
        offered.clear();
        for (int i = 0; i < positionBox->count(); ++i)
            offered << positionBox->itemText(i);
        if (positionBox->currentIndex() < 0)
            chooseStaffpos("Маляр");
        cancelButton->click(); // "Отмена": nothing is saved
    };
    runFromMenu([this] { addButton->click(); });
    QCOMPARE(offered, (QStringList{"Маляр", "Слесарь-сборщик", "Электросварщик"}));
    db->exec("insert into hrms_staffpos.staffpos (id, s_caption) values (4, 'Токарь')");
    runFromMenu([this] { addButton->click(); });
    QCOMPARE(offered, (QStringList{"Маляр", "Слесарь-сборщик", "Токарь", "Электросварщик"}));
    QCOMPARE(positionBox->currentText(), QString("Маляр"));
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person").toInt(), 4);
}

void TestWorkers::wheelStepsFocusedLookup() {
    auto wheel = [](QWidget* over, int dy) {
        const QPointF at(over->width() / 2.0, over->height() / 2.0);
        QWheelEvent e(at, over->mapToGlobal(at), {}, {0, dy}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
        QApplication::sendEvent(over, &e);
    };
    onModal["WorkerEditor"] = [&] {
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        editor->activateWindow();
        positionBox->setCurrentIndex(0);
        roleBox->setCurrentIndex(0);
        positionBox->setFocus();
        QCOMPARE(editor->focusWidget(), positionBox);
        wheel(childNamed<QGroupBox>(editor, "workerGroup"),
              -120); // wheel down anywhere: next row of the focused box
        QCOMPARE(positionBox->currentIndex(), 1);
        wheel(roleBox, -120); // over another box: still the focused one
        QCOMPARE(positionBox->currentIndex(), 2);
        QCOMPARE(roleBox->currentIndex(), 0);
        wheel(editor, 120);
        QCOMPARE(positionBox->currentIndex(), 1);
        nameEdit->setFocus(); // focus elsewhere: the wheel moves nothing
        wheel(positionBox, -120);
        QCOMPARE(positionBox->currentIndex(), 1);
        editor->hide();
    };
    runFromMenu([this] { addButton->click(); });
    QCOMPARE(onModal.shown.count("WorkerEditor"), 1);
}

void TestWorkers::deleteWorker_data() {
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<int>("left");
    QTest::newRow("Yes: deleted") << QMessageBox::Yes << 3;
    QTest::newRow("No: kept") << QMessageBox::No << 4;
}

void TestWorkers::deleteWorker() {
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(int, left);
    SqlRecorder sql;
    boxes->answers << answer;
    runFromMenu([&] {
        QVERIFY(workers().locate("id", 17));
        QCOMPARE(workers().recNo(), 2);
        removeButton->click();
        QCOMPARE(rows(), left);
        QCOMPARE(workers().recNo(), 2); // the same row number
        QVERIFY(workers().locate("id", 18));
        QCOMPARE(workers().recNo(), left); // Петров, last
        boxes->answers << QMessageBox::Yes;
        removeButton->click(); // the last row: the list stays on the new last row
        QCOMPARE(workers().recNo(), left - 1);
    });
    QCOMPARE(boxes->shown.size(), 2);
    QCOMPARE(boxes->shown[0].caption, QString("Удаление"));
    QCOMPARE(boxes->shown[0].text, QString("Удалить работника?"));
    QVERIFY(!boxes->shown[0].detail.isEmpty()); // the worker's name
    QCOMPARE(boxes->shown[0].defaultButton, QMessageBox::No);
    QCOMPARE(boxes->shown[0].icon, QMessageBox::Question);
    QVERIFY(boxes->shown[0].buttons == (QMessageBox::Yes | QMessageBox::No));
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person where id=17").toInt(), left == 4 ? 1 : 0);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person where id=18").toInt(), 0);
    // The id is bound: one deletion for Петров, one more for Иванов when the answer was Yes.
    QCOMPARE(sql.statements.count("delete from accounts_dep.person where id =:id"),
             answer == QMessageBox::Yes ? 2 : 1);
}

// With no worker listed, "Изменить" opens no editor and "Удалить" asks nothing.
void TestWorkers::emptyListChangesAndDeletesNothing() {
    SqlRecorder sql;
    runFromMenu([this] {
        type(searchEdit, "Я");
        QCOMPARE(workers().recordCount(), 0);
        changeButton->click();
        removeButton->click();
        searchEdit->clear();
    });
    QVERIFY(!onModal.shown.contains("WorkerEditor"));
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(!sql.statements.join('\n').contains("delete", Qt::CaseInsensitive));
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person").toInt(), 4);
}

void TestWorkers::picker_data() {
    QTest::addColumn<int>("pickId");  // 0: empty list; -1: Esc
    QTest::addColumn<QString>("fio"); // handed back
    QTest::newRow("name trimmed") << 19 << "Сидоров Сидор";
    QTest::newRow("another worker") << 18 << "Петров Пётр Петрович";
    QTest::newRow("empty list: nothing") << 0 << QString();
    QTest::newRow("Esc: nothing") << -1 << QString();
}

void TestWorkers::picker() {
    QFETCH(int, pickId);
    QFETCH(QString, fio);
    if (pickId == 0)
        db->exec("delete from accounts_dep.person");
    // An earlier search in list mode is not carried into the picker.
    runFromMenu([this] { type(searchEdit, "Ив"); });
    QCOMPARE(searchEdit->text(), QString("Ив"));
    onModal["WorkersDialog"] = [&] {
        QCOMPARE(dialog->mode(), ListDialog::Mode::Pick);
        QVERIFY(workers().isOpen());
        QCOMPARE(changeButton->text(), QString("Выбрать"));
        QVERIFY(changeButton->isDefault());
        QVERIFY(!addButton->isVisibleTo(dialog));
        QVERIFY(!removeButton->isVisibleTo(dialog));
        QVERIFY(searchEdit->isVisibleTo(dialog));
        QCOMPARE(searchEdit->text(), QString());
        QVERIFY(!workers().isFiltered());
        QCOMPARE(rows(), pickId == 0 ? 0 : 4);
        if (pickId > 0)
            QVERIFY(workers().locate("id", pickId));
        dialog->setResult(-1);
        if (pickId < 0)
            QTest::keyEvent(QTest::Click, dialog, Qt::Key_Escape);
        else
            changeButton->click();
        QCOMPARE(dialog->result(), pickId < 0 ? int(QDialog::Rejected) : int(QDialog::Accepted));
    };
    const std::optional<Worker> picked = dialog->pickWorker();
    QVERIFY(!workers().isOpen());
    QCOMPARE(onModal.shown.count("WorkersDialog"), 2);
    QCOMPARE(picked.has_value(), !fio.isEmpty());
    if (picked) {
        QCOMPARE(picked->name, fio);
        QCOMPARE(picked->id, pickId);
    }
    // A pick changes nothing in the database and asks nothing.
    QVERIFY(boxes->shown.isEmpty());
}

void TestWorkers::pickerByDoubleClicking() {
    onModal["WorkersDialog"] = [this] {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        const QRect cell = grid->visualRect(grid->model()->index(3, 0)); // Петров
        QTest::mouseEvent(QTest::MouseClick, grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseEvent(QTest::MouseDClick, grid->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(!dialog->isVisible());
    };
    const std::optional<Worker> picked = dialog->pickWorker();
    QVERIFY(picked);
    QCOMPARE(picked->id, 18);
    QCOMPARE(picked->name, QString("Петров Пётр Петрович"));
}

void TestWorkers::searchFilterAndKeys() {
    runFromMenu([this] {
        QLineEdit* e = searchEdit;
        type(e, "пе"); // a prefix, letter case aside
        QCOMPARE(rows(), 2);
        QCOMPARE(currentFio(), QString("Пестов Павел"));
        QTest::keyEvent(QTest::Click, e, Qt::Key_Down);
        QCOMPARE(currentFio(), QString("Петров Пётр Петрович"));
        QCOMPARE(grid->currentIndex().row(), 1);
        QTest::keyEvent(QTest::Click, e, Qt::Key_Down); // at the end: stays
        QCOMPARE(currentFio(), QString("Петров Пётр Петрович"));
        QTest::keyEvent(QTest::Click, e, Qt::Key_Up);
        QCOMPARE(currentFio(), QString("Пестов Павел"));
        // Delete, Left, Right, Home and End do nothing in the field.
        for (Qt::Key k : {Qt::Key_Left, Qt::Key_Home, Qt::Key_Delete, Qt::Key_Right, Qt::Key_End})
            QTest::keyEvent(QTest::Click, e, k);
        QCOMPARE(e->text(), QString("пе"));
        QCOMPARE(e->cursorPosition(), 2);
        QTest::keyEvent(QTest::Click, e, Qt::Key_Backspace);
        QCOMPARE(e->text(), QString("п"));
        QCOMPARE(rows(), 2);
        type(e, "етр");
        QCOMPARE(rows(), 1);
        type(e, "'");
        QCOMPARE(rows(), 0); // an apostrophe is just a letter of the prefix
        e->clear();
        QCOMPARE(rows(), 4);
        QVERIFY(!workers().isFiltered());
        // Leading blanks of a stored name are part of it.
        type(e, "  С");
        QCOMPARE(rows(), 1);
        QCOMPARE(workers().fieldByName("id").asInteger(), 19);
    });
    QVERIFY(boxes->shown.isEmpty());
}

void TestWorkers::searchPersistence() {
    runFromMenu([this] { type(searchEdit, "Пе"); });
    runFromMenu([this] {
        QCOMPARE(searchEdit->text(), QString("Пе"));
        QCOMPARE(rows(), 2); // the old filter applies to the reopened query
    });
    // A search made in the picker is also kept for the next list-mode opening.
    onModal["WorkersDialog"] = [this] {
        type(searchEdit, "Ив");
        QCOMPARE(rows(), 1);
        exitButton->click();
    };
    QVERIFY(!dialog->pickWorker());
    runFromMenu([this] {
        QCOMPARE(dialog->mode(), ListDialog::Mode::Browse);
        QCOMPARE(searchEdit->text(), QString("Ив"));
        QCOMPARE(rows(), 1);
        QVERIFY(addButton->isVisibleTo(dialog));
        QVERIFY(removeButton->isVisibleTo(dialog));
        QVERIFY(addButton->isDefault());
        QCOMPARE(changeButton->text(), QString("Изменить"));
        // Adding under a filter reopens the query with the filter still on.
        onModal["WorkerEditor"] = [this] {
            nameEdit->setText("Ивлев Игорь");
            saveButton->click();
        };
        addButton->click();
        QCOMPARE(rows(), 2);
    });
}

// The grid shows the workers of the database the window was given, in the list and in the picker.
void TestWorkers::gridShowsTheDatabasesWorkers() {
    QCOMPARE(shownDataset(grid), &dialog->workers());
    runFromMenu([this] {
        QCOMPARE(shownDataset(grid), &dialog->workers());
        QCOMPARE(grid->model()->rowCount(), 4);
    });
    onModal["WorkersDialog"] = [this] {
        QCOMPARE(grid->model()->rowCount(), 4);
        changeButton->click();
    };
    QVERIFY(dialog->pickWorker());
}

QTEST_MAIN(TestWorkers)
#include "test_workers.moc"
