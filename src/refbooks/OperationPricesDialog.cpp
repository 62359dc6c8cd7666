// Operation-price list "Операции": operation prices with their lowest norm price; adds,
// changes, deletes and exports them, opens their norms, or picks one for the work-record editor.
#include "refbooks/OperationPricesDialog.h"
#include "ui/WindowGeometry.h"

#include "data/Database.h"
#include "data/Format.h"
#include "export/ExcelHelper.h"
#include "records/OperationPriceStore.h"
#include "refbooks/NormsDialog.h"
#include "refbooks/OperationPriceEditor.h"
#include "refbooks/StoreCall.h"
#include "ui/DatasetGrid.h"
#include "ui/Guarded.h"
#include "ui/ListSearch.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString kindText(int naimen) {
    return naimen == 0 ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки");
}

QString trimmedText(const QVariant& v) {
    return v.isNull() ? QString() : v.toString().trimmed();
}

} // namespace

OperationPricesDialog::OperationPricesDialog(Database& db, ProductsDialog& productPicker,
                                             OperationTypesDialog& operationTypePicker, QWidget* parent)
    : ListDialog(QString(), parent), m_db(db),
      m_editor(new OperationPriceEditor(db, productPicker, operationTypePicker, this)),
      m_normsDialog(new NormsDialog(db, m_operationPrices, this)) {
    setObjectName(QStringLiteral("OperationPricesDialog"));
    m_operationPrices.setSql(Database::operationPricesSql());
    setWindowTitle(QStringLiteral("Операции"));
    makeFixedDialog(this);

    m_listGrid->verticalHeader()->setDefaultSectionSize(18);
    m_listGrid->horizontalHeader()->setHighlightSections(true);
    QFont bold = m_listGrid->horizontalHeader()->font();
    bold.setBold(true);
    m_listGrid->horizontalHeader()->setFont(bold);
    m_operationPricesModel.setColumns({
        {QStringLiteral("MARKA"), QStringLiteral("Марка"), 180, trimmedText},
        {QStringLiteral("VID"), QStringLiteral("Опреция"), 243, trimmedText},
        {QStringLiteral("cena"), QStringLiteral("Цена (min)"), 90,
         [](const QVariant& v) {
             double d = 0;
             return parseNumber(v.toString(), &d) ? formatScreen(d) : QString();
         }},
        {QStringLiteral("nmn"), QStringLiteral("Вид"), 139},
        {QStringLiteral("norma"), QStringLiteral("Нормы (шт.)"), 96},
    });
    showInGrid(m_operationPricesModel, m_listGrid);

    m_exportButton = new QPushButton(QStringLiteral("Excel"), this);
    m_exportButton->setObjectName(QStringLiteral("exportButton"));
    m_exportButton->setAutoDefault(false);
    m_normsCheck = new QCheckBox(QStringLiteral("Цены"), this);
    m_normsCheck->setObjectName(QStringLiteral("normsCheck"));
    m_normsCheck->setFont(bold);
    connect(m_exportButton, &QPushButton::clicked, this, &OperationPricesDialog::exportToSpreadsheet);

    auto* bottom = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(m_addButton), static_cast<QWidget*>(m_changeButton),
                       static_cast<QWidget*>(m_removeButton), static_cast<QWidget*>(m_exportButton),
                       static_cast<QWidget*>(m_normsCheck)})
        bottom->addWidget(w);
    bottom->addWidget(m_searchEdit, 1);
    bottom->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_listGrid, 1);
    layout->addLayout(bottom);
    rememberGeometry(this, QStringLiteral("OperationPricesDialog"), QSize(800, 520));

    // Every operation price with the price the list shows for it: its lowest norm price (none for
    // an operation price without norms). The stored cena_new is not kept up by the editor.
    m_export.setSql(QStringLiteral(
        "select izdel.MARKA, vid_oper.VID, oper.NAIMEN,(SELECT (CASE naimen WHEN 0 THEN "
        "'Готовая продукция' ELSE 'Заготовки' END)) as nmn, (select min(norm.price) from accounts_dep.norm "
        "where norm.o_id=oper.id)::numeric as cena, oper.id, "
        "oper.i_id,\n"
        " oper.VID as oper_vid from accounts_dep.OPER,accounts_dep.IZDEL,accounts_dep.VID_OPER "
        "where OPER.i_id=IZDEL.id \n"
        "and oper.vid=vid_oper.id order by izdel.marka, vid_oper.vid, oper.naimen"));
}

Dataset& OperationPricesDialog::list() {
    return m_operationPrices;
}

void OperationPricesDialog::browse() {
    if (!runGuarded([this] { list().open(); }))
        return;
    enterMode(Mode::Browse);
    // The filter of an earlier search made here still applies to the fresh rows.
    search(m_searchEdit->text());
    seams::showModal(this);
    list().close();
}

std::optional<OperationPrice> OperationPricesDialog::pickOperationPrice(int startAtId) {
    m_picked.reset();
    list().close();
    if (!runGuarded([this] { list().open(); }))
        return m_picked;
    enterMode(Mode::Pick);
    m_searchEdit->setVisible(true);
    m_searchEdit->clear();
    list().setFiltered(false);
    if (startAtId == 0 || !list().locate(QStringLiteral("id"), startAtId))
        list().first();
    seams::showModal(this);
    leavePick(true);
    return m_picked;
}

// Shows the operation prices whose mark contains the text anywhere, letter case aside; blanks
// alone show every row. The list stands on its first row.
void OperationPricesDialog::search(const QString& text) {
    applySearch(list(), QStringLiteral("marka"), text.trimmed().isEmpty() ? QString() : text, true);
    list().first();
}

// A double click in the list with "Цены" checked opens the norms of the operation price.
void OperationPricesDialog::activateCurrent() {
    if (mode() != Mode::Browse || !m_normsCheck->isChecked()) {
        ListDialog::activateCurrent();
        return;
    }
    if (list().isEmpty())
        return;
    m_normsDialog->editNorms(list().fieldByName(QStringLiteral("id")).asInteger());
}

// A pick hands back the current operation price with its base price and its text; an empty
// list hands back nothing.
void OperationPricesDialog::pickCurrent() {
    if (list().isEmpty()) {
        reject();
        return;
    }
    OperationPrice price;
    price.productId = list().fieldByName(QStringLiteral("i_id")).asInteger();
    price.id = list().fieldByName(QStringLiteral("id")).asInteger();
    price.basePrice = list().fieldByName(QStringLiteral("cena")).asFloat();
    const QString mark = m_db.readValue(QStringLiteral("select marka from accounts_dep.izdel where id=:id"),
                                        {{QStringLiteral("id"), price.productId}})
                             .toString()
                             .trimmed();
    price.text = mark + QStringLiteral("; ") +
                 list().fieldByName(QStringLiteral("vid")).asString().trimmed() + QStringLiteral("; ") +
                 kindText(list().fieldByName(QStringLiteral("naimen")).asInteger());
    m_picked = price;
    accept();
}

void OperationPricesDialog::changeCurrent() {
    // With no row there is no operation price to change.
    if (list().isEmpty())
        return;
    OperationPriceRecord record;
    record.id = list().fieldByName(QStringLiteral("id")).asInteger();
    record.product = {list().fieldByName(QStringLiteral("i_id")).asLargeInt(),
                      list().fieldByName(QStringLiteral("MARKA")).asString().trimmed()};
    record.operationType = {list().fieldByName(QStringLiteral("oper_vid")).asInteger(),
                            list().fieldByName(QStringLiteral("VID")).asString().trimmed()};
    record.kind = list().fieldByName(QStringLiteral("NAIMEN")).asInteger() == 0 ? 0 : 1;
    if (m_editor->changeOperationPrice(record))
        reopenList(false);
}

// A new operation price has no norms yet, so it would show neither in the list nor in the
// picker: its norms window opens at once for the first norm.
void OperationPricesDialog::addNew() {
    if (!m_editor->addOperationPrice())
        return;
    const int id = m_editor->savedId();
    if (id != 0)
        m_normsDialog->editNorms(id);
    reopenList(false);
    if (id != 0)
        list().locate(QStringLiteral("id"), id);
}

void OperationPricesDialog::removeCurrent() {
    if (list().isEmpty())
        return;
    const int id = list().fieldByName(QStringLiteral("id")).asInteger();
    if (runStoreCall([&] { refuseOperationPriceDeletionInUse(m_db, id); }) != StoreOutcome::Written)
        return;
    if (!seams::confirmDestructive(
            QStringLiteral("Удаление"), QStringLiteral("Удалить операцию?"),
            list().fieldByName(QStringLiteral("marka")).asString().trimmed() + QStringLiteral("; ") +
                list().fieldByName(QStringLiteral("vid")).asString().trimmed() + QStringLiteral("; ") +
                list().fieldByName(QStringLiteral("nmn")).asString()))
        return;
    runStoreCall([&] { deleteOperationPrice(m_db, id); });
    reopenList(false);
}

void OperationPricesDialog::exportToSpreadsheet() {
    m_export.close();
    if (runGuarded([this] { m_export.open(); }))
        writeExport();
    m_export.close();
}

void OperationPricesDialog::writeExport() {
    nameNextExport(QStringLiteral("Цены"));
    if (ExcelOpen(QString()) == -1) {
        QApplication::restoreOverrideCursor();
        return;
    }
    m_export.first();
    const QStringList header{QStringLiteral("Марка"), QStringLiteral("Операция"), QStringLiteral("Цена"),
                             QStringLiteral("Вид")};
    for (int c = 0; c < header.size(); ++c)
        ExcelPutCell(1, c + 1, 1, header[c], true);
    for (int r = 0; r < m_export.recordCount(); ++r) {
        m_export.setRecNo(r + 1);
        const int row = r + 2;
        ExcelPutCell(1, 1, row, m_export.fieldByName(QStringLiteral("MARKA")).asString(), true);
        ExcelPutCell(1, 2, row, m_export.fieldByName(QStringLiteral("VID")).asString(), true);
        // The price goes in as a number, so the sheet can sum and sort it.
        const Field price = m_export.fieldByName(QStringLiteral("cena"));
        ExcelPutCell(1, 3, row, price.isNull() ? QString() : formatScreen(price.asFloat()), false);
        ExcelPutCell(1, 4, row, kindText(m_export.fieldByName(QStringLiteral("NAIMEN")).asInteger()), true);
    }
    ExcelSetVisible(true);
}
