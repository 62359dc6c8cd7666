// The backend in use and the error type of the spreadsheet layer.
#include "export/SpreadsheetBackend.h"

#include "export/InProcessSpreadsheet.h"

namespace spreadsheet {

Error::Error(const QString& text) : std::runtime_error(text.toStdString()), m_message(text) {}

namespace {
std::shared_ptr<Backend> installed;
} // namespace

Backend& backend() {
    return installed ? *installed : inprocess::defaultBackend();
}

void setBackend(std::shared_ptr<Backend> b) {
    installed = std::move(b);
}

} // namespace spreadsheet
