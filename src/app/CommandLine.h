// The program's command line: which of its modes the arguments ask for, and the refusal of
// options it does not know.
#pragma once

#include <QString>
#include <QStringList>

enum class CommandMode {
    Windows,   // [DATABASE SERVER]: the windows, after the login
    Report,    // --report …: a summary report into a PDF file
    Timesheet, // --timesheet …: a monthly timesheet into a spreadsheet file
    Import,    // --import …: the import from the earlier database
};

struct CommandChoice {
    CommandMode mode = CommandMode::Windows;
    QString error; // set when the arguments cannot be run; the program then ends with code 2
};

// Reads the arguments without the program name. Any option the program does not know, or two
// modes at once, is an error; the options of a mode are checked by that mode itself.
CommandChoice chooseCommand(const QStringList& args);

// Every form of the command line, one per line, as printed with an argument error.
QString commandUsage();
