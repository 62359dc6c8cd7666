// Shared test fixtures: recorders for the seams and fresh databases cloned from the template.
#pragma once

#include "ui/Seams.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>

// Records every message box and answers questions from a script (Yes when the script is empty).
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    QList<seams::Message> shown;
    QList<QMessageBox::StandardButton> answers;
    QStringList texts() const;
    void clear() { shown.clear(); }
};

// Acts inside modal windows: the action registered under a window's object name runs when
// that window is shown modally, and the showing returns the window's result.
class ModalScript {
public:
    // Makes every modal showing go through this script (until the handler is replaced).
    void install();
    std::function<void()>& operator[](const QString& window) { return actions[window]; }
    void clear() {
        actions.clear();
        shown.clear();
    }
    // Object names of the windows shown, in order.
    QStringList shown;
    // With onScreen the window is put on screen and made the active window while its action
    // runs, so that focus, keys and activation behave as for a user.
    bool onScreen = false;

private:
    QHash<QString, std::function<void()>> actions;
};

// Records program ends instead of ending the test program.
class EndRecorder {
public:
    EndRecorder();
    ~EndRecorder();
    int count = 0;
    int lastCode = -1;
};

// Sets the computer's date and time for the lifetime of the object.
class FixedClock {
public:
    explicit FixedClock(const QDateTime& at);
    ~FixedClock();
    void set(const QDateTime& at) { current = at; }

private:
    QDateTime current;
};

class Database;

// A fresh database for one test, cloned from the template of the test cluster, dropped at
// the end. The program reaches it with the command line {name(), host()}. A test that must reach
// every fresh database under the same name (a data source registered once, for example) gives
// that name; a database left under it is dropped first.
class TestDatabase {
public:
    explicit TestDatabase(const QString& fixedName = {});
    ~TestDatabase();
    QString name() const { return dbName; }
    QString host() const { return sockDir; }
    QStringList commandLine() const { return {dbName, sockDir}; }

    // Creates the program's database object connected to this database; it lives as long as
    // this object (or until the next call), so windows built on it must go first.
    Database* openDatabase();
    // Runs statements as the cluster's superuser on a connection of its own (fixtures, checks).
    void exec(const QString& sql);
    QVariant scalar(const QString& sql);

private:
    QString dbName;
    QString sockDir;
    QString superPassword;
    QString fixtureConn;
    Database* module = nullptr;
};

// Collects every statement text the data layer sends while it lives.
class SqlRecorder {
public:
    SqlRecorder();
    ~SqlRecorder();
    QStringList statements;
};

// A widget of a window by its object name; the test program stops when there is none, as a
// renamed widget must not let a test pass by looking at nothing.
template <class T> T* childNamed(const QObject* window, const QString& name) {
    T* child = window->findChild<T*>(name);
    if (!child)
        qFatal("no %s named %s in %s", T::staticMetaObject.className(), qPrintable(name),
               qPrintable(window->objectName()));
    return child;
}

class QWidget;

// A left mouse press and release on the widget, at the given point (its middle by default),
// as the user clicks it.
void clickOn(QWidget* widget, QPoint at = {});

// Runs a command-line mode with its standard error caught: returns its exit code and puts what
// it printed into *err (-100 when no file could be made to catch it).
int runWithErrorsCaught(const std::function<int()>& run, QString* err);
