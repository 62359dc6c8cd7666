// Number helpers: rounding, the shortest number text, parsing, and quoting of SQL texts.
#include "data/Format.h"

#include <QLocale>
#include <cmath>

QString sqlQuote(const QString& text) {
    QString out = text;
    out.replace(u'\'', QStringLiteral("''"));
    return u'\'' + out + u'\'';
}

QString formatGeneral(double v) {
    if (v == 0)
        return QStringLiteral("0");
    return QString::number(v, 'g', 15);
}

QChar localeDecimal() {
    const QString d = QLocale().decimalPoint();
    return d.isEmpty() ? QChar(u'.') : d.at(0);
}

QString toScreenSeparator(const QString& numberText) {
    QString s = numberText;
    s.replace(u'.', localeDecimal());
    return s;
}

QString formatScreen(double v) {
    return toScreenSeparator(formatGeneral(v));
}

double roundHalfEven(double v, int decimals) {
    if (!std::isfinite(v) || v == 0)
        return v;
    // d.dddddddddddddde±X: 15 significant digits and the decimal exponent.
    const QString s = QString::number(std::fabs(v), 'e', 14);
    const qsizetype ePos = s.indexOf(u'e');
    QString digits = s.left(ePos);
    digits.remove(u'.');
    const int exp10 = s.mid(ePos + 1).toInt();
    const int keep = exp10 + 1 + decimals; // digits that stay
    if (keep >= digits.size())
        return v;
    if (keep < 0)
        return 0.0;
    qint64 kept = keep == 0 ? 0 : digits.left(keep).toLongLong();
    const QString rest = digits.mid(keep);
    const QString half = u'5' + QString(rest.size() - 1, u'0');
    const int cmp = rest.compare(half);
    if (cmp > 0 || (cmp == 0 && (kept % 2) == 1))
        ++kept;
    const double r = double(kept) / std::pow(10.0, decimals);
    return v < 0 ? -r : r;
}

bool parseNumber(const QString& text, double* out) {
    QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    t.replace(u',', u'.');
    if (t.count(u'.') > 1)
        return false;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    if (out)
        *out = v;
    return true;
}

QString formatMoney(double v) {
    const double rounded = roundHalfEven(v, 2);
    // No "-0,00" for an amount that rounds to nothing.
    return toScreenSeparator(QString::number(rounded == 0 ? 0.0 : rounded, 'f', 2));
}
