// The command-line import: the legacy import without any window, for an administrator's script.
#pragma once

#include "data/CommandOptions.h"

#include <QString>

// options are the mode's options as the program's front end read them: --import [DATABASE SERVER].
// Needs a QCoreApplication and opens the program's connection itself. The progress goes to
// stderr, the summary per table to stdout. Returns Success when every step finished,
// BadArguments, DatabaseError when a connection or a step fails (the message names the step, the
// table and the driver's text).
CommandExit runImportCommand(const CommandOptions& options);

// The usage text of the command.
QString importCommandUsage();
