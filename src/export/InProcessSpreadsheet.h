// The default spreadsheet backend: an application inside this program that keeps the workbook
// being exported in memory and, when it is shown, saves it as an .xlsx file in a temporary folder
// and hands that file to the desktop's spreadsheet program.
#pragma once

#include "export/SpreadsheetBackend.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace spreadsheet::inprocess {

// Excel's limits, which the saved file must respect.
constexpr int maxRows = 1048576;
constexpr int maxColumns = 16384;
constexpr int maxTextLength = 32767;

struct CellData {
    bool hasValue = false;
    bool isNumber = false;
    double number = 0;
    QString text; // the value as written
    QString numberFormat;
    bool bold = false;
};

struct SheetData {
    QString name;
    std::map<std::pair<int, int>, CellData> cells; // by (row, column), in the order they are saved
    QHash<int, int> longest;                       // column -> longest text in it, in characters
    std::map<int, double> widths;                  // column -> width set by autofit, in characters
};

struct WorkbookData {
    QString title;    // "Книга1"
    QString fileStem; // what is in it and when: "Цены 2026-12-10 09-15-02", the name of its file
    std::vector<SheetData> sheets;
    bool changed = true; // since it was last saved
    QString savedPath;
};

class InProcessApplication : public Application {
public:
    void addWorkbook() override;
    void openWorkbook(const QString& fileName) override;
    void setVisible(bool visible) override;
    std::unique_ptr<Worksheet> worksheet(int index) override;

    bool isVisible() const { return m_visible; }
    // How many workbooks this application has been given, and the active one (null before the first).
    int workbookCount() const { return m_workbooksAdded; }
    const WorkbookData* activeWorkbook() const { return m_active.get(); }

private:
    QString folder(); // the user's documents folder, where workbooks are saved
    bool m_visible = false;
    int m_workbooksAdded = 0;
    // Only the active workbook can be written to, so older ones are not kept.
    std::unique_ptr<WorkbookData> m_active;
};

// What the next workbook added holds ("Цены", "Отчет по рабочим"); its file is named after it
// and the time it was made. Without it the file is named "Выгрузка" and the time.
void nameNextWorkbook(const QString& subject);

// The default backend; it keeps its one application for the rest of the program.
Backend& defaultBackend();
// The application of the default backend, or null before the first export.
std::shared_ptr<InProcessApplication> runningApplication();

// Hands a saved workbook to the user; false when nothing could open it. The default asks the
// desktop to open the file; tests install their own. Installing an empty one restores the default.
using WorkbookOpener = std::function<bool(const QString& path)>;
void setWorkbookOpener(WorkbookOpener opener);

// True when a text reads as a number in the workstation's locale without losing digits
// (at most 15 significant digits, no group separators); the number goes to *value.
bool readsAsNumber(const QString& text, double* value);

// Saves a file an export made (a CSV file) where the workbooks go, named like them after what it
// holds and the time and never over another file, and hands it to the user as a shown workbook
// is handed; returns its path. Throws spreadsheet::Error when it cannot be written.
QString saveExportFile(const QString& subject, const QString& suffix, const QByteArray& content);

// Writes the workbook as an .xlsx file; throws spreadsheet::Error on failure.
void saveXlsx(const WorkbookData& workbook, const QString& path);

} // namespace spreadsheet::inprocess
