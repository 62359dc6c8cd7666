// Nomenclature group editor "Ведение групп (29)": the name of a new group or of the group
// chosen in the list.
#include "refbooks/NomenclatureGroupEditor.h"

#include "data/Database.h"
#include "refbooks/StoreCall.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

NomenclatureGroupEditor::NomenclatureGroupEditor(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("NomenclatureGroupEditor"));
    makeFixedDialog(this);
    setWindowTitle(QStringLiteral("Ведение групп (29)"));

    m_nameGroup = new QGroupBox(QStringLiteral("Номенклатурная группа"), this);
    m_nameGroup->setObjectName(QStringLiteral("nameGroup"));
    m_nameEdit = new QLineEdit(m_nameGroup);
    m_nameEdit->setObjectName(QStringLiteral("nameEdit"));
    m_nameEdit->setMinimumWidth(300);
    auto* form = new QFormLayout(m_nameGroup);
    form->addRow(QStringLiteral("Наименование"), m_nameEdit);

    m_saveButton = new QPushButton(QStringLiteral("Записать"), this);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_saveButton->setDefault(true);
    m_exitButton = new QPushButton(QStringLiteral("Выход"), this);
    m_exitButton->setObjectName(QStringLiteral("exitButton"));
    m_exitButton->setAutoDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_nameGroup);
    layout->addLayout(buttons);
    setFixedWindowLook(this);

    connect(m_saveButton, &QPushButton::clicked, this, &NomenclatureGroupEditor::save);
    connect(m_exitButton, &QPushButton::clicked, this, &NomenclatureGroupEditor::reject);
}

bool NomenclatureGroupEditor::addGroup() {
    m_adding = true;
    m_groupId = 0;
    m_nameEdit->clear();
    setResult(QDialog::Rejected);
    seams::showModal(this);
    return result() == QDialog::Accepted;
}

bool NomenclatureGroupEditor::renameGroup(const NomenclatureGroup& group) {
    m_adding = false;
    m_groupId = group.id;
    m_nameEdit->setText(group.name);
    setResult(QDialog::Rejected);
    seams::showModal(this);
    return result() == QDialog::Accepted;
}

void NomenclatureGroupEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    centreOnDesktop(this);
    m_nameEdit->setFocus();
}

void NomenclatureGroupEditor::save() {
    const NomenclatureGroup group{m_adding ? 0 : m_groupId, m_nameEdit->text().trimmed()};
    // A group deleted at another workstation meanwhile closes the editor too.
    if (runStoreCall([&] { saveNomenclatureGroup(m_db, group); }, {{QStringLiteral("name"), m_nameEdit}}) !=
        StoreOutcome::Refused)
        accept();
}
