// Products list "Изделия (3)": adds, changes and deletes products, or picks one for the price
// editor.
#include "refbooks/ProductsDialog.h"
#include "ui/WindowGeometry.h"

#include "data/Database.h"
#include "records/ProductStore.h"
#include "refbooks/ProductEditor.h"
#include "refbooks/StoreCall.h"
#include "ui/DatasetGrid.h"
#include "ui/ListSearch.h"
#include "ui/Seams.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

ProductsDialog::ProductsDialog(Database& db, QWidget* parent)
    : ListDialog(QStringLiteral("Поиск по марке"), parent), m_db(db), m_editor(new ProductEditor(db, this)) {
    setObjectName(QStringLiteral("ProductsDialog"));
    m_products.setSql(Database::productsSql());
    setWindowTitle(QStringLiteral("Изделия (3)"));
    rememberGeometry(this, QStringLiteral("ProductsDialog"), QSize(640, 480));
    // Every key but Up and Down edits the search text.
    m_searchSwallowsEditingKeys = false;

    m_listGrid->horizontalHeader()->setHighlightSections(true);
    m_listGrid->verticalHeader()->setDefaultSectionSize(m_listGrid->fontMetrics().height() + 6);
    m_productsModel.setColumns({
        GridColumn{QStringLiteral("marka"), QStringLiteral("Марка изделия"), 220},
        GridColumn{QStringLiteral("nom"), QStringLiteral("Номенклатурная группа"), 250},
        GridColumn{QStringLiteral("massa"), QStringLiteral("Коробки"), 100},
    });
    showInGrid(m_productsModel, m_listGrid);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_addButton);
    buttons->addWidget(m_changeButton);
    buttons->addWidget(m_removeButton);
    buttons->addWidget(m_searchEdit, 1);
    buttons->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_listGrid);
    layout->addLayout(buttons);

    m_recordCount.setSql(QStringLiteral(
        "select count(*) as cnt from accounts_dep.smena s where s.i_id =:id_ii and s.\"data\">=:dt"));
    m_priceCount.setSql(
        QStringLiteral("select count(*) as cnt from accounts_dep.oper o where o.i_id =:id_ii"));
}

Dataset& ProductsDialog::list() {
    return m_products;
}

void ProductsDialog::browse() {
    browseList();
}

std::optional<Product> ProductsDialog::pickProduct() {
    m_picked.reset();
    pickFromList(true);
    return m_picked;
}

void ProductsDialog::addNew() {
    const int at = list().recNo();
    if (m_editor->addProduct())
        reopenList(false);
    list().setRecNo(at);
}

void ProductsDialog::changeCurrent() {
    if (list().isEmpty())
        return;
    const int at = list().recNo();
    const Field value = list().fieldByName(QStringLiteral("massa"));
    const Product product{list().fieldByName(QStringLiteral("id")).asLargeInt(),
                          list().fieldByName(QStringLiteral("marka")).asString().trimmed()};
    if (m_editor->changeProduct(product, value.isNull() ? std::nullopt : std::optional(value.asFloat()),
                                list().fieldByName(QStringLiteral("id_class_item")).asLargeInt()))
        reopenList(false);
    list().setRecNo(at);
}

// A pick hands back the current product; an empty list hands back nothing.
void ProductsDialog::pickCurrent() {
    if (!list().isEmpty())
        m_picked = Product{list().fieldByName(QStringLiteral("id")).asLargeInt(),
                           list().fieldByName(QStringLiteral("marka")).asString().trimmed()};
    accept();
}

// Deletion of the current product with its operation prices and work records, in one
// transaction. The prices go only together with the product: when the user keeps the product,
// its prices stay as well, so no work record is left pointing at a removed price.
void ProductsDialog::removeCurrent() {
    if (list().isEmpty())
        return;
    const qint64 n = list().fieldByName(QStringLiteral("id")).asLargeInt();

    // Work records from the first day of the previous month of the year 2000 on.
    const int month = seams::today().month() == 1 ? 13 : seams::today().month();
    m_recordCount.setParam(QStringLiteral("id_ii"), n);
    // The day goes as a date: sent as a date and time it was shifted by the time zone, and the
    // records of the day before were counted too.
    m_recordCount.setParam(QStringLiteral("dt"), QDate(2000, month - 1, 1));
    m_recordCount.open();
    const int records = m_recordCount.fieldByName(QStringLiteral("cnt")).asInteger();
    m_recordCount.close();
    m_priceCount.setParam(QStringLiteral("id_ii"), n);
    m_priceCount.open();
    const int prices = m_priceCount.fieldByName(QStringLiteral("cnt")).asInteger();
    m_priceCount.close();

    const QString caption = QStringLiteral("Удаление");
    const QString mark = list().fieldByName(QStringLiteral("marka")).asString().trimmed();
    const bool deletePrices =
        prices > 0 && seams::confirmDestructive(
                          caption, QStringLiteral("По изделию есть расценки они будут удалены!!!"), mark);
    bool confirmed = false;
    bool deleteRecords = false;
    if (records > 0) {
        deleteRecords = confirmed = seams::confirmDestructive(
            caption,
            QStringLiteral("По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут "
                           "удалены. Удалить изделие? "),
            mark);
    } else {
        confirmed = seams::confirmDestructive(caption, QStringLiteral("Удалить изделие? "), mark);
    }
    if (confirmed)
        runStoreCall([&] { deleteProduct(m_db, n, deletePrices, deleteRecords); });
    reopenList(false);
}

// Shows the products whose mark begins with the text, letter case aside.
void ProductsDialog::search(const QString& text) {
    applySearch(list(), QStringLiteral("marka"), text);
}
