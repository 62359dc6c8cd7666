// Login dialog "Авторизация": runs the version check when it becomes active, takes the access
// code and grants its permissions. Closing it ends the program.
#pragma once

#include "ui/Permissions.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class VersionCheck;

class LoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoginDialog(VersionCheck& versionCheck, QWidget* parent = nullptr);

signals:
    // A valid code was entered: what it permits. The receiver opens the main window; once that
    // returns, the dialog closes and the program ends.
    void accessGranted(const QString& code, const Permissions& permissions);

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
    VersionCheck& m_versionCheck;
    QLineEdit* m_codeEdit;
    QPushButton* m_logInButton;
    QPushButton* m_cancelButton;
};
