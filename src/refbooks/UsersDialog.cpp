// Users window "Пользователи": the named users and their writes.
#include "refbooks/UsersDialog.h"

#include "refbooks/StoreCall.h"
#include "refbooks/UserEditor.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

UsersDialog::UsersDialog(Database& db, QWidget* parent)
    : QDialog(parent), m_db(db), m_editor(new UserEditor(db, this)) {
    setObjectName(QStringLiteral("UsersDialog"));
    setWindowTitle(QStringLiteral("Пользователи"));
    makeFixedDialog(this);

    m_usersGrid = new QTableWidget(0, 3, this);
    m_usersGrid->setObjectName(QStringLiteral("usersGrid"));
    m_usersGrid->setHorizontalHeaderLabels(
        {QStringLiteral("Имя"), QStringLiteral("Роль"), QStringLiteral("Действует")});
    m_usersGrid->verticalHeader()->setVisible(false);
    m_usersGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_usersGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_usersGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_usersGrid->setColumnWidth(0, 260);
    m_usersGrid->setColumnWidth(1, 130);
    m_usersGrid->horizontalHeader()->setStretchLastSection(true);
    m_usersGrid->setMinimumSize(500, 320);

    m_addButton = makeButton(this, QStringLiteral("addButton"), QStringLiteral("Добавить"));
    m_changeButton = makeButton(this, QStringLiteral("changeButton"), QStringLiteral("Изменить"));
    m_codeButton = makeButton(this, QStringLiteral("codeButton"), QStringLiteral("Новый код"));
    m_activeButton = makeButton(this, QStringLiteral("activeButton"), QStringLiteral("Отключить"));
    m_exitButton = makeButton(this, QStringLiteral("exitButton"), QStringLiteral("Выход"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_addButton, m_changeButton, m_codeButton, m_activeButton})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_usersGrid, 1);
    layout->addLayout(buttons);

    connect(m_addButton, &QPushButton::clicked, this, &UsersDialog::addNew);
    connect(m_changeButton, &QPushButton::clicked, this, &UsersDialog::changeCurrent);
    connect(m_codeButton, &QPushButton::clicked, this, &UsersDialog::changeCurrentCode);
    connect(m_activeButton, &QPushButton::clicked, this, &UsersDialog::toggleCurrentActive);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_usersGrid, &QTableWidget::itemSelectionChanged, this, &UsersDialog::followCurrent);
    connect(m_usersGrid, &QTableWidget::cellDoubleClicked, this, &UsersDialog::changeCurrent);
}

void UsersDialog::browse() {
    bool installed = false;
    if (!runGuarded([&] { installed = usersInstalled(m_db); }))
        return;
    if (!installed) {
        seams::errorBox(QStringLiteral("В базе данных нет таблицы пользователей: администратору нужно "
                                       "применить к ней файл db/history.sql."));
        return;
    }
    reread();
    seams::showModal(this);
}

void UsersDialog::reread(int currentId) {
    std::vector<User> users;
    runGuarded([&] { users = listUsers(m_db); });
    m_users = std::move(users);
    m_usersGrid->setRowCount(int(m_users.size()));
    int currentRow = 0;
    for (int row = 0; row < int(m_users.size()); ++row) {
        const User& u = m_users[size_t(row)];
        const QStringList cells{u.name, roleTitle(u.role),
                                u.active ? QStringLiteral("да") : QStringLiteral("нет")};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (!u.active)
                item->setForeground(QColor(0x80, 0x80, 0x80));
            m_usersGrid->setItem(row, column, item);
        }
        if (u.id == currentId)
            currentRow = row;
    }
    if (!m_users.empty())
        m_usersGrid->selectRow(currentRow);
    followCurrent();
}

const User* UsersDialog::currentUser() const {
    const int row = m_usersGrid->currentRow();
    if (row < 0 || row >= int(m_users.size()))
        return nullptr;
    return &m_users[size_t(row)];
}

void UsersDialog::followCurrent() {
    const User* user = currentUser();
    m_activeButton->setText(user && !user->active ? QStringLiteral("Включить") : QStringLiteral("Отключить"));
    for (QPushButton* b : {m_changeButton, m_codeButton, m_activeButton})
        b->setEnabled(user != nullptr);
}

void UsersDialog::addNew() {
    if (m_editor->addUser())
        reread();
}

void UsersDialog::changeCurrent() {
    const User* user = currentUser();
    if (!user)
        return;
    const User chosen = *user;
    if (m_editor->changeUser(chosen))
        reread(chosen.id);
}

void UsersDialog::changeCurrentCode() {
    const User* user = currentUser();
    if (!user)
        return;
    const User chosen = *user;
    if (m_editor->changeCode(chosen))
        reread(chosen.id);
}

void UsersDialog::toggleCurrentActive() {
    const User* user = currentUser();
    if (!user)
        return;
    const User chosen = *user;
    if (chosen.active &&
        !seams::confirmDestructive(
            QStringLiteral("Пользователи"),
            QStringLiteral("Отключить пользователя? Он больше не сможет войти в программу."), chosen.name))
        return;
    runStoreCall([&] { setUserActive(m_db, chosen.id, !chosen.active); });
    reread(chosen.id);
}
