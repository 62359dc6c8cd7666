// Operation types list "Виды операций (8)": adds, changes and deletes operation types, and
// serves the price editor as the operation-type picker.
#include "Unit8.h"

#include "Format.h"
#include "ListSearch.h"
#include "Seams.h"
#include "Unit6.h"
#include "Unit9.h"
#include "WindowParts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TForm8* Form8 = nullptr;

TForm8::TForm8(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form8"));
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

    connect(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm8::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm8::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm8::Button4Click);
    connect(DBGrid1, &QTableView::doubleClicked, this, &TForm8::DBGrid1DblClick);
    connect(Edit1, &QLineEdit::textChanged, this, &TForm8::Edit1Change);
}

TForm8::~TForm8() {
    if (Form8 == this)
        Form8 = nullptr;
}

// The grid shows the shared query Vid_oper of the data module; attached once the data module
// exists (and again should the data module be replaced).
void TForm8::attachGrid() {
    if (!DataModule6 || DBGrid1->model() == &DataModule6->Vid_oper)
        return;
    DataModule6->Vid_oper.setColumns({{QStringLiteral("VID"), QStringLiteral("Операции"), 360}});
    DataModule6->Vid_oper.attachView(DBGrid1);
}

void TForm8::openFromMainMenu() {
    attachGrid();
    Tag = 0;
    DataModule6->Vid_oper.setFiltered(false);
    DataModule6->Vid_oper.open();
    Button2->setDefault(false);
    Button2->setText(QStringLiteral("Изменить"));
    Button1->setDefault(true);
    Button1->setVisible(true);
    Button3->setVisible(true);
    seams::showModal(this);
    DataModule6->Vid_oper.close();
}

bool TForm8::openAsPicker() {
    attachGrid();
    Tag = 1;
    Picked = false;
    DataModule6->Vid_oper.open();
    Button2->setText(QStringLiteral("Выбрать"));
    Button1->setVisible(false);
    Button3->setVisible(false);
    Button2->setDefault(true);
    Edit1->setVisible(true);
    Edit1->clear();
    seams::showModal(this);
    Button2->setDefault(false);
    Edit1->setVisible(false);
    DataModule6->Vid_oper.close();
    return Picked;
}

void TForm8::Button1Click() {
    Form9->Edit1->clear();
    Form9->setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    Form9->Tag = 1;
    seams::showModal(Form9);
}

void TForm8::Button2Click() {
    Dataset& types = DataModule6->Vid_oper;
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
    Form9->setWindowTitle(QStringLiteral("Изменение данных вида операции"));
    Form9->Tag = 2;
    Form9->Edit1->setText(types.fieldByName(QStringLiteral("vid")).asString().trimmed());
    seams::showModal(Form9);
}

void TForm8::DBGrid1DblClick() {
    Button2Click();
}

void TForm8::Button3Click() {
    Dataset& types = DataModule6->Vid_oper;
    if (types.isEmpty())
        return;
    if (!seams::askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить вид операции?")))
        return;
    Form9->deleteCurrent();
    types.close();
    types.open();
}

void TForm8::Button4Click() {
    reject();
}

void TForm8::Edit1Change(const QString& text) {
    Dataset& types = DataModule6->Vid_oper;
    applySearch(types, QStringLiteral("vid"), text);
}

bool TForm8::eventFilter(QObject* watched, QEvent* e) {
    // In the search field Up and Down move the list; the other keys that act on key-down
    // (Delete, Left, Right, Home, End) are swallowed, typed characters and Backspace edit.
    if (watched == Edit1 && searchFieldKey(e, DataModule6->Vid_oper))
        return true;
    return QDialog::eventFilter(watched, e);
}
