// The legacy import started from the main window: one question naming the tables, then the
// import with its progress in a label of the window.
#pragma once

#include <QSqlDatabase>

class QLabel;

// Asks before anything is deleted; on Yes runs the import over the program's connection
// mainConnection, shows its progress and at the end its summary in progressLabel, and shows a
// failure in an error box with the step, the table and the driver's text.
void runInteractiveImport(const QSqlDatabase& mainConnection, QLabel& progressLabel);

// The question asked before an import.
QString importQuestion();
