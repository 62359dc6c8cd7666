// The import from the earlier database: each target table of the workshop gets the rows of its
// legacy source table, one table after the other, each in one transaction.
#pragma once

#include "import/ImportSteps.h"
#include "records/ClosedMonths.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <vector>

// What one step did.
struct ImportStepResult {
    QString sourceTable;
    QString targetTable;
    qint64 rowsBefore = 0; // rows the target held before the step
    qint64 rowsCopied = 0;
    bool skipped = false; // the source is the target table itself: nothing was touched
};

struct ImportOutcome {
    std::vector<ImportStepResult> steps; // the steps that finished, in order
    QString error;                       // empty when every step finished
    bool succeeded() const { return error.isEmpty(); }
};

class LegacyImport {
public:
    // The progress text; milestone is set at the start and the end of a step (and when a step is
    // skipped), clear for the texts in between.
    using Progress = std::function<void(const QString& text, bool milestone)>;

    // source: the earlier database; target: where the workshop's tables are written;
    // mainConnection: the program's own connection, where the journal is read from.
    LegacyImport(const QSqlDatabase& source, const QSqlDatabase& target, const QSqlDatabase& mainConnection);

    // Receives the progress texts ("H_TABEL: 15 из 1200 записей") as the rows go in.
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Runs the steps in their order and stops at the first that fails: that step's target is
    // left as it was, the earlier targets keep their new rows, the later ones are not touched.
    // When the steps would change a closed month (delete its rows or write rows into it), no
    // step runs and the error names the months.
    ImportOutcome run();

    // The text of a step's progress.
    static QString progressText(const QString& sourceTable, qint64 done, qint64 total);
    // One line of the summary: the tables, the rows the target held before and the rows copied.
    static QString summaryLine(const ImportStepResult& result);

private:
    // Where a source read on the program's own connection lies.
    struct SourcePlace {
        QString inTargetDatabase; // its full name when it lies in the target's database
        bool isTarget = false;    // it is the target table itself
    };

    // The closed months whose rows the steps would delete or write, oldest first.
    std::vector<YearMonth> closedMonthsChanged();
    ImportStepResult runStep(int number, const ImportStep& step);
    qint64 copyThroughClient(const ImportStep& step, const QSqlDatabase& source, qint64 total);
    qint64 copyOnServer(const ImportStep& step, const QString& source, qint64 total);
    SourcePlace locateSource(const ImportStep& step);
    void followKeySequence(const ImportStep& step);
    void report(const QString& text, bool milestone);

    QSqlDatabase m_source;
    QSqlDatabase m_target;
    QSqlDatabase m_main;
    Progress m_progress;
};
