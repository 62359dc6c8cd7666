// Shared test fixtures: recorders for the seams and fresh databases cloned from the template.
#pragma once

#include "Seams.h"

#include <QList>
#include <QString>

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
