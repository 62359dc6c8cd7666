// The workers list and editor on a real database with real windows: adding, changing and
// deleting workers with their statements and refusals, the lookup boxes, the picker
// hand-back to the editors, the search field with its keys and persistence.
#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/WorkerEditor.h"
#include "refbooks/WorkersDialog.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
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
    void pickerByDoubleClick();
    void searchFilterAndKeys();
    void searchPersistence();
    void gridFollowsNewDataModule();
    void screenshots();

private:
    // Types text as key presses (QTest::keyClicks takes only ASCII).
    static void type(QWidget* w, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    // Shows the list from the main menu; inside, `inList` acts as the user.
    void runFromMenu(const std::function<void()>& inList);
    int rows() const { return g_database->workers().recordCount(); }
    QString currentFio() const { return g_database->workers().fieldByName("fio").asString(); }
    void chooseStaffpos(const QString& caption);

    TestDatabase* db = nullptr;
    MessageRecorder* boxes = nullptr;
    // What the modal seam runs for each window, by object name.
    ModalScript onModal;
};

void TestWorkers::init() {
    db = new TestDatabase;
    db->openDatabase();
    boxes = new MessageRecorder;
    db->exec("insert into cmn_department.department (id, s_caption) values (1, 'Малярный участок'), "
             "(2, 'Сварочный участок')");
    db->exec("insert into hrms_staffpos.staffpos (id, s_caption) values (1, 'Маляр'), (2, 'Электросварщик'), "
             "(3, 'Слесарь-сборщик')");
    db->exec("insert into adm_role.roles (id, s_caption) values (1, 'Рабочий'), (2, 'Мастер')");
    db->exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values "
             "(17, 'Иванов Иван Иванович', 'Маляр'), (18, 'Петров Пётр Петрович', 'Электросварщик'), "
             "(19, '  Сидоров Сидор  ', 'Маляр'), (20, 'Пестов Павел', '')");
    g_workerEditor = new WorkerEditor;
    g_workersDialog = new WorkersDialog;
    onModal.clear();
    onModal.install();
}

void TestWorkers::cleanup() {
    seams::setModalHandler({});
    delete g_workersDialog;
    delete g_workerEditor;
    delete boxes;
    delete db;
    boxes = nullptr;
    db = nullptr;
}

void TestWorkers::runFromMenu(const std::function<void()>& inList) {
    onModal["WorkersDialog"] = inList;
    QMetaObject::invokeMethod(g_workersDialog, "openFromMainMenu", Qt::DirectConnection);
    QVERIFY(!g_database->workers().isOpen());
}

void TestWorkers::chooseStaffpos(const QString& caption) {
    g_workerEditor->LCB_staffpos->setCurrentIndex(g_workerEditor->LCB_staffpos->findText(caption));
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
        caption = g_workerEditor->windowTitle();
        QCOMPARE(g_workerEditor->Tag, 1);
        QCOMPARE(g_workerEditor->Edit1->text(), QString());
        QCOMPARE(g_workerEditor->LCB_staffpos->count(), 3);
        QCOMPARE(g_workerEditor->LCB_department->count(), 2);
        QCOMPARE(g_workerEditor->LCB_roles->count(), 2);
        QCOMPARE(g_workerEditor->LCB_staffpos->maxVisibleItems(), 10);
        g_workerEditor->Edit1->setText(typed);
        chooseStaffpos(staffpos);
        g_workerEditor->setResult(-1);
        g_workerEditor->Button1->click();
        editorClosed = g_workerEditor->result() == QDialog::Accepted;
    };
    runFromMenu([&] {
        QCOMPARE(g_workersDialog->Button2->text(), QString("Изменить"));
        QVERIFY(g_workersDialog->Button1->isDefault());
        QVERIFY(!g_workersDialog->Button2->isDefault());
        g_database->workers().last();
        g_workersDialog->Button1->click();
        QCOMPARE(g_database->workers().recNo(), 1); // reopened at the first row
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
    int shownId = 0;
    onModal["WorkerEditor"] = [&] {
        caption = g_workerEditor->windowTitle();
        shownName = g_workerEditor->Edit1->text();
        shownId = g_workerEditor->workerId;
        QCOMPARE(g_workerEditor->Tag, 2);
        QCOMPARE(g_workerEditor->LCB_staffpos->currentText(), QString("Маляр")); // the worker's own
        chooseStaffpos("Слесарь-сборщик");
        g_workerEditor->Edit1->setText(" Сидоров Сидор Ильич ");
        g_workerEditor->Button1->click();
    };
    runFromMenu([&] {
        // Ordered by fio: "  Сидоров Сидор  " (blanks first), Иванов, Пестов, Петров.
        QVERIFY(g_database->workers().locate("id", 19));
        QCOMPARE(g_database->workers().recNo(), 1);
        g_workersDialog->Button2->click();
        // The renamed worker moved to the end; the list keeps the row number.
        QCOMPARE(g_database->workers().recNo(), 1);
        QCOMPARE(currentFio(), QString("Иванов Иван Иванович"));
        g_database->workers().last();
        QCOMPARE(currentFio(), QString("Сидоров Сидор Ильич"));
        // Unchanged name, saved again: accepted, same row.
        onModal["WorkerEditor"] = [] { g_workerEditor->Button1->click(); };
        g_workersDialog->DBGrid1DblClick();
        QCOMPARE(g_database->workers().recNo(), 4);
        QCOMPARE(currentFio(), QString("Сидоров Сидор Ильич"));
    });
    QCOMPARE(caption, QString("Изменение данных работника"));
    QCOMPARE(shownName, QString("Сидоров Сидор")); // trimmed
    QCOMPARE(shownId, 19);
    QVERIFY(sql.statements.contains("UPDATE accounts_dep.person SET fio='Сидоров Сидор Ильич', "
                                    "s_staffpos_hl='Слесарь-сборщик' where accounts_dep.person.id=19"));
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
    g_workerEditor->refreshLookups();
    chooseStaffpos("Маляр");
    onModal["WorkerEditor"] = [&] {
        QCOMPARE(g_workerEditor->LCB_staffpos->currentText(), shown);
        g_workerEditor->Edit1->setText("Петров Пётр Павлович");
        g_workerEditor->Button1->click();
    };
    runFromMenu([] {
        QVERIFY(g_database->workers().locate("id", 18));
        g_workersDialog->Button2->click();
    });
    QCOMPARE(db->scalar("select fio || '/' || s_staffpos_hl from accounts_dep.person where id=18").toString(),
             "Петров Пётр Павлович/" + stored);
    // A new worker gets the box's caption, or none.
    onModal["WorkerEditor"] = [] {
        g_workerEditor->Edit1->setText("Новиков Н.");
        g_workerEditor->Button1->click();
    };
    runFromMenu([] { g_workersDialog->Button1->click(); });
    QCOMPARE(db->scalar("select s_staffpos_hl from accounts_dep.person where fio='Новиков Н.'").toString(),
             shown);
}

void TestWorkers::lookupsReadAgainAndKeepChoice() {
    QStringList offered;
    onModal["WorkerEditor"] = [&] {
        offered.clear();
        for (int i = 0; i < g_workerEditor->LCB_staffpos->count(); ++i)
            offered << g_workerEditor->LCB_staffpos->itemText(i);
        if (g_workerEditor->LCB_staffpos->currentIndex() < 0)
            chooseStaffpos("Маляр");
        g_workerEditor->Button2->click(); // "Отмена": nothing is saved
    };
    runFromMenu([] { g_workersDialog->Button1->click(); });
    QCOMPARE(offered, (QStringList{"Маляр", "Слесарь-сборщик", "Электросварщик"}));
    db->exec("insert into hrms_staffpos.staffpos (id, s_caption) values (4, 'Токарь')");
    runFromMenu([] { g_workersDialog->Button1->click(); });
    QCOMPARE(offered, (QStringList{"Маляр", "Слесарь-сборщик", "Токарь", "Электросварщик"}));
    QCOMPARE(g_workerEditor->LCB_staffpos->currentText(), QString("Маляр"));
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person").toInt(), 4);
}

void TestWorkers::wheelStepsFocusedLookup() {
    g_workerEditor->refreshLookups();
    g_workerEditor->show();
    QVERIFY(QTest::qWaitForWindowExposed(g_workerEditor));
    g_workerEditor->activateWindow();
    auto wheel = [](QWidget* over, int dy) {
        const QPointF at(over->width() / 2.0, over->height() / 2.0);
        QWheelEvent e(at, over->mapToGlobal(at), {}, {0, dy}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
        QApplication::sendEvent(over, &e);
    };
    g_workerEditor->LCB_staffpos->setCurrentIndex(0);
    g_workerEditor->LCB_roles->setCurrentIndex(0);
    g_workerEditor->LCB_staffpos->setFocus();
    QCOMPARE(g_workerEditor->focusWidget(), g_workerEditor->LCB_staffpos);
    wheel(g_workerEditor->GroupBox1, -120); // wheel down anywhere: next row of the focused box
    QCOMPARE(g_workerEditor->LCB_staffpos->currentIndex(), 1);
    wheel(g_workerEditor->LCB_roles, -120); // over another box: still the focused one
    QCOMPARE(g_workerEditor->LCB_staffpos->currentIndex(), 2);
    QCOMPARE(g_workerEditor->LCB_roles->currentIndex(), 0);
    wheel(g_workerEditor, 120);
    QCOMPARE(g_workerEditor->LCB_staffpos->currentIndex(), 1);
    g_workerEditor->Edit1->setFocus(); // focus elsewhere: the wheel moves nothing
    wheel(g_workerEditor->LCB_staffpos, -120);
    QCOMPARE(g_workerEditor->LCB_staffpos->currentIndex(), 1);
    g_workerEditor->hide();
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
        QVERIFY(g_database->workers().locate("id", 17));
        QCOMPARE(g_database->workers().recNo(), 2);
        g_workersDialog->Button3->click();
        QCOMPARE(rows(), left);
        QCOMPARE(g_database->workers().recNo(), 2); // the same row number
        QVERIFY(g_database->workers().locate("id", 18));
        QCOMPARE(g_database->workers().recNo(), left); // Петров, last
        boxes->answers << QMessageBox::Yes;
        g_workersDialog->Button3->click(); // the last row: the list stays on the new last row
        QCOMPARE(g_database->workers().recNo(), left - 1);
    });
    QCOMPARE(boxes->shown.size(), 2);
    QCOMPARE(boxes->shown[0].caption, QString("Удаление"));
    QCOMPARE(boxes->shown[0].text, QString("Удалить работника?"));
    QCOMPARE(boxes->shown[0].icon, QMessageBox::Question);
    QVERIFY(boxes->shown[0].buttons == (QMessageBox::Yes | QMessageBox::No));
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person where id=17").toInt(), left == 4 ? 1 : 0);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person where id=18").toInt(), 0);
    QCOMPARE(sql.statements.contains("delete from accounts_dep.person where id =17"),
             answer == QMessageBox::Yes);
    QVERIFY(sql.statements.contains("delete from accounts_dep.person where id =18"));
}

// With no worker listed, "Изменить" opens no editor and "Удалить" asks nothing.
void TestWorkers::emptyListChangesAndDeletesNothing() {
    SqlRecorder sql;
    runFromMenu([] {
        type(g_workersDialog->Edit1, "Я");
        QCOMPARE(g_database->workers().recordCount(), 0);
        g_workersDialog->Button2->click();
        g_workersDialog->Button3->click();
        g_workersDialog->Edit1->clear();
    });
    QVERIFY(!onModal.shown.contains("WorkerEditor"));
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(!sql.statements.join('\n').contains("delete", Qt::CaseInsensitive));
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person").toInt(), 4);
}

void TestWorkers::picker_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("pickId");  // 0: empty list; -1: "Выход"
    QTest::addColumn<QString>("fio"); // handed back
    QTest::newRow("work-record editor") << 1 << 19 << "Сидоров Сидор";
    QTest::newRow("maintenance-work editor") << 24 << 18 << "Петров Пётр Петрович";
    QTest::newRow("empty list: nothing") << 1 << 0 << QString();
    QTest::newRow("Выход: nothing") << 24 << -1 << QString();
}

void TestWorkers::picker() {
    QFETCH(int, tag);
    QFETCH(int, pickId);
    QFETCH(QString, fio);
    if (pickId == 0)
        db->exec("delete from accounts_dep.person");
    // An earlier search in list mode is not carried into the picker.
    runFromMenu([] { type(g_workersDialog->Edit1, "Ив"); });
    QCOMPARE(g_workersDialog->Edit1->text(), QString("Ив"));
    // The editor's fields before the pick.
    QString editorFio = "прежний";
    int editorId = 7;
    onModal["WorkersDialog"] = [&] {
        QCOMPARE(g_workersDialog->Tag, tag);
        QVERIFY(g_database->workers().isOpen());
        QCOMPARE(g_workersDialog->Button2->text(), QString("Выбрать"));
        QVERIFY(g_workersDialog->Button2->isDefault());
        QVERIFY(!g_workersDialog->Button1->isVisibleTo(g_workersDialog));
        QVERIFY(!g_workersDialog->Button3->isVisibleTo(g_workersDialog));
        QVERIFY(g_workersDialog->Edit1->isVisibleTo(g_workersDialog));
        QCOMPARE(g_workersDialog->Edit1->text(), QString());
        QVERIFY(!g_database->workers().isFiltered());
        QCOMPARE(rows(), pickId == 0 ? 0 : 4);
        if (pickId > 0)
            QVERIFY(g_database->workers().locate("id", pickId));
        g_workersDialog->setResult(-1);
        if (pickId < 0)
            QTest::keyClick(g_workersDialog, Qt::Key_Escape);
        else
            g_workersDialog->Button2->click();
        QCOMPARE(g_workersDialog->result(), pickId < 0 ? int(QDialog::Rejected) : int(QDialog::Accepted));
    };
    // The editor's side: open the picker and copy what it hands back.
    if (g_workersDialog->openAsPicker(tag)) {
        editorFio = g_workersDialog->PickedFio;
        editorId = g_workersDialog->PickedId;
    }
    QVERIFY(!g_database->workers().isOpen());
    QCOMPARE(onModal.shown.count("WorkersDialog"), 2);
    QCOMPARE(g_workersDialog->Picked, !fio.isEmpty());
    QCOMPARE(editorFio, fio.isEmpty() ? QString("прежний") : fio);
    QCOMPARE(editorId, fio.isEmpty() ? 7 : pickId);
    // A pick changes nothing in the database and asks nothing.
    QVERIFY(boxes->shown.isEmpty());
}

void TestWorkers::pickerByDoubleClick() {
    onModal["WorkersDialog"] = [] {
        g_workersDialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(g_workersDialog));
        QTableView* grid = g_workersDialog->DBGrid1;
        const QRect cell = grid->visualRect(grid->model()->index(3, 0)); // Петров
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(!g_workersDialog->isVisible());
    };
    QVERIFY(g_workersDialog->openAsPicker(1));
    QCOMPARE(g_workersDialog->PickedId, 18);
    QCOMPARE(g_workersDialog->PickedFio, QString("Петров Пётр Петрович"));
}

void TestWorkers::searchFilterAndKeys() {
    runFromMenu([&] {
        QLineEdit* e = g_workersDialog->Edit1;
        type(e, "пе"); // a prefix, letter case aside
        QCOMPARE(rows(), 2);
        QCOMPARE(currentFio(), QString("Пестов Павел"));
        QTest::keyClick(e, Qt::Key_Down);
        QCOMPARE(currentFio(), QString("Петров Пётр Петрович"));
        QCOMPARE(g_workersDialog->DBGrid1->currentIndex().row(), 1);
        QTest::keyClick(e, Qt::Key_Down); // at the end: stays
        QCOMPARE(currentFio(), QString("Петров Пётр Петрович"));
        QTest::keyClick(e, Qt::Key_Up);
        QCOMPARE(currentFio(), QString("Пестов Павел"));
        // Delete, Left, Right, Home and End do nothing in the field.
        for (Qt::Key k : {Qt::Key_Left, Qt::Key_Home, Qt::Key_Delete, Qt::Key_Right, Qt::Key_End})
            QTest::keyClick(e, k);
        QCOMPARE(e->text(), QString("пе"));
        QCOMPARE(e->cursorPosition(), 2);
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), QString("п"));
        QCOMPARE(rows(), 2);
        type(e, "етр");
        QCOMPARE(rows(), 1);
        type(e, "'");
        QCOMPARE(rows(), 0); // an apostrophe is just a letter of the prefix
        e->clear();
        QCOMPARE(rows(), 4);
        QVERIFY(!g_database->workers().isFiltered());
        // Leading blanks of a stored name are part of it.
        type(e, "  С");
        QCOMPARE(rows(), 1);
        QCOMPARE(g_database->workers().fieldByName("id").asInteger(), 19);
    });
    QVERIFY(boxes->shown.isEmpty());
}

void TestWorkers::searchPersistence() {
    runFromMenu([] { type(g_workersDialog->Edit1, "Пе"); });
    runFromMenu([&] {
        QCOMPARE(g_workersDialog->Edit1->text(), QString("Пе"));
        QCOMPARE(rows(), 2); // the old filter applies to the reopened query
    });
    // A search made in the picker is also kept for the next list-mode opening.
    onModal["WorkersDialog"] = [&] {
        type(g_workersDialog->Edit1, "Ив");
        QCOMPARE(rows(), 1);
        g_workersDialog->Button4->click();
    };
    QVERIFY(!g_workersDialog->openAsPicker(24));
    runFromMenu([&] {
        QCOMPARE(g_workersDialog->Edit1->text(), QString("Ив"));
        QCOMPARE(rows(), 1);
        QVERIFY(g_workersDialog->Button1->isVisibleTo(g_workersDialog));
        QVERIFY(g_workersDialog->Button3->isVisibleTo(g_workersDialog));
        QCOMPARE(g_workersDialog->Button2->text(), QString("Изменить"));
        // Adding under a filter reopens the query with the filter still on.
        onModal["WorkerEditor"] = [] {
            g_workerEditor->Edit1->setText("Ивлев Игорь");
            g_workerEditor->Button1->click();
        };
        g_workersDialog->Button1->click();
        QCOMPARE(rows(), 2);
    });
}

// A window made before the data module, or kept while the data module is made again, shows
// the current module's Workers.
void TestWorkers::gridFollowsNewDataModule() {
    delete g_workersDialog;
    g_database = nullptr;
    g_workersDialog = new WorkersDialog;
    QVERIFY(!g_workersDialog->DBGrid1->model());
    db->openDatabase();
    runFromMenu([] {
        QCOMPARE(g_workersDialog->DBGrid1->model(), &g_database->workers());
        QCOMPARE(g_workersDialog->DBGrid1->model()->rowCount(), 4);
    });
    db->openDatabase();
    onModal["WorkersDialog"] = [] {
        QCOMPARE(g_workersDialog->DBGrid1->model(), &g_database->workers());
        QCOMPARE(g_workersDialog->DBGrid1->model()->rowCount(), 4);
        g_workersDialog->Button2->click();
    };
    QVERIFY(g_workersDialog->openAsPicker(1));
}

// With TABEL_SHOTS=folder set, saves pictures of the list and the editor with workshop data.
void TestWorkers::screenshots() {
    const QString dir = qEnvironmentVariable("TABEL_SHOTS");
    if (dir.isEmpty())
        QSKIP("TABEL_SHOTS not set");
    QDir().mkpath(dir);
    db->exec(
        "insert into accounts_dep.person (fio, s_staffpos_hl) values "
        "('Алексеев Дмитрий Сергеевич', 'Электросварщик'), ('Белова Наталья Викторовна', 'Маляр'), "
        "('Григорьев Андрей Николаевич', 'Резчик металла'), ('Данилов Юрий Петрович', 'Слесарь-сборщик'), "
        "('Егорова Светлана Ивановна', 'Упаковщик'), ('Жуков Константин Олегович', 'Штамповщик'), "
        "('Зайцев Михаил Андреевич', 'Оператор станка с ЧПУ'), ('О''Брайен Патрик', 'Контролёр ОТК')");
    onModal["WorkerEditor"] = [&] {
        g_workerEditor->Edit1->setText("Данилов Юрий Петрович");
        chooseStaffpos("Слесарь-сборщик");
        g_workerEditor->LCB_department->setCurrentIndex(1);
        g_workerEditor->LCB_roles->setCurrentIndex(1);
        g_workerEditor->show();
        QVERIFY(QTest::qWaitForWindowExposed(g_workerEditor));
        g_workerEditor->grab().save(dir + "/g_workerEditor.png");
        g_workerEditor->hide();
    };
    runFromMenu([&] {
        g_workersDialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(g_workersDialog));
        g_database->workers().setRecNo(4);
        g_workersDialog->grab().save(dir + "/g_workersDialog.png");
        g_workersDialog->Button2->click();
        g_workersDialog->hide();
    });
    onModal["WorkersDialog"] = [&] {
        g_workersDialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(g_workersDialog));
        type(g_workersDialog->Edit1, "Б");
        g_workersDialog->grab().save(dir + "/g_workersDialog-picker.png");
        g_workersDialog->hide();
    };
    g_workersDialog->openAsPicker(1);
}

QTEST_MAIN(TestWorkers)
#include "test_workers.moc"
