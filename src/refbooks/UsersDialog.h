// Users window "Пользователи" (full access only): the named users with their roles, and the
// buttons that add, change, deactivate and activate them and set their codes.
#pragma once

#include "records/UserStore.h"

#include <QDialog>
#include <vector>

class Database;
class QPushButton;
class QTableWidget;
class UserEditor;

class UsersDialog : public QDialog {
    Q_OBJECT
public:
    explicit UsersDialog(Database& db, QWidget* parent = nullptr);

    // Reads the users and shows the window modally; without the users' table it says what the
    // administrator is to apply instead.
    void browse();

public slots:
    void addNew();
    void changeCurrent();
    void changeCurrentCode();
    // Deactivates the current user, or activates it again when it is inactive.
    void toggleCurrentActive();

private:
    // Reads the users again and keeps the user of id current (the first row without it).
    void reread(int currentId = 0);
    const User* currentUser() const;
    // The caption of the activity button for the current user.
    void followCurrent();

    Database& m_db;
    UserEditor* m_editor;
    std::vector<User> m_users;

    QTableWidget* m_usersGrid;
    QPushButton* m_addButton;    // "Добавить"
    QPushButton* m_changeButton; // "Изменить"
    QPushButton* m_codeButton;   // "Новый код"
    QPushButton* m_activeButton; // "Отключить" / "Включить"
    QPushButton* m_exitButton;   // "Выход"
};
