// Operation types list "Виды операций (8)": adds, changes and deletes operation types, and
// serves the price editor as the operation-type picker.
#include "refbooks/OperationTypesDialog.h"
#include "ui/DatasetGrid.h"

#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/OperationTypeEditor.h"
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

OperationTypesDialog* g_operationTypesDialog = nullptr;

OperationTypesDialog::OperationTypesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("OperationTypesDialog"));
    setWindowTitle(QStringLiteral("Виды операций (8)"));

    Edit1 = makeSearchField(this, QStringLiteral("Поиск по названию"), this);
    Edit1->setVisible(false);

    DBGrid1 = makeListGrid(this);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    attachGrid();
    DBGrid1->setMinimumSize(380, 380);

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

    connect(Button1, &QPushButton::clicked, this, &OperationTypesDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &OperationTypesDialog::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &OperationTypesDialog::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &OperationTypesDialog::Button4Click);
    connect(DBGrid1, &QTableView::doubleClicked, this, &OperationTypesDialog::DBGrid1DblClick);
    connect(Edit1, &QLineEdit::textChanged, this, &OperationTypesDialog::Edit1Change);
}

OperationTypesDialog::~OperationTypesDialog() {
    if (g_operationTypesDialog == this)
        g_operationTypesDialog = nullptr;
}

// The grid shows the shared query Vid_oper of the data module; attached once the data module
// exists (and again should the data module be replaced).
void OperationTypesDialog::attachGrid() {
    if (!g_database || DBGrid1->model() == &g_database->operationTypes())
        return;
    g_database->operationTypes().setColumns({{QStringLiteral("VID"), QStringLiteral("Операции"), 360}});
    showInGrid(g_database->operationTypes(), DBGrid1);
}

void OperationTypesDialog::openFromMainMenu() {
    attachGrid();
    Tag = 0;
    g_database->operationTypes().setFiltered(false);
    g_database->operationTypes().open();
    Button2->setDefault(false);
    Button2->setText(QStringLiteral("Изменить"));
    Button1->setDefault(true);
    Button1->setVisible(true);
    Button3->setVisible(true);
    seams::showModal(this);
    g_database->operationTypes().close();
}

bool OperationTypesDialog::openAsPicker() {
    attachGrid();
    Tag = 1;
    Picked = false;
    g_database->operationTypes().open();
    Button2->setText(QStringLiteral("Выбрать"));
    Button1->setVisible(false);
    Button3->setVisible(false);
    Button2->setDefault(true);
    Edit1->setVisible(true);
    Edit1->clear();
    seams::showModal(this);
    Button2->setDefault(false);
    Edit1->setVisible(false);
    g_database->operationTypes().close();
    return Picked;
}

void OperationTypesDialog::Button1Click() {
    g_operationTypeEditor->Edit1->clear();
    g_operationTypeEditor->setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    g_operationTypeEditor->Tag = 1;
    seams::showModal(g_operationTypeEditor);
}

void OperationTypesDialog::Button2Click() {
    Dataset& types = g_database->operationTypes();
    if (Tag != 0) {
        // A pick, also from an empty list (empty name, id 0).
        PickedVid = types.fieldByName(QStringLiteral("vid")).asString().trimmed();
        PickedId = types.fieldByName(QStringLiteral("id")).asInteger();
        Picked = true;
        accept();
        return;
    }
    // With no row there is no type to change.
    if (types.isEmpty())
        return;
    g_operationTypeEditor->setWindowTitle(QStringLiteral("Изменение данных вида операции"));
    g_operationTypeEditor->Tag = 2;
    g_operationTypeEditor->Edit1->setText(types.fieldByName(QStringLiteral("vid")).asString().trimmed());
    seams::showModal(g_operationTypeEditor);
}

void OperationTypesDialog::DBGrid1DblClick() {
    Button2Click();
}

void OperationTypesDialog::Button3Click() {
    Dataset& types = g_database->operationTypes();
    if (types.isEmpty())
        return;
    if (!seams::askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить вид операции?")))
        return;
    g_operationTypeEditor->deleteCurrent();
    types.close();
    types.open();
}

void OperationTypesDialog::Button4Click() {
    reject();
}

void OperationTypesDialog::Edit1Change(const QString& text) {
    Dataset& types = g_database->operationTypes();
    applySearch(types, QStringLiteral("vid"), text);
}

bool OperationTypesDialog::eventFilter(QObject* watched, QEvent* e) {
    // In the search field Up and Down move the list; the other keys that act on key-down
    // (Delete, Left, Right, Home, End) are swallowed, typed characters and Backspace edit.
    if (watched == Edit1 && searchFieldKey(e, g_database->operationTypes()))
        return true;
    return QDialog::eventFilter(watched, e);
}
