// Number and text helpers for composing statements and showing values.
#pragma once

#include <QString>

// A text as a quoted literal of the client-side row filter (Dataset::setFilter): in single
// quotes, each ' doubled. Statements sent to the server take Database::quote or bound values.
QString sqlQuote(const QString& text);

// Shortest general form with up to 15 significant digits and "." as the separator:
// 12.5 → "12.5", 15.000000000000002 → "15". This is how numbers go into statements.
QString formatGeneral(double v);

// The same with the workstation's decimal separator, for the screen.
QString formatScreen(double v);

// An amount of money as the screen and the printed pages show it: two decimals (halves to even)
// with the workstation's separator, 15956.8 → "15956,80".
QString formatMoney(double v);

// Rounds to the given number of decimals with halves to even, deciding on the value's
// decimal text (15 significant digits) so that binary noise does not tip a half.
double roundHalfEven(double v, int decimals = 4);

// The workstation's decimal separator.
QChar localeDecimal();

// Replaces "." in a number text by the workstation's separator (for showing).
QString toScreenSeparator(const QString& numberText);

// Reads a number typed with "," or "." as the separator (blanks around allowed).
// Returns false for anything else (two separators, a lone separator, letters, empty).
bool parseNumber(const QString& text, double* out);
