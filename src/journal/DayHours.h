// Day-hours upkeep: a worker's hours of one day and shift, summed from the work records,
// written into that day's column of the worker's timesheet row for the shift and month.
#pragma once

#include <QDate>

class Database;

// With insertMissing, a worker without a row for the shift and month gets one; otherwise
// only an existing row is updated.
void writeDayHours(Database& db, int workerId, int shift, const QDate& day, bool insertMissing);
