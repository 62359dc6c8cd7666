// Journal of the main window: the work records of one day and shift, with the shift and day
// selectors, the day-off box, refresh, adding and changing through the editor, deletion with
// the hours correction and the acceptance toggle. It drives widgets the main window owns.
#pragma once

#include "data/JournalDay.h"
#include "ui/Permissions.h"

#include <QObject>

class Database;
class Dataset;
class QCheckBox;
class QDateEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class WorkRecordEditor;

class JournalController : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QRadioButton* shiftButtons[4]; // shifts 1..3 and overtime
        QDateEdit* dateEdit;
        QCheckBox* dayOffCheck;
        QTableView* grid;
        QPushButton* addButton;
        QPushButton* changeButton;
        QPushButton* deleteButton;
        QPushButton* refreshButton;
    };
    JournalController(Database& db, WorkRecordEditor& editor, const Permissions& permissions,
                      const Widgets& widgets, QObject* parent = nullptr);

    // The day, shift and day-off mark the journal shows.
    JournalDay day() const;
    // The journal query of the shift shown.
    Dataset& shownJournal() const;

public slots:
    // The computer's date, read again (the main window became active).
    void showToday();
    // The day chosen in the date box, read again.
    void showChosenDay();
    void refresh();
    void selectShift(int shift);
    void showDayOffLook();
    void addRecord();
    void changeRecord();
    void deleteRecord();
    void toggleAcceptance();

private:
    void reopenAll(bool setDate);
    // Reads the shown journal again and returns to the given row where it still exists.
    void reopenShown(int row);

    Database& m_db;
    WorkRecordEditor& m_editor;
    Permissions m_permissions;
    Widgets m_widgets;
    int m_shift = 1;
};
