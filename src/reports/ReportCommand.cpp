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

// Reads the arguments; on a fault returns false with the reason.
bool parseOptions(const QStringList& args, Options* o, QString* error) {
    bool haveReport = false;
    QStringList seen;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QStringLiteral("--"))) {
            o->positional << a;
            continue;
        }
        if (a != u"--report" && a != u"--from" && a != u"--to" && a != u"--kind" && a != u"--pdf") {
            *error = QStringLiteral("неизвестный параметр %1").arg(a);
            return false;
        }
        if (i + 1 >= args.size()) {
            *error = QStringLiteral("после %1 нет значения").arg(a);
            return false;
        }
        // A second value would silently win over the first (a second --pdf, another file).
        if (seen.contains(a)) {
            *error = QStringLiteral("параметр %1 указан дважды").arg(a);
            return false;
        }
        seen << a;
        const QString v = args[++i];
        if (a == u"--report") {
            if (!summaryReportByName(v, &o->report)) {
                *error = QStringLiteral("неизвестный отчет '%1' (workers, products, workers-detail, "
                                        "products-detail)")
                             .arg(v);
                return false;
            }
            haveReport = true;
        } else if (a == u"--from" || a == u"--to") {
            const QDate d = parseDate(v);
            if (!d.isValid()) {
                *error = QStringLiteral("дата %1 '%2' не в виде ДД.ММ.ГГГГ").arg(a, v);
                return false;
            }
            (a == u"--from" ? o->from : o->to) = d;
        } else if (a == u"--kind") {
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
        } else {
            o->pdf = v;
        }
    }
    if (!haveReport)
        *error = QStringLiteral("не указан отчет (--report)");
    else if (!o->from.isValid() || !o->to.isValid())
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

int runReportCommand(const QStringList& args, int buildDate, int buildTime) {
    Options o;
    QString error;
    if (!parseOptions(args, &o, &error)) {
        printError(QStringLiteral("Ошибка: ") + error);
        printError(QStringLiteral("Использование: ") + reportCommandUsage());
        return ReportBadArguments;
    }
    if (!reportengine::checkOutputTarget(o.pdf, &error)) {
        printError(error);
        return ReportFileError;
    }

    // A database object of its own: connected, but no login, no version check, no build stamp.
    Database db;
    try {
        db.connection().setConnectionString(buildConnectionString(o.positional));
        db.connection().open();
        if (db.newerProgramHasRun(buildDate, buildTime)) {
            printError(QStringLiteral("Версия программы не соответсвует БД: в базе работала более новая "
                                      "версия. Отчет не записан."));
            return ReportProgramOutdated;
        }
        std::unique_ptr<ReportLayoutBase> layout = makeSummaryLayout(o.report, db);
        // Pages go into the file as they are laid out, while the server still sends the rows.
        SummaryReportFeed feed(*layout, o.report, o.from, o.to, o.kind);
        if (!reportengine::writeReportPdf(feed, o.pdf, &error)) {
            printError(error); // names the file and the reason
            return ReportFileError;
        }
    } catch (const DbError& e) {
        printError(QStringLiteral("Ошибка базы данных: ") + e.message);
        return ReportDatabaseError;
    } catch (const reportengine::ReportError& e) {
        printError(QStringLiteral("Ошибка отчета: ") + e.text());
        return ReportFileError;
    }
    return ReportWritten;
}
