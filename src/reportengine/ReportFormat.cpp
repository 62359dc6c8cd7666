// Values of report expressions and how they are shown: default form and display masks.
#include "reportengine/ReportFormat.h"

#include <QDate>
#include <QDateTime>

#include <cmath>

namespace reportengine {

ReportValue ReportValue::fromVariant(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return null();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return of(v.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return of(v.toDouble());
    case QMetaType::QDate:
        return of(v.toDate().toString(QStringLiteral("dd.MM.yyyy")));
    case QMetaType::QDateTime:
        return of(v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));
    default:
        return of(v.toString());
    }
}

bool ReportValue::operator==(const ReportValue& other) const {
    if (type != other.type)
        return false;
    switch (type) {
    case Type::Null:
    case Type::Invalid:
        return true;
    case Type::Text:
        return text == other.text;
    default:
        return number == other.number;
    }
}

QString defaultNumberText(double value, const QString& decimalPoint) {
    if (!std::isfinite(value))
        return {};
    if (value == 0)
        value = 0; // no "-0"
    QString s = QString::number(value, 'g', 15);
    if (decimalPoint != QLatin1String("."))
        s.replace(QLatin1Char('.'), decimalPoint);
    return s;
}

namespace {

struct Mask {
    QString prefix, suffix;
    int minIntDigits = 0;
    bool grouping = false;
    int minDecimals = 0;
    int maxDecimals = 0;
};

Mask parseMask(const QString& mask) {
    // The digit pattern is the run of '#', '0', '.' and ',' that starts at the first digit place;
    // whatever stands before or after it is literal text.
    auto isPattern = [](QChar c) { return c == '#' || c == '0' || c == '.' || c == ','; };
    int first = 0;
    while (first < mask.size() && mask[first] != '#' && mask[first] != '0')
        ++first;
    int end = first;
    while (end < mask.size() && isPattern(mask[end]))
        ++end;
    const int last = end - 1;
    Mask m;
    const QString pattern = mask.mid(first, last - first + 1);
    if (!pattern.contains(QLatin1Char('0')) && !pattern.contains(QLatin1Char('#')))
        throw ReportError(QStringLiteral("Маска без цифр: \"%1\"").arg(mask));
    m.prefix = mask.left(first);
    m.suffix = mask.mid(last + 1);
    const int point = pattern.indexOf(QLatin1Char('.'));
    const QString intPart = point < 0 ? pattern : pattern.left(point);
    const QString fracPart = point < 0 ? QString() : pattern.mid(point + 1);
    m.minIntDigits = int(intPart.count(QLatin1Char('0')));
    m.grouping = intPart.contains(QLatin1Char(','));
    for (QChar c : fracPart) {
        if (c == '0') {
            if (m.maxDecimals != m.minDecimals)
                throw ReportError(QStringLiteral("Маска: '0' после '#' в дробной части: \"%1\"").arg(mask));
            ++m.minDecimals;
            ++m.maxDecimals;
        } else if (c == '#') {
            ++m.maxDecimals;
        } else {
            throw ReportError(QStringLiteral("Маска: лишний знак в дробной части: \"%1\"").arg(mask));
        }
    }
    return m;
}

// Adds one to a string of decimal digits, growing it on overflow ("99" -> "100").
void incrementDigits(QString& digits) {
    for (int i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            return;
        }
    }
    digits.prepend(QLatin1Char('1'));
}

} // namespace

void checkMask(const QString& mask) {
    if (!mask.isEmpty())
        parseMask(mask);
}

QString formatNumber(double value, const QString& mask, const QString& decimalPoint) {
    const Mask m = parseMask(mask);
    if (!std::isfinite(value))
        return {};
    // The number's decimal form with 15 significant digits: what the user would call its value.
    const QString e = QString::number(std::fabs(value), 'e', 14); // d.ddddddddddddddde±XX
    const int ePos = int(e.indexOf(QLatin1Char('e')));
    QString digits = e.left(1) + e.mid(2, ePos - 2);
    int intCount = e.mid(ePos + 1).toInt() + 1; // digits before the decimal point
    if (intCount <= 0) {
        digits.prepend(QString(1 - intCount, QLatin1Char('0')));
        intCount = 1;
    }
    if (digits.size() < intCount + m.maxDecimals)
        digits.append(QString(intCount + m.maxDecimals - digits.size(), QLatin1Char('0')));
    const bool roundUp = digits.size() > intCount + m.maxDecimals && digits[intCount + m.maxDecimals] >= '5';
    digits.truncate(intCount + m.maxDecimals);
    if (roundUp) {
        const int before = int(digits.size());
        incrementDigits(digits);
        intCount += int(digits.size()) - before;
    }
    QString intDigits = digits.left(intCount);
    QString frac = digits.mid(intCount);
    while (frac.size() > m.minDecimals && frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    while (intDigits.size() > 1 && intDigits.startsWith(QLatin1Char('0')) &&
           intDigits.size() > m.minIntDigits)
        intDigits.remove(0, 1);
    if (intDigits == QLatin1String("0") && m.minIntDigits == 0 && !frac.isEmpty())
        intDigits.clear();
    while (intDigits.size() < m.minIntDigits)
        intDigits.prepend(QLatin1Char('0'));
    if (m.grouping)
        for (int i = int(intDigits.size()) - 3; i > 0; i -= 3)
            intDigits.insert(i, QLatin1Char(' '));
    QString number = intDigits;
    if (!frac.isEmpty())
        number += decimalPoint + frac;
    if (number.isEmpty())
        number = QStringLiteral("0");
    const bool allZero =
        !std::any_of(number.cbegin(), number.cend(), [](QChar c) { return c.isDigit() && c != '0'; });
    if (value < 0 && !allZero)
        number.prepend(QLatin1Char('-'));
    return m.prefix + number + m.suffix;
}

QString displayText(const ReportValue& value, const QString& mask, const QString& decimalPoint) {
    switch (value.type) {
    case ReportValue::Type::Null:
    case ReportValue::Type::Invalid:
        return {};
    case ReportValue::Type::Text:
        return value.text;
    case ReportValue::Type::Bool:
    case ReportValue::Type::Number:
        return mask.isEmpty() ? defaultNumberText(value.number, decimalPoint)
                              : formatNumber(value.number, mask, decimalPoint);
    }
    return {};
}

} // namespace reportengine
