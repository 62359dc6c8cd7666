// The command-line report mode: one summary report into a PDF file, without any window,
// login or change to the database.
#pragma once

#include "data/CommandOptions.h"

#include <QString>

// options are the mode's options as the program's front end read them (each at most once):
//     --report workers|products|workers-detail|products-detail
//     --from DD.MM.YYYY --to DD.MM.YYYY [--kind all|finished|blanks] --pdf FILE [DATABASE SERVER]
// The period is half-open, as in the reports dialog: from inclusive, to exclusive.
// Needs a QGuiApplication and opens the program's connection itself, so no other Database object
// may exist meanwhile. buildDate (YYYYMMDD) and buildTime (seconds since midnight) are this
// program's build stamp: a newer program having run against the database refuses this one, as
// the windows do. Writes messages to stderr; returns BadArguments (nothing opened or written),
// DatabaseError when the database cannot be reached or refuses a statement, FileError when the
// file cannot be written (or the path is not a regular file), ProgramOutdated when the program is
// older than the database's build stamp.
CommandExit runReportCommand(const CommandOptions& options, int buildDate, int buildTime);

// The usage text printed with an argument error.
QString reportCommandUsage();
