// The command-line timesheet export: the sheet that a timesheet window's "Excel" button writes,
// for one view and month, into an .xlsx file, the month handed to payroll into .xlsx and .csv
// files, and the T-13 timesheet into a PDF file, without any window, login or change to the
// database.
#pragma once

#include "data/CommandOptions.h"

#include <QString>

// options are the mode's options as the program's front end read them (each at most once):
//     --timesheet piecework|maintenance|average|all|shifts --month MM.YYYY --xlsx FILE
//     --timesheet payroll --month MM.YYYY [--xlsx FILE] [--csv FILE]
//     --timesheet t13 --month MM.YYYY --pdf FILE
//     and [DATABASE SERVER] after each
// piecework, maintenance, average and all are the four views of the piece-work timesheet, shifts
// the hours of all shifts of the hours timesheet, payroll the month handed to payroll, t13 the
// hours timesheet on the form T-13 (organisation and department from the settings files). Needs a
// QGuiApplication and opens the program's connection itself, so no other Database object may exist meanwhile.
// Writes messages to stderr; returns BadArguments (nothing opened or written), DatabaseError when the
// database cannot be reached or refuses a statement, FileError when the file cannot be written (or the path
// is not a regular file), ProgramOutdated when a newer program than this build (its build date and time as
// the build stamp counts them) has run against the database.
CommandExit runTimesheetCommand(const CommandOptions& options, int buildDate, int buildTime);

// The usage text printed with an argument error.
QString timesheetCommandUsage();
