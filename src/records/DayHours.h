// Day-hours upkeep: a worker's hours of one day, summed from the records, written into that day's
// column of the worker's timesheet row; one upkeep for the journal's shift rows and for the rows
// of maintenance works and work at the average rate.
#pragma once

#include "data/Transaction.h"

#include <QDate>
#include <vector>

class Database;

// The most hours one work record may hold.
inline constexpr int kMaxRecordHours = 24;

// One day of one timesheet row: the row of a worker's shift (1 to 4) and month, summed from the
// journal's work records, or the row of a worker's maintenance or average-rate type, night flag
// and month, summed from the maintenance entries.
struct DayHoursCell {
    TimesheetRowsKind kind = TimesheetRowsKind::Shifts;
    int workerId = 0;
    int shift = 0;      // shift rows: 1 to 4
    int type = 0;       // maintenance rows: the operation type (7777 or 7778)
    bool night = false; // maintenance rows: night work
    QDate day;

    static DayHoursCell shiftRow(int workerId, int shift, const QDate& day);
    static DayHoursCell maintenanceRow(int workerId, int type, bool night, const QDate& day);
    bool operator==(const DayHoursCell&) const = default;
    // The key of the row's lock: one per row and month, distinct across both kinds of rows.
    qint64 lockKey() const;
};

// Holds the rows of the cells for the rest of the transaction: first the month's rebuild lock of
// each cell's kind, shared (a rebuild of that month under way is waited for, as it would overwrite
// the day), then each row's own lock in the order of their keys, so that two transactions that
// hold several rows never wait for each other crosswise. Taking a row again costs nothing.
void lockDayHours(Transaction& transaction, const std::vector<DayHoursCell>& cells);

// The upkeep: holds the cell's row (lockDayHours), sums the day's hours from the records and
// writes the sum into the day column of the row. With insertMissing a missing row is inserted;
// otherwise only an existing row is updated. Runs inside the caller's transaction, so that two
// workstations never both add a row or write a stale sum. Throws Refusal, before writing, when
// the day's sum does not fit the timesheet; DbError with the server's text when a statement fails.
void writeDayHours(Transaction& transaction, Database& db, const DayHoursCell& cell, bool insertMissing);

// The same for the journal: the worker's shift row of the day's month.
void writeDayHours(Transaction& transaction, Database& db, int workerId, int shift, const QDate& day,
                   bool insertMissing);
