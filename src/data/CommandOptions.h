// What a command-line mode is given and gives back: its options as the program's front end read
// them, the exit codes every mode shares, and the lines a mode writes.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The exit codes of the command line, the same for every mode.
enum class CommandExit {
    Success = 0,         // written, copied, or the help or version shown
    BadArguments = 2,    // nothing was opened or written
    DatabaseError = 3,   // the database cannot be reached or refuses a statement
    FileError = 4,       // the file cannot be written, or the path is not a regular file
    ProgramOutdated = 5, // a newer build of the program has run against the database
};

// The options of one mode: each given at most once, with its value (empty for an option without
// one), by name without the dashes ("pdf"); and the arguments that are no options.
struct CommandOptions {
    QHash<QString, QString> values;
    QStringList positional;

    bool isSet(const QString& name) const { return values.contains(name); }
    QString value(const QString& name) const { return values.value(name); }
};

// What is wrong with the positional parameters of a command-line mode (more than the database
// and the server, or an empty database name); empty when they are fine.
QString positionalArgumentsProblem(const QStringList& positionalArgs);
// Writes a line of a command-line mode to standard error at once.
void printError(const QString& text);
// Writes a line of a command-line mode to standard output at once.
void printOutput(const QString& text);
