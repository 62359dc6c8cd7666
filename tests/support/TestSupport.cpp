#include "TestSupport.h"

MessageRecorder::MessageRecorder() {
    seams::setMessageHandler([this](const seams::Message& m) {
        shown.append(m);
        if (!answers.isEmpty())
            return answers.takeFirst();
        if (m.buttons.testFlag(QMessageBox::Yes))
            return QMessageBox::Yes;
        return QMessageBox::Ok;
    });
}

MessageRecorder::~MessageRecorder() { seams::setMessageHandler({}); }

QStringList MessageRecorder::texts() const {
    QStringList out;
    for (const auto& m : shown)
        out << m.text;
    return out;
}

EndRecorder::EndRecorder() {
    seams::setEndHandler([this](int code) {
        ++count;
        lastCode = code;
    });
}

EndRecorder::~EndRecorder() { seams::setEndHandler({}); }

FixedClock::FixedClock(const QDateTime& at) : current(at) {
    seams::setClock([this] { return current; });
}

FixedClock::~FixedClock() { seams::setClock({}); }
