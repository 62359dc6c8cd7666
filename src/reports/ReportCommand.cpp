// The command-line report mode.
#include "reports/ReportCommand.h"

#include "data/Connection.h"
#include "data/Database.h"
#include "reportengine/ReportPainter.h"
#include "reports/SummaryReports.h"

#include <memory>

namespace {

struct Options {
    SummaryReport report = SummaryReport::Workers;
    QDate from, to;
    int kind = -1;
    QString pdf;
    QStringList positional;
};

QDate parseDate(const QString& text) {
    return QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
}

// Reads the values of the options; on a fault returns false with the reason.
bool parseOptions(const CommandOptions& given, Options* o, QString* error) {
    if (!given.isSet(QStringLiteral("report"))) {
        *error = QStringLiteral("не указан отчет (--report)");
        return false;
    }
    const QString report = given.value(QStringLiteral("report"));
    if (!summaryReportByName(report, &o->report)) {
        *error = QStringLiteral("неизвестный отчет '%1' (workers, products, workers-detail, "
                                "products-detail)")
                     .arg(report);
        return false;
    }
    for (const QString& name : {QStringLiteral("from"), QStringLiteral("to")}) {
        if (!given.isSet(name))
            continue;
        const QString v = given.value(name);
        const QDate d = parseDate(v);
        if (!d.isValid()) {
            *error = QStringLiteral("дата --%1 '%2' не в виде ДД.ММ.ГГГГ").arg(name, v);
            return false;
        }
        (name == u"from" ? o->from : o->to) = d;
    }
    if (given.isSet(QStringLiteral("kind"))) {
        const QString v = given.value(QStringLiteral("kind"));
        if (v == u"all")
            o->kind = -1;
        else if (v == u"finished")
            o->kind = 0;
        else if (v == u"blanks")
            o->kind = 1;
        else {
            *error = QStringLiteral("неизвестный вид продукции '%1' (all, finished, blanks)").arg(v);
            return false;
        }
    }
    o->pdf = given.value(QStringLiteral("pdf"));
    o->positional = given.positional;
    if (!o->from.isValid() || !o->to.isValid())
        *error = QStringLiteral("не указан период (--from и --to)");
    else if (o->from >= o->to)
        *error = QStringLiteral("период пуст: --from должна быть раньше --to (--to не входит в период)");
    else if (o->pdf.isEmpty())
        *error = QStringLiteral("не указан файл (--pdf)");
    else
        *error = positionalArgumentsProblem(o->positional);
    return error->isEmpty();
}

} // namespace

QString reportCommandUsage() {
    return QStringLiteral("tabel --report workers|products|workers-detail|products-detail --from ДД.ММ.ГГГГ "
                          "--to ДД.ММ.ГГГГ [--kind all|finished|blanks] --pdf ФАЙЛ [БАЗА СЕРВЕР]");
}

CommandExit runReportCommand(const CommandOptions& options, int buildDate, int buildTime) {
    Options o;
    QString error;
    if (!parseOptions(options, &o, &error)) {
        printError(QStringLiteral("Ошибка: ") + error);
        printError(QStringLiteral("Использование: ") + reportCommandUsage());
        return CommandExit::BadArguments;
    }
    if (!reportengine::checkOutputTarget(o.pdf, &error)) {
        printError(error);
        return CommandExit::FileError;
    }

    // A database object of its own: connected, but no login, no version check, no build stamp.
    Database db;
    try {
        db.connection().setSettings(connectionSettings(o.positional));
        db.connection().open();
        if (db.newerProgramHasRun(buildDate, buildTime)) {
            printError(QStringLiteral("Версия программы не соответсвует БД: в базе работала более новая "
                                      "версия. Отчет не записан."));
            return CommandExit::ProgramOutdated;
        }
        std::unique_ptr<ReportLayoutBase> layout = makeSummaryLayout(o.report, db);
        // Pages go into the file as they are laid out, while the server still sends the rows.
        // Each page leaves memory once written; should the file have to be written through Qt's
        // engine after all, the report is read again for it.
        SummaryReportFeed feed(*layout, o.report, o.from, o.to, o.kind);
        auto again = [&]() -> std::unique_ptr<reportengine::PageSource> {
            feed.stop(); // frees the session for the statement read again
            return std::make_unique<SummaryReportFeed>(*layout, o.report, o.from, o.to, o.kind);
        };
        if (!reportengine::writeReportPdf(feed, o.pdf, &error, again)) {
            printError(error); // names the file and the reason
            return CommandExit::FileError;
        }
    } catch (const DbError& e) {
        printError(QStringLiteral("Ошибка базы данных: ") + e.message);
        return CommandExit::DatabaseError;
    } catch (const reportengine::ReportError& e) {
        printError(QStringLiteral("Ошибка отчета: ") + e.text());
        return CommandExit::FileError;
    }
    return CommandExit::Success;
}
