// Seams: production implementations and the hooks tests replace them with.
#include "ui/Seams.h"

#include <QApplication>
#include <QDialog>

namespace seams {

namespace {
MessageHandler messageHandler;
ModalHandler modalHandler;
Clock clock;
EndHandler endHandler;
} // namespace

QMessageBox::StandardButton showMessage(const Message& m) {
    if (messageHandler)
        return messageHandler(m);
    QMessageBox box(m.icon, m.caption, m.text, m.buttons, QApplication::activeWindow());
    if (!m.detail.isEmpty())
        box.setInformativeText(m.detail);
    if (m.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(m.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void errorBox(const QString& text, const QString& caption) {
    showMessage({caption, text, QMessageBox::Critical, QMessageBox::Ok});
}

bool askYesNo(const QString& caption, const QString& text) {
    return showMessage({caption, text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No}) ==
           QMessageBox::Yes;
}

bool confirmDestructive(const QString& caption, const QString& text, const QString& item) {
    return showMessage({caption, text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, item,
                        QMessageBox::No}) == QMessageBox::Yes;
}

int showModal(QDialog* window) {
    if (modalHandler)
        return modalHandler(window);
    return window->exec();
}

QDateTime now() {
    return clock ? clock() : QDateTime::currentDateTime();
}

QDate today() {
    return now().date();
}

void endProgram(int code) {
    if (endHandler) {
        endHandler(code);
        return;
    }
    // Leaves every running event loop, the modal ones included, so the program ends
    // wherever it is; windows still open are closed with it.
    QCoreApplication::exit(code);
    for (QWidget* w : QApplication::topLevelWidgets())
        w->close();
}

void setMessageHandler(MessageHandler h) {
    messageHandler = std::move(h);
}
void setModalHandler(ModalHandler h) {
    modalHandler = std::move(h);
}
void setClock(Clock c) {
    clock = std::move(c);
}
void setEndHandler(EndHandler h) {
    endHandler = std::move(h);
}

} // namespace seams
