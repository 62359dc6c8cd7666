// The journal day a work record belongs to, and the piece price that such a day pays.
#include "data/JournalDay.h"

double piecePrice(double basePrice, const JournalDay& day) {
    double price = basePrice;
    if (day.dayOff)
        price *= 2;
    if (day.shift == 3)
        price *= 1.2;
    else if (day.shift == 4)
        price *= 1.5;
    return price;
}

bool isWeekend(const QDate& day) {
    return day.dayOfWeek() == Qt::Saturday || day.dayOfWeek() == Qt::Sunday;
}
