// The program: the application object with its error report, and the Program that owns the
// database, the version check, the login dialog and the main window.
#pragma once

#include "ui/Permissions.h"

#include <QApplication>
#include <QObject>
#include <QStringList>
#include <memory>

class Database;
class LoginDialog;
class MainWindow;
class VersionCheck;

// The application: an exception escaping any event handler is shown in the standard error
// box with its own text, and the program goes on.
class TabelApplication : public QApplication {
public:
    TabelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* e) override;
};

// Shows an error that escaped a handler.
void showException(const QString& text);

// The program speaks Russian whatever the workstation's locale: the default locale (calendar
// month and day names, dates, numbers) is Russian, and Qt's own Russian texts (message-box
// buttons, print preview, file dialog) are loaded when the system has them.
void speakRussian(QApplication& app);

class Program : public QObject {
    Q_OBJECT
public:
    // The command line ({DATABASE SERVER} or nothing) and the build texts in the compiler's form.
    Program(const QStringList& args, const QString& buildDateText, const QString& buildTimeText);
    ~Program() override;

    // Connects, starts the version check and shows the login dialog. False when the program
    // must end: there is no connection (the message has been shown and the end requested).
    bool start();

    Database& database() { return *m_database; }
    VersionCheck& versionCheck() { return *m_versionCheck; }
    LoginDialog* loginDialog() { return m_loginDialog.get(); }
    // The main window once a valid code has been entered; null before.
    MainWindow* mainWindow() { return m_mainWindow.get(); }

private:
    void openMainWindow(const QString& userName, const Permissions& permissions);

    QStringList m_args;
    QString m_buildDateText;
    QString m_buildTimeText;
    std::unique_ptr<Database> m_database;
    std::unique_ptr<VersionCheck> m_versionCheck;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<LoginDialog> m_loginDialog;
};
