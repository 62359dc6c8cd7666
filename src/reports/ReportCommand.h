// The command-line report mode: one summary report into a PDF file, without any window,
// login or change to the database.
#pragma once

#include <QStringList>

// args are the program's arguments without the program name:
//     --report workers|products|workers-detail|products-detail
//     --from DD.MM.YYYY --to DD.MM.YYYY [--kind all|finished|blanks] --pdf FILE [DATABASE SERVER]
// The period is half-open, as in the reports dialog: from inclusive, to exclusive.
// Needs a QGuiApplication and opens the program's connection itself, so no other Database object
// may exist meanwhile. buildDate (YYYYMMDD) and buildTime (seconds since midnight) are this
// program's build stamp: a newer program having run against the database refuses this one, as
// the windows do. Writes messages to stderr; returns 0 on success, 2 on bad arguments, 3 when the
// database cannot be reached or refuses a statement, 4 when the file cannot be written (or the
// path is not a regular file), 5 when the program is older than the database's build stamp.
int runReportCommand(const QStringList& args, int buildDate, int buildTime);

// The exit codes of the report command.
enum ReportCommandResult {
    ReportWritten = 0,
    ReportBadArguments = 2,
    ReportDatabaseError = 3,
    ReportFileError = 4,
    ReportProgramOutdated = 5,
};

// The usage text printed with an argument error.
QString reportCommandUsage();
