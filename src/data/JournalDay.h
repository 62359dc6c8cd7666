// The journal day a work record belongs to: its date, shift and whether it is a day off, and
// the piece price that such a day pays.
#pragma once

#include <QDate>

struct JournalDay {
    QDate date;
    int shift = 1; // 1..3, 4 overtime
    bool dayOff = false;
};

// Saturdays and Sundays, the days that count as days off unless the user says otherwise.
bool isWeekend(const QDate& day);

// The piece price of an operation on a journal day: the base price twice on a day off, and
// then 1.2 times in the third shift or 1.5 times for overtime.
double piecePrice(double basePrice, const JournalDay& day);
