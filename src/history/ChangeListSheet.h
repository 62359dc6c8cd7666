// The change list as a spreadsheet: one title row and a row per change, for the window's "Excel"
// and the command line.
#pragma once

#include <QString>
#include <functional>

class Dataset;

// Writes one cell (column and row from 1); the text is kept as text when textFormat is set.
using ChangeCellWriter = std::function<void(int column, int row, const QString& text, bool textFormat)>;

// Writes the rows of the change list (read with changeListSql) under a title row.
void writeChangeListSheet(const Dataset& rows, const ChangeCellWriter& put);
