// The work-record editor through the real windows on a real database: the statements it
// sends, the pickers, the duplicate and completeness checks, and the hours of the day.
#include "Format.h"
#include "Program.h"
#include "TestSupport.h"
#include "Unit1.h"
#include "Unit11.h"
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"

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
    Form1->loginCode = "73516280";
    Form1->currentShift = 1;
    for (int s = 1; s <= 4; ++s)
        DataModule6->smenaQuery(s)->setParam("ok", QString("ta"));
    Form1->journal->FormActivate();
    Form1->DateT->setDate(kDay);
    Form1->journal->DateTChange();
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
    Form1->journal->Button1Click();
    Form11->workerId = worker;
    Form11->Edit1->setText(worker == 17 ? "Иванов Иван" : "Петров Пётр");
    Form11->operId = oper;
    Form11->productId = product;
    Form11->price = price;
    Form11->Edit2->setText(oper == 43 ? "A-12; Покраска; Заготовки" : "A-12; Сборка; Готовая продукция");
    Form11->setColourByOperation(Form11->Edit2->text());
    Form11->Edit3->setText(qty);
    Form11->Edit6->setText(hours);
    Form11->Edit5->setText(colour);
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
    Form11->Edit4->setText("2");
    SqlRecorder sql;
    Form11->Button1Click();
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
    QCOMPARE(DataModule6->Smena1.recordCount(), 1);
    QVERIFY(Form11->Edit3->text().isEmpty());
    QCOMPARE(h(17, 8), 8);
}

void TestEditor::roadThroughBothPickers() {
    Form1->CBox1->setChecked(false);
    Form1->journal->Button1Click();
    seams::setModalHandler([](QDialog* w) -> int {
        if (w == Form5) {
            DataModule6->Workers.locate("id", 18);
            Form5->Button2Click();
        } else if (w == Form4) {
            DataModule6->Oper.locate("id", 42);
            Form4->Button2Click();
        }
        return 0;
    });
    Form11->Button3Click();
    Form11->Button4Click();
    QCOMPARE(Form11->Edit1->text(), QString("Петров Пётр"));
    QCOMPARE(Form11->Edit2->text(), QString("A-12; Сборка; Готовая продукция"));
    QCOMPARE(Form11->Edit8->text(), QString("12,5"));
    QVERIFY(!Form11->Edit5->isEnabled());
    Form11->Edit3->setText("10");
    Form11->Edit6->setText("4");
    Form11->Edit6Exit();
    QCOMPARE(Form11->Edit9->text(), QString("125"));
    Form11->Button1Click();
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select w_id || '/' || o_id || '/' || cena || '/' || kol_vo from accounts_dep.smena")
                 .toString(),
             QString("18/42/12.5/10"));
    // Accepted by a double click in the journal.
    QVERIFY(DataModule6->Smena1.locate("w_id", 18));
    Form1->journal->DBGrid2DblClick();
    QCOMPARE(db->scalar("select trim(ok) from accounts_dep.smena").toString(), QString("ok"));
}

void TestEditor::duplicates() {
    fillAdd(17, 43, 5, 3.3, "10", "2", "5");
    Form11->Button1Click();
    fillAdd(17, 43, 5, 3.3, "12", "1", "5");
    Form11->Button1Click();
    QCOMPARE(boxes->texts(), QStringList{"Позиция с такими параметрами уже заведена!"});
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 1);
    boxes->clear();
    Form11->Edit5->setText("7"); // another colour
    Form11->Button1Click();
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 2);
    // A change without any change is accepted and keeps the mark.
    db->exec("update accounts_dep.smena set ok='ok', vvod='01.12.2026', prize=5");
    Form1->journal->Button8Click();
    DataModule6->Smena1.first();
    Form1->journal->Button2Click();
    QCOMPARE(Form11->Edit5->text(), QString("5"));
    QVERIFY(Form11->Edit5->isEnabled());
    Form11->Button1Click();
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena where trim(ok)='ok' and prize=0 and "
                        "vvod='08.12.2026'")
                 .toInt(),
             1);
}

void TestEditor::priceRoundingAndDisplay() {
    fillAdd(17, 42, 5, 12.34567, "10", "8");
    Form11->Edit6Exit();
    QCOMPARE(Form11->Edit7->text(), QString("12,3457"));
    QCOMPARE(Form11->Edit9->text(), QString("123,4567"));
    SqlRecorder sql;
    Form11->Button1Click();
    QVERIFY(sql.statements.filter("insert into accounts_dep.SMENA").first().contains(", 12.3457,10,"));
    QCOMPARE(db->scalar("select cena from accounts_dep.smena").toDouble(), 12.3457);
    // An empty quantity becomes 0 when the box is left.
    fillAdd(17, 42, 5, 7, "", "1");
    Form11->Edit6Exit();
    QCOMPARE(Form11->Edit3->text(), QString("0"));
    QCOMPARE(Form11->Edit9->text(), QString("0"));
}

void TestEditor::hoursOfTheDay() {
    fillAdd(17, 42, 5, 1, "1", "3");
    Form11->Button1Click();
    fillAdd(17, 43, 5, 1, "1", "5", "1");
    Form11->Button1Click();
    QCOMPARE(h(17, 8), 8);
    QVERIFY(DataModule6->Smena1.locate("time", 3));
    Form1->journal->Button2Click();
    Form11->Edit6->setText("4");
    Form11->Button1Click();
    QCOMPARE(h(17, 8), 9);
}

void TestEditor::firstRecordOfMonthInsertsTimesheetRow() {
    db->exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, d1) values (17, 11, 2026, 1, 7)");
    fillAdd(17, 42, 5, 1, "1", "6");
    Form11->Button1Click();
    QCOMPARE(db->scalar("select count(*) from accounts_dep.h_tabel where w_id=17").toInt(), 2);
    QCOMPARE(h(17, 8), 6);
    QCOMPARE(h(17, 7), -1); // the other days are left empty
}

void TestEditor::paintingNeedsColour() {
    fillAdd(17, 43, 5, 3.3, "10", "2");
    QVERIFY(Form11->Edit5->isEnabled());
    QVERIFY(Form11->Label6->isEnabled());
    Form11->Button1Click();
    QCOMPARE(boxes->texts(), QStringList{"Все поля должны быть заполнены!"});
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 0);
    // Another operation empties and disables the colour box; the record gets colour 0.
    Form11->Edit5->setText("9");
    Form11->Edit2->setText("A-12; Сборка; Готовая продукция");
    Form11->setColourByOperation(Form11->Edit2->text());
    QVERIFY(!Form11->Edit5->isEnabled());
    QVERIFY(Form11->Edit5->text().isEmpty());
    Form11->operId = 42;
    Form11->Button1Click();
    QCOMPARE(db->scalar("select color from accounts_dep.smena").toInt(), 0);
}

void TestEditor::movedRecordCorrectsTheDayItCameFrom() {
    fillAdd(17, 42, 5, 1, "1", "8");
    Form11->Button1Click();
    fillAdd(18, 42, 5, 1, "1", "4");
    Form11->Button1Click();
    QCOMPARE(h(17, 8), 8);
    // Move worker 17's record to the 9th and to worker 18.
    QVERIFY(DataModule6->Smena1.locate("w_id", 17));
    Form1->journal->Button2Click();
    Form11->DTimeP->setDate(kDay.addDays(1));
    Form11->workerId = 18;
    Form11->Edit1->setText("Петров Пётр");
    Form11->Button1Click();
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
    Form11->findChild<QLineEdit*>(box)->setText("12345678901234567890");
    SqlRecorder sql;
    Form11->Button1Click();
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
