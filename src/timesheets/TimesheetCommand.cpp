// The command-line timesheet export.
#include "timesheets/TimesheetCommand.h"

#include "data/Connection.h"
#include "data/Database.h"
#include "data/OutputFile.h"
#include "export/CommandWorkbook.h"
#include "export/ExcelHelper.h"
#include "reportengine/ReportPainter.h"
#include "reports/HoursTimesheetReport.h"
#include "reports/T13Report.h"
#include "timesheets/PayrollMonth.h"
#include "timesheets/PieceworkViews.h"
#include "timesheets/TimesheetSheets.h"
#include "ui/Seams.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

enum class Kind {
    View,    // a view of the piece-work timesheet, into .xlsx
    Shifts,  // the hours of all shifts, into .xlsx
    Payroll, // the month handed to payroll, into .xlsx and/or .csv
    T13,     // the hours timesheet on the form T-13, into .pdf
};

struct Options {
    Kind kind = Kind::Shifts;
    PieceworkView view = PieceworkView::Piecework;
    TimesheetMonth month;
    QString xlsx, csv, pdf;
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
    if (kind == u"shifts")
        o->kind = Kind::Shifts;
    else if (kind == u"payroll")
        o->kind = Kind::Payroll;
    else if (kind == u"t13")
        o->kind = Kind::T13;
    else if (pieceworkViewByName(kind, &o->view))
        o->kind = Kind::View;
    else {
        *error = QStringLiteral(
                     "неизвестный табель '%1' (piecework, maintenance, average, all, shifts, payroll, t13)")
                     .arg(kind);
        return false;
    }
    // The files each kind writes; another kind's file is no option of this one.
    QStringList files{QStringLiteral("xlsx")};
    if (o->kind == Kind::Payroll)
        files << QStringLiteral("csv");
    else if (o->kind == Kind::T13)
        files = QStringList{QStringLiteral("pdf")};
    for (const QString& name : {QStringLiteral("xlsx"), QStringLiteral("csv"), QStringLiteral("pdf")}) {
        if (given.isSet(name) && !files.contains(name)) {
            *error = QStringLiteral("неизвестный параметр --%1 для табеля %2").arg(name, kind);
            return false;
        }
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
    o->csv = given.value(QStringLiteral("csv"));
    o->pdf = given.value(QStringLiteral("pdf"));
    o->positional = given.positional;
    if (o->kind == Kind::Payroll && o->xlsx.isEmpty() && o->csv.isEmpty())
        *error = QStringLiteral("не указан файл (--xlsx или --csv)");
    else if (o->kind == Kind::T13 && o->pdf.isEmpty())
        *error = QStringLiteral("не указан файл (--pdf)");
    else if ((o->kind == Kind::View || o->kind == Kind::Shifts) && o->xlsx.isEmpty())
        *error = QStringLiteral("не указан файл (--xlsx)");
    else if (!o->xlsx.isEmpty() && !o->csv.isEmpty() &&
             QFileInfo(o->xlsx).absoluteFilePath() == QFileInfo(o->csv).absoluteFilePath())
        *error = QStringLiteral("--xlsx и --csv называют один и тот же файл");
    else
        *error = positionalArgumentsProblem(o->positional);
    return error->isEmpty();
}

} // namespace

QString timesheetCommandUsage() {
    return QStringLiteral(
        "tabel --timesheet piecework|maintenance|average|all|shifts --month ММ.ГГГГ "
        "--xlsx ФАЙЛ [БАЗА СЕРВЕР]\n"
        "               tabel --timesheet payroll --month ММ.ГГГГ [--xlsx ФАЙЛ] [--csv ФАЙЛ] "
        "[БАЗА СЕРВЕР]\n"
        "               tabel --timesheet t13 --month ММ.ГГГГ --pdf ФАЙЛ [БАЗА СЕРВЕР]");
}

CommandExit runTimesheetCommand(const CommandOptions& options, int buildDate, int buildTime) {
    Options o;
    QString error;
    if (!parseOptions(options, &o, &error)) {
        printError(QStringLiteral("Ошибка: ") + error);
        printError(QStringLiteral("Использование: ") + timesheetCommandUsage());
        return CommandExit::BadArguments;
    }
    // Only a new path or a regular file is written: a folder, a device or a pipe is refused
    // before the database is asked, and left as it is.
    for (const QString& file : {o.xlsx, o.csv, o.pdf}) {
        if (const QString problem = file.isEmpty() ? QString() : outputTargetProblem(file);
            !problem.isEmpty()) {
            printError(problem);
            return CommandExit::FileError;
        }
    }

    CommandWorkbook workbook;
    const SheetCellWriter put = [&workbook](int column, int row, const QString& text, bool textFormat,
                                            bool autofit, bool bold) {
        return ExcelPutCell(1, column, row, text, textFormat, autofit, bold, workbook.excel());
    };
    QByteArray csv;

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
        switch (o.kind) {
        case Kind::View: {
            Dataset rows(nullptr, db.connection().name());
            rows.setSql(pieceworkViewSql(o.view));
            setPieceworkMonth(rows, o.view, o.month);
            rows.open();
            writePieceworkSheet(rows, o.view, o.month, put);
            break;
        }
        case Kind::Shifts: {
            HoursTimesheetReport report(db);
            report.openMonth(o.month.month, o.month.year);
            writeHoursSheet(report.query(), o.month, put);
            break;
        }
        case Kind::Payroll: {
            Dataset rows(nullptr, db.connection().name());
            rows.setSql(payrollSql());
            setPayrollMonth(rows, o.month);
            rows.open();
            if (!o.xlsx.isEmpty())
                writePayrollSheet(rows, o.month, put);
            csv = payrollCsv(rows);
            break;
        }
        case Kind::T13: {
            T13Report report(db);
            report.setHeader(t13HeaderFromSettings(o.month.month, o.month.year, seams::today()));
            report.openMonth(o.month.month, o.month.year);
            if (!report.writePdf(o.pdf, &error)) {
                printError(error);
                return CommandExit::FileError;
            }
            return CommandExit::Success;
        }
        }
    } catch (const DbError& e) {
        printError(QStringLiteral("Ошибка базы данных: ") + e.message);
        return CommandExit::DatabaseError;
    } catch (const reportengine::ReportError& e) {
        printError(QStringLiteral("Ошибка отчета: ") + e.text());
        return CommandExit::FileError;
    }
    if (!o.csv.isEmpty() && !writeOutputFile(o.csv, csv, &error)) {
        printError(error);
        return CommandExit::FileError;
    }
    if (!o.xlsx.isEmpty() && !workbook.save(o.xlsx))
        return CommandExit::FileError;
    return workbook.cellFailed() ? CommandExit::FileError : CommandExit::Success;
}
