// User editor: a new user, a user renamed or moved to another role, a user's new code.
#include "refbooks/UserEditor.h"

#include "refbooks/StoreCall.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

UserEditor::UserEditor(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("UserEditor"));
    makeFixedDialog(this);

    m_userGroup = new QGroupBox(QStringLiteral("Пользователь"), this);
    m_userGroup->setObjectName(QStringLiteral("userGroup"));
    m_nameEdit = new QLineEdit(m_userGroup);
    m_nameEdit->setObjectName(QStringLiteral("nameEdit"));
    m_nameEdit->setMaxLength(100);
    m_nameEdit->setMinimumWidth(280);
    m_roleBox = new QComboBox(m_userGroup);
    m_roleBox->setObjectName(QStringLiteral("roleBox"));
    for (UserRole role : kUserRoles)
        m_roleBox->addItem(roleTitle(role), int(role));
    m_codeEdit = new QLineEdit(m_userGroup);
    m_codeEdit->setObjectName(QStringLiteral("codeEdit"));
    m_codeEdit->setEchoMode(QLineEdit::Password);
    m_repeatEdit = new QLineEdit(m_userGroup);
    m_repeatEdit->setObjectName(QStringLiteral("repeatEdit"));
    m_repeatEdit->setEchoMode(QLineEdit::Password);
    m_codeLabel = new QLabel(QStringLiteral("Код (не короче %1 знаков)").arg(kLeastCodeLength), m_userGroup);
    m_repeatLabel = new QLabel(QStringLiteral("Код еще раз"), m_userGroup);
    auto* form = new QFormLayout(m_userGroup);
    form->addRow(QStringLiteral("Имя"), m_nameEdit);
    form->addRow(QStringLiteral("Роль"), m_roleBox);
    form->addRow(m_codeLabel, m_codeEdit);
    form->addRow(m_repeatLabel, m_repeatEdit);

    layOutEditor(this, m_userGroup, m_saveButton, m_cancelButton);

    connect(m_saveButton, &QPushButton::clicked, this, &UserEditor::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &UserEditor::reject);
}

bool UserEditor::addUser() {
    m_userId = 0;
    m_nameEdit->clear();
    m_roleBox->setCurrentIndex(0);
    return showEditor(Mode::Add, QStringLiteral("Новый пользователь"));
}

bool UserEditor::changeUser(const User& user) {
    m_userId = user.id;
    m_nameEdit->setText(user.name);
    m_roleBox->setCurrentIndex(m_roleBox->findData(int(user.role)));
    return showEditor(Mode::Change, QStringLiteral("Изменение пользователя"));
}

bool UserEditor::changeCode(const User& user) {
    m_userId = user.id;
    m_nameEdit->setText(user.name);
    m_roleBox->setCurrentIndex(m_roleBox->findData(int(user.role)));
    return showEditor(Mode::Code, QStringLiteral("Новый код пользователя"));
}

bool UserEditor::showEditor(Mode mode, const QString& title) {
    m_mode = mode;
    setWindowTitle(title);
    // A code is never shown again: the boxes start empty each time.
    m_codeEdit->clear();
    m_repeatEdit->clear();
    const bool codes = mode != Mode::Change;
    for (QWidget* w : std::initializer_list<QWidget*>{m_codeLabel, m_codeEdit, m_repeatLabel, m_repeatEdit})
        w->setVisible(codes);
    m_nameEdit->setReadOnly(mode == Mode::Code);
    m_roleBox->setEnabled(mode != Mode::Code);
    adjustSize();
    setResult(QDialog::Rejected);
    seams::showModal(this);
    return result() == QDialog::Accepted;
}

void UserEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    (m_mode == Mode::Code ? m_codeEdit : m_nameEdit)->setFocus();
}

void UserEditor::save() {
    if (m_mode != Mode::Change && m_codeEdit->text() != m_repeatEdit->text()) {
        seams::errorBox(QStringLiteral("Код и его повтор не совпадают."));
        m_repeatEdit->clear();
        m_repeatEdit->setFocus();
        return;
    }
    const QString name = m_nameEdit->text();
    const auto role = UserRole(m_roleBox->currentData().toInt());
    const QString code = m_codeEdit->text();
    const QHash<QString, QWidget*> boxes{{QStringLiteral("name"), m_nameEdit},
                                         {QStringLiteral("role"), m_roleBox},
                                         {QStringLiteral("code"), m_codeEdit}};
    const StoreOutcome outcome = runStoreCall(
        [&] {
            switch (m_mode) {
            case Mode::Add:
                ::addUser(m_db, name, role, code);
                break;
            case Mode::Change:
                ::changeUser(m_db, m_userId, name, role);
                break;
            case Mode::Code:
                setUserCode(m_db, m_userId, code);
                break;
            }
        },
        boxes);
    // A user changed away at another workstation closes the editor too.
    if (outcome != StoreOutcome::Refused)
        accept();
}
