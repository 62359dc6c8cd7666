// The program's command line: one front end that reads the arguments of every mode, knows which
// options belong to which mode, answers --help and --version, and runs the mode asked for.
#pragma once

#include "app/BuildStamp.h"
#include "data/CommandOptions.h"

#include <QString>
#include <QStringList>

enum class CommandMode {
    Windows,   // [DATABASE SERVER]: the windows, after the login
    Report,    // --report …: a summary report into a PDF file
    Timesheet, // --timesheet …: a monthly timesheet into a spreadsheet file
    Import,    // --import …: the import from the earlier database
    Months,    // --months …: the closed months
    History,   // --history …: the change list of a period into a spreadsheet file
};

// What the arguments ask for.
struct CommandRequest {
    CommandMode mode = CommandMode::Windows;
    // The options of the mode with their values, and the positional arguments.
    CommandOptions options;
    bool help = false;    // --help: the usage, and nothing run
    bool version = false; // --version: the program's version and build stamp, and nothing run
    // Set when the arguments cannot be run: an option the program does not know or that belongs
    // to another mode, an option given twice, a value missing, two modes at once.
    QString error;
};

// Reads the arguments without the program name. The values of a mode's options are checked by
// the mode itself when it runs.
CommandRequest readCommandLine(const QStringList& args);

// Every form of the command line, one per line, as printed with an argument error of the
// windows; a mode's own form for a mode.
QString commandUsage(CommandMode mode = CommandMode::Windows);
// What --help prints: every form, every option and the exit codes.
QString commandHelp();
// What --version prints: the program's version and its build stamp.
QString versionText(const BuildStamp& stamp);

// Runs what a request asks for other than the windows: the error with the usage on standard
// error, the help or the version on standard output, or a mode (the report and the timesheet
// need a QGuiApplication, the import a QCoreApplication). A request for the windows without an
// error, help or version is not run here and is answered with BadArguments.
CommandExit runCommand(const CommandRequest& request, const BuildStamp& stamp);
// True when runCommand answers the request without any application object: an argument error,
// the help or the version.
bool answersWithoutApplication(const CommandRequest& request);
