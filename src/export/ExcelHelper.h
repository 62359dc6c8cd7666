// The export operations every screen uses to put a table into a spreadsheet: open a new
// workbook, write cells one by one, show the result. Sheets, columns and rows count from 1,
// and the column comes before the row in the arguments.
//
// Results: 1 on success, -1 on failure after the error box has been shown. A failure of
// ExcelSetVisible is not caught: it reaches the caller as a spreadsheet::Error.
#pragma once

#include "export/SpreadsheetBackend.h"

#include <QString>
#include <memory>

// A reference to a spreadsheet application: empty until ExcelOpen sets it. Releasing it never
// closes the application or its workbooks.
struct ExcelReference {
    std::shared_ptr<spreadsheet::Application> application;

    bool isEmpty() const { return !application; }
    void release() { application.reset(); }
};

// The forms with an explicit reference, for an export action that holds the reference itself
// (the piece-work timesheet) and releases it when the action ends.
int ExcelOpen(const QString& fileName, ExcelReference& ref);
int ExcelSetVisible(bool visible, ExcelReference& ref);
int ExcelPutCell(int sheet, int column, int row, const QString& text, bool textFormat, bool autofit,
                 bool bold, ExcelReference& ref);

// The plain form. The price list and the reports dialog share its module-wide reference.
// With textFormat set the cell gets the text format before the value, so the text is kept
// exactly as written (leading zeros, marks that look like numbers).
int ExcelOpen(const QString& fileName);
int ExcelSetVisible(bool visible);
int ExcelPutCell(int sheet, int column, int row, const QString& text, bool textFormat = false);

// The formatted form of the hours timesheet, with a module-wide reference of its own.
namespace HoursExcel {
int ExcelOpen(const QString& fileName);
int ExcelSetVisible(bool visible);
int ExcelPutCell(int sheet, int column, int row, const QString& text, bool textFormat, bool autofit,
                 bool bold);
} // namespace HoursExcel

// What the next workbook that ExcelOpen makes holds ("Цены"); its file is named after it and
// the time, in the user's documents folder.
void nameNextExport(const QString& subject);

// The module-wide references; empty at program start.
ExcelReference& plainExcelReference();
ExcelReference& hoursExcelReference();
// Releases both module-wide references, as at program end (tests start from here).
void releaseExcelReferences();
