// A date field with one tab stop and typing that overwrites the part under the cursor.
#include "ui/DateBox.h"

#include <QKeyEvent>
#include <QLineEdit>

DateBox::DateBox(QWidget* parent) : QDateEdit(parent) {
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
}

bool DateBox::focusNextPrevChild(bool next) {
    return QWidget::focusNextPrevChild(next);
}

void DateBox::keyPressEvent(QKeyEvent* e) {
    const QString text = e->text();
    if (text.size() == 1 && text.at(0).isDigit() && !lineEdit()->hasSelectedText() &&
        e->modifiers() == Qt::NoModifier)
        setSelectedSection(currentSection());
    QDateEdit::keyPressEvent(e);
}
