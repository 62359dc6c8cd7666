// Operation type editor: enters a new operation type or renames one. It writes the rows of
// the shared query Vid_oper (new row, the current row, deletion of the current row).
#include "Unit9.h"

#include "Format.h"
#include "Seams.h"
#include "Unit6.h"
#include "WindowParts.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm9* Form9 = nullptr;

TForm9::TForm9(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form9"));

    GroupBox1 = new QGroupBox(QStringLiteral("Вид операции"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(128);
    Edit1->setMinimumWidth(300);
    auto* form = new QFormLayout(GroupBox1);
    form->addRow(QStringLiteral("Операция"), Edit1);

    layOutEditor(this, GroupBox1, Button1, Button2);

    connect(Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm9::Button2Click);
}

TForm9::~TForm9() {
    if (Form9 == this)
        Form9 = nullptr;
}

void TForm9::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormActivate();
}

void TForm9::FormActivate() {
    Edit1->setFocus();
}

void TForm9::Button1Click() {
    Dataset& types = DataModule6->Vid_oper;
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
    if (DataModule6->countCheck(check, QStringLiteral("Такая операция уже заведена!")))
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

void TForm9::deleteCurrent() {
    command.setSql(QStringLiteral("delete from accounts_dep.vid_oper where id=:id"));
    command.setParam(QStringLiteral("id"),
                     DataModule6->Vid_oper.fieldByName(QStringLiteral("id")).asInteger());
    command.execute();
}

void TForm9::Button2Click() {
    reject();
}
