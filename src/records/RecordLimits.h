// The largest counts and amounts one work record or maintenance entry may hold, so that every
// statement that reads them (the reports and timesheets sum them into numeric(10,2) columns, at
// most 99,999,999.99) can hold the month's sums; one definition for the editors and the import.
#pragma once

#include <QString>

// Pieces (quantity, rejects) of one work record.
inline constexpr qint64 kMaxRecordPieces = 9'999'999;
// The amount of one record: pieces times the piece price, or hours times the hourly price. A
// tenth of what a report's sum column holds.
inline constexpr double kMaxRecordAmount = 9'999'999.99;
// The largest piece or hourly price (the same bound: one piece or hour at most the amount).
inline constexpr double kMaxRecordPrice = kMaxRecordAmount;

// The Russian refusal text of an amount above kMaxRecordAmount (what is too large, and the
// bound), or empty when it fits. `what` names the product ("Кол-во × цена").
QString recordAmountProblem(double amount, const QString& what);
// The same for a count of pieces (the field's caption in «»), or empty.
QString recordPiecesProblem(qint64 pieces, const QString& fieldCaption);
// The same for a price typed in a field: a number from 0 to kMaxRecordPrice, or empty.
QString recordPriceProblem(double price, const QString& fieldCaption);
