// Login dialog "Авторизация": takes the access code, applies its role and opens the main
// window. Closing it ends the program.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTimer;

class LoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoginDialog(QWidget* parent = nullptr);
    ~LoginDialog() override;

    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;
    QTimer* Timer1;

public slots:
    void FormActivate();
    void Button1Click();
    void Button2Click();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;
};

extern LoginDialog* g_loginDialog;
