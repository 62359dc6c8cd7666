// The command-line import: the legacy import without any window, for an administrator's script.
#pragma once

#include <QStringList>

// args are the program's arguments without the program name: --import [DATABASE SERVER].
// Needs a QCoreApplication and opens the program's connection itself. The progress goes to
// stderr, the summary per table to stdout. Returns 0 when every step finished, 2 on bad
// arguments, 3 when a connection or a step fails (the message names the step, the table and
// the driver's text).
int runImportCommand(const QStringList& args);

// The usage text of the command.
QString importCommandUsage();
