// Reading a report's PDF back as text for the report tests.
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// The text of a PDF file as pdftotext lays it out, one simplified line per printed line.
inline QStringList pdfLines(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {QStringLiteral("pdftotext failed: ") + QString::fromUtf8(p.readAllStandardError())};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    return lines;
}

// True when some line holds the expected text (blanks simplified).
inline bool hasLine(const QStringList& lines, const QString& expected) {
    const QString e = expected.simplified();
    for (const QString& line : lines)
        if (line.contains(e))
            return true;
    return false;
}
