// Operation types list "Виды операций (8)": adds, changes and deletes operation types, and
// serves the price editor as the operation-type picker.
#include "refbooks/OperationTypesDialog.h"

#include "data/Database.h"
#include "refbooks/OperationTypeEditor.h"
#include "refbooks/StoreCall.h"
#include "ui/DatasetGrid.h"
#include "ui/ListSearch.h"
#include "ui/Seams.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

OperationTypesDialog::OperationTypesDialog(Database& db, QWidget* parent)
    : ListDialog(QStringLiteral("Поиск по названию"), parent), m_db(db),
      m_editor(new OperationTypeEditor(db, this)) {
    setObjectName(QStringLiteral("OperationTypesDialog"));
    m_operationTypes.setSql(Database::operationTypesSql());
    setWindowTitle(QStringLiteral("Виды операций (8)"));

    m_searchEdit->setVisible(false);
    m_listGrid->horizontalHeader()->setStretchLastSection(true);
    m_operationTypesModel.setColumns({{QStringLiteral("VID"), QStringLiteral("Операции"), 360}});
    showInGrid(m_operationTypesModel, m_listGrid);
    m_listGrid->setMinimumSize(380, 380);

    layOutWithSearchAbove();
}

Dataset& OperationTypesDialog::list() {
    return m_operationTypes;
}

void OperationTypesDialog::browse() {
    list().setFiltered(false);
    browseList();
}

std::optional<OperationType> OperationTypesDialog::pickOperationType() {
    m_picked.reset();
    pickFromList(true);
    return m_picked;
}

void OperationTypesDialog::addNew() {
    if (m_editor->addOperationType())
        reopenList(false);
}

void OperationTypesDialog::changeCurrent() {
    // With no row there is no type to change.
    if (list().isEmpty())
        return;
    if (m_editor->changeOperationType({list().fieldByName(QStringLiteral("id")).asInteger(),
                                       list().fieldByName(QStringLiteral("vid")).asString().trimmed()}))
        reopenList(false);
}

// A pick, also from an empty list (empty name, id 0).
void OperationTypesDialog::pickCurrent() {
    m_picked = OperationType{list().fieldByName(QStringLiteral("id")).asInteger(),
                             list().fieldByName(QStringLiteral("vid")).asString().trimmed()};
    accept();
}

void OperationTypesDialog::removeCurrent() {
    if (list().isEmpty())
        return;
    const int id = list().fieldByName(QStringLiteral("id")).asInteger();
    if (runStoreCall([&] { refuseOperationTypeDeletionInUse(m_db, id); }) != StoreOutcome::Written)
        return;
    if (!seams::confirmDestructive(QStringLiteral("Удаление"), QStringLiteral("Удалить вид операции?"),
                                   list().fieldByName(QStringLiteral("vid")).asString().trimmed()))
        return;
    runStoreCall([&] { deleteOperationType(m_db, id); });
    reopenList(false);
}

// Shows the types whose name begins with the text, letter case aside.
void OperationTypesDialog::search(const QString& text) {
    applySearch(list(), QStringLiteral("vid"), text);
}
