// What a command-line mode is given and gives back.
#include "data/CommandOptions.h"

#include <cstdio>

namespace {

void printLine(FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
    std::fflush(to);
}

} // namespace

QString positionalArgumentsProblem(const QStringList& positionalArgs) {
    if (positionalArgs.size() > 2)
        return QStringLiteral("лишние параметры: %1").arg(positionalArgs.mid(2).join(u' '));
    if (positionalArgs.size() == 2 && positionalArgs.at(0).trimmed().isEmpty())
        return QStringLiteral("пустое имя базы данных");
    return {};
}

void printError(const QString& text) {
    printLine(stderr, text);
}

void printOutput(const QString& text) {
    printLine(stdout, text);
}
