#include "refbooks/OperationPriceEditor.h"

#include "data/Database.h"
#include "refbooks/OperationTypesDialog.h"
#include "refbooks/ProductsDialog.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

OperationPriceEditor* g_operationPriceEditor = nullptr;

OperationPriceEditor::OperationPriceEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("OperationPriceEditor"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    GroupBox1 = new QGroupBox(QStringLiteral("Цена операции"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    QFont bold = GroupBox1->font();
    bold.setBold(true);
    GroupBox1->setFont(bold);
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        QFont f = w->font();
        f.setBold(false);
        w->setFont(f);
        return w;
    };
    Edit1 = static_cast<QLineEdit*>(named(new QLineEdit, "Edit1"));
    Edit2 = static_cast<QLineEdit*>(named(new QLineEdit, "Edit2"));
    for (QLineEdit* e : {Edit1, Edit2}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setMinimumWidth(260);
    }
    Button3 = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("...")), "Button3"));
    Button4 = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("...")), "Button4"));
    for (QPushButton* b : {Button3, Button4}) {
        b->setFixedWidth(28);
        b->setAutoDefault(false);
    }
    ComboBox1 = static_cast<QComboBox*>(named(new QComboBox, "ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Готовая продукция"), QStringLiteral("Заготовки")});
    auto* grid = new QGridLayout(GroupBox1);
    auto label = [&named](const QString& text) { return named(new QLabel(text), "Label"); };
    grid->addWidget(label(QStringLiteral("Марка изделия")), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Button3, 0, 2);
    grid->addWidget(label(QStringLiteral("Операция")), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(Button4, 1, 2);
    grid->addWidget(label(QStringLiteral("Вид")), 2, 0);
    grid->addWidget(ComboBox1, 2, 1);
    layOutEditor(this, GroupBox1, Button1, Button2);
    connect(Button1, &QPushButton::clicked, this, &OperationPriceEditor::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &OperationPriceEditor::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &OperationPriceEditor::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &OperationPriceEditor::Button4Click);
}

OperationPriceEditor::~OperationPriceEditor() {
    if (g_operationPriceEditor == this)
        g_operationPriceEditor = nullptr;
}

void OperationPriceEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Button3->setFocus();
}

void OperationPriceEditor::Button3Click() {
    if (g_productsDialog->openAsPicker()) {
        Edit1->setText(g_productsDialog->PickedMarka);
        productId = int(g_productsDialog->PickedId);
    }
}

void OperationPriceEditor::Button4Click() {
    if (g_operationTypesDialog->openAsPicker()) {
        Edit2->setText(g_operationTypesDialog->PickedVid);
        operTypeId = g_operationTypesDialog->PickedId;
    }
}

void OperationPriceEditor::Button1Click() {
    const int kind = ComboBox1->currentIndex();
    if (Edit1->text().trimmed().isEmpty() || Edit2->text().trimmed().isEmpty()) {
        seams::errorBox(QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    const QString duplicate = QStringLiteral("Операция с такими параметрами уже заведена!");
    Database* dm = g_database;
    if (Tag == 1) {
        if (refuseIfFound(
                *dm,
                QStringLiteral("select count(ID) as cnt from accounts_dep.OPER where vid=%1 and naimen=%2 "
                               "and i_id=%3")
                    .arg(operTypeId)
                    .arg(kind)
                    .arg(productId),
                duplicate))
            return;
        dm->Oper_ins.setSql(
            QStringLiteral("insert into accounts_dep.oper(vid, naimen, i_id, cena_new)values (%1, %2, "
                           "%3, 0)")
                .arg(operTypeId)
                .arg(kind)
                .arg(productId));
        dm->Oper_ins.execute();
    } else {
        const QString id = dm->operationPrices().fieldByName(QStringLiteral("id")).asString();
        if (refuseIfFound(
                *dm,
                QStringLiteral("select count(*) as cnt from accounts_dep.OPER where vid=%1 and naimen=%2 "
                               "and i_id=%3 and id<>%4")
                    .arg(operTypeId)
                    .arg(kind)
                    .arg(productId)
                    .arg(id),
                duplicate))
            return;
        dm->Oper_ed.setSql(
            QStringLiteral("update accounts_dep.oper set vid=%1, naimen=%2,  i_id=%3 where id=%4")
                .arg(operTypeId)
                .arg(kind)
                .arg(productId)
                .arg(id));
        dm->Oper_ed.execute();
    }
    dm->operationPrices().close();
    dm->operationPrices().open();
    accept();
}

void OperationPriceEditor::Button2Click() {
    reject();
}
