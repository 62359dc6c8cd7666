// The program "Табель": piece-work production accounting of the workshop.
#include "Program.h"
#include "Seams.h"

#if __has_include("ReportCommand.h")
#include "ReportCommand.h"
#include <QGuiApplication>
#include <cstring>

// "tabel --report …" writes a report into a PDF file without any window, login or change
// to the database, also on a server without a display.
static bool isReportCommand(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--report") == 0)
            return true;
    return false;
}
#endif

int main(int argc, char** argv) {
#if __has_include("ReportCommand.h")
    if (isReportCommand(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return runReportCommand(app.arguments().mid(1));
    }
#endif
    TabelApplication app(argc, argv);
    loadTranslations(app);
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
    // The build texts are fixed when this file is compiled (it is compiled at every build).
    const bool started =
        startProgram(app.arguments().mid(1), QStringLiteral(__DATE__), QStringLiteral(__TIME__));
    if (started && !ended)
        code = app.exec();
    shutdownProgram();
    return code;
}
