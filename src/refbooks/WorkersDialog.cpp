// Workers list "Список рабочих": adds, changes and deletes workers, and serves the
// work-record and maintenance-work editors as the worker picker.
#include "refbooks/WorkersDialog.h"
#include "ui/DatasetGrid.h"

#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/WorkerEditor.h"
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

WorkersDialog* g_workersDialog = nullptr;

WorkersDialog::WorkersDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WorkersDialog"));
    setWindowTitle(QStringLiteral("Список рабочих"));

    Edit1 = makeSearchField(this, QStringLiteral("Поиск по ФИО"), this);

    DBGrid1 = makeListGrid(this, true);
    attachGrid();
    DBGrid1->setMinimumSize(640, 380);

    makeListButtons(this, Button1, Button2, Button3, Button4);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    buttons->addStretch();
    buttons->addWidget(Button4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Edit1);
    layout->addWidget(DBGrid1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &WorkersDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &WorkersDialog::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &WorkersDialog::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &WorkersDialog::Button4Click);
    connect(DBGrid1, &QTableView::doubleClicked, this, &WorkersDialog::DBGrid1DblClick);
    connect(Edit1, &QLineEdit::textChanged, this, &WorkersDialog::Edit1Change);
}

WorkersDialog::~WorkersDialog() {
    if (g_workersDialog == this)
        g_workersDialog = nullptr;
}

// The grid shows the shared query Workers of the data module; attached once the data module
// exists (and again should the data module be replaced).
void WorkersDialog::attachGrid() {
    if (!g_database || DBGrid1->model() == &g_database->workers())
        return;
    g_database->workers().setColumns({{QStringLiteral("fio"), QStringLiteral("ФИО"), 300},
                                      {QStringLiteral("s_staffpos_hl"), QStringLiteral("Должность"), 300}});
    showInGrid(g_database->workers(), DBGrid1);
}

void WorkersDialog::openFromMainMenu() {
    attachGrid();
    Tag = 0;
    g_database->workers().open();
    Button2->setDefault(false);
    Button2->setText(QStringLiteral("Изменить"));
    Button1->setDefault(true);
    Button1->setVisible(true);
    Button3->setVisible(true);
    seams::showModal(this);
    g_database->workers().close();
}

bool WorkersDialog::openAsPicker(int tag) {
    attachGrid();
    Tag = tag;
    Picked = false;
    g_database->workers().open();
    Button2->setText(QStringLiteral("Выбрать"));
    Button2->setDefault(true);
    Button2->setVisible(true);
    Button3->setVisible(false);
    Button1->setVisible(false);
    Edit1->setVisible(true);
    Edit1->clear();
    seams::showModal(this);
    g_database->workers().close();
    return Picked;
}

void WorkersDialog::Button1Click() {
    g_workerEditor->Edit1->clear();
    g_workerEditor->setWindowTitle(QStringLiteral("Заведение данных нового работника"));
    g_workerEditor->Tag = 1;
    g_workerEditor->refreshLookups();
    seams::showModal(g_workerEditor);
    g_database->workers().close();
    g_database->workers().open();
}

void WorkersDialog::Button2Click() {
    if (Tag == 0)
        changeWorker();
    else
        pickCurrentWorker();
}

void WorkersDialog::DBGrid1DblClick() {
    Button2Click();
}

void WorkersDialog::changeWorker() {
    Dataset& workers = g_database->workers();
    // With no row there is no worker to change.
    if (workers.isEmpty())
        return;
    const int row = workers.recNo();
    g_workerEditor->setWindowTitle(QStringLiteral("Изменение данных работника"));
    g_workerEditor->Tag = 2;
    g_workerEditor->refreshLookups();
    g_workerEditor->Edit1->setText(workers.fieldByName(QStringLiteral("fio")).asString().trimmed());
    // The position box shows the worker's own position, so that saving a corrected name
    // does not overwrite it with the position chosen for somebody else.
    g_workerEditor->presetPosition(workers.fieldByName(QStringLiteral("s_staffpos_hl")).asString());
    g_workerEditor->workerId = workers.fieldByName(QStringLiteral("id")).asInteger();
    seams::showModal(g_workerEditor);
    workers.close();
    workers.open();
    if (workers.recordCount() > 0)
        workers.setRecNo(row);
}

void WorkersDialog::pickCurrentWorker() {
    const Dataset& workers = g_database->workers();
    if (workers.recordCount() > 0) {
        PickedFio = workers.fieldByName(QStringLiteral("fio")).asString().trimmed();
        PickedId = workers.fieldByName(QStringLiteral("id")).asInteger();
        Picked = true;
    }
    accept();
}

void WorkersDialog::Button3Click() {
    Dataset& workers = g_database->workers();
    if (workers.isEmpty())
        return;
    if (!seams::askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить работника?")))
        return;
    const int row = workers.recNo();
    command.setSql(QStringLiteral("delete from accounts_dep.person where id =") +
                   QString::number(workers.fieldByName(QStringLiteral("id")).asInteger()));
    command.execute();
    workers.close();
    workers.open();
    if (workers.recordCount() > 0)
        workers.setRecNo(row);
}

void WorkersDialog::Button4Click() {
    reject();
}

void WorkersDialog::Edit1Change(const QString& text) {
    Dataset& workers = g_database->workers();
    applySearch(workers, QStringLiteral("fio"), text);
}

bool WorkersDialog::eventFilter(QObject* watched, QEvent* e) {
    // In the search field Up and Down move the list; the other keys that act on key-down
    // (Delete, Left, Right, Home, End) are swallowed, typed characters and Backspace edit.
    if (watched == Edit1 && searchFieldKey(e, g_database->workers()))
        return true;
    return QDialog::eventFilter(watched, e);
}

std::optional<Worker> WorkersDialog::pickWorker() {
    if (!openAsPicker(1))
        return std::nullopt;
    return Worker{PickedId, PickedFio};
}
