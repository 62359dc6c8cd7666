// Products list "Изделия (3)": adds, changes and deletes products, or picks one for the price
// editor.
#include "refbooks/ProductsDialog.h"
#include "ui/DatasetGrid.h"

#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/ProductEditor.h"
#include "ui/ListSearch.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

ProductsDialog* g_productsDialog = nullptr;

ProductsDialog::ProductsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ProductsDialog"));
    setWindowTitle(QStringLiteral("Изделия (3)"));
    resize(640, 480);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->verticalHeader()->hide();

    Edit1 = makeSearchField(this, QStringLiteral("Поиск по марке"), this);

    makeListButtons(this, Button1, Button2, Button3, Button4);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    buttons->addWidget(Edit1, 1);
    buttons->addWidget(Button4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1);
    layout->addLayout(buttons);

    Izdel_Smena.setSql(QStringLiteral(
        "select count(*) as cnt from accounts_dep.smena s where s.i_id =:id_ii and s.\"data\">=:dt"));
    ii_oper.setSql(QStringLiteral("select count(*) as cnt from accounts_dep.oper o where o.i_id =:id_ii"));

    attachGrid();

    connect(Button1, &QPushButton::clicked, this, &ProductsDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &ProductsDialog::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &ProductsDialog::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &ProductsDialog::Button4Click);
    connect(Edit1, &QLineEdit::textChanged, this, &ProductsDialog::Edit1Change);
    connect(DBGrid1, &QTableView::doubleClicked, this, &ProductsDialog::DBGrid1DblClick);
}

// The grid shows the shared query Izdel; the data module exists before the windows are created.
void ProductsDialog::attachGrid() {
    if (gridAttached || !g_database)
        return;
    Dataset& izdel = g_database->products();
    izdel.setColumns({
        GridColumn{QStringLiteral("marka"), QStringLiteral("Марка изделия"), 220},
        GridColumn{QStringLiteral("nom"), QStringLiteral("Номенклатурная группа"), 250},
        GridColumn{QStringLiteral("massa"), QStringLiteral("Коробки"), 100},
    });
    showInGrid(izdel, DBGrid1);
    gridAttached = true;
}

ProductsDialog::~ProductsDialog() {
    if (g_productsDialog == this)
        g_productsDialog = nullptr;
}

void ProductsDialog::openFromMainMenu() {
    attachGrid();
    Tag = 0;
    g_database->products().open();
    Button2->setDefault(false);
    Button2->setText(QStringLiteral("Изменить"));
    Button1->setVisible(true);
    Button3->setVisible(true);
    Button1->setDefault(true);
    seams::showModal(this);
    g_database->products().close();
}

bool ProductsDialog::openAsPicker() {
    attachGrid();
    Tag = 1;
    PickedMarka.clear();
    PickedId = 0;
    g_database->products().open();
    Button2->setText(QStringLiteral("Выбрать"));
    Button1->setVisible(false);
    Button3->setVisible(false);
    Button1->setDefault(false);
    Button2->setDefault(true);
    Edit1->setVisible(true);
    Edit1->clear();
    const bool picked = seams::showModal(this) == QDialog::Accepted && PickedId != 0;
    Button2->setDefault(false);
    Edit1->setVisible(false);
    g_database->products().close();
    return picked;
}

void ProductsDialog::Button1Click() {
    Dataset& izdel = g_database->products();
    const int at = izdel.recNo();
    g_productEditor->Edit1->clear();
    g_productEditor->Edit2->clear();
    g_productEditor->setWindowTitle(QStringLiteral("Заведение нового изделия (7)"));
    g_productEditor->Tag = 1;
    g_productEditor->openGroups();
    seams::showModal(g_productEditor);
    g_productEditor->closeGroups();
    izdel.setRecNo(at);
}

void ProductsDialog::Button2Click() {
    Dataset& izdel = g_database->products();
    if (Tag == 1) {
        // A pick hands back the current product; an empty list hands back nothing.
        if (!izdel.isEmpty()) {
            PickedMarka = izdel.fieldByName(QStringLiteral("marka")).asString().trimmed();
            PickedId = izdel.fieldByName(QStringLiteral("id")).asLargeInt();
            emit productPicked(PickedMarka, PickedId);
        }
        accept();
        return;
    }
    if (izdel.isEmpty())
        return;
    const int at = izdel.recNo();
    g_productEditor->setWindowTitle(QStringLiteral("Изменение данных изделия (7)"));
    g_productEditor->Tag = 2;
    g_productEditor->Edit1->setText(izdel.fieldByName(QStringLiteral("marka")).asString().trimmed());
    const Field massa = izdel.fieldByName(QStringLiteral("massa"));
    g_productEditor->Edit2->setText(massa.isNull() ? QString() : formatGeneral(massa.asFloat()));
    g_productEditor->openGroups();
    g_productEditor->selectGroup(izdel.fieldByName(QStringLiteral("id_class_item")).asLargeInt());
    seams::showModal(g_productEditor);
    g_productEditor->closeGroups();
    izdel.setRecNo(at);
}

void ProductsDialog::DBGrid1DblClick() {
    Button2Click();
}

// Deletion of the current product with its operation prices and work records. The prices go
// only together with the product: when the user keeps the product, its prices stay as well,
// so no work record is left pointing at a removed price.
void ProductsDialog::Button3Click() {
    Database* dm = g_database;
    if (dm->products().isEmpty())
        return;
    const qint64 n = dm->products().fieldByName(QStringLiteral("id")).asLargeInt();
    const QString id = QString::number(n);

    // Work records from the first day of the previous month of the year 2000 on.
    const int month = seams::today().month() == 1 ? 13 : seams::today().month();
    Izdel_Smena.setParam(QStringLiteral("id_ii"), n);
    Izdel_Smena.setParam(QStringLiteral("dt"), QDate(2000, month - 1, 1).startOfDay());
    Izdel_Smena.open();
    const int records = Izdel_Smena.fieldByName(QStringLiteral("cnt")).asInteger();
    Izdel_Smena.close();
    ii_oper.setParam(QStringLiteral("id_ii"), n);
    ii_oper.open();
    const int prices = ii_oper.fieldByName(QStringLiteral("cnt")).asInteger();
    ii_oper.close();

    const QString caption = QStringLiteral("Удаление");
    const bool deletePrices =
        prices > 0 &&
        seams::askYesNo(caption, QStringLiteral("По изделию есть расценки они будут удалены!!!"));
    bool deleteProduct = false;
    bool deleteRecords = false;
    if (records > 0) {
        deleteRecords = deleteProduct = seams::askYesNo(
            caption,
            QStringLiteral("По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут "
                           "удалены. Удалить изделие? "));
    } else {
        deleteProduct = seams::askYesNo(caption, QStringLiteral("Удалить изделие? "));
    }
    if (deleteProduct) {
        if (deletePrices) {
            dm->DelSmena.setSql(QStringLiteral("delete from accounts_dep.oper o where o.i_id =") + id);
            dm->DelSmena.execute();
        }
        if (deleteRecords) {
            dm->DelSmena.setSql(QStringLiteral("delete from accounts_dep.smena s where s.i_id =") + id);
            dm->DelSmena.execute();
        }
        dm->DelSmena.setSql(QStringLiteral("delete from cmn_gds_and_srv.gds_and_srv  where id=") + id);
        dm->DelSmena.execute();
    }
    dm->products().close();
    dm->products().open();
}

void ProductsDialog::Button4Click() {
    reject();
}

void ProductsDialog::Edit1Change() {
    Dataset& izdel = g_database->products();
    applySearch(izdel, QStringLiteral("marka"), Edit1->text());
}

// Up and Down in the search field move the list; every other key edits the field.
bool ProductsDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Edit1 && searchFieldKey(e, g_database->products(), false))
        return true;
    return QDialog::eventFilter(watched, e);
}
