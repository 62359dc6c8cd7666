// The tables the legacy import copies, in their order: where each comes from, where it goes and
// how each column's value is carried over.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// How a source value becomes the value written into the target column.
enum class ValueKind {
    WholeNumber,       // an integer; an empty value stays empty
    WholeNumberOrZero, // an integer; an empty value becomes 0, as the target column has no empty value
    FloatNumber,       // a floating-point number; an empty value stays empty
    Text,              // a text; an empty value stays empty
    Typed,             // dates, times and texts of the program's own database, carried with their type
};

struct ImportColumn {
    QString name; // the same in the source and the target; matched without regard to case
    ValueKind kind;
};

struct ImportStep {
    QString sourceTable;     // as the progress names it
    QString targetTable;     // schema-qualified
    bool fromMainConnection; // read on the program's own connection instead of the legacy source
    bool copiesKeys;         // the id column is copied (else the target assigns its own keys)
    QString keyTable;        // the table whose key sequence must follow the copied ids
    std::vector<ImportColumn> columns;

    QStringList columnNames() const;
};

// The seven steps in the order they run.
const std::vector<ImportStep>& importSteps();

// The names of the target tables, in step order, as the question before an import lists them.
QStringList importTargetTables();
