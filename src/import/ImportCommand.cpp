// The command-line import.
#include "import/ImportCommand.h"

#include "data/Connection.h"
#include "data/Database.h"
#include "import/ImportConnections.h"
#include "import/LegacyImport.h"

#include <QElapsedTimer>
#include <cstdio>

namespace {

void printLine(FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
    std::fflush(to);
}

} // namespace

QString importCommandUsage() {
    return QStringLiteral("tabel --import [БАЗА СЕРВЕР]");
}

CommandExit runImportCommand(const CommandOptions& options) {
    const QStringList& positional = options.positional;
    // Both or neither, and the database named: an empty name would open the default database.
    const QString problem = positional.size() == 1
                                ? QStringLiteral("нужны оба параметра: база данных и сервер")
                                : positionalArgumentsProblem(positional);
    if (!problem.isEmpty()) {
        printLine(stderr, QStringLiteral("Ошибка: %1\nИспользование: %2").arg(problem, importCommandUsage()));
        return CommandExit::BadArguments;
    }

    Database db;
    try {
        db.connection().setSettings(connectionSettings(positional));
        db.connection().open();
    } catch (const DbError& e) {
        printLine(stderr, QStringLiteral("Подключение к БД отсутсвует!!! %1").arg(e.message));
        return CommandExit::DatabaseError;
    }
    ImportOutcome outcome;
    try {
        ImportConnections connections;
        LegacyImport import(connections.source(), connections.target(), db.connection().database());
        // Every step's start and end, and in between a line a second at most.
        QElapsedTimer sinceLine;
        sinceLine.start();
        import.setProgress([&](const QString& text, bool milestone) {
            if (!milestone && sinceLine.elapsed() < 1000)
                return;
        printLine(stderr, text);
        sinceLine.restart();
    });
    outcome = import.run();
}
catch (const DbError& e) {
    outcome.error = e.message;
}
for (const ImportStepResult& step : outcome.steps)
    printLine(stdout, LegacyImport::summaryLine(step));
if (!outcome.succeeded()) {
    printLine(stderr, QStringLiteral("Ошибка: %1").arg(outcome.error));
    return CommandExit::DatabaseError;
}
return CommandExit::Success;
}
