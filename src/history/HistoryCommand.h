// tabel --history: the change list of a period into a spreadsheet file, without a window.
#pragma once

#include "data/CommandOptions.h"

#include <QString>

// The form of the command.
QString historyCommandUsage();

// Reads the period (--from and --to, both days included) and the file (--xlsx), and writes the
// changes of the period into the file. Exit codes as every mode's: 2 bad arguments (a date not
// in the form DD.MM.YYYY included), 3 a database error or no change log in the database, 4 the
// file cannot be written, 5 a newer build has run against the database.
CommandExit runHistoryCommand(const CommandOptions& options, int buildDate, int buildTime);
