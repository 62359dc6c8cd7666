// The workbook of a command run without windows (--timesheet, --history): its cells go into a
// workbook of this program, which is then saved as .xlsx; a cell the workbook refuses is printed
// on the error output instead of shown in a message box, and remembered.
#pragma once

#include "export/ExcelHelper.h"

#include <QString>
#include <memory>

namespace spreadsheet::inprocess {
class InProcessApplication;
}

class CommandWorkbook {
public:
    // Sends the message boxes to the error output while the workbook lives.
    CommandWorkbook();
    ~CommandWorkbook();
    CommandWorkbook(const CommandWorkbook&) = delete;
    CommandWorkbook& operator=(const CommandWorkbook&) = delete;

    // What the export operations (ExcelPutCell) write through.
    ExcelReference& excel() { return m_excel; }
    // Whether a cell was refused.
    bool cellFailed() const { return m_cellFailed; }
    // Saves the workbook; false, with the reason printed, when it cannot be written.
    bool save(const QString& path);

private:
    std::shared_ptr<spreadsheet::inprocess::InProcessApplication> m_workbook;
    ExcelReference m_excel;
    bool m_cellFailed = false;
};
