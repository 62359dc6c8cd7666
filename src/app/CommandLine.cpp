// The program's command line.
#include "app/CommandLine.h"

#include "import/ImportCommand.h"
#include "reports/ReportCommand.h"
#include "timesheets/TimesheetCommand.h"

namespace {

const QStringList kKnownOptions = {
    QStringLiteral("--report"), QStringLiteral("--from"), QStringLiteral("--to"),
    QStringLiteral("--kind"),   QStringLiteral("--pdf"),  QStringLiteral("--timesheet"),
    QStringLiteral("--month"),  QStringLiteral("--xlsx"), QStringLiteral("--import"),
};

} // namespace

CommandChoice chooseCommand(const QStringList& args) {
    CommandChoice choice;
    int modes = 0;
    for (const QString& a : args) {
        if (!a.startsWith(u'-'))
            continue;
        if (!kKnownOptions.contains(a)) {
            choice.error = QStringLiteral("неизвестный параметр %1").arg(a);
            return choice;
        }
        if (a == u"--report" || a == u"--timesheet" || a == u"--import") {
            ++modes;
            choice.mode = a == u"--report"      ? CommandMode::Report
                          : a == u"--timesheet" ? CommandMode::Timesheet
                                                : CommandMode::Import;
        }
    }
    if (modes > 1)
        choice.error = QStringLiteral("--report, --timesheet и --import нельзя задавать вместе");
    return choice;
}

QString commandUsage() {
    return QStringLiteral("Использование: tabel [БАЗА СЕРВЕР]\n"
                          "               %1\n"
                          "               %2\n"
                          "               %3")
        .arg(reportCommandUsage(), timesheetCommandUsage(), importCommandUsage());
}
