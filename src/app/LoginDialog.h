// Login dialog "Авторизация": runs the version check when it becomes active, takes the access
// code, finds its user (or, while no named user is active, its built-in role) and grants the
// role's permissions. After five wrong codes in a row the next try waits. Closing it ends the
// program.
#pragma once

#include "app/LoginAttempts.h"
#include "ui/Permissions.h"

#include <QDialog>
#include <QTimer>

class Database;
class QLabel;
class QLineEdit;
class QPushButton;
class VersionCheck;

class LoginDialog : public QDialog {
    Q_OBJECT
public:
    LoginDialog(Database& db, VersionCheck& versionCheck, QWidget* parent = nullptr);

signals:
    // A valid code was entered: the named user's name (empty after a built-in code) and what the
    // role permits. The receiver opens the main window; once that returns, the dialog closes and
    // the program ends.
    void accessGranted(const QString& userName, const Permissions& permissions);

public slots:
    // Checks the version and shows the build stamp in the caption.
    void checkVersion();
    void logIn();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    // Shows the seconds left of the wait, or hides the line when there is none; true while
    // waiting.
    bool showWait();
    // The fixed size: the caption's width, and the wait's line under the code when shown.
    void fitSize();

    Database& m_db;
    VersionCheck& m_versionCheck;
    LoginAttempts m_attempts;
    QTimer m_waitTimer; // counts the wait's seconds down
    QLineEdit* m_codeEdit;
    QPushButton* m_logInButton;
    QPushButton* m_cancelButton;
    QLabel* m_waitLabel; // "… повторите через N с."
};
