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
    const bool digit = text.size() == 1 && text.at(0).isDigit() && e->modifiers() == Qt::NoModifier;
    // A selection over more than one part (Ctrl+A, a drag) is typed over from the day on, as a
    // whole date typed anew.
    if (digit && lineEdit()->hasSelectedText() &&
        lineEdit()->selectedText().size() > sectionText(currentSection()).size()) {
        setCurrentSection(sectionAt(0));
        setSelectedSection(sectionAt(0));
    }
    if (digit && !lineEdit()->hasSelectedText()) {
        // A part that is already full (two digits of a day or month, four of a year) is
        // replaced; a part being typed goes on taking digits.
        const Section part = currentSection();
        const int fullLength = part == YearSection ? 4 : 2;
        if (sectionText(part).size() >= fullLength)
            setSelectedSection(part);
    }
    QDateEdit::keyPressEvent(e);
}
