// Journal: the work records of one day and shift with its shift and day selectors, the day-off
// box, the grid and its buttons; it adds and changes records through the editor, deletes them and
// toggles their acceptance mark.
#pragma once

#include "data/Dataset.h"
#include "data/JournalDay.h"
#include "records/WorkRecord.h"
#include "ui/Permissions.h"
#include "ui/ResultGridModel.h"

#include <QWidget>
#include <array>

class Database;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QDateEdit;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableView;
class RecordHistoryDialog;
class WorkRecordEditor;

class JournalView : public QWidget {
    Q_OBJECT
public:
    JournalView(Database& db, WorkRecordEditor& editor, const Permissions& permissions,
                QWidget* parent = nullptr);

    // The day, shift and day-off mark the journal shows.
    JournalDay day() const;
    // The rows of a shift's journal (1..3, 4 the overtime) as last read, to look at.
    const Dataset& shiftJournal(int shift) const { return m_journals[shift - 1]; }
    // Whether the day shown lies in a closed month: its records are not changed then.
    bool monthClosed() const { return m_monthClosed; }
    // The row above the grid and the row of buttons under it: a frame that puts the journal in
    // its window adds its own widgets at their ends.
    QBoxLayout* headerRow() const { return m_headerRow; }
    QBoxLayout* buttonRow() const { return m_buttonRow; }

public slots:
    // Reads the journals of the day and marks a weekend as a day off.
    void showDay(const QDate& date);
    // The computer's date, read again.
    void showToday();
    // Reads the day shown again (the records may have changed elsewhere).
    void refresh();

signals:
    // The day, the shift or the day-off mark shown changed.
    void dayChanged(const JournalDay& day);
    // A record was added, changed or deleted here, or its acceptance mark toggled.
    void recordsChanged();

private:
    void createWidgets();
    void applyPermissions();
    // Reads whether the month of the day read is closed, and shows it: "Месяц закрыт", and the
    // buttons that change records disabled.
    void readMonthClosing();
    // The date typed or picked in the date box, read when it differs from the day shown.
    void showChosenDay();
    void selectShift(int shift);
    void showDayOffLook();
    void addRecord();
    void changeRecord();
    void deleteRecord();
    // A new record that starts as a copy of the current one.
    void copyRecord();
    // The versions of the current record ("История").
    void showRecordHistory();
    // Marks every record of the day's shift accepted, after a question naming their count.
    void acceptShift();
    void toggleAcceptance();
    // The journal query of the shift shown.
    Dataset& shownJournal();
    // Reads the four shifts' journals anew, for the date in the date box.
    void readDay();
    // Shows only the records whose worker or product (as chosen) holds the typed text.
    void applyFilter();
    // The hours, pieces and amount of the records shown, and of the current row's worker.
    void showTotals();
    // Reads the shown journal again and returns to the given row where it still exists.
    void reopenShown(int row);
    // Back from a save in the editor: the day shown read again, standing on the record saved
    // when it is of this day and shift, else on the row it stood on.
    void showSaved(const WorkRecord& saved, int row);

    Database& m_db;
    WorkRecordEditor& m_editor;
    Permissions m_permissions;
    // The journals of shifts 1..3 and the overtime.
    std::array<Dataset, 4> m_journals;
    // How the grid shows each of them.
    std::array<ResultGridModel, 4> m_journalModels{
        ResultGridModel(m_journals[0]), ResultGridModel(m_journals[1]), ResultGridModel(m_journals[2]),
        ResultGridModel(m_journals[3])};
    int m_shift = 1;
    // The date the journals were last read for.
    QDate m_readDate;
    bool m_monthClosed = false;

    QBoxLayout* m_headerRow;
    QBoxLayout* m_buttonRow;
    QRadioButton* m_shiftButtons[4];
    QDateEdit* m_dateEdit;
    QCheckBox* m_dayOffCheck;
    QLabel* m_monthClosedLabel;
    QTableView* m_journalGrid;
    QComboBox* m_filterFieldBox; // the filter by worker (fio) or by product (marka)
    QLineEdit* m_filterEdit;
    QLabel* m_totalsLabel;
    QPushButton* m_addButton;
    QPushButton* m_changeButton;
    QPushButton* m_deleteButton;
    QPushButton* m_refreshButton;
    QPushButton* m_copyButton;
    QPushButton* m_acceptShiftButton;
    QPushButton* m_historyButton;
    RecordHistoryDialog* m_historyDialog;
};
