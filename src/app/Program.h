// Start-up and end of the program: the application object with its error report, the
// creation of the data module and of every window, and their removal.
#pragma once

#include <QApplication>

// The application: an exception escaping any event handler is shown in the standard error
// box with its own text, and the program goes on.
class TabelApplication : public QApplication {
public:
    TabelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* e) override;
};

// Shows an error that escaped a handler.
void showException(const QString& text);

// Loads Qt's own Russian texts (message-box buttons, print preview) when the system has them.
void loadTranslations(QApplication& app);

// Creates the main window, connects, creates the login dialog and the other windows, hidden.
// Returns false when the program must end (no connection: the message has been shown).
bool startProgram(const QStringList& args, const QString& buildDateText, const QString& buildTimeText);

// Deletes every window and the data module (the program's end, or between tests).
void shutdownProgram();
