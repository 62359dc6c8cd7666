// The program's command line.
#include "app/CommandLine.h"

#include "history/HistoryCommand.h"
#include "import/ImportCommand.h"
#include "reports/ReportCommand.h"
#include "timesheets/MonthsCommand.h"
#include "timesheets/TimesheetCommand.h"

#include <QCommandLineParser>
#include <QHash>
#include <QList>
#include <algorithm>
#include <utility>

namespace {

// An option of the modes it belongs to; an option without a value name takes no value.
struct ModeOption {
    QString name;
    QString valueName;
    QString description;
    QList<CommandMode> modes;
};

const QList<ModeOption>& modeOptions() {
    static const QList<ModeOption> options = {
        {QStringLiteral("report"),
         QStringLiteral("ОТЧЕТ"),
         QStringLiteral("сводный отчет в файл PDF: workers, products, workers-detail, products-detail"),
         {CommandMode::Report}},
        {QStringLiteral("from"),
         QStringLiteral("ДД.ММ.ГГГГ"),
         QStringLiteral("первый день периода отчета или журнала изменений"),
         {CommandMode::Report, CommandMode::History}},
        {QStringLiteral("to"),
         QStringLiteral("ДД.ММ.ГГГГ"),
         QStringLiteral("день после периода отчета (в период не входит); для --history последний день "
                        "периода (входит в период)"),
         {CommandMode::Report, CommandMode::History}},
        {QStringLiteral("kind"),
         QStringLiteral("ВИД"),
         QStringLiteral("вид продукции отчета: all (по умолчанию), finished, blanks"),
         {CommandMode::Report}},
        {QStringLiteral("pdf"),
         QStringLiteral("ФАЙЛ"),
         QStringLiteral("файл отчета или табеля Т-13"),
         {CommandMode::Report, CommandMode::Timesheet}},
        {QStringLiteral("timesheet"),
         QStringLiteral("ТАБЕЛЬ"),
         QStringLiteral(
             "табель месяца в файл .xlsx: piecework, maintenance, average, all, shifts; "
             "payroll — итоги месяца для расчета (.xlsx и/или .csv); t13 — табель Т-13 в файл PDF"),
         {CommandMode::Timesheet}},
        {QStringLiteral("month"),
         QStringLiteral("ММ.ГГГГ"),
         QStringLiteral("месяц табеля"),
         {CommandMode::Timesheet}},
        {QStringLiteral("xlsx"),
         QStringLiteral("ФАЙЛ"),
         QStringLiteral("файл табеля или журнала изменений"),
         {CommandMode::Timesheet, CommandMode::History}},
        {QStringLiteral("csv"),
         QStringLiteral("ФАЙЛ"),
         QStringLiteral("файл итогов месяца для расчета: UTF-8, разделитель «;», десятичная запятая"),
         {CommandMode::Timesheet}},
        {QStringLiteral("import"),
         QString(),
         QStringLiteral("импорт из прежней базы данных"),
         {CommandMode::Import}},
        {QStringLiteral("months"),
         QString(),
         QStringLiteral("закрытые месяцы: месяц, когда и кем закрыт"),
         {CommandMode::Months}},
        {QStringLiteral("history"),
         QString(),
         QStringLiteral("журнал изменений периода в файл .xlsx: когда, кто, где, что изменено"),
         {CommandMode::History}},
    };
    return options;
}

// The options that choose a mode.
const QHash<QString, CommandMode>& modeSelectors() {
    static const QHash<QString, CommandMode> selectors = {
        {QStringLiteral("report"), CommandMode::Report},
        {QStringLiteral("timesheet"), CommandMode::Timesheet},
        {QStringLiteral("import"), CommandMode::Import},
        {QStringLiteral("months"), CommandMode::Months},
        {QStringLiteral("history"), CommandMode::History},
    };
    return selectors;
}

const ModeOption* modeOption(const QString& name) {
    for (const ModeOption& o : modeOptions())
        if (o.name == name)
            return &o;
    return nullptr;
}

const QCommandLineOption& helpOption() {
    static const QCommandLineOption option({QStringLiteral("h"), QStringLiteral("help")},
                                           QStringLiteral("эта справка"));
    return option;
}

const QCommandLineOption& versionOption() {
    static const QCommandLineOption option({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("версия программы и метка сборки"));
    return option;
}

// The one name of an option that has two ("h" and "help").
QString mainName(const QString& name) {
    for (const QCommandLineOption* o : {&helpOption(), &versionOption()})
        if (o->names().contains(name))
            return o->names().last();
    return name;
}

// The option as it was written: "--xls", or "-x" for a letter of "-xy".
QString spelled(const QString& name, const QStringList& args) {
    const QString longForm = QStringLiteral("--") + name;
    for (const QString& a : args)
        if (a == longForm || a.startsWith(longForm + u'='))
            return longForm;
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString unknownOption(const QString& spelledName) {
    return QStringLiteral("неизвестный параметр %1").arg(spelledName);
}

// The first fault of the options found, in the order they were given: an option given twice, a
// value missing after the last one, an option of another mode.
QString optionsProblem(const QCommandLineParser& parser, CommandMode mode) {
    QHash<QString, int> seen;
    for (const QString& found : parser.optionNames()) {
        const QString name = mainName(found);
        const int times = ++seen[name];
        if (times == 2)
            return QStringLiteral("параметр --%1 указан дважды").arg(name);
        const ModeOption* option = modeOption(name);
        if (!option)
            continue; // --help, --version
        if (!option->valueName.isEmpty() && parser.values(name).size() < times)
            return QStringLiteral("после --%1 нет значения").arg(name);
        if (!option->modes.contains(mode))
            return unknownOption(QStringLiteral("--") + name);
    }
    return {};
}

// The usage line of a mode.
QString modeUsage(CommandMode mode) {
    switch (mode) {
    case CommandMode::Report:
        return reportCommandUsage();
    case CommandMode::Timesheet:
        return timesheetCommandUsage();
    case CommandMode::Import:
        return importCommandUsage();
    case CommandMode::Months:
        return monthsCommandUsage();
    case CommandMode::History:
        return historyCommandUsage();
    case CommandMode::Windows:
        break;
    }
    return QStringLiteral("tabel [БАЗА СЕРВЕР]");
}

} // namespace

CommandRequest readCommandLine(const QStringList& args) {
    QCommandLineParser parser;
    for (const ModeOption& o : modeOptions())
        parser.addOption(QCommandLineOption(o.name, o.description, o.valueName));
    parser.addOption(helpOption());
    parser.addOption(versionOption());
    // The parser's own texts are English; its faults are told below in the program's words.
    const bool parsed = parser.parse(QStringList{QStringLiteral("tabel")} + args);

    CommandRequest request;
    int modes = 0;
    for (auto it = modeSelectors().cbegin(); it != modeSelectors().cend(); ++it) {
        if (parser.isSet(it.key())) {
            ++modes;
            request.mode = it.value();
        }
    }
    if (!parser.unknownOptionNames().isEmpty())
        request.error = unknownOption(spelled(parser.unknownOptionNames().first(), args));
    else if (modes > 1) {
        request.error =
            QStringLiteral("--report, --timesheet, --import, --months и --history нельзя задавать вместе");
        request.mode = CommandMode::Windows; // its usage names every mode
    } else
        request.error = optionsProblem(parser, request.mode);
    if (request.error.isEmpty() && !parsed) {
        // What is left: a value given to an option that takes none ("--import=x").
        request.error = parser.errorText();
        for (const QString& name : parser.optionNames()) {
            for (const QString& a : args) {
                if (a.startsWith(QStringLiteral("--") + name + u'=')) {
                    request.error = QStringLiteral("у параметра --%1 не бывает значения").arg(name);
                    break;
                }
            }
        }
    }
    request.help = parser.isSet(helpOption());
    request.version = parser.isSet(versionOption());
    for (const ModeOption& o : modeOptions())
        if (o.modes.contains(request.mode) && parser.isSet(o.name))
            request.options.values.insert(o.name, parser.value(o.name));
    request.options.positional = parser.positionalArguments();
    // The windows take the database and the server together or neither: one alone used to be
    // ignored silently, and the program then opened another database than the one named.
    if (request.error.isEmpty() && request.mode == CommandMode::Windows && !request.help &&
        !request.version) {
        const QStringList& positional = request.options.positional;
        if (positional.size() == 1)
            request.error = QStringLiteral("указана база данных без сервера: %1").arg(positional.first());
        else
            request.error = positionalArgumentsProblem(positional);
    }
    return request;
}

QString commandUsage(CommandMode mode) {
    if (mode != CommandMode::Windows)
        return QStringLiteral("Использование: ") + modeUsage(mode);
    return QStringLiteral("Использование: %1\n"
                          "               %2\n"
                          "               %3\n"
                          "               %4\n"
                          "               %5\n"
                          "               %6\n"
                          "               tabel --help | --version")
        .arg(modeUsage(CommandMode::Windows), reportCommandUsage(), timesheetCommandUsage(),
             importCommandUsage(), monthsCommandUsage(), historyCommandUsage());
}

QString commandHelp() {
    QStringList lines{
        commandUsage(),
        QString(),
        QStringLiteral("Без --report, --timesheet, --import, --months и --history открываются окна "
                       "программы. БАЗА и СЕРВЕР — "
                       "база данных и ее сервер (без них kor_erp на localhost)."),
        QString(),
        QStringLiteral("Параметры:"),
    };
    QList<std::pair<QString, QString>> rows;
    for (const ModeOption& o : modeOptions())
        rows.append({QStringLiteral("--") + o.name + (o.valueName.isEmpty() ? QString() : u' ' + o.valueName),
                     o.description});
    rows.append({QStringLiteral("-h, --help"), helpOption().description()});
    rows.append({QStringLiteral("-v, --version"), versionOption().description()});
    qsizetype width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    for (const auto& row : rows)
        lines << QStringLiteral("  ") + row.first.leftJustified(width + 2) + row.second;
    lines << QString() << QStringLiteral("Каждый параметр задается не более одного раза.")
          << QStringLiteral("Коды завершения: 0 выполнено, 2 неверные параметры (ничего не открыто и не "
                            "записано), 3 ошибка базы данных, 4 файл нельзя записать или путь не обычный "
                            "файл, 5 программа старее той, что уже работала с базой.");
    return lines.join(u'\n');
}

QString versionText(const BuildStamp& stamp) {
    QString text = QStringLiteral("tabel %1\nметка сборки %2 %3 (%4 %5 UTC)")
                       .arg(QStringLiteral(TABEL_VERSION))
                       .arg(stamp.date)
                       .arg(stamp.time)
                       .arg(stamp.dateText, stamp.timeText);
    if (!stamp.commit.isEmpty())
        text += QStringLiteral("\nкоммит %1").arg(stamp.commit);
    if (stamp.uncommitted)
        text += QStringLiteral(" с незафиксированными изменениями");
    return text;
}

bool answersWithoutApplication(const CommandRequest& request) {
    return !request.error.isEmpty() || request.help || request.version;
}

CommandExit runCommand(const CommandRequest& request, const BuildStamp& stamp) {
    if (!request.error.isEmpty()) {
        printError(QStringLiteral("Ошибка: ") + request.error);
        printError(commandUsage(request.mode));
        return CommandExit::BadArguments;
    }
    if (request.help) {
        printOutput(commandHelp());
        return CommandExit::Success;
    }
    if (request.version) {
        printOutput(versionText(stamp));
        return CommandExit::Success;
    }
    switch (request.mode) {
    case CommandMode::Report:
        return runReportCommand(request.options, stamp.date, stamp.time);
    case CommandMode::Timesheet:
        return runTimesheetCommand(request.options, stamp.date, stamp.time);
    case CommandMode::Import:
        return runImportCommand(request.options);
    case CommandMode::Months:
        return runMonthsCommand(request.options, stamp.date, stamp.time);
    case CommandMode::History:
        return runHistoryCommand(request.options, stamp.date, stamp.time);
    case CommandMode::Windows:
        break;
    }
    return CommandExit::BadArguments;
}
