// Operation type editor: enters a new operation type or renames one. It writes the rows of
// the shared query Vid_oper (new row, the current row, deletion of the current row).
#include "refbooks/OperationTypeEditor.h"

#include "data/Database.h"
#include "data/Format.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

OperationTypeEditor* g_operationTypeEditor = nullptr;

OperationTypeEditor::OperationTypeEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("OperationTypeEditor"));

    GroupBox1 = new QGroupBox(QStringLiteral("Вид операции"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(128);
    Edit1->setMinimumWidth(300);
    auto* form = new QFormLayout(GroupBox1);
    form->addRow(QStringLiteral("Операция"), Edit1);

    layOutEditor(this, GroupBox1, Button1, Button2);

    connect(Button1, &QPushButton::clicked, this, &OperationTypeEditor::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &OperationTypeEditor::Button2Click);
}

OperationTypeEditor::~OperationTypeEditor() {
    if (g_operationTypeEditor == this)
        g_operationTypeEditor = nullptr;
}

void OperationTypeEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormActivate();
}

void OperationTypeEditor::FormActivate() {
    Edit1->setFocus();
}

void OperationTypeEditor::Button1Click() {
    Dataset& types = g_database->operationTypes();
    const QString name = Edit1->text().trimmed();
    if (name.isEmpty()) {
        seams::errorBox(QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    const int id = types.fieldByName(QStringLiteral("id")).asInteger();
    QString check = QStringLiteral("select count(*) as cnt from accounts_dep.vid_oper where upper(vid)=") +
                    sqlQuote(name.toUpper());
    if (Tag != 1)
        check += QStringLiteral(" and id<>") + QString::number(id);
    if (refuseIfFound(*g_database, check, QStringLiteral("Такая операция уже заведена!")))
        return;
    if (Tag == 1) {
        command.setSql(QStringLiteral("insert into accounts_dep.vid_oper (vid) values (:vid)"));
    } else {
        command.setSql(QStringLiteral("update accounts_dep.vid_oper set vid=:vid where id=:id"));
        command.setParam(QStringLiteral("id"), id);
    }
    command.setParam(QStringLiteral("vid"), name);
    command.execute();
    types.close();
    types.open();
    accept();
}

void OperationTypeEditor::deleteCurrent() {
    command.setSql(QStringLiteral("delete from accounts_dep.vid_oper where id=:id"));
    command.setParam(QStringLiteral("id"),
                     g_database->operationTypes().fieldByName(QStringLiteral("id")).asInteger());
    command.execute();
}

void OperationTypeEditor::Button2Click() {
    reject();
}
