// Workers list "Список рабочих": adds, changes and deletes workers, and serves the
// work-record and maintenance-work editors as the worker picker.
#include "Unit5.h"

#include "Format.h"
#include "ListSearch.h"
#include "Seams.h"
#include "Unit2.h"
#include "Unit6.h"
#include "WindowParts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form5"));
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

    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm5::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm5::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm5::Button4Click);
    connect(DBGrid1, &QTableView::doubleClicked, this, &TForm5::DBGrid1DblClick);
    connect(Edit1, &QLineEdit::textChanged, this, &TForm5::Edit1Change);
}

TForm5::~TForm5() {
    if (Form5 == this)
        Form5 = nullptr;
}

// The grid shows the shared query Workers of the data module; attached once the data module
// exists (and again should the data module be replaced).
void TForm5::attachGrid() {
    if (!DataModule6 || DBGrid1->model() == &DataModule6->Workers)
        return;
    DataModule6->Workers.setColumns({{QStringLiteral("fio"), QStringLiteral("ФИО"), 300},
                                     {QStringLiteral("s_staffpos_hl"), QStringLiteral("Должность"), 300}});
    DataModule6->Workers.attachView(DBGrid1);
}

void TForm5::openFromMainMenu() {
    attachGrid();
    Tag = 0;
    DataModule6->Workers.open();
    Button2->setDefault(false);
    Button2->setText(QStringLiteral("Изменить"));
    Button1->setDefault(true);
    Button1->setVisible(true);
    Button3->setVisible(true);
    seams::showModal(this);
    DataModule6->Workers.close();
}

bool TForm5::openAsPicker(int tag) {
    attachGrid();
    Tag = tag;
    Picked = false;
    DataModule6->Workers.open();
    Button2->setText(QStringLiteral("Выбрать"));
    Button2->setDefault(true);
    Button2->setVisible(true);
    Button3->setVisible(false);
    Button1->setVisible(false);
    Edit1->setVisible(true);
    Edit1->clear();
    seams::showModal(this);
    DataModule6->Workers.close();
    return Picked;
}

void TForm5::Button1Click() {
    Form2->Edit1->clear();
    Form2->setWindowTitle(QStringLiteral("Заведение данных нового работника"));
    Form2->Tag = 1;
    Form2->refreshLookups();
    seams::showModal(Form2);
    DataModule6->Workers.close();
    DataModule6->Workers.open();
}

void TForm5::Button2Click() {
    if (Tag == 0)
        changeWorker();
    else
        pickWorker();
}

void TForm5::DBGrid1DblClick() {
    Button2Click();
}

void TForm5::changeWorker() {
    Dataset& workers = DataModule6->Workers;
    // With no row there is no worker to change.
    if (workers.isEmpty())
        return;
    const int row = workers.recNo();
    Form2->setWindowTitle(QStringLiteral("Изменение данных работника"));
    Form2->Tag = 2;
    Form2->refreshLookups();
    Form2->Edit1->setText(workers.fieldByName(QStringLiteral("fio")).asString().trimmed());
    // The position box shows the worker's own position, so that saving a corrected name
    // does not overwrite it with the position chosen for somebody else.
    Form2->presetPosition(workers.fieldByName(QStringLiteral("s_staffpos_hl")).asString());
    Form2->workerId = workers.fieldByName(QStringLiteral("id")).asInteger();
    seams::showModal(Form2);
    workers.close();
    workers.open();
    if (workers.recordCount() > 0)
        workers.setRecNo(row);
}

void TForm5::pickWorker() {
    const Dataset& workers = DataModule6->Workers;
    if (workers.recordCount() > 0) {
        PickedFio = workers.fieldByName(QStringLiteral("fio")).asString().trimmed();
        PickedId = workers.fieldByName(QStringLiteral("id")).asInteger();
        Picked = true;
    }
    accept();
}

void TForm5::Button3Click() {
    Dataset& workers = DataModule6->Workers;
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

void TForm5::Button4Click() {
    reject();
}

void TForm5::Edit1Change(const QString& text) {
    Dataset& workers = DataModule6->Workers;
    applySearch(workers, QStringLiteral("fio"), text);
}

bool TForm5::eventFilter(QObject* watched, QEvent* e) {
    // In the search field Up and Down move the list; the other keys that act on key-down
    // (Delete, Left, Right, Home, End) are swallowed, typed characters and Backspace edit.
    if (watched == Edit1 && searchFieldKey(e, DataModule6->Workers))
        return true;
    return QDialog::eventFilter(watched, e);
}
