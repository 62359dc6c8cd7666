// The spreadsheet backend: what the export operations need of a spreadsheet application.
// The default backend keeps workbooks in memory and saves them as .xlsx files; tests install a
// recording one; an automation backend for a running spreadsheet program can be added the same way.
#pragma once

#include <QString>
#include <memory>
#include <stdexcept>

namespace spreadsheet {

// A failed spreadsheet call; what() is the text in UTF-8.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& text);
    QString text() const { return m_message; }

private:
    QString m_message;
};

// One cell of a worksheet. Each call either does its work or throws.
class Cell {
public:
    virtual ~Cell() = default;
    // "@" is the text format: a value written afterwards stays text even if it looks like a number.
    virtual void setNumberFormat(const QString& format) = 0;
    // The text is data: a backend stores it as a value and never as a formula.
    virtual void setValue(const QString& text) = 0;
    virtual void setBold(bool bold) = 0;
};

// One worksheet of the active workbook; rows and columns count from 1.
class Worksheet {
public:
    virtual ~Worksheet() = default;
    virtual std::unique_ptr<Cell> cell(int row, int column) = 0;
    virtual void autoFitColumn(int column) = 0;
};

// A running spreadsheet application. Dropping the last reference never closes it.
class Application {
public:
    virtual ~Application() = default;
    // Adds a new empty workbook and makes it the active one.
    virtual void addWorkbook() = 0;
    // Opens the workbook saved in the file and makes it the active one.
    virtual void openWorkbook(const QString& fileName) = 0;
    // Shows or hides the application with its workbooks.
    virtual void setVisible(bool visible) = 0;
    // Sheet `index` (from 1) of the active workbook; throws when there is no such sheet.
    virtual std::unique_ptr<Worksheet> worksheet(int index) = 0;
};

class Backend {
public:
    virtual ~Backend() = default;
    // The application that is already running, or null when there is none.
    virtual std::shared_ptr<Application> attachRunning() = 0;
    // Starts a new application, or null when that is impossible.
    virtual std::shared_ptr<Application> create() = 0;
};

// The backend in use. Installing null restores the default one.
Backend& backend();
void setBackend(std::shared_ptr<Backend> b);

} // namespace spreadsheet
