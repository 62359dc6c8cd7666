// Nomenclature group editor "Ведение групп (29)": the name of a new group or of the group
// chosen in the list.
#include "refbooks/NomenclatureGroupEditor.h"

#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/NomenclatureGroupsDialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

NomenclatureGroupEditor* g_nomenclatureGroupEditor = nullptr;

NomenclatureGroupEditor::NomenclatureGroupEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NomenclatureGroupEditor"));
    setWindowTitle(QStringLiteral("Ведение групп (29)"));

    GroupBox1 = new QGroupBox(QStringLiteral("Номенклатурная группа"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(300);
    auto* form = new QFormLayout(GroupBox1);
    form->addRow(QStringLiteral("Наименование"), Edit1);

    Button1 = new QPushButton(QStringLiteral("Записать"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button6 = new QPushButton(QStringLiteral("Выход"), this);
    Button6->setObjectName(QStringLiteral("Button6"));
    Button6->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button6);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    setFixedWindowLook(this);

    connect(Button1, &QPushButton::clicked, this, &NomenclatureGroupEditor::Button1Click);
    connect(Button6, &QPushButton::clicked, this, &NomenclatureGroupEditor::Button6Click);
}

NomenclatureGroupEditor::~NomenclatureGroupEditor() {
    if (g_nomenclatureGroupEditor == this)
        g_nomenclatureGroupEditor = nullptr;
}

void NomenclatureGroupEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    centreOnDesktop(this);
    Edit1->setFocus();
}

void NomenclatureGroupEditor::Button1Click() {
    const QString name = Edit1->text().trimmed();
    Command& sql = g_database->SQL_exec;
    if (Tag == 1)
        sql.setSql(QStringLiteral("INSERT INTO cmn_classifier.item(s_caption) VALUES(") + sqlQuote(name) +
                   QStringLiteral(")"));
    else
        sql.setSql(
            QStringLiteral("UPDATE cmn_classifier.item SET s_caption=") + sqlQuote(name) +
            QStringLiteral(" where id=") +
            QString::number(g_nomenclatureGroupsDialog->item.fieldByName(QStringLiteral("id")).asLargeInt()));
    sql.execute();
    g_nomenclatureGroupsDialog->item.close();
    g_nomenclatureGroupsDialog->item.open();
    accept();
}

void NomenclatureGroupEditor::Button6Click() {
    reject();
}
