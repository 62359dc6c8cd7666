// Operation type editor: enters a new operation type or renames one.
#include "refbooks/OperationTypeEditor.h"

#include "data/Database.h"
#include "refbooks/StoreCall.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

OperationTypeEditor::OperationTypeEditor(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("OperationTypeEditor"));
    makeFixedDialog(this);

    m_typeGroup = new QGroupBox(QStringLiteral("Вид операции"), this);
    m_typeGroup->setObjectName(QStringLiteral("typeGroup"));
    m_nameEdit = new QLineEdit(m_typeGroup);
    m_nameEdit->setObjectName(QStringLiteral("nameEdit"));
    m_nameEdit->setMaxLength(128);
    m_nameEdit->setMinimumWidth(300);
    auto* form = new QFormLayout(m_typeGroup);
    form->addRow(QStringLiteral("Операция"), m_nameEdit);

    layOutEditor(this, m_typeGroup, m_saveButton, m_cancelButton);

    connect(m_saveButton, &QPushButton::clicked, this, &OperationTypeEditor::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &OperationTypeEditor::reject);
}

bool OperationTypeEditor::addOperationType() {
    m_adding = true;
    m_typeId = 0;
    m_nameEdit->clear();
    setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    return showEditor();
}

bool OperationTypeEditor::changeOperationType(const OperationType& type) {
    m_adding = false;
    m_typeId = type.id;
    setWindowTitle(QStringLiteral("Изменение данных вида операции"));
    m_nameEdit->setText(type.name);
    return showEditor();
}

bool OperationTypeEditor::showEditor() {
    setResult(QDialog::Rejected);
    seams::showModal(this);
    return result() == QDialog::Accepted;
}

void OperationTypeEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    m_nameEdit->setFocus();
}

void OperationTypeEditor::save() {
    const OperationType type{m_adding ? 0 : m_typeId, m_nameEdit->text().trimmed()};
    // A type deleted at another workstation meanwhile closes the editor too.
    if (runStoreCall([&] { saveOperationType(m_db, type); }, {{QStringLiteral("name"), m_nameEdit}}) !=
        StoreOutcome::Refused)
        accept();
}
