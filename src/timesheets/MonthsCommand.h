// tabel --months: the closed months of the database, one a line, without a window.
#pragma once

#include "data/CommandOptions.h"

#include <QString>

// The usage line of the mode.
QString monthsCommandUsage();

// Prints the closed months (oldest first: the month, when it was closed and by whom, separated by
// tabs) on standard output. Needs no display and no access code, and changes nothing.
// 0 printed (nothing when no month is closed), 2 bad arguments, 3 a database error or a database
// without closed months (db/closing.sql not applied), 5 a newer build has run against the database.
CommandExit runMonthsCommand(const CommandOptions& options, int buildDate, int buildTime);
