// The program "Табель": piece-work production accounting of the workshop.
#include "BuildStampText.h"
#include "app/Program.h"
#include "reports/ReportCommand.h"
#include "timesheets/TimesheetCommand.h"
#include "ui/Seams.h"

#include <QGuiApplication>
#include <cstring>

// "tabel --report …" writes a report into a PDF file and "tabel --timesheet …" a timesheet into
// an .xlsx file, without any window, login or change to the database, also on a server without
// a display.
static bool hasOption(int argc, char** argv, const char* option) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], option) == 0)
            return true;
    return false;
}

int main(int argc, char** argv) {
    const bool report = hasOption(argc, argv, "--report");
    if (report || hasOption(argc, argv, "--timesheet")) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        const QStringList args = app.arguments().mid(1);
        return report ? runReportCommand(args) : runTimesheetCommand(args);
    }
    TabelApplication app(argc, argv);
    speakRussian(app);
    bool ended = false;
    int code = 0;
    seams::setEndHandler([&](int c) {
        if (ended)
            return;
        ended = true;
        code = c;
        // Leave every running event loop, the modal ones included.
        QCoreApplication::exit(c);
    });
    Program program(app.arguments().mid(1), QStringLiteral(TABEL_BUILD_DATE),
                    QStringLiteral(TABEL_BUILD_TIME));
    if (program.start() && !ended)
        code = app.exec();
    return code;
}
