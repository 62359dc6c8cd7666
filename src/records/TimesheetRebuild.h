// Rebuilding a month's timesheet rows from their records: the shift rows (shifts 1 to 4) from the
// journal's work records, or the rows of maintenance works and work at the average piece rate
// (shift 0) from the maintenance records.
#pragma once

#include "data/Transaction.h"

#include <functional>

class Database;

enum class TimesheetRows {
    Maintenance = static_cast<int>(TimesheetRowsKind::Maintenance), // shift 0: a row per worker, type, flag
    Shifts = static_cast<int>(TimesheetRowsKind::Shifts),           // shifts 1 to 4: a row per worker, shift
};

// Deletes the month's rows of that kind and writes them again, day after day: a worker's row
// gets the day's hours (a record without hours counts 0) on each day with records, and no value
// on the other days. It is one transaction that first takes the lock of that month and kind, so
// a second rebuild of the same month waits for the first and then writes the same rows. On an
// error nothing has changed and DbError carries the server's text; a closed month is refused
// (Refusal) before anything is written. progress(day) is called after
// each day of the month.
void rebuildTimesheetRows(Database& db, TimesheetRows rows, int year, int month,
                          const std::function<void(int day)>& progress = {});
