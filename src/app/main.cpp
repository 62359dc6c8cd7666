// The program "Табель": piece-work production accounting of the workshop.
#include "BuildStampText.h"
#include "app/BuildStamp.h"
#include "app/CommandLine.h"
#include "app/Program.h"
#include "data/Sql.h"
#include "import/ImportCommand.h"
#include "reports/ReportCommand.h"
#include "timesheets/TimesheetCommand.h"
#include "ui/Seams.h"

#include <QGuiApplication>
#include <cstdio>

static int refuseArguments(const QString& error) {
    std::fprintf(stderr, "%s\n%s\n", error.toLocal8Bit().constData(),
                 commandUsage().toLocal8Bit().constData());
    return 2;
}

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
    const CommandChoice choice = chooseCommand(args);
    if (!choice.error.isEmpty())
        return refuseArguments(choice.error);
    switch (choice.mode) {
    case CommandMode::Report: {
        // The report needs no display, login or change to the database.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return runReportCommand(args, computeBuildDate(QStringLiteral(TABEL_BUILD_DATE)),
                                computeBuildTime(QStringLiteral(TABEL_BUILD_TIME)));
    }
    case CommandMode::Import: {
        QCoreApplication app(argc, argv);
        return runImportCommand(args);
    }
    case CommandMode::Timesheet: {
        // Like the report: no display, login or change to the database.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return runTimesheetCommand(args, computeBuildDate(QStringLiteral(TABEL_BUILD_DATE)),
                                   computeBuildTime(QStringLiteral(TABEL_BUILD_TIME)));
    }
    case CommandMode::Windows:
        break;
    }
    return runWindows(argc, argv);
}
