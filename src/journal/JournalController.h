// Journal of the main window: the work records of one day and shift, with the shift and day
// selectors, the day-off box, refresh, deletion with the hours correction and the
// acceptance toggle.
#pragma once

#include "data/Dataset.h"
#include "data/MainMembers.h"

#include <QObject>

class QCheckBox;
class QDateEdit;
class QPushButton;
class QRadioButton;
class QTableView;

class JournalController : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QRadioButton* shifts[4];
        QDateEdit* DateT;
        QCheckBox* CBox1;
        QTableView* DBGrid2;
        QPushButton* Button1; // "Добавить"
        QPushButton* Button2; // "Изменить"
        QPushButton* Button3; // "Удалить"
        QPushButton* Button8; // "Обновить"
    };
    JournalController(MainWindowState& members, const Controls& controls, QObject* parent = nullptr);

    // The query of the current shift.
    Dataset* shiftQuery() const;

    // The main window became active: the computer's date, re-read.
    void FormActivate();
    // The user chose another day in DateT.
    void DateTChange();
    void Button8Click();
    void selectShift(int shift);
    void CBox1Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void DBGrid2DblClick();

    Command updtOK;

private:
    void reopenAll(bool setDate);
    MainWindowState& m;
    Controls c;
};
