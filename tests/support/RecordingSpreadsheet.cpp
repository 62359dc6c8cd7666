// The recording backend for tests.
#include "support/RecordingSpreadsheet.h"

#include "export/ExcelHelper.h"

namespace {

using Step = RecordingSpreadsheet::Step;

// Every object checks that its recorder still exists: a reference kept past the test fails.
class Guard {
public:
    Guard(RecordingSpreadsheet* r, std::shared_ptr<bool> alive) : rec(r), alive(std::move(alive)) {}
    RecordingSpreadsheet& get() const {
        if (!*alive)
            throw spreadsheet::Error(QStringLiteral("Программа электронных таблиц закрыта"));
        return *rec;
    }

private:
    RecordingSpreadsheet* rec;
    std::shared_ptr<bool> alive;
};

class RecCell : public spreadsheet::Cell {
public:
    RecCell(Guard g, int sheet, int row, int column) : g(g), key{sheet, column, row} {}
    void setNumberFormat(const QString& format) override {
        g.get().record(Step::NumberFormat, QStringLiteral("format:") + format);
        g.get().cells[key].numberFormat = format;
    }
    void setValue(const QString& text) override {
        g.get().record(Step::Value, QStringLiteral("value:") + text);
        g.get().cells[key].value = text;
    }
    void setBold(bool bold) override {
        g.get().record(Step::Bold, QStringLiteral("bold:") + QLatin1String(bold ? "true" : "false"));
        g.get().cells[key].bold = bold;
    }

private:
    Guard g;
    std::tuple<int, int, int> key;
};

class RecSheet : public spreadsheet::Worksheet {
public:
    RecSheet(Guard g, int index) : g(g), index(index) {}
    std::unique_ptr<spreadsheet::Cell> cell(int row, int column) override {
        g.get().record(Step::Cell, QStringLiteral("cell:%1,%2").arg(row).arg(column));
        return std::make_unique<RecCell>(g, index, row, column);
    }
    void autoFitColumn(int column) override {
        g.get().record(Step::AutoFit, QStringLiteral("autofit:%1").arg(column));
        g.get().autofitted.insert({index, column});
    }

private:
    Guard g;
    int index;
};

class RecApp : public spreadsheet::Application {
public:
    explicit RecApp(Guard g) : g(g) {}
    void addWorkbook() override {
        g.get().record(Step::AddWorkbook, QStringLiteral("add"));
        newWorkbook();
    }
    void openWorkbook(const QString& fileName) override {
        g.get().record(Step::OpenWorkbook, QStringLiteral("open:") + fileName);
        newWorkbook();
    }
    void setVisible(bool visible) override {
        g.get().record(Step::Visible, QStringLiteral("visible:") + QLatin1String(visible ? "true" : "false"));
        g.get().visible = visible;
    }
    std::unique_ptr<spreadsheet::Worksheet> worksheet(int index) override {
        auto& r = g.get();
        r.record(Step::Worksheet, QStringLiteral("sheet:%1").arg(index));
        if (!hasWorkbook || index < 1 || index > r.sheetCount)
            throw spreadsheet::Error(QStringLiteral("Нет листа %1").arg(index));
        return std::make_unique<RecSheet>(g, index);
    }

private:
    void newWorkbook() {
        auto& r = g.get();
        ++r.workbooks;
        r.cells.clear();
        r.autofitted.clear();
        hasWorkbook = true;
    }
    Guard g;
    bool hasWorkbook = false;
};

} // namespace

class RecordingBackend : public spreadsheet::Backend {
public:
    RecordingBackend(RecordingSpreadsheet* r, std::shared_ptr<bool> alive) : g(r, std::move(alive)) {}
    std::shared_ptr<spreadsheet::Application> attachRunning() override {
        auto& r = g.get();
        r.calls << QStringLiteral("attach");
        if (r.failing.contains(Step::Attach))
            return nullptr;
        if (!r.app && r.running)
            r.app = std::make_shared<RecApp>(g);
        return r.app;
    }
    std::shared_ptr<spreadsheet::Application> create() override {
        auto& r = g.get();
        r.calls << QStringLiteral("create");
        if (r.failing.contains(Step::Create))
            return nullptr;
        ++r.applicationsCreated;
        r.app = std::make_shared<RecApp>(g);
        return r.app;
    }

private:
    Guard g;
};

RecordingSpreadsheet::RecordingSpreadsheet() : alive(std::make_shared<bool>(true)) {
    releaseExcelReferences();
    spreadsheet::setBackend(std::make_shared<RecordingBackend>(this, alive));
}

RecordingSpreadsheet::~RecordingSpreadsheet() {
    *alive = false;
    releaseExcelReferences();
    spreadsheet::setBackend(nullptr);
}

const RecordingSpreadsheet::CellRecord* RecordingSpreadsheet::cell(int sheet, int column, int row) const {
    const auto it = cells.constFind({sheet, column, row});
    return it == cells.cend() ? nullptr : &*it;
}

void RecordingSpreadsheet::record(Step step, const QString& call) {
    calls << call;
    if (failing.contains(step))
        throw spreadsheet::Error(QStringLiteral("Сбой по сценарию теста: ") + call);
}
