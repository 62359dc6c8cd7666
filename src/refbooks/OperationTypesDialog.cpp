// Operation types list "Виды операций (8)": adds, changes and deletes operation types, and
// serves the price editor as the operation-type picker.
#include "refbooks/OperationTypesDialog.h"

#include "data/Database.h"
#include "refbooks/OperationTypeEditor.h"
#include "ui/DatasetGrid.h"
#include "ui/ListSearch.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

OperationTypesDialog::OperationTypesDialog(Database& db, QWidget* parent)
    : ListDialog(QStringLiteral("Поиск по названию"), parent), m_db(db),
      m_editor(new OperationTypeEditor(db, this)) {
    setObjectName(QStringLiteral("OperationTypesDialog"));
    setWindowTitle(QStringLiteral("Виды операций (8)"));

    m_searchEdit->setVisible(false);
    m_listGrid->horizontalHeader()->setStretchLastSection(true);
    m_db.operationTypes().setColumns({{QStringLiteral("VID"), QStringLiteral("Операции"), 360}});
    showInGrid(m_db.operationTypes(), m_listGrid);
    m_listGrid->setMinimumSize(380, 380);

    layOutWithSearchAbove();
}

Dataset& OperationTypesDialog::list() {
    return m_db.operationTypes();
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
    if (refuseDeletionInUse(
            m_db,
            QStringLiteral("select (select count(*) from accounts_dep.smena s join accounts_dep.oper o on "
                           "o.id=s.o_id where o.vid=:id) + (select count(*) from accounts_dep.fatigue where "
                           "id_o=:id)"),
            id,
            QStringLiteral("Вид операции нельзя удалить: на него ссылаются записи журнала и хоз. работ (%1). "
                           "Ничего не удалено.")))
        return;
    if (!seams::askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить вид операции?")))
        return;
    m_db.execute(QStringLiteral("delete from accounts_dep.vid_oper where id=:id"),
                 {{QStringLiteral("id"), id}});
    reopenList(false);
}

// Shows the types whose name begins with the text, letter case aside.
void OperationTypesDialog::search(const QString& text) {
    applySearch(list(), QStringLiteral("vid"), text);
}
