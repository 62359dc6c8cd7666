// The program under faults, on a real server: texts with quotes and backslashes on a server that
// reads backslashes as escapes, saves that fail half-way, two workstations writing at once, rows
// changed at another workstation, a server restart under an open editor, and the rights of sys.
#include "JournalUnderTest.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Transaction.h"
#include "journal/JournalView.h"
#include "journal/WorkRecordEditor.h"
#include "records/DayHours.h"
#include "refbooks/NomenclatureGroupEditor.h"
#include "refbooks/NormsDialog.h"
#include "refbooks/OperationTypeEditor.h"
#include "refbooks/ProductEditor.h"
#include "refbooks/WorkerEditor.h"
#include "support/TestSupport.h"
#include "ui/Permissions.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <thread>

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void textsReachTheServerUnchanged_data();
    void textsReachTheServerUnchanged();
    void failedSecondStatementLeavesBothTables_data();
    void failedSecondStatementLeavesBothTables();
    void hoursAreCheckedBeforeWriting_data();
    void hoursAreCheckedBeforeWriting();
    void largeSumsAreRefusedWhole();
    void recordChangedElsewhereIsNotOverwritten_data();
    void recordChangedElsewhereIsNotOverwritten();
    void deletedRecordIsReported();
    void renamedAfterDeletionIsReported();
    void normDeletedElsewhereIsNotSaved();
    void killedSessionUnderOpenEditor();
    void errorOfAClickedSaveLeavesTheEditorUsable();
    void sysCannotCreateOrAlter_data();
    void sysCannotCreateOrAlter();

private:
    void openWindow();
    // Runs the action; a database error it throws is shown as the program's handler shows it.
    void showErrors(const std::function<void()>& action);
    // The worker and operation-price pickers choose their first rows (worker 17, price 42).
    void pickFirstRows();
    // Adds a record of worker 17 on operation price 42 through the editor.
    void addRecord(const QString& quantity, const QString& hours);
    // Opens the editor on the journal's current row; inside it `inEditor` acts.
    void changeRecord(const std::function<void()>& inEditor);
    QLineEdit* box(const char* name) const { return childNamed<QLineEdit>(editor, name); }
    void pressSave() const { clickOn(childNamed<QPushButton>(editor, "saveButton")); }
    int records() { return db->scalar("select count(*) from accounts_dep.smena").toInt(); }
    int dayHours() {
        return db->scalar("select coalesce(sum(d8), -1) from accounts_dep.h_tabel where w_id=17").toInt();
    }

    TestDatabase* db = nullptr;
    Database* database = nullptr;
    JournalUnderTest* window = nullptr;
    WorkRecordEditor* editor = nullptr;
    ModalScript onModal;
    MessageRecorder* boxes = nullptr;
    FixedClock* clock = nullptr;
};

static const QDate kDay(2026, 12, 8);

void TestFaults::init() {
    db = new TestDatabase;
    boxes = new MessageRecorder;
    clock = new FixedClock(QDateTime(kDay, QTime(10, 0)));
    db->exec("insert into accounts_dep.person (id, fio) values (17, 'Иванов Иван'), (18, 'Петров Пётр')");
    db->exec("insert into cmn_classifier.item (id, id_level, s_caption) values (100, 2, 'Корпуса')");
    db->exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values (5, "
             "'A-12', 1.5, 100)");
    db->exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Сборка')");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 3, 5, 0, 0)");
    db->exec("insert into accounts_dep.norm (o_id, norma, price, prize) values (42, 10, 12.5, 0), (42, 20, "
             "11, 0)");
    onModal.clear();
    onModal.install();
}

void TestFaults::cleanup() {
    delete window;
    window = nullptr;
    editor = nullptr;
    seams::setModalHandler({});
    delete clock;
    delete boxes;
    delete db;
}

void TestFaults::openWindow() {
    database = db->openDatabase();
    window = new JournalUnderTest(*database, *permissionsForCode("73516280"));
    editor = window->findChild<WorkRecordEditor*>();
    QVERIFY(editor);
    window->journal().showToday();
    window->journal().showDay(kDay);
}

void TestFaults::showErrors(const std::function<void()>& action) {
    try {
        action();
    } catch (const DbError& e) {
        seams::errorBox(e.message);
    }
}

void TestFaults::pickFirstRows() {
    for (const char* list : {"WorkersDialog", "OperationPricesDialog"})
        onModal[list] = [this, list] {
            for (QPushButton* b : window->findChild<QDialog*>(list)->findChildren<QPushButton*>())
                if (b->text() == "Выбрать")
                    clickOn(b);
        };
}

void TestFaults::addRecord(const QString& quantity, const QString& hours) {
    pickFirstRows();
    onModal["WorkRecordEditor"] = [=, this] {
        clickOn(childNamed<QPushButton>(editor, "workerButton"));
        clickOn(childNamed<QPushButton>(editor, "operationButton"));
        box("quantityEdit")->setText(quantity);
        box("hoursEdit")->setText(hours);
        showErrors([this] { pressSave(); });
    };
    window->click("addButton");
}

void TestFaults::changeRecord(const std::function<void()>& inEditor) {
    onModal["WorkRecordEditor"] = inEditor;
    window->click("changeButton");
}

// Texts that break out of a literal quoted by doubling ' alone on a server that reads \ as an
// escape, and a path whose \t and \n must stay as typed.
void TestFaults::textsReachTheServerUnchanged_data() {
    QTest::addColumn<QString>("editorName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("storedSql");
    const QString breakOut = "Probe\\',1);DELETE FROM accounts_dep.norm;--";
    const QString path = "C:\\temp\\new";
    const QString worker = "select fio from accounts_dep.person where id <> 17 and id <> 18";
    const QString product = "select s_caption from cmn_gds_and_srv.gds_and_srv where id <> 5";
    const QString group = "select s_caption from cmn_classifier.item where id <> 100";
    const QString type = "select vid from accounts_dep.vid_oper where id <> 3";
    QTest::newRow("worker, break-out") << "WorkerEditor" << breakOut << worker;
    QTest::newRow("worker, path") << "WorkerEditor" << path << worker;
    QTest::newRow("product, break-out") << "ProductEditor" << breakOut << product;
    QTest::newRow("product, path") << "ProductEditor" << path << product;
    QTest::newRow("group, break-out") << "NomenclatureGroupEditor" << breakOut << group;
    QTest::newRow("group, path") << "NomenclatureGroupEditor" << path << group;
    QTest::newRow("operation type, break-out") << "OperationTypeEditor" << breakOut << type;
    QTest::newRow("operation type, path") << "OperationTypeEditor" << path << type;
}

void TestFaults::textsReachTheServerUnchanged() {
    QFETCH(QString, editorName);
    QFETCH(QString, text);
    QFETCH(QString, storedSql);
    db->exec(QString("alter database %1 set standard_conforming_strings = off").arg(db->name()));
    database = db->openDatabase();
    QCOMPARE(database->readValue("show standard_conforming_strings").toString(), QString("on"));
    QDialog* editorWindow = nullptr;
    std::function<bool()> open;
    WorkerEditor workerEditor(*database);
    ProductEditor productEditor(*database);
    NomenclatureGroupEditor groupEditor(*database);
    OperationTypeEditor typeEditor(*database);
    if (editorName == "WorkerEditor") {
        editorWindow = &workerEditor;
        open = [&] { return workerEditor.addWorker(); };
    } else if (editorName == "ProductEditor") {
        editorWindow = &productEditor;
        open = [&] { return productEditor.addProduct(); };
    } else if (editorName == "NomenclatureGroupEditor") {
        editorWindow = &groupEditor;
        open = [&] { return groupEditor.addGroup(); };
    } else {
        editorWindow = &typeEditor;
        open = [&] { return typeEditor.addOperationType(); };
    }
    onModal[editorName] = [&] {
        for (QLineEdit* e : editorWindow->findChildren<QLineEdit*>())
            if (e->objectName() == "nameEdit" || e->objectName() == "markEdit")
                e->setText(text);
        if (auto* rate = editorWindow->findChild<QLineEdit*>("rateEdit"))
            rate->setText("1.5");
        if (auto* groups = editorWindow->findChild<QComboBox*>("groupBox"))
            groups->setCurrentIndex(groups->findData(QVariant::fromValue<qint64>(100)));
        clickOn(childNamed<QPushButton>(editorWindow, "saveButton"));
    };
    QVERIFY(open());
    QCOMPARE(boxes->texts(), QStringList());
    QCOMPARE(db->scalar(storedSql).toString(), text);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.norm").toInt(), 2);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person").toInt() +
                 db->scalar("select count(*) from cmn_gds_and_srv.gds_and_srv").toInt() +
                 db->scalar("select count(*) from cmn_classifier.item").toInt() +
                 db->scalar("select count(*) from accounts_dep.vid_oper").toInt(),
             6);
}

// A trigger refuses the hours upkeep, the statement after the work record's own: the record's
// add, change or delete is undone with it.
void TestFaults::failedSecondStatementLeavesBothTables_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("add") << "add";
    QTest::newRow("change") << "change";
    QTest::newRow("delete") << "delete";
}

void TestFaults::failedSecondStatementLeavesBothTables() {
    QFETCH(QString, action);
    openWindow();
    if (action != "add")
        addRecord("10", "8");
    const QString before = db->scalar("select string_agg(id || ':' || kol_vo || ':' || time, ',') from "
                                      "accounts_dep.smena")
                               .toString();
    const int hoursBefore = dayHours();
    db->exec("create function pg_temp.refuse() returns trigger language plpgsql as "
             "$$ begin raise exception 'hours refused'; end $$");
    db->exec("create trigger refuse_hours before insert or update on accounts_dep.h_tabel "
             "for each row execute function pg_temp.refuse()");
    boxes->clear();
    if (action == "add") {
        addRecord("5", "3");
    } else if (action == "change") {
        changeRecord([this] {
            box("hoursEdit")->setText("6");
            showErrors([this] { pressSave(); });
            // The typed values stay for another try.
            QCOMPARE(box("hoursEdit")->text(), QString("6"));
        });
    } else {
        showErrors([this] { window->click("deleteButton"); });
    }
    QVERIFY(boxes->texts().last().contains("hours refused"));
    QCOMPARE(db->scalar("select string_agg(id || ':' || kol_vo || ':' || time, ',') from accounts_dep.smena")
                 .toString(),
             before);
    QCOMPARE(dayHours(), hoursBefore);
}

void TestFaults::hoursAreCheckedBeforeWriting_data() {
    QTest::addColumn<QString>("hours");
    QTest::addColumn<bool>("saved");
    QTest::newRow("a whole day") << "24" << true;
    QTest::newRow("more than a day") << "25" << false;
    QTest::newRow("beyond the day column") << "40000" << false;
    QTest::newRow("beyond 32 bits") << "2147483648" << false;
}

void TestFaults::hoursAreCheckedBeforeWriting() {
    QFETCH(QString, hours);
    QFETCH(bool, saved);
    openWindow();
    SqlRecorder sql;
    addRecord("10", hours);
    QCOMPARE(records(), saved ? 1 : 0);
    QCOMPARE(dayHours(), saved ? hours.toInt() : -1);
    if (!saved) {
        QCOMPARE(boxes->shown.size(), 1);
        QVERIFY(boxes->texts().first().contains("«Время»"));
        QVERIFY(sql.statements.filter("insert", Qt::CaseInsensitive).isEmpty());
    }
}

// Records written by other means whose day sum does not fit the timesheet's day column: the
// sum is read whole (no wrap-around) and the save is refused whole.
void TestFaults::largeSumsAreRefusedWhole() {
    db->exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
             "values ('08.12.2026', 1, 17, 5, 42, 1, 1, 0, 2147483647, 'no'), "
             "('08.12.2026', 1, 17, 5, 42, 1, 2, 0, 2147483647, 'no')");
    openWindow();
    addRecord("3", "1");
    QCOMPARE(records(), 2);
    QCOMPARE(dayHours(), -1);
    QCOMPARE(boxes->shown.size(), 1);
    QVERIFY(boxes->texts().first().contains("4294967295"));
}

// The record changed at another workstation while the editor is open: the editor's save neither
// overwrites it nor says it saved; the journal is read again.
void TestFaults::recordChangedElsewhereIsNotOverwritten_data() {
    QTest::addColumn<QString>("elsewhere");
    QTest::newRow("changed") << "update accounts_dep.smena set kol_vo = 99";
    QTest::newRow("deleted") << "delete from accounts_dep.smena";
}

void TestFaults::recordChangedElsewhereIsNotOverwritten() {
    QFETCH(QString, elsewhere);
    openWindow();
    addRecord("10", "8");
    boxes->clear();
    const QString after =
        db->scalar("select string_agg(kol_vo || ':' || time, ',') from accounts_dep.smena").toString();
    changeRecord([&, this] {
        box("hoursEdit")->setText("4");
        db->exec(elsewhere);
        pressSave();
    });
    QCOMPARE(boxes->texts(), QStringList{staleRowText()});
    QCOMPARE(db->scalar("select string_agg(kol_vo || ':' || time, ',') from accounts_dep.smena").toString(),
             elsewhere.startsWith("update") ? QString("99:8") : QString());
    Q_UNUSED(after);
    // The journal shows what is stored now.
    QCOMPARE(window->shown().recordCount(), elsewhere.startsWith("update") ? 1 : 0);
}

void TestFaults::deletedRecordIsReported() {
    openWindow();
    addRecord("10", "8");
    db->exec("delete from accounts_dep.smena");
    boxes->clear();
    window->click("deleteButton");
    QCOMPARE(boxes->texts().last(), staleRowText());
    QCOMPARE(window->shown().recordCount(), 0);
}

// A worker renamed after another workstation deleted it: no success.
void TestFaults::renamedAfterDeletionIsReported() {
    database = db->openDatabase();
    WorkerEditor workerEditor(*database);
    onModal["WorkerEditor"] = [&] {
        childNamed<QLineEdit>(&workerEditor, "nameEdit")->setText("Иванов Иван Иванович");
        db->exec("delete from accounts_dep.person where id = 17");
        clickOn(childNamed<QPushButton>(&workerEditor, "saveButton"));
    };
    workerEditor.changeWorker({17, "Иванов Иван"}, QString());
    QCOMPARE(boxes->texts(), QStringList{staleRowText()});
    QCOMPARE(db->scalar("select count(*) from accounts_dep.person where fio like 'Иванов%'").toInt(), 0);
}

// A norm changed in the grid after another workstation deleted it: not shown as saved, and the
// grid shows the norms as they now are.
void TestFaults::normDeletedElsewhereIsNotSaved() {
    database = db->openDatabase();
    EditTable rows;
    NormsTable norms(rows);
    norms.openFor(42);
    QCOMPARE(rows.recordCount(), 2);
    int priceColumn = 0;
    while (norms.columns().at(priceColumn).field != "price")
        ++priceColumn;
    QVERIFY(norms.setData(norms.index(0, priceColumn), "13.5"));
    db->exec("delete from accounts_dep.norm where norma = 10");
    QVERIFY_THROWS_EXCEPTION(StaleRowError, norms.storeRow(*database, 42));
    QVERIFY(!norms.modified());
    QCOMPARE(rows.recordCount(), 1);
    QCOMPARE(db->scalar("select string_agg(norma || ':' || price, ',') from accounts_dep.norm").toString(),
             QString("20:11"));
}

// The program's session is ended by the server while the editor is open (as a restart does):
// "Записать" after that opens a new session and saves; the editor's values are kept.
void TestFaults::killedSessionUnderOpenEditor() {
    openWindow();
    pickFirstRows();
    onModal["WorkRecordEditor"] = [this] {
        clickOn(childNamed<QPushButton>(editor, "workerButton"));
        clickOn(childNamed<QPushButton>(editor, "operationButton"));
        box("quantityEdit")->setText("10");
        box("hoursEdit")->setText("8");
        db->exec("select pg_terminate_backend(pid) from pg_stat_activity where usename = 'sys' and datname = "
                 "current_database()");
        QTRY_COMPARE(db->scalar("select count(*) from pg_stat_activity where usename = 'sys' and datname = "
                                "current_database()")
                         .toInt(),
                     0);
        pressSave();
    };
    window->click("addButton");
    QCOMPARE(boxes->texts(), QStringList());
    QCOMPARE(records(), 1);
    QCOMPARE(dayHours(), 8);
    // The journal's prepared statement is made again in the new session.
    QCOMPARE(window->shown().recordCount(), 1);
}

// A database error raised inside a save started by a real click on "Записать": the server's text
// is shown as a message, the editor stays open with what was typed, and the next click saves.
void TestFaults::errorOfAClickedSaveLeavesTheEditorUsable() {
    openWindow();
    db->exec("create table public.refuse_saves (x integer)");
    db->exec("insert into public.refuse_saves values (1)");
    db->exec("create function public.refuse_while_flagged() returns trigger language plpgsql security "
             "definer as $$ begin if exists (select 1 from public.refuse_saves) then raise exception "
             "'record refused by the test'; end if; return new; end $$");
    db->exec("create trigger refuse_records before insert on accounts_dep.smena for each row execute "
             "function public.refuse_while_flagged()");
    pickFirstRows();
    onModal.onScreen = true;
    bool openAfterError = false;
    QString quantityAfterError, hoursAfterError;
    onModal["WorkRecordEditor"] = [&, this] {
        clickOn(childNamed<QPushButton>(editor, "workerButton"));
        clickOn(childNamed<QPushButton>(editor, "operationButton"));
        box("quantityEdit")->setText("10");
        box("hoursEdit")->setText("8");
        QTest::mouseClick(childNamed<QPushButton>(editor, "saveButton"), Qt::LeftButton);
        openAfterError = editor->isVisible();
        quantityAfterError = box("quantityEdit")->text();
        hoursAfterError = box("hoursEdit")->text();
        QCOMPARE(records(), 0);
        db->exec("delete from public.refuse_saves");
        QTest::mouseClick(childNamed<QPushButton>(editor, "saveButton"), Qt::LeftButton);
    };
    const int shownBefore = boxes->shown.size();
    window->click("addButton");
    QCOMPARE(boxes->shown.size(), shownBefore + 1);
    QVERIFY2(boxes->texts().last().contains("record refused by the test"), qPrintable(boxes->texts().last()));
    QVERIFY(openAfterError);
    QCOMPARE(quantityAfterError, QString("10"));
    QCOMPARE(hoursAfterError, QString("8"));
    QVERIFY(!editor->isVisible());
    QCOMPARE(records(), 1);
    QCOMPARE(dayHours(), 8);
    QCOMPARE(window->shown().recordCount(), 1);
}

void TestFaults::sysCannotCreateOrAlter_data() {
    QTest::addColumn<QString>("statement");
    QTest::newRow("create table") << "create table accounts_dep.probe (id integer)";
    QTest::newRow("create in public") << "create table public.probe (id integer)";
    QTest::newRow("alter table") << "alter table accounts_dep.smena add column probe integer";
    QTest::newRow("drop table") << "drop table accounts_dep.norm";
    QTest::newRow("truncate") << "truncate accounts_dep.smena";
}

void TestFaults::sysCannotCreateOrAlter() {
    QFETCH(QString, statement);
    database = db->openDatabase();
    QCOMPARE(database->readValue("select current_user").toString(), QString("sys"));
    QVERIFY_THROWS_EXCEPTION(DbError, database->execute(statement));
}

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
