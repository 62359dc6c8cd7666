// The spreadsheet forms of the timesheets.
#include "timesheets/TimesheetSheets.h"

#include "data/Dataset.h"

namespace {

// The field's text as the grid shows it; empty for an empty value.
QString shownText(const Dataset& rows, const QString& field) {
    return rows.displayText(rows.fieldByName(field).value(), int(rows.fieldNames().indexOf(field)));
}

// Rows 1 and 2: the title and the header, every cell autofitted and bold; the day numbers
// 1 … 31 from firstDayColumn on, the only cells without the text format.
void writeHead(const SheetCellWriter& put, const TimesheetMonth& month, int firstDayColumn,
               const QList<std::pair<int, QString>>& captions) {
    put(1, 1, month.title(), true, true, true);
    put(1, 2, QStringLiteral("Фамилия И.О."), true, true, true);
    for (int day = 1; day <= 31; ++day)
        put(firstDayColumn + day - 1, 2, QString::number(day), false, true, true);
    for (const auto& [column, caption] : captions)
        put(column, 2, caption, true, true, true);
}

// One line per record from row 3 on; the caller's line writer gets the row number.
void writeLines(Dataset& rows, const std::function<void(int row)>& line, const SheetProgress& progress) {
    const int total = rows.recordCount();
    if (progress)
        progress(0, total);
    rows.first();
    for (int written = 1; written <= total; ++written) {
        line(written + 2);
        rows.next();
        if (progress)
            progress(written, total);
    }
}

} // namespace

void writePieceworkSheet(Dataset& rows, PieceworkView view, const TimesheetMonth& month,
                         const SheetCellWriter& put, const SheetProgress& progress) {
    const PieceworkViewInfo& info = viewInfo(view);
    QList<std::pair<int, QString>> captions{{34, QStringLiteral("Итого (ч.)")},
                                            {35, QStringLiteral("Итого (р.)")}};
    if (info.hourlyColumn)
        captions.append({36, QStringLiteral("Час (р.)")});
    writeHead(put, month, 3, captions);
    writeLines(
        rows,
        [&](int row) {
            put(1, row, shownText(rows, QStringLiteral("fio")), true, true, false);
            if (info.nightColumn)
                put(2, row, shownText(rows, QStringLiteral("s_night")), true, true, false);
            for (int day = 1; day <= 31; ++day)
                put(day + 2, row, shownText(rows, QStringLiteral("d%1").arg(day)), false, true, false);
            put(34, row, shownText(rows, QStringLiteral("i_time")), false, true, false);
            put(35, row, shownText(rows, QStringLiteral("f_price")), false, true, false);
            if (info.hourlyColumn)
                put(36, row, shownText(rows, QStringLiteral("average_price")), false, true, false);
        },
        progress);
}

void writeHoursSheet(Dataset& rows, const TimesheetMonth& month, const SheetCellWriter& put,
                     const SheetProgress& progress) {
    writeHead(put, month, 2, {{33, QStringLiteral("Итого")}});
    writeLines(
        rows,
        [&](int row) {
            put(1, row, shownText(rows, QStringLiteral("fio")), true, true, false);
            qint64 total = 0;
            for (int day = 1; day <= 31; ++day) {
                const QString field = QStringLiteral("sd%1").arg(day);
                put(day + 1, row, shownText(rows, field), false, true, false);
                total += rows.fieldByName(field).asLargeInt();
            }
            put(33, row, QString::number(total), false, true, false);
        },
        progress);
}
