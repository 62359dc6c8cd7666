// The in-process spreadsheet application and the .xlsx writer behind it.
#include "export/InProcessSpreadsheet.h"

#include "data/OutputFile.h"
#include "ui/Seams.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QUrl>
#include <cmath>
#include <xlsxwriter.h>

namespace spreadsheet::inprocess {

namespace {

WorkbookOpener opener;
QString nextSubject;

bool openOnDesktop(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

// The documents folder is where a user looks for a file again; the home folder stands in
// where there is none.
QString exportFolder() {
    for (const auto location : {QStandardPaths::DocumentsLocation, QStandardPaths::HomeLocation}) {
        const QString dir = QStandardPaths::writableLocation(location);
        if (!dir.isEmpty() && QDir().mkpath(dir) && QFileInfo(dir).isWritable())
            return dir;
    }
    throw Error(QStringLiteral("Нет папки документов, куда можно сохранить книгу"));
}

// What a file holds and when it was made: "Цены 2026-12-10 09-15-02"; characters a file name
// cannot hold on either system become "_".
QString exportFileStem(const QString& subject) {
    QString safeSubject = subject;
    for (QChar& c : safeSubject)
        if (QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'_';
    return safeSubject + u' ' + seams::now().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
}

// A path in the export folder for the stem and suffix that no other file has (two exports in one
// second get "(2)"), or the file's own earlier path.
QString freeExportPath(const QString& stem, const QString& suffix, const QString& ownPath) {
    const QDir dir(exportFolder());
    QString path = dir.filePath(stem + u'.' + suffix);
    for (int n = 2; QFileInfo::exists(path) && path != ownPath; ++n)
        path = dir.filePath(QStringLiteral("%1 (%2).%3").arg(stem).arg(n).arg(suffix));
    return path;
}

// Opens a saved workbook or other file with the desktop's program for it, or says where it is.
void handToUser(const QString& path, bool workbook = true) {
    if ((opener ? opener : openOnDesktop)(path))
        return;
    const QString text = workbook
                             ? QStringLiteral("Книга сохранена в файле:\n%1\n\nПрограмма для электронных "
                                              "таблиц не открыла её: откройте файл из этой папки.")
                             : QStringLiteral("Файл сохранен:\n%1\n\nНи одна программа не открыла его: "
                                              "откройте файл из этой папки.");
    seams::showMessage({QStringLiteral("Табель"), text.arg(QDir::toNativeSeparators(path)),
                        QMessageBox::Information, QMessageBox::Ok});
}

// The width a text needs, in characters: its longest line.
int textWidth(const QString& text) {
    int longest = 0;
    for (const auto& line : QStringView(text).split(u'\n'))
        longest = std::max(longest, int(line.size()));
    return longest;
}

class MemoryCell : public Cell {
public:
    MemoryCell(WorkbookData& book, SheetData& sheet, int row, int column)
        : m_book(book), m_sheet(sheet), m_row(row), m_column(column) {}

    void setNumberFormat(const QString& format) override {
        data().numberFormat = format;
        m_book.changed = true;
    }

    void setValue(const QString& text) override {
        if (text.size() > maxTextLength)
            throw Error(QStringLiteral("Текст длиннее %1 знаков не помещается в ячейку").arg(maxTextLength));
        auto& d = data();
        d.text = text;
        d.hasValue = !text.isEmpty();
        // As a spreadsheet does: in text format a value stays text; otherwise a number is a number.
        d.isNumber = d.hasValue && d.numberFormat != QLatin1String("@") && readsAsNumber(text, &d.number);
        int& longest = m_sheet.longest[m_column];
        longest = std::max(longest, textWidth(text));
        m_book.changed = true;
    }

    void setBold(bool bold) override {
        data().bold = bold;
        m_book.changed = true;
    }

private:
    CellData& data() { return m_sheet.cells[{m_row, m_column}]; }
    WorkbookData& m_book;
    SheetData& m_sheet;
    int m_row;
    int m_column;
};

class MemoryWorksheet : public Worksheet {
public:
    MemoryWorksheet(WorkbookData& book, SheetData& sheet) : m_book(book), m_sheet(sheet) {}

    std::unique_ptr<Cell> cell(int row, int column) override {
        if (row < 1 || row > maxRows || column < 1 || column > maxColumns)
            throw Error(QStringLiteral("Нет ячейки в строке %1, столбце %2").arg(row).arg(column));
        return std::make_unique<MemoryCell>(m_book, m_sheet, row, column);
    }

    // Fits the column to the longest text it holds now; an empty column gets the standard width.
    void autoFitColumn(int column) override {
        if (column < 1 || column > maxColumns)
            throw Error(QStringLiteral("Нет столбца %1").arg(column));
        const int longest = m_sheet.longest.value(column);
        if (longest == 0)
            m_sheet.widths.erase(column);
        else
            m_sheet.widths[column] = std::min(255.0, longest * 1.1 + 1.0);
        m_book.changed = true;
    }

private:
    WorkbookData& m_book;
    SheetData& m_sheet;
};

class InProcessBackend : public Backend {
public:
    std::shared_ptr<Application> attachRunning() override { return m_app; }
    std::shared_ptr<Application> create() override {
        m_app = std::make_shared<InProcessApplication>();
        return m_app;
    }
    std::shared_ptr<InProcessApplication> m_app;
};

InProcessBackend& theBackend() {
    static InProcessBackend b;
    return b;
}

} // namespace

void InProcessApplication::addWorkbook() {
    auto book = std::make_unique<WorkbookData>();
    book->title = QStringLiteral("Книга%1").arg(m_workbooksAdded + 1);
    const QString subject = nextSubject.isEmpty() ? QStringLiteral("Выгрузка") : nextSubject;
    nextSubject.clear();
    book->fileStem = exportFileStem(subject);
    // A new workbook has three empty sheets.
    for (int i = 1; i <= 3; ++i)
        book->sheets.push_back(SheetData{QStringLiteral("Лист%1").arg(i), {}, {}, {}});
    m_active = std::move(book);
    ++m_workbooksAdded;
}

// This application writes workbooks but cannot read them, so opening a saved file fails.
void InProcessApplication::openWorkbook(const QString& fileName) {
    throw Error(QStringLiteral("Открытие сохранённых книг не поддерживается: %1").arg(fileName));
}

std::unique_ptr<Worksheet> InProcessApplication::worksheet(int index) {
    if (!m_active)
        throw Error(QStringLiteral("Нет открытой книги"));
    if (index < 1 || index > int(m_active->sheets.size()))
        throw Error(QStringLiteral("Нет листа %1").arg(index));
    return std::make_unique<MemoryWorksheet>(*m_active, m_active->sheets[index - 1]);
}

QString InProcessApplication::folder() {
    return exportFolder();
}

// Showing saves the active workbook (again only if it changed) and opens the file for the user.
void InProcessApplication::setVisible(bool show) {
    m_visible = show;
    if (!show || !m_active)
        return;
    auto& book = *m_active;
    if (book.changed || book.savedPath.isEmpty() || !QFile::exists(book.savedPath)) {
        const QString path = freeExportPath(book.fileStem, QStringLiteral("xlsx"), book.savedPath);
        saveXlsx(book, path);
        book.savedPath = path;
        book.changed = false;
    }
    handToUser(book.savedPath);
}

QString saveExportFile(const QString& subject, const QString& suffix, const QByteArray& content) {
    const QString path = freeExportPath(exportFileStem(subject), suffix, QString());
    QString error;
    if (!writeOutputFile(path, content, &error))
        throw Error(error);
    handToUser(path, false);
    return path;
}

void nameNextWorkbook(const QString& subject) {
    nextSubject = subject;
}

Backend& defaultBackend() {
    return theBackend();
}

std::shared_ptr<InProcessApplication> runningApplication() {
    return theBackend().m_app;
}

void setWorkbookOpener(WorkbookOpener o) {
    opener = std::move(o);
}

bool readsAsNumber(const QString& text, double* value) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = locale.toDouble(text, &ok);
    if (!ok || !std::isfinite(v) || text.trimmed() != text)
        return false;
    // Count the significant digits of the mantissa: a double keeps 15 of them exactly, and a longer
    // number (an account or a code written without the text format) must not lose its last digits.
    const QString decimal = locale.decimalPoint();
    QString digits;
    bool fraction = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isDigit())
            digits += c;
        else if (QStringView(text).mid(i).startsWith(decimal))
            fraction = true;
        else if (!digits.isEmpty())
            break; // the exponent
    }
    qsizetype first = 0;
    while (first < digits.size() && digits.at(first) == u'0')
        ++first;
    qsizetype last = digits.size();
    if (fraction)
        while (last > first && digits.at(last - 1) == u'0')
            --last;
    if (last - first > 15)
        return false;
    *value = v;
    return true;
}

void saveXlsx(const WorkbookData& workbook, const QString& path) {
    // The workbook goes into a new file beside the target, which replaces the target only when
    // the whole workbook is written.
    OutputFile out(path);
    if (!out.open())
        throw Error(out.error());
    const QByteArray file = QFile::encodeName(out.newPath());
    lxw_workbook_options options{};
    lxw_workbook* book = workbook_new_opt(file.constData(), &options);
    if (!book)
        throw Error(QStringLiteral("Не удалось создать книгу %1").arg(QDir::toNativeSeparators(path)));

    QHash<QPair<QString, bool>, lxw_format*> formats;
    auto formatOf = [&](const CellData& c) -> lxw_format* {
        if (c.numberFormat.isEmpty() && !c.bold)
            return nullptr;
        lxw_format*& f = formats[{c.numberFormat, c.bold}];
        if (!f) {
            f = workbook_add_format(book);
            // The text format is Excel's built-in format 49, as Excel itself saves it.
            if (c.numberFormat == QLatin1String("@"))
                format_set_num_format_index(f, 49);
            else if (!c.numberFormat.isEmpty())
                format_set_num_format(f, c.numberFormat.toUtf8().constData());
            if (c.bold)
                format_set_bold(f);
        }
        return f;
    };

    lxw_error failure = LXW_NO_ERROR;
    auto note = [&](lxw_error e) {
        if (failure == LXW_NO_ERROR)
            failure = e;
    };
    for (const auto& sheet : workbook.sheets) {
        lxw_worksheet* ws = workbook_add_worksheet(book, sheet.name.toUtf8().constData());
        if (!ws) {
            note(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE);
            continue;
        }
        for (const auto& [column, width] : sheet.widths)
            note(worksheet_set_column(ws, lxw_col_t(column - 1), lxw_col_t(column - 1), width, nullptr));
        for (const auto& [at, c] : sheet.cells) {
            const auto row = lxw_row_t(at.first - 1);
            const auto col = lxw_col_t(at.second - 1);
            lxw_format* f = formatOf(c);
            if (!c.hasValue)
                note(worksheet_write_blank(ws, row, col, f));
            else if (c.isNumber)
                note(worksheet_write_number(ws, row, col, c.number, f));
            else
                note(worksheet_write_string(ws, row, col, c.text.toUtf8().constData(), f));
        }
    }
    // Closing writes the file and frees the workbook, also after an error above.
    note(workbook_close(book));
    if (failure != LXW_NO_ERROR) {
        out.cancel();
        throw Error(QStringLiteral("Не удалось сохранить книгу в файл %1: %2")
                        .arg(QDir::toNativeSeparators(path), QString::fromUtf8(lxw_strerror(failure))));
    }
    if (!out.commit())
        throw Error(out.error());
}

} // namespace spreadsheet::inprocess
