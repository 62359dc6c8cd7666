// The spreadsheet forms of the timesheets: the piece-work timesheet of one view and the hours of
// all shifts of a month, written cell by cell through a writer, so that the windows write into a
// new workbook and the command line into a file with the same cells.
#pragma once

#include "timesheets/PieceworkViews.h"

#include <QString>
#include <functional>

class Dataset;

// Writes one cell of the first sheet (column and row from 1); returns 1, or -1 after a failure
// that has been shown; the sheet goes on after a failed cell.
using SheetCellWriter =
    std::function<int(int column, int row, const QString& text, bool textFormat, bool autofit, bool bold)>;
// Called with 0 before the first record and with the number written after each one.
using SheetProgress = std::function<void(int written, int total)>;

// The title "Март 2024", the header and one line per record of the open view statement, from
// its first record on; column 2 only in the views with a day/night column, "Час (р.)" not in the
// general view. Leaves the statement after its last record.
void writePieceworkSheet(Dataset& rows, PieceworkView view, const TimesheetMonth& month,
                         const SheetCellWriter& put, const SheetProgress& progress = {});

// The title, the header and one line per worker of the month's hours summed over all his
// timesheet rows (fio, sd1 … sd31), with the line's total in column 33.
void writeHoursSheet(Dataset& rows, const TimesheetMonth& month, const SheetCellWriter& put,
                     const SheetProgress& progress = {});
