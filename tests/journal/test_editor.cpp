// The work-record editor through the real windows on a real database: the statements it
// sends, the pickers, the duplicate and completeness checks, and the hours of the day.
#include "app/MainWindow.h"
#include "app/Program.h"
#include "data/Database.h"
#include "data/Format.h"
#include "journal/WorkRecordEditor.h"
#include "refbooks/OperationPricesDialog.h"
#include "refbooks/WorkersDialog.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

class TestEditor : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void insertStatementOfTheWorkedExample();
    void roadThroughBothPickers();
    void duplicates();
    void priceRoundingAndDisplay();
    void hoursOfTheDay();
    void firstRecordOfMonthInsertsTimesheetRow();
    void paintingNeedsColour();
    void movedRecordCorrectsTheDayItCameFrom();
    void numbersTooBigAreRefused_data();
    void numbersTooBigAreRefused();

private:
    void fillAdd(int worker, int oper, int product, double price, const QString& qty, const QString& hours,
                 const QString& colour = "");
    void change(int worker, int hours);
    int h(int worker, int day, int shift = 1);
    TestDatabase* db = nullptr;
    MessageRecorder* boxes = nullptr;
    FixedClock* clock = nullptr;
};

static const QDate kDay(2026, 12, 8);

void TestEditor::init() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db = new TestDatabase;
    boxes = new MessageRecorder;
    clock = new FixedClock(QDateTime(kDay, QTime(10, 0)));
    seams::setModalHandler([](QDialog*) { return 0; });
    db->exec("insert into accounts_dep.person (id, fio) values (17, 'Иванов Иван'), (18, 'Петров Пётр')");
    db->exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa) values (5, 'A-12', 1.5)");
    db->exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Сборка'), (4, 'Покраска')");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 3, 5, 0, 0), "
             "(43, 4, 5, 1, 0)");
    db->exec("insert into accounts_dep.norm (o_id, norma, price, prize) values (42, 10, 12.5, 0), (43, 10, "
             "3.3, 0)");
    QVERIFY(startProgram(db->commandLine(), "Feb 27 2024", "15:11:03"));
    g_mainWindow->loginCode = "73516280";
    g_mainWindow->currentShift = 1;
    for (int s = 1; s <= 4; ++s)
        g_database->journal(s).setParam("ok", QString("ta"));
    g_mainWindow->journal->FormActivate();
    g_mainWindow->DateT->setDate(kDay);
    g_mainWindow->journal->DateTChange();
}

void TestEditor::cleanup() {
    shutdownProgram();
    seams::setModalHandler({});
    delete clock;
    delete boxes;
    delete db;
    QLocale::setDefault(QLocale::c());
}

// What the pickers would leave in the editor, set directly.
void TestEditor::fillAdd(int worker, int oper, int product, double price, const QString& qty,
                         const QString& hours, const QString& colour) {
    g_mainWindow->journal->Button1Click();
    g_workRecordEditor->workerId = worker;
    g_workRecordEditor->Edit1->setText(worker == 17 ? "Иванов Иван" : "Петров Пётр");
    g_workRecordEditor->operId = oper;
    g_workRecordEditor->productId = product;
    g_workRecordEditor->price = price;
    g_workRecordEditor->Edit2->setText(oper == 43 ? "A-12; Покраска; Заготовки"
                                                  : "A-12; Сборка; Готовая продукция");
    g_workRecordEditor->setColourByOperation(g_workRecordEditor->Edit2->text());
    g_workRecordEditor->Edit3->setText(qty);
    g_workRecordEditor->Edit6->setText(hours);
    g_workRecordEditor->Edit5->setText(colour);
}

int TestEditor::h(int worker, int day, int shift) {
    return db
        ->scalar(
            QString(
                "select coalesce(d%1, -1) from accounts_dep.h_tabel where w_id=%2 and smena=%3 and month=12 "
                "and year=2026")
                .arg(day)
                .arg(worker)
                .arg(shift))
        .toInt();
}

void TestEditor::insertStatementOfTheWorkedExample() {
    fillAdd(17, 42, 5, 12.5, "100", "8");
    g_workRecordEditor->Edit4->setText("2");
    SqlRecorder sql;
    g_workRecordEditor->Button1Click();
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(sql.statements.contains(
        "insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, "
        "vvod,ok, "
        "prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(17, 5, 42, 12.5,100, 2, "
        "to_date('08.12.2026', 'DD.MM.YYYY HH24:MI:SS'), 1, 0, 8, '08.12.2026', 'no', 0, 0, 0, 0, 0, 0)"));
    QCOMPARE(
        db->scalar(
              "select trim(ok) || '/' || prize || '/' || id_doc || id_doc_item || id_gds_use || "
              "id_cons_use || f_gds_qty_use || '/' || to_char(vvod, 'DD.MM.YYYY') from accounts_dep.smena")
            .toString(),
        QString("no/0/00000/08.12.2026"));
    // The journal was read again and shows the record; the boxes are empty for the next one.
    QCOMPARE(g_database->journal(1).recordCount(), 1);
    QVERIFY(g_workRecordEditor->Edit3->text().isEmpty());
    QCOMPARE(h(17, 8), 8);
}

void TestEditor::roadThroughBothPickers() {
    g_mainWindow->CBox1->setChecked(false);
    g_mainWindow->journal->Button1Click();
    seams::setModalHandler([](QDialog* w) -> int {
        if (w == g_workersDialog) {
            g_database->workers().locate("id", 18);
            g_workersDialog->Button2Click();
        } else if (w == g_operationPricesDialog) {
            g_database->operationPrices().locate("id", 42);
            g_operationPricesDialog->Button2Click();
        }
        return 0;
    });
    g_workRecordEditor->Button3Click();
    g_workRecordEditor->Button4Click();
    QCOMPARE(g_workRecordEditor->Edit1->text(), QString("Петров Пётр"));
    QCOMPARE(g_workRecordEditor->Edit2->text(), QString("A-12; Сборка; Готовая продукция"));
    QCOMPARE(g_workRecordEditor->Edit8->text(), QString("12,5"));
    QVERIFY(!g_workRecordEditor->Edit5->isEnabled());
    g_workRecordEditor->Edit3->setText("10");
    g_workRecordEditor->Edit6->setText("4");
    g_workRecordEditor->Edit6Exit();
    QCOMPARE(g_workRecordEditor->Edit9->text(), QString("125"));
    g_workRecordEditor->Button1Click();
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select w_id || '/' || o_id || '/' || cena || '/' || kol_vo from accounts_dep.smena")
                 .toString(),
             QString("18/42/12.5/10"));
    // Accepted by a double click in the journal.
    QVERIFY(g_database->journal(1).locate("w_id", 18));
    g_mainWindow->journal->DBGrid2DblClick();
    QCOMPARE(db->scalar("select trim(ok) from accounts_dep.smena").toString(), QString("ok"));
}

void TestEditor::duplicates() {
    fillAdd(17, 43, 5, 3.3, "10", "2", "5");
    g_workRecordEditor->Button1Click();
    fillAdd(17, 43, 5, 3.3, "12", "1", "5");
    g_workRecordEditor->Button1Click();
    QCOMPARE(boxes->texts(), QStringList{"Позиция с такими параметрами уже заведена!"});
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 1);
    boxes->clear();
    g_workRecordEditor->Edit5->setText("7"); // another colour
    g_workRecordEditor->Button1Click();
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 2);
    // A change without any change is accepted and keeps the mark.
    db->exec("update accounts_dep.smena set ok='ok', vvod='01.12.2026', prize=5");
    g_mainWindow->journal->Button8Click();
    g_database->journal(1).first();
    g_mainWindow->journal->Button2Click();
    QCOMPARE(g_workRecordEditor->Edit5->text(), QString("5"));
    QVERIFY(g_workRecordEditor->Edit5->isEnabled());
    g_workRecordEditor->Button1Click();
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena where trim(ok)='ok' and prize=0 and "
                        "vvod='08.12.2026'")
                 .toInt(),
             1);
}

void TestEditor::priceRoundingAndDisplay() {
    fillAdd(17, 42, 5, 12.34567, "10", "8");
    g_workRecordEditor->Edit6Exit();
    QCOMPARE(g_workRecordEditor->Edit7->text(), QString("12,3457"));
    QCOMPARE(g_workRecordEditor->Edit9->text(), QString("123,4567"));
    SqlRecorder sql;
    g_workRecordEditor->Button1Click();
    QVERIFY(sql.statements.filter("insert into accounts_dep.SMENA").first().contains(", 12.3457,10,"));
    QCOMPARE(db->scalar("select cena from accounts_dep.smena").toDouble(), 12.3457);
    // An empty quantity becomes 0 when the box is left.
    fillAdd(17, 42, 5, 7, "", "1");
    g_workRecordEditor->Edit6Exit();
    QCOMPARE(g_workRecordEditor->Edit3->text(), QString("0"));
    QCOMPARE(g_workRecordEditor->Edit9->text(), QString("0"));
}

void TestEditor::hoursOfTheDay() {
    fillAdd(17, 42, 5, 1, "1", "3");
    g_workRecordEditor->Button1Click();
    fillAdd(17, 43, 5, 1, "1", "5", "1");
    g_workRecordEditor->Button1Click();
    QCOMPARE(h(17, 8), 8);
    QVERIFY(g_database->journal(1).locate("time", 3));
    g_mainWindow->journal->Button2Click();
    g_workRecordEditor->Edit6->setText("4");
    g_workRecordEditor->Button1Click();
    QCOMPARE(h(17, 8), 9);
}

void TestEditor::firstRecordOfMonthInsertsTimesheetRow() {
    db->exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, d1) values (17, 11, 2026, 1, 7)");
    fillAdd(17, 42, 5, 1, "1", "6");
    g_workRecordEditor->Button1Click();
    QCOMPARE(db->scalar("select count(*) from accounts_dep.h_tabel where w_id=17").toInt(), 2);
    QCOMPARE(h(17, 8), 6);
    QCOMPARE(h(17, 7), -1); // the other days are left empty
}

void TestEditor::paintingNeedsColour() {
    fillAdd(17, 43, 5, 3.3, "10", "2");
    QVERIFY(g_workRecordEditor->Edit5->isEnabled());
    QVERIFY(g_workRecordEditor->Label6->isEnabled());
    g_workRecordEditor->Button1Click();
    QCOMPARE(boxes->texts(), QStringList{"Все поля должны быть заполнены!"});
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 0);
    // Another operation empties and disables the colour box; the record gets colour 0.
    g_workRecordEditor->Edit5->setText("9");
    g_workRecordEditor->Edit2->setText("A-12; Сборка; Готовая продукция");
    g_workRecordEditor->setColourByOperation(g_workRecordEditor->Edit2->text());
    QVERIFY(!g_workRecordEditor->Edit5->isEnabled());
    QVERIFY(g_workRecordEditor->Edit5->text().isEmpty());
    g_workRecordEditor->operId = 42;
    g_workRecordEditor->Button1Click();
    QCOMPARE(db->scalar("select color from accounts_dep.smena").toInt(), 0);
}

void TestEditor::movedRecordCorrectsTheDayItCameFrom() {
    fillAdd(17, 42, 5, 1, "1", "8");
    g_workRecordEditor->Button1Click();
    fillAdd(18, 42, 5, 1, "1", "4");
    g_workRecordEditor->Button1Click();
    QCOMPARE(h(17, 8), 8);
    // Move worker 17's record to the 9th and to worker 18.
    QVERIFY(g_database->journal(1).locate("w_id", 17));
    g_mainWindow->journal->Button2Click();
    g_workRecordEditor->DTimeP->setDate(kDay.addDays(1));
    g_workRecordEditor->workerId = 18;
    g_workRecordEditor->Edit1->setText("Петров Пётр");
    g_workRecordEditor->Button1Click();
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(h(17, 8), 0); // the day it came from
    QCOMPARE(h(18, 9), 8);
    QCOMPARE(h(18, 8), 4);
}

void TestEditor::numbersTooBigAreRefused_data() {
    QTest::addColumn<QString>("box");
    QTest::newRow("quantity") << "Edit3";
    QTest::newRow("hours") << "Edit6";
    QTest::newRow("rejects") << "Edit4";
}

void TestEditor::numbersTooBigAreRefused() {
    QFETCH(QString, box);
    fillAdd(17, 42, 5, 1, "1", "1");
    g_workRecordEditor->findChild<QLineEdit*>(box)->setText("12345678901234567890");
    SqlRecorder sql;
    g_workRecordEditor->Button1Click();
    QCOMPARE(boxes->shown.size(), 1);
    QVERIFY(boxes->shown[0].text.startsWith("Слишком большое число"));
    QVERIFY(sql.statements.isEmpty());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 0);
}

int main(int argc, char** argv) {
    TabelApplication app(argc, argv);
    TestEditor t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_editor.moc"
