// Day-hours upkeep: a worker's hours of one day and shift, summed from the work records,
// written into that day's column of the worker's timesheet row for the shift and month.
#pragma once

#include "data/Database.h"

#include <QDate>

class Transaction;

// The most hours one work record may hold.
inline constexpr int kMaxRecordHours = 24;

// With insertMissing, a worker without a row for the shift and month gets one; otherwise
// only an existing row is updated. Runs inside the caller's transaction and holds the worker's
// month for it, so that two workstations never both add a row or write a stale sum. Throws
// DbError with a Russian text when the day's sum does not fit the timesheet.
void writeDayHours(Transaction& transaction, Database& db, int workerId, int shift, const QDate& day,
                   bool insertMissing);
