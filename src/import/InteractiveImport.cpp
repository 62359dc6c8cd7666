// The legacy import started from the main window.
#include "import/InteractiveImport.h"

#include "data/Sql.h"
#include "import/ImportConnections.h"
#include "import/ImportSteps.h"
#include "import/LegacyImport.h"
#include "ui/Seams.h"

#include <QApplication>
#include <QLabel>
#include <QScopeGuard>

QString importQuestion() {
    return QStringLiteral(
               "Импорт из источника данных %1 удалит строки таблиц\n%2\nи запишет вместо них строки "
               "источника. Продолжить?")
        .arg(kLegacySourceDsn, importTargetTables().join(u'\n'));
}

void runInteractiveImport(const QSqlDatabase& mainConnection, QLabel& progressLabel) {
    // The question names the tables it replaces; Enter keeps them.
    if (!seams::confirmDestructive(QStringLiteral("Импорт"), importQuestion(), QString()))
        return;
    progressLabel.show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    ImportOutcome outcome;
    try {
        ImportConnections connections;
        LegacyImport import(connections.source(), connections.target(), mainConnection);
        import.setProgress([&](const QString& text, bool) {
            progressLabel.setText(text);
        // The window shows the progress; what the user types or clicks waits for the end.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    outcome = import.run();
}
catch (const DbError& e) {
    outcome.error = e.message;
}
// The label keeps the rows copied per table; its tool tip the whole summary.
QStringList copied;
QStringList summary;
for (const ImportStepResult& step : outcome.steps) {
    copied << (step.skipped ? QStringLiteral("%1 пропущено").arg(step.sourceTable)
                            : QStringLiteral("%1 %2").arg(step.sourceTable).arg(step.rowsCopied));
    summary << LegacyImport::summaryLine(step);
}
progressLabel.setText((outcome.succeeded() ? QStringLiteral("Импорт завершен: ")
                                           : QStringLiteral("Импорт прерван: ")) +
                      copied.join(QStringLiteral(", ")));
progressLabel.setToolTip(summary.join(u'\n'));
restoreCursor.dismiss();
QApplication::restoreOverrideCursor();
if (!outcome.succeeded())
    seams::errorBox(outcome.error);
}
