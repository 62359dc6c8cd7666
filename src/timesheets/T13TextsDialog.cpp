// The organisation and department of the T-13 timesheet, typed once.
#include "timesheets/T13TextsDialog.h"

#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

T13TextsDialog::T13TextsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("T13TextsDialog"));
    setWindowTitle(QStringLiteral("Табель Т-13"));
    makeFixedDialog(this);
    m_organisationEdit = new QLineEdit(this);
    m_organisationEdit->setObjectName(QStringLiteral("organisationEdit"));
    m_organisationEdit->setMinimumWidth(360);
    m_departmentEdit = new QLineEdit(this);
    m_departmentEdit->setObjectName(QStringLiteral("departmentEdit"));
    m_saveButton = makeButton(this, QStringLiteral("saveButton"), QStringLiteral("Запомнить"));
    m_saveButton->setDefault(true);
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Отмена"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Организация:"), m_organisationEdit);
    form->addRow(QStringLiteral("Структурное подразделение:"), m_departmentEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(m_saveButton, &QPushButton::clicked, this, [this] {
        if (m_organisationEdit->text().trimmed().isEmpty() || m_departmentEdit->text().trimmed().isEmpty()) {
            seams::errorBox(QStringLiteral("Все поля должны быть заполнены!"));
            return;
        }
        accept();
    });
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool T13TextsDialog::ask(QString* organisation, QString* department) {
    m_organisationEdit->setText(*organisation);
    m_departmentEdit->setText(*department);
    if (seams::showModal(this) != QDialog::Accepted)
        return false;
    *organisation = m_organisationEdit->text().trimmed();
    *department = m_departmentEdit->text().trimmed();
    return true;
}
