// Login dialog "Авторизация": the access code and its user, the wait after wrong codes, the
// version check and the program's end.
#include "app/LoginDialog.h"

#include "app/VersionCheck.h"
#include "data/Database.h"
#include "data/Sql.h"
#include "records/UserStore.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

LoginDialog::LoginDialog(Database& db, VersionCheck& versionCheck, QWidget* parent)
    : QDialog(parent), m_db(db), m_versionCheck(versionCheck) {
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
    m_waitLabel = new QLabel(this);
    m_waitLabel->setObjectName(QStringLiteral("waitLabel"));
    m_waitLabel->setStyleSheet(QStringLiteral("color: #b00000"));
    m_waitLabel->setVisible(false);
    auto* column = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(m_codeEdit);
    row->addWidget(m_logInButton);
    row->addWidget(m_cancelButton);
    column->addLayout(row);
    column->addWidget(m_waitLabel);
    m_waitTimer.setInterval(1000);
    connect(&m_waitTimer, &QTimer::timeout, this, &LoginDialog::showWait);
    connect(m_logInButton, &QPushButton::clicked, this, &LoginDialog::logIn);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);
    // A wait begun before the program was started again goes on.
    showWait();
    fitSize();
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
    setWindowTitle(QStringLiteral("Авторизация (сборка %1.%2)")
                       .arg(m_versionCheck.buildDate())
                       .arg(m_versionCheck.buildTime()));
    fitSize();
}

void LoginDialog::fitSize() {
    // Wide enough for the whole caption in a title bar's bold font beside its buttons.
    QFont captionFont = font();
    captionFont.setBold(true);
    int width = std::max(330, QFontMetrics(captionFont).horizontalAdvance(windowTitle()) * 5 / 4 + 120);
    int height = 44;
    if (m_waitLabel->isVisibleTo(this)) {
        width = std::max(width, m_waitLabel->sizeHint().width() + 24);
        height += m_waitLabel->sizeHint().height() + 6;
    }
    setFixedSize(width, height);
}

bool LoginDialog::showWait() {
    const int seconds = m_attempts.secondsToWait();
    const bool waiting = seconds > 0;
    if (waiting)
        m_waitLabel->setText(QStringLiteral("Неверный код введен %1 раз подряд: повторите через %2 с.")
                                 .arg(LoginAttempts::kFreeTries)
                                 .arg(seconds));
    if (waiting != m_waitLabel->isVisibleTo(this)) {
        m_waitLabel->setVisible(waiting);
        fitSize();
    }
    if (waiting && !m_waitTimer.isActive())
        m_waitTimer.start();
    else if (!waiting)
        m_waitTimer.stop();
    return waiting;
}

void LoginDialog::logIn() {
    // While waiting, the code is not even looked at.
    if (showWait())
        return;
    const QString code = m_codeEdit->text().trimmed();
    QString userName;
    std::optional<UserRole> role;
    bool named = false;
    // A database error is shown with its text; the dialog stays for another try.
    const bool looked = runGuarded([&] {
        const CodeOwner owner = findCodeOwner(m_db, code);
        if (owner.namedUsers) {
            // Only the named users' codes open the program now.
            named = true;
            if (owner.user) {
                role = owner.user->role;
                userName = owner.user->name;
            }
        } else {
            role = roleOfBuiltInCode(code);
        }
    });
    if (!looked)
        return;
    if (!role) {
        m_attempts.noteWrongCode();
        seams::errorBox(QStringLiteral("Введены неверные данные."));
        showWait();
        return;
    }
    m_attempts.noteRightCode();
    // The change log names the user, or the role after a built-in code.
    setSessionUser(named ? userName : roleTitle(*role));
    setLoggedInUser(userName);
    hide();
    emit accessGranted(userName, permissionsForRole(*role));
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
