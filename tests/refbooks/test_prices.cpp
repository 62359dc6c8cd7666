// The operation-price list and the price editor on a real database: the pick with the
// day-off and shift coefficients, the search, add/change with the duplicate check, delete,
// the norms window on a double click and the export of all operation prices.
#include "data/Database.h"
#include "data/MainMembers.h"
#include "refbooks/NormsDialog.h"
#include "refbooks/OperationPriceEditor.h"
#include "refbooks/OperationPricesDialog.h"
#include "refbooks/OperationTypesDialog.h"
#include "refbooks/ProductsDialog.h"
#include "support/RecordingSpreadsheet.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

class TestPrices : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pickAppliesCoefficients_data();
    void pickAppliesCoefficients();
    void pickFromEmptyListHandsNothing();
    void search();
    void addRefusesDuplicates();
    void changeKeepsOrRefuses();
    void deleteAsks();
    void doubleClickOpensNorms();
    void exportWritesEveryOperationPrice();

private:
    void openList();
    TestDatabase* db = nullptr;
    MessageRecorder* boxes = nullptr;
    MainWindowState main;
    QCheckBox dayOff;
};

void TestPrices::init() {
    db = new TestDatabase;
    db->openDatabase();
    boxes = new MessageRecorder;
    // A window shown modally returns at once unless a test acts inside it.
    seams::setModalHandler([](QDialog*) { return 0; });
    main.currentShift = 1;
    main.CBox1 = &dayOff;
    dayOff.setChecked(false);
    g_mainWindowState = &main;
    db->exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa) values (5, 'A-12', 1.5), "
             "(6, 'Б-120', 2), (7, 'КР-7', 1)");
    db->exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Окраска'), (4, 'Сварка')");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 3, 5, 0, 0), "
             "(43, 4, 6, 1, 0), (44, 4, 7, 0, 0)");
    db->exec("insert into accounts_dep.norm (o_id, norma, price, prize) values (42, 10, 12.5, 0), (42, 20, "
             "11.3, 0), "
             "(43, 5, 20, 0), (44, 1, 7, 0)");
    g_productsDialog = new ProductsDialog;
    g_operationTypesDialog = new OperationTypesDialog;
    g_operationPriceEditor = new OperationPriceEditor;
    g_normsDialog = new NormsDialog;
    g_operationPricesDialog = new OperationPricesDialog;
}

void TestPrices::cleanup() {
    seams::setModalHandler({});
    delete g_operationPricesDialog;
    delete g_normsDialog;
    delete g_operationPriceEditor;
    delete g_operationTypesDialog;
    delete g_productsDialog;
    g_mainWindowState = nullptr;
    delete boxes;
    delete db;
}

void TestPrices::openList() {
    g_operationPricesDialog->Tag = 0;
    g_database->operationPrices().open();
}

void TestPrices::pickAppliesCoefficients_data() {
    QTest::addColumn<int>("shift");
    QTest::addColumn<bool>("holiday");
    QTest::addColumn<double>("factor");
    QTest::newRow("shift 1") << 1 << false << 1.0;
    QTest::newRow("shift 2") << 2 << false << 1.0;
    QTest::newRow("shift 3") << 3 << false << 1.2;
    QTest::newRow("shift 3, day off") << 3 << true << 2.4;
    QTest::newRow("shift 4") << 4 << false << 1.5;
    QTest::newRow("shift 4, day off") << 4 << true << 3.0;
    QTest::newRow("shift 1, day off") << 1 << true << 2.0;
}

void TestPrices::pickAppliesCoefficients() {
    QFETCH(int, shift);
    QFETCH(bool, holiday);
    QFETCH(double, factor);
    main.currentShift = shift;
    dayOff.setChecked(holiday);
    QString shownPrice;
    seams::setModalHandler([&](QDialog* w) -> int {
        if (w != g_operationPricesDialog)
            return 0;
        // The list stands on the record's operation price; "Цена (min)" is what the grid shows.
        shownPrice = g_database->operationPrices().fieldByName("cena").asString();
        g_operationPricesDialog->Button2Click();
        return 0;
    });
    QVERIFY(g_operationPricesDialog->openAsPicker(42));
    QCOMPARE(shownPrice.toDouble(), 11.3);
    QCOMPARE(g_operationPricesDialog->PickedOperId, 42);
    QCOMPARE(g_operationPricesDialog->PickedProductId, 5);
    QVERIFY(qFuzzyCompare(g_operationPricesDialog->PickedPrice, 11.3 * factor));
    QCOMPARE(g_operationPricesDialog->PickedText, QString("A-12; Окраска; Готовая продукция"));
    QVERIFY(!g_operationPricesDialog->Edit1->isVisible());
    QVERIFY(!g_database->operationPrices().isFiltered());
    QVERIFY(g_database->operationPrices().isOpen());
}

void TestPrices::pickFromEmptyListHandsNothing() {
    int rowsFound = -1;
    seams::setModalHandler([&](QDialog*) -> int {
        g_operationPricesDialog->Edit1->setText("нет такого");
        rowsFound = g_database->operationPrices().recordCount();
        g_operationPricesDialog->Button2Click();
        return 0;
    });
    QVERIFY(!g_operationPricesDialog->openAsPicker(0));
    QCOMPARE(rowsFound, 0);
    QVERIFY(!g_operationPricesDialog->Picked);
}

void TestPrices::search() {
    openList();
    QCOMPARE(g_database->operationPrices().recordCount(), 3);
    g_operationPricesDialog->Edit1->setText("12");
    QCOMPARE(g_database->operationPrices().recordCount(), 2); // A-12 and Б-120: "12" anywhere in the mark
    QCOMPARE(g_database->operationPrices().recNo(), 1);
    QTest::keyClick(g_operationPricesDialog->Edit1, Qt::Key_Down);
    QCOMPARE(g_database->operationPrices().recNo(), 2);
    QTest::keyClick(g_operationPricesDialog->Edit1, Qt::Key_Up);
    QCOMPARE(g_database->operationPrices().recNo(), 1);
    g_operationPricesDialog->Edit1->setText("б-");
    QCOMPARE(g_database->operationPrices().recordCount(), 1);
    g_operationPricesDialog->Edit1->setText("O'Brien"); // an apostrophe is a letter to search for
    QCOMPARE(g_database->operationPrices().recordCount(), 0);
    g_operationPricesDialog->Edit1->setText("");
    QCOMPARE(g_database->operationPrices().recordCount(), 3);
}

void TestPrices::addRefusesDuplicates() {
    openList();
    g_operationPricesDialog->Button1Click();
    QCOMPARE(g_operationPriceEditor->windowTitle(), QString("Заведение новой цены за операцию"));
    QCOMPARE(g_operationPriceEditor->Tag, 1);
    // Nothing chosen yet.
    g_operationPriceEditor->Button1Click();
    QCOMPARE(boxes->texts(), QStringList{"Все поля должны быть заполнены!"});
    boxes->clear();
    g_operationPriceEditor->Edit1->setText("A-12");
    g_operationPriceEditor->productId = 5;
    g_operationPriceEditor->Edit2->setText("Окраска");
    g_operationPriceEditor->operTypeId = 3;
    g_operationPriceEditor->ComboBox1->setCurrentIndex(0);
    g_operationPriceEditor->Button1Click();
    QCOMPARE(boxes->texts(), QStringList{"Операция с такими параметрами уже заведена!"});
    QCOMPARE(db->scalar("select count(*) from accounts_dep.oper").toInt(), 3);
    boxes->clear();
    // The other kind is another operation price.
    SqlRecorder sql;
    g_operationPriceEditor->ComboBox1->setCurrentIndex(1);
    g_operationPriceEditor->Button1Click();
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(sql.statements.contains(
        "insert into accounts_dep.oper(vid, naimen, i_id, cena_new)values (3, 1, 5, 0)"));
    QCOMPARE(db->scalar("select cena_new from accounts_dep.oper where vid=3 and naimen=1 and i_id=5").toInt(),
             0);
    // Without norms it is not listed.
    QCOMPARE(g_database->operationPrices().recordCount(), 3);
}

void TestPrices::changeKeepsOrRefuses() {
    openList();
    QVERIFY(g_database->operationPrices().locate("id", 43));
    QStringList seen;
    seams::setModalHandler([&](QDialog* w) -> int {
        if (w != g_operationPriceEditor)
            return 0;
        seen << g_operationPriceEditor->windowTitle() << g_operationPriceEditor->Edit1->text()
             << g_operationPriceEditor->Edit2->text()
             << QString::number(g_operationPriceEditor->ComboBox1->currentIndex());
        g_operationPriceEditor->Button1Click(); // unchanged: accepted
        return 0;
    });
    g_operationPricesDialog->Button2Click();
    QCOMPARE(seen, (QStringList{"Изменение данных о цене за операцию", "Б-120", "Сварка", "1"}));
    QVERIFY(boxes->shown.isEmpty());
    // Changed into a copy of 44 (Сварка, kind 0, КР-7): refused.
    QVERIFY(g_database->operationPrices().locate("id", 43));
    seams::setModalHandler([&](QDialog* w) -> int {
        if (w != g_operationPriceEditor)
            return 0;
        g_operationPriceEditor->productId = 7;
        g_operationPriceEditor->Edit1->setText("КР-7");
        g_operationPriceEditor->ComboBox1->setCurrentIndex(0);
        g_operationPriceEditor->Button1Click();
        return 0;
    });
    g_operationPricesDialog->Button2Click();
    QCOMPARE(boxes->texts(), QStringList{"Операция с такими параметрами уже заведена!"});
    QCOMPARE(db->scalar("select i_id from accounts_dep.oper where id=43").toInt(), 6);
}

void TestPrices::deleteAsks() {
    openList();
    QVERIFY(g_database->operationPrices().locate("id", 44));
    boxes->answers << QMessageBox::No;
    g_operationPricesDialog->Button3Click();
    QCOMPARE(boxes->shown[0].caption, QString("Удаление"));
    QCOMPARE(boxes->shown[0].text, QString("Удалить операцию?"));
    QCOMPARE(db->scalar("select count(*) from accounts_dep.oper").toInt(), 3);
    g_operationPricesDialog->Button3Click();
    QCOMPARE(db->scalar("select count(*) from accounts_dep.oper where id=44").toInt(), 0);
    QCOMPARE(g_database->operationPrices().recordCount(), 2);
}

void TestPrices::doubleClickOpensNorms() {
    openList();
    QVERIFY(g_database->operationPrices().locate("id", 42));
    QList<QDialog*> shown;
    seams::setModalHandler([&](QDialog* w) -> int {
        shown << w;
        return 0;
    });
    g_operationPricesDialog->DBGrid1DblClick(); // "Цены" clear: change
    g_operationPricesDialog->CheckBox1->setChecked(true);
    g_operationPricesDialog->DBGrid1DblClick();
    QCOMPARE(shown, (QList<QDialog*>{g_operationPriceEditor, g_normsDialog}));
    QCOMPARE(g_normsDialog->OperId, 42);
    QCOMPARE(g_normsDialog->Norm.recordCount(), 2);
}

void TestPrices::exportWritesEveryOperationPrice() {
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (45, 3, 6, 0, 2.5)");
    RecordingSpreadsheet excel;
    openList();
    g_operationPricesDialog->Edit1->setText("A-"); // the export ignores the search
    g_operationPricesDialog->Button5Click();
    QVERIFY(excel.visible);
    QCOMPARE(excel.cell(1, 1, 1)->value, QString("Марка"));
    QCOMPARE(excel.cell(1, 2, 1)->value, QString("Операция"));
    QCOMPARE(excel.cell(1, 3, 1)->value, QString("Цена"));
    QCOMPARE(excel.cell(1, 4, 1)->value, QString("Вид"));
    QStringList rows;
    for (int r = 2; excel.cell(1, 1, r); ++r)
        rows << QString("%1|%2|%3|%4")
                    .arg(excel.cell(1, 1, r)->value, excel.cell(1, 2, r)->value, excel.cell(1, 3, r)->value,
                         excel.cell(1, 4, r)->value);
    QCOMPARE(rows, (QStringList{"A-12|Окраска|0|Готовая продукция", "Б-120|Окраска|2.5|Готовая продукция",
                                "Б-120|Сварка|0|Заготовки", "КР-7|Сварка|0|Готовая продукция"}));
    QCOMPARE(excel.cell(1, 1, 2)->numberFormat, QString("@"));
}

QTEST_MAIN(TestPrices)
#include "test_prices.moc"
