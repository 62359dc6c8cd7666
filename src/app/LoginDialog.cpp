// Login dialog "Авторизация": the access code, the version check and the program's end.
#include "app/LoginDialog.h"

#include "app/VersionCheck.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

LoginDialog::LoginDialog(VersionCheck& versionCheck, QWidget* parent)
    : QDialog(parent), m_versionCheck(versionCheck) {
    setObjectName(QStringLiteral("LoginDialog"));
    setWindowTitle(QStringLiteral("Авторизация"));
    makeFixedDialog(this);
    m_codeEdit = new QLineEdit(this);
    m_codeEdit->setObjectName(QStringLiteral("codeEdit"));
    m_codeEdit->setEchoMode(QLineEdit::Password);
    m_codeEdit->setFixedWidth(121);
    m_logInButton = new QPushButton(QStringLiteral("Вход"), this);
    m_logInButton->setObjectName(QStringLiteral("logInButton"));
    m_logInButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    auto* row = new QHBoxLayout(this);
    row->addWidget(m_codeEdit);
    row->addWidget(m_logInButton);
    row->addWidget(m_cancelButton);
    setFixedSize(330, 44);
    connect(m_logInButton, &QPushButton::clicked, this, &LoginDialog::logIn);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);
}

bool LoginDialog::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        checkVersion();
    return QDialog::event(e);
}

void LoginDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Where the desktop does not activate a new window by itself, the check still runs once
    // the dialog is on screen.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !isActiveWindow())
            checkVersion();
    });
}

void LoginDialog::checkVersion() {
    m_versionCheck.run();
    const QString title = QStringLiteral("Авторизация (сборка %1.%2)")
                              .arg(m_versionCheck.buildDate())
                              .arg(m_versionCheck.buildTime());
    setWindowTitle(title);
    // Wide enough for the whole caption in a title bar's bold font beside its buttons.
    QFont captionFont = font();
    captionFont.setBold(true);
    setFixedSize(std::max(330, QFontMetrics(captionFont).horizontalAdvance(title) * 5 / 4 + 120), 44);
}

void LoginDialog::logIn() {
    const QString code = m_codeEdit->text().trimmed();
    const std::optional<Permissions> permissions = permissionsForCode(code);
    if (!permissions) {
        seams::errorBox(QStringLiteral("Введены неверные данные."));
        return;
    }
    hide();
    emit accessGranted(code, *permissions);
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
