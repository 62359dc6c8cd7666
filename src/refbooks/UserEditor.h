// User editor: a new user (name, role, code typed twice), a user renamed or moved to another
// role, or a user's new code (typed twice).
#pragma once

#include "records/UserStore.h"

#include <QDialog>

class Database;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class UserEditor : public QDialog {
    Q_OBJECT
public:
    explicit UserEditor(Database& db, QWidget* parent = nullptr);

    // Each is true when the editor wrote what was asked.
    bool addUser();
    bool changeUser(const User& user);
    bool changeCode(const User& user);

public slots:
    // Checks what was typed (the two codes alike) and hands it to the store; the editor closes
    // when it is written.
    void save();

protected:
    void showEvent(QShowEvent* e) override;

private:
    enum class Mode { Add, Change, Code };
    bool showEditor(Mode mode, const QString& title);

    Database& m_db;
    Mode m_mode = Mode::Add;
    int m_userId = 0;

    QGroupBox* m_userGroup;
    QLineEdit* m_nameEdit;       // "Имя"
    QComboBox* m_roleBox;        // "Роль"
    QLabel* m_codeLabel;         // "Код"
    QLineEdit* m_codeEdit;       // the code
    QLabel* m_repeatLabel;       // "Код еще раз"
    QLineEdit* m_repeatEdit;     // the code again
    QPushButton* m_saveButton;   // "Записать"
    QPushButton* m_cancelButton; // "Отмена"
};
