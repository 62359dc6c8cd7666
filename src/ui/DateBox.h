// A date field that behaves as date fields do on a desktop: one stop in the tab order, and
// digits typed anywhere in it overwrite the part (day, month, year) the cursor is in, moving on
// to the next part once one is complete.
#pragma once

#include <QDateEdit>

class DateBox : public QDateEdit {
    Q_OBJECT
public:
    explicit DateBox(QWidget* parent = nullptr);

protected:
    // Tab and Backtab leave the field instead of walking through its parts.
    bool focusNextPrevChild(bool next) override;
    // A digit with nothing selected in a full part first selects that part, so that it replaces
    // the part instead of being refused as a third digit of a day; with more than one part
    // selected it starts over from the day.
    void keyPressEvent(QKeyEvent* e) override;
};
