// Nomenclature groups list "Номенклатура (26)": adds and renames the groups of products, and
// serves the maintenance-work editor as the group picker.
#include "refbooks/NomenclatureGroupsDialog.h"
#include "ui/DatasetGrid.h"

#include "data/Format.h"
#include "refbooks/NomenclatureGroupEditor.h"
#include "ui/ListSearch.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

NomenclatureGroupsDialog* g_nomenclatureGroupsDialog = nullptr;

void setFixedWindowLook(QDialog* window) {
    const QString icon = QStringLiteral(":/Icon_1");
    if (QFile::exists(icon))
        window->setWindowIcon(QIcon(icon));
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setSizeGripEnabled(false);
    if (window->layout())
        window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void centreOnDesktop(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

NomenclatureGroupsDialog::NomenclatureGroupsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NomenclatureGroupsDialog"));
    setWindowTitle(QStringLiteral("Номенклатура (26)"));

    item.setSql(QStringLiteral("select * from cmn_classifier.item where id_level=2 order by s_caption"));

    Edit1 = makeSearchField(this, QStringLiteral("Поиск по наименованию"), this);

    DBGrid1 = makeListGrid(this);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    item.setColumns({{QStringLiteral("s_caption"), QStringLiteral("Наименование"), 330}});
    showInGrid(item, DBGrid1);
    DBGrid1->setFixedSize(360, 340);

    Button2 = new QPushButton(QStringLiteral("Добавить"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("Изменить"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button1 = new QPushButton(QStringLiteral("Удалить"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setEnabled(false);
    Button4 = new QPushButton(QStringLiteral("Выход"), this);
    Button4->setObjectName(QStringLiteral("Button4"));
    for (QPushButton* b : {Button1, Button2, Button3, Button4})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    buttons->addWidget(Button1);
    buttons->addStretch();
    buttons->addWidget(Button4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Edit1);
    layout->addWidget(DBGrid1);
    layout->addLayout(buttons);
    setFixedWindowLook(this);

    connect(Button1, &QPushButton::clicked, this, &NomenclatureGroupsDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &NomenclatureGroupsDialog::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &NomenclatureGroupsDialog::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &NomenclatureGroupsDialog::Button4Click);
    connect(DBGrid1, &QTableView::doubleClicked, this, &NomenclatureGroupsDialog::DBGrid1DblClick);
    connect(Edit1, &QLineEdit::textChanged, this, &NomenclatureGroupsDialog::Edit1Change);
}

NomenclatureGroupsDialog::~NomenclatureGroupsDialog() {
    if (g_nomenclatureGroupsDialog == this)
        g_nomenclatureGroupsDialog = nullptr;
}

void NomenclatureGroupsDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    centreOnDesktop(this);
}

void NomenclatureGroupsDialog::openFromMainMenu() {
    Tag = 0;
    item.open();
    Button3->setText(QStringLiteral("Изменить"));
    Button1->setVisible(true);
    Button2->setVisible(true);
    seams::showModal(this);
    item.close();
}

bool NomenclatureGroupsDialog::openAsPicker() {
    Tag = 24;
    Picked = false;
    Button3->setText(QStringLiteral("Выбрать"));
    Button1->setVisible(false);
    Button2->setVisible(false);
    item.open();
    seams::showModal(this);
    Button1->setVisible(true);
    Button2->setVisible(true);
    item.close();
    return Picked;
}

// Change (list mode) or choose (picker mode) the current group.
void NomenclatureGroupsDialog::DBGrid1DblClick() {
    const int row = item.recNo();
    if (Tag == 0) {
        // With no row there is no group to rename.
        if (item.isEmpty())
            return;
        g_nomenclatureGroupEditor->Tag = 2;
        g_nomenclatureGroupEditor->Edit1->setText(
            item.fieldByName(QStringLiteral("s_caption")).asString().trimmed());
        seams::showModal(g_nomenclatureGroupEditor);
    } else {
        PickedId = item.fieldByName(QStringLiteral("id")).asLargeInt();
        PickedCaption = item.fieldByName(QStringLiteral("s_caption")).asString();
        Picked = true;
        accept();
    }
    item.setRecNo(row);
}

void NomenclatureGroupsDialog::Button1Click() {
    DBGrid1DblClick();
}

void NomenclatureGroupsDialog::Button2Click() {
    const int row = item.recNo();
    g_nomenclatureGroupEditor->Edit1->clear();
    g_nomenclatureGroupEditor->Tag = 1;
    seams::showModal(g_nomenclatureGroupEditor);
    item.setRecNo(row);
}

void NomenclatureGroupsDialog::Button3Click() {
    DBGrid1DblClick();
}

void NomenclatureGroupsDialog::Button4Click() {
    reject();
}

void NomenclatureGroupsDialog::Edit1Change(const QString& text) {
    applySearch(item, QStringLiteral("s_caption"), text);
}

bool NomenclatureGroupsDialog::eventFilter(QObject* watched, QEvent* e) {
    // In the search field Up and Down move the list; the other keys that act on key-down
    // (Delete, Left, Right, Home, End) are swallowed, typed characters and Backspace edit.
    if (watched == Edit1 && searchFieldKey(e, item))
        return true;
    return QDialog::eventFilter(watched, e);
}
