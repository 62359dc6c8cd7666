// The operation-price list and the price editor on a real database: the pick with its base
// price, the search, add/change with the pickers and the duplicate check, delete, the norms
// window on a double click and the export of all operation prices.
#include "data/Database.h"
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
#include <QPushButton>
#include <QTableView>
#include <QTest>

class TestPrices : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pickHandsBackBasePrice_data();
    void pickHandsBackBasePrice();
    void pickFromEmptyListHandsNothing();
    void search();
    void addRefusesDuplicates();
    void pickersLeftWithoutChoiceKeepFields();
    void changeKeepsOrRefuses();
    void emptyListChangesNothing();
    void deleteAsks();
    void doubleClickOpensNorms();
    void exportWritesEveryOperationPrice();
    void priceInUseIsNotDeleted();

private:
    // Shows the list from the main menu; inside, `inList` acts as the user.
    void runFromMenu(const std::function<void()>& inList);
    Dataset& prices() const { return dialog->operationPrices(); }
    int count(const QString& sql) { return db->scalar(sql).toInt(); }

    TestDatabase* db = nullptr;
    Database* dm = nullptr;
    MessageRecorder* boxes = nullptr;
    ModalScript onModal;
    ProductsDialog* products = nullptr;
    OperationTypesDialog* types = nullptr;
    OperationPricesDialog* dialog = nullptr;
    OperationPriceEditor* editor = nullptr;
    NormsDialog* norms = nullptr;
    // The list's parts.
    QLineEdit* searchEdit = nullptr;
    QTableView* grid = nullptr;
    QPushButton *addButton = nullptr, *changeButton = nullptr, *removeButton = nullptr,
                *exportButton = nullptr;
    QCheckBox* normsCheck = nullptr;
    // The editor's parts.
    QLineEdit *productEdit = nullptr, *operationTypeEdit = nullptr;
    QPushButton *productButton = nullptr, *operationTypeButton = nullptr, *saveButton = nullptr;
    QComboBox* kindBox = nullptr;
};

void TestPrices::init() {
    db = new TestDatabase;
    dm = db->openDatabase();
    boxes = new MessageRecorder;
    db->exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa) values (5, 'A-12', 1.5), "
             "(6, 'Б-120', 2), (7, 'КР-7', 1)");
    db->exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Окраска'), (4, 'Сварка')");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 3, 5, 0, 0), "
             "(43, 4, 6, 1, 0), (44, 4, 7, 0, 0)");
    db->exec("insert into accounts_dep.norm (o_id, norma, price, prize) values (42, 10, 12.5, 0), (42, 20, "
             "11.3, 0), "
             "(43, 5, 20, 0), (44, 1, 7, 0)");
    products = new ProductsDialog(*dm);
    types = new OperationTypesDialog(*dm);
    dialog = new OperationPricesDialog(*dm, *products, *types);
    editor = dialog->findChild<OperationPriceEditor*>();
    norms = dialog->findChild<NormsDialog*>();
    QVERIFY(editor && norms);
    searchEdit = childNamed<QLineEdit>(dialog, "searchEdit");
    grid = childNamed<QTableView>(dialog, "listGrid");
    addButton = childNamed<QPushButton>(dialog, "addButton");
    changeButton = childNamed<QPushButton>(dialog, "changeButton");
    removeButton = childNamed<QPushButton>(dialog, "removeButton");
    exportButton = childNamed<QPushButton>(dialog, "exportButton");
    normsCheck = childNamed<QCheckBox>(dialog, "normsCheck");
    productEdit = childNamed<QLineEdit>(editor, "productEdit");
    operationTypeEdit = childNamed<QLineEdit>(editor, "operationTypeEdit");
    productButton = childNamed<QPushButton>(editor, "productButton");
    operationTypeButton = childNamed<QPushButton>(editor, "operationTypeButton");
    saveButton = childNamed<QPushButton>(editor, "saveButton");
    kindBox = childNamed<QComboBox>(editor, "kindBox");
    onModal.clear();
    onModal.install();
}

void TestPrices::cleanup() {
    seams::setModalHandler({});
    delete dialog;
    delete types;
    delete products;
    delete boxes;
    delete db;
}

void TestPrices::runFromMenu(const std::function<void()>& inList) {
    onModal["OperationPricesDialog"] = inList;
    dialog->browse();
    QVERIFY(!prices().isOpen());
}

void TestPrices::pickHandsBackBasePrice_data() {
    QTest::addColumn<int>("startAt");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("productId");
    QTest::addColumn<double>("basePrice"); // the lowest norm price, as "Цена (min)" shows it
    QTest::addColumn<QString>("text");
    QTest::newRow("on the record's price") << 42 << 42 << 5 << 11.3 << "A-12; Окраска; Готовая продукция";
    QTest::newRow("blanks") << 43 << 43 << 6 << 20.0 << "Б-120; Сварка; Заготовки";
    QTest::newRow("last row") << 44 << 44 << 7 << 7.0 << "КР-7; Сварка; Готовая продукция";
    QTest::newRow("none: the first row") << 0 << 42 << 5 << 11.3 << "A-12; Окраска; Готовая продукция";
    QTest::newRow("not listed: the first row") << 99 << 42 << 5 << 11.3 << "A-12; Окраска; Готовая продукция";
}

void TestPrices::pickHandsBackBasePrice() {
    QFETCH(int, startAt);
    QFETCH(int, id);
    QFETCH(int, productId);
    QFETCH(double, basePrice);
    QFETCH(QString, text);
    QString shownPrice;
    onModal["OperationPricesDialog"] = [&] {
        QCOMPARE(dialog->mode(), ListDialog::Mode::Pick);
        QCOMPARE(changeButton->text(), QString("Выбрать"));
        QVERIFY(changeButton->isDefault());
        QVERIFY(!addButton->isVisibleTo(dialog) && !removeButton->isVisibleTo(dialog));
        QVERIFY(searchEdit->isVisibleTo(dialog));
        // The list stands on the operation price to start at.
        shownPrice = prices().fieldByName("cena").asString();
        changeButton->click();
    };
    const std::optional<OperationPrice> picked = dialog->pickOperationPrice(startAt);
    QVERIFY(picked);
    QCOMPARE(shownPrice.toDouble(), basePrice);
    QCOMPARE(picked->id, id);
    QCOMPARE(picked->productId, productId);
    QCOMPARE(picked->basePrice, basePrice);
    QCOMPARE(picked->text, text);
    QVERIFY(!searchEdit->isVisibleTo(dialog));
    QVERIFY(!prices().isFiltered());
    QVERIFY(prices().isOpen());
}

void TestPrices::pickFromEmptyListHandsNothing() {
    int rowsFound = -1;
    onModal["OperationPricesDialog"] = [&] {
        searchEdit->setText("нет такого");
        rowsFound = prices().recordCount();
        changeButton->click();
    };
    QVERIFY(!dialog->pickOperationPrice(0));
    QCOMPARE(rowsFound, 0);
    QVERIFY(!prices().isFiltered());
}

void TestPrices::search() {
    runFromMenu([this] {
        QCOMPARE(prices().recordCount(), 3);
        searchEdit->setText("12");
        QCOMPARE(prices().recordCount(), 2); // A-12 and Б-120: "12" anywhere in the mark
        QCOMPARE(prices().recNo(), 1);
        QTest::keyEvent(QTest::Click, searchEdit, Qt::Key_Down);
        QCOMPARE(prices().recNo(), 2);
        QTest::keyEvent(QTest::Click, searchEdit, Qt::Key_Up);
        QCOMPARE(prices().recNo(), 1);
        searchEdit->setText("б-");
        QCOMPARE(prices().recordCount(), 1);
        searchEdit->setText("O'Brien"); // an apostrophe is a letter to search for
        QCOMPARE(prices().recordCount(), 0);
        searchEdit->setText("");
        QCOMPARE(prices().recordCount(), 3);
        searchEdit->setText("кр");
    });
    // The filter of an earlier search applies to the fresh rows of the next opening.
    runFromMenu([this] {
        QCOMPARE(prices().recordCount(), 1);
        QCOMPARE(prices().fieldByName("id").asInteger(), 44);
    });
}

void TestPrices::addRefusesDuplicates() {
    SqlRecorder sql;
    onModal["ProductsDialog"] = [&] {
        QVERIFY(products->products().locate("id", 5));
        childNamed<QPushButton>(products, "changeButton")->click();
    };
    onModal["OperationTypesDialog"] = [&] {
        QVERIFY(types->operationTypes().locate("id", 3));
        childNamed<QPushButton>(types, "changeButton")->click();
    };
    onModal["OperationPriceEditor"] = [&] {
        QCOMPARE(editor->windowTitle(), QString("Заведение новой цены за операцию"));
        QCOMPARE(productEdit->text(), QString());
        QCOMPARE(operationTypeEdit->text(), QString());
        QCOMPARE(kindBox->currentIndex(), 0);
        // Nothing chosen yet.
        saveButton->click();
        QCOMPARE(boxes->texts(), QStringList{"Все поля должны быть заполнены!"});
        boxes->clear();
        productButton->click();
        operationTypeButton->click();
        QCOMPARE(productEdit->text(), QString("A-12"));
        QCOMPARE(operationTypeEdit->text(), QString("Окраска"));
        kindBox->setCurrentIndex(0);
        saveButton->click();
        QCOMPARE(boxes->texts(), QStringList{"Операция с такими параметрами уже заведена!"});
        QCOMPARE(count("select count(*) from accounts_dep.oper"), 3);
        boxes->clear();
        // The other kind is another operation price.
        kindBox->setCurrentIndex(1);
        saveButton->click();
    };
    // The new operation price has no norms: its norms window opens at once for the first one.
    int normsFor = 0;
    onModal["NormsDialog"] = [&] {
        normsFor = qobject_cast<NormsTable*>(childNamed<QTableView>(norms, "normsGrid")->model())
                       ->norms()
                       .param("o_id")
                       .toInt();
    };
    runFromMenu([&] {
        addButton->click();
        // Without norms it is not listed.
        QCOMPARE(prices().recordCount(), 3);
    });
    QCOMPARE(normsFor,
             db->scalar("select id from accounts_dep.oper where vid=3 and naimen=1 and i_id=5").toInt());
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(editor->result(), int(QDialog::Accepted));
    QVERIFY(sql.statements.contains(
        "insert into accounts_dep.oper(vid, naimen, i_id, cena_new)values (:vid, :naimen, :i_id, 0)"));
    QCOMPARE(db->scalar("select cena_new from accounts_dep.oper where vid=3 and naimen=1 and i_id=5").toInt(),
             0);
}

// Leaving a picker without a choice (Esc) keeps what the editor's field showed.
void TestPrices::pickersLeftWithoutChoiceKeepFields() {
    onModal["ProductsDialog"] = [&] { QTest::keyEvent(QTest::Click, products, Qt::Key_Escape); };
    onModal["OperationTypesDialog"] = [&] { QTest::keyEvent(QTest::Click, types, Qt::Key_Escape); };
    onModal["OperationPriceEditor"] = [&] {
        productButton->click();
        operationTypeButton->click();
        QCOMPARE(productEdit->text(), QString("Б-120"));
        QCOMPARE(operationTypeEdit->text(), QString("Сварка"));
        saveButton->click(); // unchanged: accepted
    };
    SqlRecorder sql;
    runFromMenu([&] {
        QVERIFY(prices().locate("id", 43));
        changeButton->click();
    });
    QCOMPARE(onModal.shown, (QStringList{"OperationPricesDialog", "OperationPriceEditor", "ProductsDialog",
                                         "OperationTypesDialog"}));
    QVERIFY(sql.statements.contains(
        "update accounts_dep.oper set vid=:vid, naimen=:naimen,  i_id=:i_id where id=:id"));
    QCOMPARE(db->scalar("select vid || ';' || naimen || ';' || i_id from accounts_dep.oper where id=43")
                 .toString(),
             QString("4;1;6"));
    QVERIFY(boxes->shown.isEmpty());
}

void TestPrices::changeKeepsOrRefuses() {
    QStringList seen;
    onModal["OperationPriceEditor"] = [&] {
        seen << editor->windowTitle() << productEdit->text() << operationTypeEdit->text()
             << QString::number(kindBox->currentIndex());
        saveButton->click(); // unchanged: accepted
    };
    runFromMenu([&] {
        QVERIFY(prices().locate("id", 43));
        changeButton->click();
    });
    QCOMPARE(seen, (QStringList{"Изменение данных о цене за операцию", "Б-120", "Сварка", "1"}));
    QVERIFY(boxes->shown.isEmpty());
    // Changed into a copy of 44 (Сварка, kind 0, КР-7): refused.
    onModal["ProductsDialog"] = [&] {
        QVERIFY(products->products().locate("id", 7));
        childNamed<QPushButton>(products, "changeButton")->click();
    };
    onModal["OperationPriceEditor"] = [&] {
        productButton->click();
        QCOMPARE(productEdit->text(), QString("КР-7"));
        kindBox->setCurrentIndex(0);
        saveButton->click();
    };
    runFromMenu([&] {
        QVERIFY(prices().locate("id", 43));
        changeButton->click();
    });
    QCOMPARE(boxes->texts(), QStringList{"Операция с такими параметрами уже заведена!"});
    QCOMPARE(db->scalar("select i_id from accounts_dep.oper where id=43").toInt(), 6);
}

// With no operation price listed, "Изменить" opens no editor (there is nothing to change).
void TestPrices::emptyListChangesNothing() {
    runFromMenu([&] {
        searchEdit->setText("нет такого");
        QCOMPARE(prices().recordCount(), 0);
        changeButton->click();
        removeButton->click();
        searchEdit->clear();
    });
    QVERIFY(!onModal.shown.contains("OperationPriceEditor"));
    QVERIFY(boxes->shown.isEmpty());
}

void TestPrices::deleteAsks() {
    runFromMenu([&] {
        QVERIFY(prices().locate("id", 44));
        boxes->answers << QMessageBox::No;
        removeButton->click();
        QCOMPARE(boxes->shown[0].caption, QString("Удаление"));
        QCOMPARE(boxes->shown[0].text, QString("Удалить операцию?"));
        QCOMPARE(boxes->shown[0].detail, QString("КР-7; Сварка; Готовая продукция"));
        QCOMPARE(boxes->shown[0].defaultButton, QMessageBox::No);
        QCOMPARE(count("select count(*) from accounts_dep.oper"), 3);
        removeButton->click();
        QCOMPARE(count("select count(*) from accounts_dep.oper where id=44"), 0);
        QCOMPARE(prices().recordCount(), 2);
    });
}

void TestPrices::doubleClickOpensNorms() {
    runFromMenu([&] {
        QVERIFY(prices().locate("id", 42));
        emit grid->doubleClicked(grid->currentIndex()); // "Цены" clear: change
        normsCheck->setChecked(true);
        emit grid->doubleClicked(grid->currentIndex());
    });
    QCOMPARE(onModal.shown, (QStringList{"OperationPricesDialog", "OperationPriceEditor", "NormsDialog"}));
    auto* table = qobject_cast<NormsTable*>(childNamed<QTableView>(norms, "normsGrid")->model());
    QVERIFY(table);
    QCOMPARE(table->norms().param("o_id").toInt(), 42);
    QCOMPARE(table->norms().recordCount(), 2);
}

void TestPrices::exportWritesEveryOperationPrice() {
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (45, 3, 6, 0, 2.5)");
    RecordingSpreadsheet excel;
    runFromMenu([&] {
        searchEdit->setText("A-"); // the export ignores the search
        exportButton->click();
    });
    QVERIFY(excel.visible);
    QCOMPARE(excel.cell(1, 1, 1)->value, QString("Марка"));
    QCOMPARE(excel.cell(1, 2, 1)->value, QString("Операция"));
    QCOMPARE(excel.cell(1, 3, 1)->value, QString("Цена"));
    QCOMPARE(excel.cell(1, 4, 1)->value, QString("Вид"));
    QStringList rows;
    const auto value = [&](int column, int row) {
        const auto* c = excel.cell(1, column, row);
        return c ? c->value : QString();
    };
    for (int r = 2; excel.cell(1, 1, r); ++r)
        rows << QString("%1|%2|%3|%4").arg(value(1, r), value(2, r), value(3, r), value(4, r));
    // The prices the list shows, the lowest norm price; an operation price without norms has none.
    QCOMPARE(rows, (QStringList{"A-12|Окраска|11.3|Готовая продукция", "Б-120|Окраска||Готовая продукция",
                                "Б-120|Сварка|20|Заготовки", "КР-7|Сварка|7|Готовая продукция"}));
    QCOMPARE(excel.cell(1, 1, 2)->numberFormat, QString("@"));
    // Prices go in as numbers, not as texts.
    QCOMPARE(excel.cell(1, 3, 2)->numberFormat, QString());
}

// An operation price that work records refer to stays: the message counts them and nothing is
// asked or deleted.
void TestPrices::priceInUseIsNotDeleted() {
    db->exec(
        "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
        "values ('07.12.2026', 1, 17, 5, 42, 1, 1, 0, 8, 'no'), ('08.12.2026', 2, 17, 5, 42, 1, 1, 0, 8, "
        "'no')");
    runFromMenu([&] {
        QVERIFY(prices().locate("id", 42));
        removeButton->click();
    });
    QCOMPARE(boxes->texts(),
             QStringList{"Расценку нельзя удалить: на неё ссылаются записи журнала (2). Ничего не удалено."});
    QCOMPARE(count("select count(*) from accounts_dep.oper where id=42"), 1);
}

QTEST_MAIN(TestPrices)
#include "test_prices.moc"
