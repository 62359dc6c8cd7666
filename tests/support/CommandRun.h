// Runs the program's command line inside a test, as a build of a fixed stamp, with its error
// output caught: for the tests of the command modes, which link the program's front end.
#pragma once

#include "app/CommandLine.h"
#include "support/TestSupport.h"

#include <QString>
#include <QStringList>

// The build stamp the commands run as (the template database's stamp is 0).
constexpr int kCommandBuildDate = 20261209;
constexpr int kCommandBuildTime = 80000;

// Runs the command with these arguments; its error output goes into err.
inline int runCaptured(const QStringList& args, QString* err) {
    return runWithErrorsCaught(
        [&] {
            return int(runCommand(readCommandLine(args),
                                  BuildStamp{{}, {}, kCommandBuildDate, kCommandBuildTime, {}, false}));
        },
        err);
}
