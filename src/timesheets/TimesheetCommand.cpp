// The command-line timesheet export.
#include "timesheets/TimesheetCommand.h"

#include "data/Connection.h"
#include "data/Database.h"
#include "data/OutputFile.h"
#include "export/ExcelHelper.h"
#include "export/InProcessSpreadsheet.h"
#include "reports/HoursTimesheetReport.h"
#include "timesheets/PieceworkViews.h"
#include "timesheets/TimesheetSheets.h"
#include "ui/Seams.h"

#include <QRegularExpression>
#include <optional>

namespace {

struct Options {
    std::optional<PieceworkView> view; // none: the hours of all shifts
    TimesheetMonth month;
    QString xlsx;
    QStringList positional;
};

bool parseMonth(const QString& text, TimesheetMonth* month) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2})\\.(\\d{4})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return false;
    *month = {m.captured(1).toInt(), m.captured(2).toInt()};
    // The statements read the month up to the first day of the next one, which must be a date of
    // four-digit years as well.
    return month->month >= 1 && month->month <= 12 && month->year >= 1900 && month->year <= 9998;
}

// Reads the values of the options; on a fault returns false with the reason.
bool parseOptions(const CommandOptions& given, Options* o, QString* error) {
    if (!given.isSet(QStringLiteral("timesheet"))) {
        *error = QStringLiteral("не указан табель (--timesheet)");
        return false;
    }
    const QString kind = given.value(QStringLiteral("timesheet"));
    PieceworkView view;
    if (kind == u"shifts")
        o->view.reset();
    else if (pieceworkViewByName(kind, &view))
        o->view = view;
    else {
        *error = QStringLiteral("неизвестный табель '%1' (piecework, maintenance, average, all, shifts)")
                     .arg(kind);
        return false;
    }
    if (!given.isSet(QStringLiteral("month"))) {
        *error = QStringLiteral("не указан месяц (--month)");
        return false;
    }
    const QString month = given.value(QStringLiteral("month"));
    if (!parseMonth(month, &o->month)) {
        *error = QStringLiteral("месяц '%1' не в виде ММ.ГГГГ (с 01.1900 по 12.9998)").arg(month);
        return false;
    }
    o->xlsx = given.value(QStringLiteral("xlsx"));
    o->positional = given.positional;
    if (o->xlsx.isEmpty())
        *error = QStringLiteral("не указан файл (--xlsx)");
    else
        *error = positionalArgumentsProblem(o->positional);
    return error->isEmpty();
}

} // namespace

QString timesheetCommandUsage() {
    return QStringLiteral("tabel --timesheet piecework|maintenance|average|all|shifts --month ММ.ГГГГ "
                          "--xlsx ФАЙЛ [БАЗА СЕРВЕР]");
}

CommandExit runTimesheetCommand(const CommandOptions& options, int buildDate, int buildTime) {
    Options o;
    QString error;
    if (!parseOptions(options, &o, &error)) {
        printError(QStringLiteral("Ошибка: ") + error);
        printError(QStringLiteral("Использование: ") + timesheetCommandUsage());
        return CommandExit::BadArguments;
    }
    // A folder, a device or a pipe is refused before the database is asked, and left as it is.
    if (const QString problem = outputTargetProblem(o.xlsx); !problem.isEmpty()) {
        printError(problem);
        return CommandExit::FileError;
    }

    // The cells go into a workbook of this program, which is then saved; a cell the workbook
    // refuses is reported here instead of in a message box.
    bool cellFailed = false;
    seams::setMessageHandler([&cellFailed](const seams::Message& m) {
        printError(m.caption + QStringLiteral(": ") + m.text);
        cellFailed = true;
        return QMessageBox::Ok;
    });
    struct RestoreBoxes {
        ~RestoreBoxes() { seams::setMessageHandler({}); }
    } restoreBoxes;
    auto workbook = std::make_shared<spreadsheet::inprocess::InProcessApplication>();
    workbook->addWorkbook();
    ExcelReference excel{workbook};
    const SheetCellWriter put = [&excel](int column, int row, const QString& text, bool textFormat,
                                         bool autofit, bool bold) {
        return ExcelPutCell(1, column, row, text, textFormat, autofit, bold, excel);
    };

    // A database object of its own: connected, but no login and no build stamp written, and a
    // session that cannot write; an outdated program is refused as the windows refuse it.
    Database db;
    try {
        db.connection().setSettings(connectionSettings(o.positional));
        db.connection().open();
        db.execute(QStringLiteral("set session characteristics as transaction read only"));
        if (db.newerProgramHasRun(buildDate, buildTime)) {
            printError(QStringLiteral("Версия программы не соответсвует БД: в базе работала более новая "
                                      "версия. Табель не записан."));
            return CommandExit::ProgramOutdated;
        }
        if (o.view) {
            Dataset rows(nullptr, db.connection().name());
            rows.setSql(pieceworkViewSql(*o.view));
            setPieceworkMonth(rows, *o.view, o.month);
            rows.open();
            writePieceworkSheet(rows, *o.view, o.month, put);
        } else {
            HoursTimesheetReport report(db);
            report.openMonth(o.month.month, o.month.year);
            writeHoursSheet(report.query(), o.month, put);
        }
    } catch (const DbError& e) {
        printError(QStringLiteral("Ошибка базы данных: ") + e.message);
        return CommandExit::DatabaseError;
    }
    try {
        spreadsheet::inprocess::saveXlsx(*workbook->activeWorkbook(), o.xlsx);
    } catch (const spreadsheet::Error& e) {
        printError(e.text()); // names the file and the reason
        return CommandExit::FileError;
    }
    return cellFailed ? CommandExit::FileError : CommandExit::Success;
}
