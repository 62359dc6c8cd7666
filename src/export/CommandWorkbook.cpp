// The workbook of a command run without windows.
#include "export/CommandWorkbook.h"

#include "data/CommandOptions.h"
#include "export/InProcessSpreadsheet.h"
#include "ui/Seams.h"

CommandWorkbook::CommandWorkbook()
    : m_workbook(std::make_shared<spreadsheet::inprocess::InProcessApplication>()) {
    m_workbook->addWorkbook();
    m_excel = ExcelReference{m_workbook};
    seams::setMessageHandler([this](const seams::Message& m) {
        printError(m.caption + QStringLiteral(": ") + m.text);
        m_cellFailed = true;
        return QMessageBox::Ok;
    });
}

CommandWorkbook::~CommandWorkbook() {
    seams::setMessageHandler({});
}

bool CommandWorkbook::save(const QString& path) {
    try {
        spreadsheet::inprocess::saveXlsx(*m_workbook->activeWorkbook(), path);
        return true;
    } catch (const spreadsheet::Error& e) {
        printError(e.text()); // names the file and the reason
        return false;
    }
}
