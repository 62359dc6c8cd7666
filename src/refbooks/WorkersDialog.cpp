// Workers list "Список рабочих": adds, changes and deletes workers, and serves the
// work-record and maintenance-work editors as the worker picker.
#include "refbooks/WorkersDialog.h"

#include "data/Database.h"
#include "refbooks/StoreCall.h"
#include "refbooks/WorkerEditor.h"
#include "ui/DatasetGrid.h"
#include "ui/ListSearch.h"
#include "ui/Seams.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

WorkersDialog::WorkersDialog(Database& db, QWidget* parent)
    : ListDialog(QStringLiteral("Поиск по ФИО"), parent), m_db(db), m_editor(new WorkerEditor(db, this)) {
    m_workers.setSql(Database::workersSql());
    setObjectName(QStringLiteral("WorkersDialog"));
    setWindowTitle(QStringLiteral("Список рабочих"));

    QFont bold = m_listGrid->horizontalHeader()->font();
    bold.setBold(true);
    m_listGrid->horizontalHeader()->setFont(bold);
    m_workersModel.setColumns({{QStringLiteral("fio"), QStringLiteral("ФИО"), 300},
                               {QStringLiteral("s_staffpos_hl"), QStringLiteral("Должность"), 300}});
    showInGrid(m_workersModel, m_listGrid);
    m_listGrid->setMinimumSize(640, 380);

    layOutWithSearchAbove();
}

Dataset& WorkersDialog::list() {
    return m_workers;
}

void WorkersDialog::browse() {
    browseList();
}

std::optional<Worker> WorkersDialog::pickWorker() {
    m_picked.reset();
    pickFromList(false);
    return m_picked;
}

// The list is read again whether or not the editor saved; it starts at its first row.
void WorkersDialog::addNew() {
    m_editor->addWorker();
    reopenList(false);
}

void WorkersDialog::changeCurrent() {
    // With no row there is no worker to change.
    if (list().isEmpty())
        return;
    const Worker worker{list().fieldByName(QStringLiteral("id")).asInteger(),
                        list().fieldByName(QStringLiteral("fio")).asString().trimmed()};
    m_editor->changeWorker(worker, list().fieldByName(QStringLiteral("s_staffpos_hl")).asString());
    reopenList(true);
}

// A pick hands back the current worker; an empty list hands back nothing but closes too.
void WorkersDialog::pickCurrent() {
    if (list().recordCount() > 0)
        m_picked = Worker{list().fieldByName(QStringLiteral("id")).asInteger(),
                          list().fieldByName(QStringLiteral("fio")).asString().trimmed()};
    accept();
}

void WorkersDialog::removeCurrent() {
    if (list().isEmpty())
        return;
    const int id = list().fieldByName(QStringLiteral("id")).asInteger();
    if (runStoreCall([&] { refuseWorkerDeletionInUse(m_db, id); }) != StoreOutcome::Written)
        return;
    if (!seams::confirmDestructive(QStringLiteral("Удаление"), QStringLiteral("Удалить работника?"),
                                   list().fieldByName(QStringLiteral("fio")).asString().trimmed()))
        return;
    runStoreCall([&] { deleteWorker(m_db, id); });
    reopenList(true);
}

// Shows the workers whose name begins with the text, letter case aside.
void WorkersDialog::search(const QString& text) {
    applySearch(list(), QStringLiteral("fio"), text);
}
