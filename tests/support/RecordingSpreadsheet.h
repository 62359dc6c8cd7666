// A spreadsheet backend for tests: records every call, the cells and their formats, and fails
// at the steps it is told to. Constructing it installs it and starts from program start (no
// references held); destroying it restores the default backend.
#pragma once

#include "export/SpreadsheetBackend.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <optional>
#include <tuple>

class RecordingSpreadsheet {
public:
    enum class Step {
        Attach,
        Create,
        AddWorkbook,
        OpenWorkbook,
        Worksheet,
        Cell,
        NumberFormat,
        Value,
        AutoFit,
        Bold,
        Visible
    };

    struct CellRecord {
        QString value;
        QString numberFormat;
        std::optional<bool> bold; // unset until the font was touched
    };

    RecordingSpreadsheet();
    ~RecordingSpreadsheet();
    RecordingSpreadsheet(const RecordingSpreadsheet&) = delete;
    RecordingSpreadsheet& operator=(const RecordingSpreadsheet&) = delete;

    // Script.
    bool running = false; // an application runs already, so attaching succeeds from the start
    int sheetCount = 3;   // sheets of every new workbook
    QSet<Step> failing;   // steps that throw (attach and create return nothing instead)

    // Records. calls reads like "attach", "create", "add", "open:name", "visible:true", "sheet:1",
    // "cell:2,3" (row, column), "format:@", "value:abc", "autofit:3", "bold:false"; a failed call
    // is recorded too.
    QStringList calls;
    int applicationsCreated = 0;
    int workbooks = 0;
    bool visible = false;
    // Cells of the active workbook, by (sheet, column, row); columns autofitted, by (sheet, column).
    QMap<std::tuple<int, int, int>, CellRecord> cells;
    QSet<std::pair<int, int>> autofitted;

    const CellRecord* cell(int sheet, int column, int row) const;
    // The application handed out (the same one for every attach after the first create), or null.
    std::shared_ptr<spreadsheet::Application> application() const { return app; }

    // Used by the recording application.
    void record(Step step, const QString& call);

private:
    std::shared_ptr<spreadsheet::Application> app;
    std::shared_ptr<bool> alive;
    friend class RecordingBackend;
};
