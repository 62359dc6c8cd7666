// Parts shared by the two timesheet windows: the month and year lists, the buttons, the
// read-only grid, the progress bar of a rebuild and the export's counting caption.
#pragma once

#include "records/TimesheetRebuild.h"
#include "timesheets/TimesheetMonth.h"
#include "ui/WindowParts.h"

#include <QList>
#include <QString>
#include <functional>

class Database;
class QComboBox;
class QProgressBar;
class QPushButton;
class QTableView;
class QWidget;

// The month list "monthBox": "Январь" … "Декабрь".
QComboBox* makeMonthBox(QWidget* parent);
// The year list "yearBox", empty until setYears.
QComboBox* makeYearBox(QWidget* parent);
// Fills the year list (ascending) and selects the year, without announcing a change.
void setYears(QComboBox* box, const QList<int>& years, int selected);
// Fills the year list with the years that have timesheet rows and the given year (so that a new
// year's month can be shown and rebuilt before it has rows), and selects that year.
void setTimesheetYears(QComboBox* box, Database& db, int selected);
// The month and year chosen in the two lists.
TimesheetMonth chosenMonth(const QComboBox* monthBox, const QComboBox* yearBox);
// Selects the month and year in the lists without announcing a change.
void chooseMonth(QComboBox* monthBox, QComboBox* yearBox, const TimesheetMonth& month);

// A read-only grid with whole-row selection, titles and lines, without row numbers.
QTableView* makeTimesheetGrid(QWidget* parent, const QString& name);
// The rebuild's progress bar "progressBar" (from 1), hidden.
QProgressBar* makeProgressBar(QWidget* parent);

// Shows the progress bar from 1 to the month's days while it lives, and hides it at the end.
class RebuildProgress {
public:
    RebuildProgress(QProgressBar* bar, int days);
    ~RebuildProgress();
    void dayDone(int day);

private:
    QProgressBar* m_bar;
};

// A window's "Перестроить": closes what the window shows, rebuilds the month's rows of that kind
// with the progress bar moving, and shows the rows again whether the rebuild went through or
// not. A failed rebuild's DbError goes on to the caller (an error in showing the rows again is
// not shown over it).
void rebuildAndShowAgain(Database& db, TimesheetRows rows, const TimesheetMonth& month, QProgressBar* bar,
                         const std::function<void()>& close, const std::function<void()>& showAgain);

// "Excel (k из n)" on the button, repainted at once.
void showExportCount(QPushButton* button, int written, int total);
