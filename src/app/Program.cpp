// The program: the application object, and the start-up in its order: connection, version
// check, login, main window.
#include "app/Program.h"

#include "app/LoginDialog.h"
#include "app/MainWindow.h"
#include "app/VersionCheck.h"
#include "data/CommandOptions.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Sql.h"
#include "ui/Seams.h"

#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

TabelApplication::TabelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("tabel"));
    setQuitOnLastWindowClosed(false);
    // The windows are laid out for Tahoma 8 pt; where it is missing, a condensed face of
    // similar width keeps the columns' texts whole.
    if (!QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"));
}

void showException(const QString& text) {
    seams::showMessage({QStringLiteral("Табель"), text, QMessageBox::Critical, QMessageBox::Ok});
}

// The last resort: every slot catches its own errors (runGuarded), so an exception that comes
// this far has passed through Qt's frames, which skip their cleanups. It is shown and logged, so
// that the slot that let it through can be found and mended.
bool TabelApplication::notify(QObject* receiver, QEvent* e) {
    const auto logReached = [&](const QString& text) {
        qWarning("tabel: an exception reached the event loop (event %d to %s): %s", int(e->type()),
                 receiver ? receiver->metaObject()->className() : "null", qPrintable(text));
    };
    try {
        return QApplication::notify(receiver, e);
    } catch (const DbError& err) {
        logReached(err.message);
        showException(err.message);
    } catch (const std::exception& err) {
        logReached(QString::fromUtf8(err.what()));
        showException(QString::fromUtf8(err.what()));
    } catch (...) {
        logReached(QStringLiteral("unknown exception"));
        showException(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

void speakRussian(QApplication& app) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    auto* qt = new QTranslator(&app);
    if (qt->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qt);
}

Program::Program(const QStringList& args, const QString& buildDateText, const QString& buildTimeText)
    : m_args(args), m_buildDateText(buildDateText), m_buildTimeText(buildTimeText),
      m_database(std::make_unique<Database>()) {}

// The windows go before the database they read.
Program::~Program() {
    m_mainWindow.reset();
    m_loginDialog.reset();
    m_versionCheck.reset();
}

bool Program::start() {
    try {
        m_database->connection().close();
        m_database->connection().setSettings(connectionSettings(m_args));
        m_database->connection().open();
    } catch (const std::exception& e) {
        // The message says that there is no connection; the client library's or the server's
        // own text below it says why (a wrong password, no server, a missing driver).
        const DbError* dbError = dynamic_cast<const DbError*>(&e);
        const QString reason = dbError ? dbError->message : QString::fromUtf8(e.what());
        const QString text = QStringLiteral("Подключение к БД отсутсвует!!!");
        printError(text + u' ' + reason);
        seams::errorBox(reason.isEmpty() ? text : text + QStringLiteral("\n\n") + reason,
                        QStringLiteral("Ошибка!"));
        seams::endProgram(1);
        return false;
    }
    m_versionCheck = std::make_unique<VersionCheck>(*m_database, m_buildDateText, m_buildTimeText);
    m_loginDialog = std::make_unique<LoginDialog>(*m_database, *m_versionCheck);
    connect(m_loginDialog.get(), &LoginDialog::accessGranted, this, &Program::openMainWindow);
    m_loginDialog->show();
    return true;
}

void Program::openMainWindow(const QString& userName, const Permissions& permissions) {
    if (!m_mainWindow)
        m_mainWindow = std::make_unique<MainWindow>(*m_database, permissions);
    m_mainWindow->showUserName(userName);
    seams::showModal(m_mainWindow.get());
}
