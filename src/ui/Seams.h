// Seams: the few places where the program meets the desktop, the clock and its own end.
// Production uses the real thing; tests install handlers to drive and observe them.
#pragma once

#include <QDateTime>
#include <QMessageBox>
#include <QString>
#include <functional>
#include <utility>

class QDialog;

namespace seams {

// One message box: caption, text, icon and buttons.
struct Message {
    Message() = default;
    Message(QString caption, QString text, QMessageBox::Icon icon = QMessageBox::Critical,
            QMessageBox::StandardButtons buttons = QMessageBox::Ok, QString detail = {},
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
        : caption(std::move(caption)), text(std::move(text)), icon(icon), buttons(buttons),
          detail(std::move(detail)), defaultButton(defaultButton) {}

    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    // What the question is about (a record, a worker), shown under the text.
    QString detail;
    // The button Enter presses (none: the box's own choice).
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

using MessageHandler = std::function<QMessageBox::StandardButton(const Message&)>;
using ModalHandler = std::function<int(QDialog*)>;
using Clock = std::function<QDateTime()>;
using EndHandler = std::function<void(int)>;

// Every message box of the program goes through here.
QMessageBox::StandardButton showMessage(const Message& m);
// The usual refusal: caption "Ошибка", error icon, OK.
void errorBox(const QString& text, const QString& caption = QStringLiteral("Ошибка"));
// A Yes/No question with the question icon; true on Yes.
bool askYesNo(const QString& caption, const QString& text);
// A question before something is deleted or ended for good: Yes/No with the question icon, the
// item named under the text, and «Нет» as the default, so that Enter keeps everything; true on
// Yes.
bool confirmDestructive(const QString& caption, const QString& text, const QString& item);

// Every modal window is shown through here; production runs exec().
int showModal(QDialog* window);

// The computer's date and time.
QDateTime now();
QDate today();

// Ends the program (the event loops are left; the caller returns normally).
void endProgram(int code = 0);

// Installing an empty handler restores the production behaviour.
void setMessageHandler(MessageHandler h);
void setModalHandler(ModalHandler h);
void setClock(Clock c);
void setEndHandler(EndHandler h);

} // namespace seams
