// tabel --months: the closed months.
#include "timesheets/MonthsCommand.h"

#include "data/Connection.h"
#include "data/Database.h"
#include "records/ClosedMonths.h"

QString monthsCommandUsage() {
    return QStringLiteral("tabel --months [БАЗА СЕРВЕР]");
}

CommandExit runMonthsCommand(const CommandOptions& options, int buildDate, int buildTime) {
    const QStringList& positional = options.positional;
    QString problem = positionalArgumentsProblem(positional);
    if (problem.isEmpty() && positional.size() == 1)
        problem = QStringLiteral("указана база данных без сервера: %1").arg(positional.first());
    if (!problem.isEmpty()) {
        printError(QStringLiteral("Ошибка: ") + problem);
        printError(QStringLiteral("Использование: ") + monthsCommandUsage());
        return CommandExit::BadArguments;
    }
    // A session of its own that cannot write; an outdated program is refused as the windows
    // refuse it.
    Database db;
    try {
        db.connection().setSettings(connectionSettings(positional));
        db.connection().open();
        db.execute(QStringLiteral("set session characteristics as transaction read only"));
        if (db.newerProgramHasRun(buildDate, buildTime)) {
            printError(QStringLiteral("Версия программы не соответсвует БД: в базе работала более новая "
                                      "версия."));
            return CommandExit::ProgramOutdated;
        }
        if (!closingInstalled(db)) {
            printError(
                QStringLiteral("В базе данных нет таблицы закрытых месяцев: администратор применяет к ней "
                               "файл closing.sql (/usr/share/tabel/db/closing.sql)."));
            return CommandExit::DatabaseError;
        }
        for (const MonthClosing& m : closedMonths(db))
            printOutput(QStringLiteral("%1\t%2\t%3")
                            .arg(m.month.text(),
                                 m.closedAt.toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")),
                                 m.closedBy));
    } catch (const DbError& e) {
        printError(QStringLiteral("Ошибка базы данных: ") + e.message);
        return CommandExit::DatabaseError;
    }
    return CommandExit::Success;
}
