// The workers list and editor on a real database with real windows: adding, changing and
// deleting workers with their statements and refusals, the lookup boxes, the picker
// hand-back to the editors, the search field with its keys and persistence.
#include "Format.h"
#include "TestSupport.h"
#include "Unit2.h"
#include "Unit5.h"
#include "Unit6.h"

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
    int rows() const { return DataModule6->Workers.recordCount(); }
    QString currentFio() const { return DataModule6->Workers.fieldByName("fio").asString(); }
    void chooseStaffpos(const QString& caption);

    TestDatabase* db = nullptr;
    MessageRecorder* boxes = nullptr;
    // What the modal seam runs for each window, by object name.
    ModalScript onModal;
};

void TestWorkers::init() {
    db = new TestDatabase;
    db->openDataModule();
    boxes = new MessageRecorder;
    db->exec("insert into cmn_department.department (id, s_caption) values (1, 'Малярный участок'), "
             "(2, 'Сварочный участок')");
    db->exec("insert into hrms_staffpos.staffpos (id, s_caption) values (1, 'Маляр'), (2, 'Электросварщик'), "
             "(3, 'Слесарь-сборщик')");
    db->exec("insert into adm_role.roles (id, s_caption) values (1, 'Рабочий'), (2, 'Мастер')");
    db->exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values "
             "(17, 'Иванов Иван Иванович', 'Маляр'), (18, 'Петров Пётр Петрович', 'Электросварщик'), "
             "(19, '  Сидоров Сидор  ', 'Маляр'), (20, 'Пестов Павел', '')");
    Form2 = new TForm2;
    Form5 = new TForm5;
    onModal.clear();
    onModal.install();
}

void TestWorkers::cleanup() {
    seams::setModalHandler({});
    delete Form5;
    delete Form2;
    delete boxes;
    delete db;
    boxes = nullptr;
    db = nullptr;
}

void TestWorkers::runFromMenu(const std::function<void()>& inList) {
    onModal["Form5"] = inList;
    QMetaObject::invokeMethod(Form5, "openFromMainMenu", Qt::DirectConnection);
    QVERIFY(!DataModule6->Workers.isOpen());
}

void TestWorkers::chooseStaffpos(const QString& caption) {
    Form2->LCB_staffpos->setCurrentIndex(Form2->LCB_staffpos->findText(caption));
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
    onModal["Form2"] = [&] {
        caption = Form2->windowTitle();
        QCOMPARE(Form2->Tag, 1);
        QCOMPARE(Form2->Edit1->text(), QString());
        QCOMPARE(Form2->LCB_staffpos->count(), 3);
        QCOMPARE(Form2->LCB_department->count(), 2);
        QCOMPARE(Form2->LCB_roles->count(), 2);
        QCOMPARE(Form2->LCB_staffpos->maxVisibleItems(), 10);
        Form2->Edit1->setText(typed);
        chooseStaffpos(staffpos);
        Form2->setResult(-1);
        Form2->Button1->click();
        editorClosed = Form2->result() == QDialog::Accepted;
    };
    runFromMenu([&] {
        QCOMPARE(Form5->Button2->text(), QString("Изменить"));
        QVERIFY(Form5->Button1->isDefault());
        QVERIFY(!Form5->Button2->isDefault());
        DataModule6->Workers.last();
        Form5->Button1->click();
        QCOMPARE(DataModule6->Workers.recNo(), 1); // reopened at the first row
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
    onModal["Form2"] = [&] {
        caption = Form2->windowTitle();
        shownName = Form2->Edit1->text();
        shownId = Form2->workerId;
        QCOMPARE(Form2->Tag, 2);
        QCOMPARE(Form2->LCB_staffpos->currentText(), QString("Маляр")); // the worker's own
        chooseStaffpos("Слесарь-сборщик");
        Form2->Edit1->setText(" Сидоров Сидор Ильич ");
        Form2->Button1->click();
    };
    runFromMenu([&] {
        // Ordered by fio: "  Сидоров Сидор  " (blanks first), Иванов, Пестов, Петров.
        QVERIFY(DataModule6->Workers.locate("id", 19));
        QCOMPARE(DataModule6->Workers.recNo(), 1);
        Form5->Button2->click();
        // The renamed worker moved to the end; the list keeps the row number.
        QCOMPARE(DataModule6->Workers.recNo(), 1);
        QCOMPARE(currentFio(), QString("Иванов Иван Иванович"));
        DataModule6->Workers.last();
        QCOMPARE(currentFio(), QString("Сидоров Сидор Ильич"));
        // Unchanged name, saved again: accepted, same row.
        onModal["Form2"] = [] { Form2->Button1->click(); };
        Form5->DBGrid1DblClick();
        QCOMPARE(DataModule6->Workers.recNo(), 4);
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
    Form2->refreshLookups();
    chooseStaffpos("Маляр");
    onModal["Form2"] = [&] {
        QCOMPARE(Form2->LCB_staffpos->currentText(), shown);
        Form2->Edit1->setText("Петров Пётр Павлович");
        Form2->Button1->click();
    };
    runFromMenu([] {
        QVERIFY(DataModule6->Workers.locate("id", 18));
        Form5->Button2->click();
    });
    QCOMPARE(db->scalar("select fio || '/' || s_staffpos_hl from accounts_dep.person where id=18").toString(),
             "Петров Пётр Павлович/" + stored);
    // A new worker gets the box's caption, or none.
    onModal["Form2"] = [] {
        Form2->Edit1->setText("Новиков Н.");
        Form2->Button1->click();
    };
    runFromMenu([] { Form5->Button1->click(); });
    QCOMPARE(db->scalar("select s_staffpos_hl from accounts_dep.person where fio='Новиков Н.'").toString(),
             shown);
}

void TestWorkers::lookupsReadAgainAndKeepChoice() {
    QStringList offered;
    onModal["Form2"] = [&] {
        offered.clear();
        for (int i = 0; i < Form2->LCB_staffpos->count(); ++i)
            offered << Form2->LCB_staffpos->itemText(i);
        if (Form2->LCB_staffpos->currentIndex() < 0)
            chooseStaffpos("Маляр");
        Form2->Button2->click(); // "Отмена": nothing is saved
    };
    runFromMenu([] { Form5->Button1->click(); });
    QCOMPARE(offered, (QStringList{"Маляр", "Слесарь-сборщик", "Электросварщик"}));
    db->exec("insert into hrms_staffpos.staffpos (id, s_caption) values (4, 'Токарь')");
    runFromMenu([] { Form5->Button1->click(); });
    QCOMPARE(offered, (QStringList{"Маляр", "Слесарь-сборщик", "Токарь", "Электросварщик"}));
    QCOMPARE(Form2->LCB_staffpos->currentText(), QString("Маляр"));
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person").toInt(), 4);
}

void TestWorkers::wheelStepsFocusedLookup() {
    Form2->refreshLookups();
    Form2->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form2));
    Form2->activateWindow();
    auto wheel = [](QWidget* over, int dy) {
        const QPointF at(over->width() / 2.0, over->height() / 2.0);
        QWheelEvent e(at, over->mapToGlobal(at), {}, {0, dy}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
        QApplication::sendEvent(over, &e);
    };
    Form2->LCB_staffpos->setCurrentIndex(0);
    Form2->LCB_roles->setCurrentIndex(0);
    Form2->LCB_staffpos->setFocus();
    QCOMPARE(Form2->focusWidget(), Form2->LCB_staffpos);
    wheel(Form2->GroupBox1, -120); // wheel down anywhere: next row of the focused box
    QCOMPARE(Form2->LCB_staffpos->currentIndex(), 1);
    wheel(Form2->LCB_roles, -120); // over another box: still the focused one
    QCOMPARE(Form2->LCB_staffpos->currentIndex(), 2);
    QCOMPARE(Form2->LCB_roles->currentIndex(), 0);
    wheel(Form2, 120);
    QCOMPARE(Form2->LCB_staffpos->currentIndex(), 1);
    Form2->Edit1->setFocus(); // focus elsewhere: the wheel moves nothing
    wheel(Form2->LCB_staffpos, -120);
    QCOMPARE(Form2->LCB_staffpos->currentIndex(), 1);
    Form2->hide();
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
        QVERIFY(DataModule6->Workers.locate("id", 17));
        QCOMPARE(DataModule6->Workers.recNo(), 2);
        Form5->Button3->click();
        QCOMPARE(rows(), left);
        QCOMPARE(DataModule6->Workers.recNo(), 2); // the same row number
        QVERIFY(DataModule6->Workers.locate("id", 18));
        QCOMPARE(DataModule6->Workers.recNo(), left); // Петров, last
        boxes->answers << QMessageBox::Yes;
        Form5->Button3->click(); // the last row: the list stays on the new last row
        QCOMPARE(DataModule6->Workers.recNo(), left - 1);
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
        type(Form5->Edit1, "Я");
        QCOMPARE(DataModule6->Workers.recordCount(), 0);
        Form5->Button2->click();
        Form5->Button3->click();
        Form5->Edit1->clear();
    });
    QVERIFY(!onModal.shown.contains("Form2"));
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
    runFromMenu([] { type(Form5->Edit1, "Ив"); });
    QCOMPARE(Form5->Edit1->text(), QString("Ив"));
    // The editor's fields before the pick.
    QString editorFio = "прежний";
    int editorId = 7;
    onModal["Form5"] = [&] {
        QCOMPARE(Form5->Tag, tag);
        QVERIFY(DataModule6->Workers.isOpen());
        QCOMPARE(Form5->Button2->text(), QString("Выбрать"));
        QVERIFY(Form5->Button2->isDefault());
        QVERIFY(!Form5->Button1->isVisibleTo(Form5));
        QVERIFY(!Form5->Button3->isVisibleTo(Form5));
        QVERIFY(Form5->Edit1->isVisibleTo(Form5));
        QCOMPARE(Form5->Edit1->text(), QString());
        QVERIFY(!DataModule6->Workers.isFiltered());
        QCOMPARE(rows(), pickId == 0 ? 0 : 4);
        if (pickId > 0)
            QVERIFY(DataModule6->Workers.locate("id", pickId));
        Form5->setResult(-1);
        if (pickId < 0)
            QTest::keyClick(Form5, Qt::Key_Escape);
        else
            Form5->Button2->click();
        QCOMPARE(Form5->result(), pickId < 0 ? int(QDialog::Rejected) : int(QDialog::Accepted));
    };
    // The editor's side: open the picker and copy what it hands back.
    if (Form5->openAsPicker(tag)) {
        editorFio = Form5->PickedFio;
        editorId = Form5->PickedId;
    }
    QVERIFY(!DataModule6->Workers.isOpen());
    QCOMPARE(onModal.shown.count("Form5"), 2);
    QCOMPARE(Form5->Picked, !fio.isEmpty());
    QCOMPARE(editorFio, fio.isEmpty() ? QString("прежний") : fio);
    QCOMPARE(editorId, fio.isEmpty() ? 7 : pickId);
    // A pick changes nothing in the database and asks nothing.
    QVERIFY(boxes->shown.isEmpty());
}

void TestWorkers::pickerByDoubleClick() {
    onModal["Form5"] = [] {
        Form5->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form5));
        QTableView* grid = Form5->DBGrid1;
        const QRect cell = grid->visualRect(grid->model()->index(3, 0)); // Петров
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(!Form5->isVisible());
    };
    QVERIFY(Form5->openAsPicker(1));
    QCOMPARE(Form5->PickedId, 18);
    QCOMPARE(Form5->PickedFio, QString("Петров Пётр Петрович"));
}

void TestWorkers::searchFilterAndKeys() {
    runFromMenu([&] {
        QLineEdit* e = Form5->Edit1;
        type(e, "пе"); // a prefix, letter case aside
        QCOMPARE(rows(), 2);
        QCOMPARE(currentFio(), QString("Пестов Павел"));
        QTest::keyClick(e, Qt::Key_Down);
        QCOMPARE(currentFio(), QString("Петров Пётр Петрович"));
        QCOMPARE(Form5->DBGrid1->currentIndex().row(), 1);
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
        QVERIFY(!DataModule6->Workers.isFiltered());
        // Leading blanks of a stored name are part of it.
        type(e, "  С");
        QCOMPARE(rows(), 1);
        QCOMPARE(DataModule6->Workers.fieldByName("id").asInteger(), 19);
    });
    QVERIFY(boxes->shown.isEmpty());
}

void TestWorkers::searchPersistence() {
    runFromMenu([] { type(Form5->Edit1, "Пе"); });
    runFromMenu([&] {
        QCOMPARE(Form5->Edit1->text(), QString("Пе"));
        QCOMPARE(rows(), 2); // the old filter applies to the reopened query
    });
    // A search made in the picker is also kept for the next list-mode opening.
    onModal["Form5"] = [&] {
        type(Form5->Edit1, "Ив");
        QCOMPARE(rows(), 1);
        Form5->Button4->click();
    };
    QVERIFY(!Form5->openAsPicker(24));
    runFromMenu([&] {
        QCOMPARE(Form5->Edit1->text(), QString("Ив"));
        QCOMPARE(rows(), 1);
        QVERIFY(Form5->Button1->isVisibleTo(Form5));
        QVERIFY(Form5->Button3->isVisibleTo(Form5));
        QCOMPARE(Form5->Button2->text(), QString("Изменить"));
        // Adding under a filter reopens the query with the filter still on.
        onModal["Form2"] = [] {
            Form2->Edit1->setText("Ивлев Игорь");
            Form2->Button1->click();
        };
        Form5->Button1->click();
        QCOMPARE(rows(), 2);
    });
}

// A window made before the data module, or kept while the data module is made again, shows
// the current module's Workers.
void TestWorkers::gridFollowsNewDataModule() {
    delete Form5;
    DataModule6 = nullptr;
    Form5 = new TForm5;
    QVERIFY(!Form5->DBGrid1->model());
    db->openDataModule();
    runFromMenu([] {
        QCOMPARE(Form5->DBGrid1->model(), &DataModule6->Workers);
        QCOMPARE(Form5->DBGrid1->model()->rowCount(), 4);
    });
    db->openDataModule();
    onModal["Form5"] = [] {
        QCOMPARE(Form5->DBGrid1->model(), &DataModule6->Workers);
        QCOMPARE(Form5->DBGrid1->model()->rowCount(), 4);
        Form5->Button2->click();
    };
    QVERIFY(Form5->openAsPicker(1));
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
    onModal["Form2"] = [&] {
        Form2->Edit1->setText("Данилов Юрий Петрович");
        chooseStaffpos("Слесарь-сборщик");
        Form2->LCB_department->setCurrentIndex(1);
        Form2->LCB_roles->setCurrentIndex(1);
        Form2->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form2));
        Form2->grab().save(dir + "/Form2.png");
        Form2->hide();
    };
    runFromMenu([&] {
        Form5->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form5));
        DataModule6->Workers.setRecNo(4);
        Form5->grab().save(dir + "/Form5.png");
        Form5->Button2->click();
        Form5->hide();
    });
    onModal["Form5"] = [&] {
        Form5->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form5));
        type(Form5->Edit1, "Б");
        Form5->grab().save(dir + "/Form5-picker.png");
        Form5->hide();
    };
    Form5->openAsPicker(1);
}

QTEST_MAIN(TestWorkers)
#include "test_workers.moc"
