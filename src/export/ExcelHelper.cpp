// The export operations over the spreadsheet backend, with their error boxes.
#include "export/ExcelHelper.h"

#include "export/InProcessSpreadsheet.h"

#include "ui/Seams.h"

#include <exception>

namespace {

ExcelReference plainRef;
ExcelReference hoursRef;

void showError(const QString& text, const QString& caption) {
    seams::showMessage({caption, text, QMessageBox::Critical, QMessageBox::Ok});
}

// Steps shared by both forms of ExcelPutCell; the formatted form passes `formatted`.
int putCell(ExcelReference& ref, int sheet, int column, int row, const QString& text, bool textFormat,
            bool formatted, bool autofit, bool bold) {
    // An empty text costs nothing and leaves the cell as it was, whatever the address.
    if (text.isEmpty())
        return 1;
    const QString where =
        QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3").arg(sheet).arg(column).arg(row);

    std::unique_ptr<spreadsheet::Worksheet> ws;
    try {
        if (ref.isEmpty())
            throw spreadsheet::Error(QStringLiteral("Нет связи с программой электронных таблиц"));
        ws = ref.application->worksheet(sheet);
    } catch (const std::exception&) {
        showError(where, QStringLiteral("Ошибочный номер листа Microsoft Excel"));
        return -1;
    }

    try {
        const auto cell = ws->cell(row, column);
        // The text format goes first, or a text of digits would already have become a number.
        if (textFormat)
            cell->setNumberFormat(QStringLiteral("@"));
        cell->setValue(text);
        if (formatted) {
            if (autofit)
                ws->autoFitColumn(column);
            // Always set, so that a clear flag makes the cell not bold.
            cell->setBold(bold);
        }
    } catch (const std::exception&) {
        showError(where, QStringLiteral("Ошибка Microsoft Excel"));
        return -1;
    }
    return 1;
}

} // namespace

int ExcelOpen(const QString& fileName, ExcelReference& ref) {
    auto& b = spreadsheet::backend();
    // A running application gets the new workbook; only without one is another started.
    // When neither works, the previous reference stays as it was.
    if (auto app = b.attachRunning())
        ref.application = std::move(app);
    else if (auto created = b.create())
        ref.application = std::move(created);
    else
        showError(QStringLiteral("Невозможно открыть Microsoft Excel."), QStringLiteral("Ошибка"));

    try {
        if (ref.isEmpty())
            throw spreadsheet::Error(QStringLiteral("Нет связи с программой электронных таблиц"));
        if (fileName.isEmpty())
            ref.application->addWorkbook();
        else
            ref.application->openWorkbook(fileName);
    } catch (const std::exception&) {
        showError(QStringLiteral("Ошибка открытия файла Microsoft Excel."), QStringLiteral("Ошибка"));
        return -1;
    }
    return 1;
}

int ExcelSetVisible(bool visible, ExcelReference& ref) {
    if (!ref.isEmpty())
        ref.application->setVisible(visible);
    return 1;
}

int ExcelPutCell(int sheet, int column, int row, const QString& text, bool textFormat, bool autofit,
                 bool bold, ExcelReference& ref) {
    return putCell(ref, sheet, column, row, text, textFormat, true, autofit, bold);
}

void nameNextExport(const QString& subject) {
    spreadsheet::inprocess::nameNextWorkbook(subject);
}

int ExcelOpen(const QString& fileName) {
    return ExcelOpen(fileName, plainRef);
}

int ExcelSetVisible(bool visible) {
    return ExcelSetVisible(visible, plainRef);
}

int ExcelPutCell(int sheet, int column, int row, const QString& text, bool textFormat) {
    return putCell(plainRef, sheet, column, row, text, textFormat, false, false, false);
}

namespace HoursExcel {

int ExcelOpen(const QString& fileName) {
    return ::ExcelOpen(fileName, hoursRef);
}

int ExcelSetVisible(bool visible) {
    return ::ExcelSetVisible(visible, hoursRef);
}

int ExcelPutCell(int sheet, int column, int row, const QString& text, bool textFormat, bool autofit,
                 bool bold) {
    return ::ExcelPutCell(sheet, column, row, text, textFormat, autofit, bold, hoursRef);
}

} // namespace HoursExcel

ExcelReference& plainExcelReference() {
    return plainRef;
}

ExcelReference& hoursExcelReference() {
    return hoursRef;
}

void releaseExcelReferences() {
    plainRef.release();
    hoursRef.release();
}
