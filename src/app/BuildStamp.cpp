// The build stamp: the build date and time as whole numbers, from the compiler's build texts.
#include "app/BuildStamp.h"

namespace {

int digit(const QString& s, int pos) {
    if (pos >= s.size() || !s[pos].isDigit())
        return 0;
    return s[pos].digitValue();
}

QChar at(const QString& s, int pos) {
    return pos < s.size() ? s[pos] : QChar(u'?');
}

QString twoDigits(int v) {
    return (v <= 9 ? QStringLiteral("0") : QString()) + QString::number(v);
}

} // namespace

int computeBuildDate(const QString& t) {
    // Month from the third letter of the English abbreviation (the second or first letter
    // tells Jan from Jun and Mar from Apr).
    int month = 1;
    const QChar c2 = at(t, 2);
    if (c2 != u'?') {
        switch (c2.unicode()) {
        case 'n':
            month = at(t, 1) == u'a' ? 1 : 6;
            break;
        case 'b':
            month = 2;
            break;
        case 'r':
            month = at(t, 0) == u'M' ? 3 : 4;
            break;
        case 'y':
            month = 5;
            break;
        case 'l':
            month = 7;
            break;
        case 'g':
            month = 8;
            break;
        case 'p':
            month = 9;
            break;
        case 't':
            month = 10;
            break;
        case 'v':
            month = 11;
            break;
        default:
            month = 12;
        }
    }
    int day = 1;
    if (at(t, 4) != u'?')
        day = (at(t, 4) == u' ' ? 0 : digit(t, 4) * 10) + digit(t, 5);
    int year = 1900;
    if (at(t, 7) != u'?')
        year = digit(t, 7) * 1000 + digit(t, 8) * 100 + digit(t, 9) * 10 + digit(t, 10);
    return (QString::number(year) + twoDigits(month) + twoDigits(day)).toInt();
}

int computeBuildTime(const QString& t) {
    return digit(t, 0) * 36000 + digit(t, 1) * 3600 + digit(t, 3) * 600 + digit(t, 4) * 60 +
           digit(t, 6) * 10 + digit(t, 7);
}
