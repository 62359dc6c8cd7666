#include "app/LoginDialog.h"

#include "app/MainWindow.h"
#include "app/Roles.h"
#include "data/Database.h"
#include "ui/Seams.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

LoginDialog* g_loginDialog = nullptr;

LoginDialog::LoginDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LoginDialog"));
    setWindowTitle(QStringLiteral("Авторизация"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setFixedWidth(121);
    Button1 = new QPushButton(QStringLiteral("Вход"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Отмена"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    auto* row = new QHBoxLayout(this);
    row->addWidget(Edit1);
    row->addWidget(Button1);
    row->addWidget(Button2);
    setFixedSize(330, 44);
    connect(Button1, &QPushButton::clicked, this, &LoginDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &LoginDialog::Button2Click);

    // Started only by a refused version check: the program ends when it fires.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [] { seams::endProgram(0); });
}

LoginDialog::~LoginDialog() {
    if (g_loginDialog == this)
        g_loginDialog = nullptr;
}

bool LoginDialog::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(e);
}

void LoginDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Where the desktop does not activate a new window by itself, the check still runs once
    // the dialog is on screen.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !isActiveWindow())
            FormActivate();
    });
}

void LoginDialog::FormActivate() {
    g_mainWindow->versionCheck();
    setWindowTitle(QStringLiteral("Авторизация (build: %1.%2)")
                       .arg(g_mainWindow->buildDate)
                       .arg(g_mainWindow->buildTime));
}

void LoginDialog::Button1Click() {
    g_mainWindow->currentShift = 1;
    const QString code = Edit1->text().trimmed();
    g_mainWindow->loginCode = code;
    const Role role = roleOfCode(code);
    g_mainWindow->N11->setEnabled(role == Role::Full);
    for (int s = 1; s <= 4; ++s)
        g_database->journal(s).setParam(QStringLiteral("ok"), QStringLiteral("ta"));
    if (role == Role::None) {
        seams::errorBox(QStringLiteral("Введены неверные данные."));
        return;
    }
    applyRole(role);
    hide();
    seams::showModal(g_mainWindow);
    close();
}

void LoginDialog::Button2Click() {
    close();
}

void LoginDialog::reject() {
    close();
}

void LoginDialog::closeEvent(QCloseEvent* e) {
    // The login dialog is the program's main window: closing it ends the program.
    e->accept();
    seams::endProgram(0);
}
