// The command-line timesheet export: the sheet that a timesheet window's "Excel" button writes,
// for one view and month, into an .xlsx file, without any window, login or change to the
// database.
#pragma once

#include <QStringList>

// args are the program's arguments without the program name:
//     --timesheet piecework|maintenance|average|all|shifts --month MM.YYYY --xlsx FILE
//     [DATABASE SERVER]
// piecework, maintenance, average and all are the four views of the piece-work timesheet, shifts
// the hours of all shifts of the hours timesheet. Needs a QGuiApplication and opens the
// program's connection itself, so no other Database object may exist meanwhile. Writes messages
// to stderr; returns 0 on success, 2 on bad arguments, 3 when the database cannot be reached or
// refuses a statement, 4 when the file cannot be written, 5 when a newer program than this build
// (its build date and time as the build stamp counts them) has run against the database.
int runTimesheetCommand(const QStringList& args, int buildDate, int buildTime);

// The usage text printed with an argument error.
QString timesheetCommandUsage();
