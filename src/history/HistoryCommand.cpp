// tabel --history: the change list of a period into a spreadsheet file.
#include "history/HistoryCommand.h"

#include "data/Connection.h"
#include "data/Database.h"
#include "data/Dataset.h"
#include "data/OutputFile.h"
#include "export/CommandWorkbook.h"
#include "export/ExcelHelper.h"
#include "history/ChangeListSheet.h"
#include "records/ChangeLog.h"

#include <QDate>

namespace {

struct Options {
    QDate from, to;
    QString xlsx;
};

bool parseOptions(const CommandOptions& given, Options* o, QString* error) {
    for (const QString& name : {QStringLiteral("from"), QStringLiteral("to")}) {
        if (!given.isSet(name)) {
            *error = QStringLiteral("не указан период (--from и --to)");
            return false;
        }
        const QString v = given.value(name);
        const QDate d = QDate::fromString(v, QStringLiteral("dd.MM.yyyy"));
        if (!d.isValid()) {
            *error = QStringLiteral("дата --%1 '%2' не в виде ДД.ММ.ГГГГ").arg(name, v);
            return false;
        }
        (name == u"from" ? o->from : o->to) = d;
    }
    if (o->from > o->to) {
        *error = QStringLiteral("период пуст: --from позже --to");
        return false;
    }
    o->xlsx = given.value(QStringLiteral("xlsx"));
    if (o->xlsx.isEmpty()) {
        *error = QStringLiteral("не указан файл (--xlsx)");
        return false;
    }
    QString problem = positionalArgumentsProblem(given.positional);
    if (problem.isEmpty() && given.positional.size() == 1)
        problem = QStringLiteral("указана база данных без сервера: %1").arg(given.positional.first());
    if (!problem.isEmpty()) {
        *error = problem;
        return false;
    }
    return true;
}

} // namespace

QString historyCommandUsage() {
    return QStringLiteral("tabel --history --from ДД.ММ.ГГГГ --to ДД.ММ.ГГГГ --xlsx ФАЙЛ [БАЗА СЕРВЕР]");
}

CommandExit runHistoryCommand(const CommandOptions& options, int buildDate, int buildTime) {
    Options o;
    QString error;
    if (!parseOptions(options, &o, &error)) {
        printError(QStringLiteral("Ошибка: ") + error);
        printError(QStringLiteral("Использование: ") + historyCommandUsage());
        return CommandExit::BadArguments;
    }
    // Only a new path or a regular file is written: anything else is refused before the
    // database is asked, and left as it is.
    if (const QString problem = outputTargetProblem(o.xlsx); !problem.isEmpty()) {
        printError(problem);
        return CommandExit::FileError;
    }
    CommandWorkbook workbook;

    // A session of its own that cannot write; an outdated program is refused as the windows
    // refuse it.
    Database db;
    try {
        db.connection().setSettings(connectionSettings(options.positional));
        db.connection().open();
        db.execute(QStringLiteral("set session characteristics as transaction read only"));
        if (db.newerProgramHasRun(buildDate, buildTime)) {
            printError(QStringLiteral("Версия программы не соответсвует БД: в базе работала более новая "
                                      "версия. Файл не записан."));
            return CommandExit::ProgramOutdated;
        }
        if (!historyInstalled(db)) {
            printError(historyMissingText());
            return CommandExit::DatabaseError;
        }
        const ChangeListFilter filter{o.from, o.to, 0, {}, {}};
        Dataset rows(nullptr, db.connection().name());
        rows.setSql(changeListSql(filter));
        const Params params = changeListParams(filter);
        for (auto it = params.begin(); it != params.end(); ++it)
            rows.setParam(it.key(), it.value());
        rows.open();
        writeChangeListSheet(rows, [&workbook](int column, int row, const QString& text, bool textFormat) {
            ExcelPutCell(1, column, row, text, textFormat, true, row == 1, workbook.excel());
        });
    } catch (const DbError& e) {
        printError(QStringLiteral("Ошибка базы данных: ") + e.message);
        return CommandExit::DatabaseError;
    }
    if (!workbook.save(o.xlsx))
        return CommandExit::FileError;
    return workbook.cellFailed() ? CommandExit::FileError : CommandExit::Success;
}
