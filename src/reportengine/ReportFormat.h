// Values of report expressions and how they are shown: default form and display masks.
#pragma once

#include <QString>
#include <QVariant>

#include <stdexcept>

namespace reportengine {

// A report definition that cannot be used: a bad expression, an unknown field, a bad mask.
class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    explicit ReportError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

struct ReportValue {
    enum class Type {
        Null, // no value: a null field; counts as 0 in arithmetic and as '' in texts
        Number,
        Text,
        Bool,
        Invalid // a result that has no value, such as a division by zero; prints as an empty cell
    };
    Type type = Type::Null;
    double number = 0;
    QString text;

    static ReportValue null() { return {}; }
    static ReportValue invalid() { return {Type::Invalid, 0, {}}; }
    static ReportValue of(double v) { return {Type::Number, v, {}}; }
    static ReportValue of(bool v) { return {Type::Bool, v ? 1.0 : 0.0, {}}; }
    static ReportValue of(const QString& v) { return {Type::Text, 0, v}; }
    static ReportValue fromVariant(const QVariant& v);

    bool isNumeric() const { return type == Type::Number || type == Type::Bool || type == Type::Null; }
    bool operator==(const ReportValue& other) const;
};

// A number in its default form: up to 15 significant digits, no trailing zeros.
QString defaultNumberText(double value, const QString& decimalPoint = QStringLiteral("."));

// A number through a mask such as "#0.00", "#0.000", "#0", "#,##0.00" or "0.0#": zeros are required
// digits, '#' optional ones, ',' in the integer part groups thousands by blanks. Text before and after
// the digit pattern is printed as it is. Halves are rounded away from zero on the number's decimal
// form, so 2.675 prints as 2.68. Throws ReportError on a mask without a digit pattern.
QString formatNumber(double value, const QString& mask, const QString& decimalPoint = QStringLiteral("."));

// What a value prints as: empty for Null and Invalid; numbers through the mask or in default form.
QString displayText(const ReportValue& value, const QString& mask = {},
                    const QString& decimalPoint = QStringLiteral("."));

// Checks a mask once, before a report is laid out; throws ReportError when it is unusable.
void checkMask(const QString& mask);

} // namespace reportengine
