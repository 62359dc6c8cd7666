// The program "Табель": piece-work production accounting of the workshop.
#include "BuildStampText.h"
#include "app/BuildStamp.h"
#include "app/CommandLine.h"
#include "app/Program.h"
#include "data/Sql.h"
#include "ui/Seams.h"

#include <QGuiApplication>

static int runWindows(int argc, char** argv) {
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

int main(int argc, char** argv) {
    readLocalTimeZoneOnce();
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandRequest request = readCommandLine(args);
    BuildStamp stamp =
        BuildStamp::fromTexts(QStringLiteral(TABEL_BUILD_DATE), QStringLiteral(TABEL_BUILD_TIME));
    stamp.commit = QStringLiteral(TABEL_BUILD_COMMIT);
    stamp.uncommitted = TABEL_BUILD_DIRTY;
    if (answersWithoutApplication(request))
        return int(runCommand(request, stamp));
    switch (request.mode) {
    case CommandMode::Report:
    case CommandMode::Timesheet:
    case CommandMode::History: {
        // The report and the timesheet need no display, login or change to the database.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return int(runCommand(request, stamp));
    }
    case CommandMode::Import:
    case CommandMode::Months: {
        QCoreApplication app(argc, argv);
        return int(runCommand(request, stamp));
    }
    case CommandMode::Windows:
        break;
    }
    return runWindows(argc, argv);
}
