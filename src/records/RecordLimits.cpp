// The limits of one work record or maintenance entry and their refusal texts.
#include "records/RecordLimits.h"

#include <QLocale>
#include <cmath>

namespace {

// Roubles with two decimals, the thousands parted by plain spaces: 20 000 000,00.
QString money(double v) {
    QString text = QLocale(QLocale::Russian).toString(v, 'f', 2);
    const QString groupSeparator = QLocale(QLocale::Russian).groupSeparator();
    return text.replace(groupSeparator, QStringLiteral(" "));
}

} // namespace

QString recordAmountProblem(double amount, const QString& what) {
    if (std::isfinite(amount) && std::fabs(amount) <= kMaxRecordAmount)
        return {};
    return QStringLiteral("Слишком большая сумма одной записи (%1): %2; не больше %3.")
        .arg(what, std::isfinite(amount) ? money(amount) : QStringLiteral("∞"), money(kMaxRecordAmount));
}

QString recordPiecesProblem(qint64 pieces, const QString& fieldCaption) {
    if (pieces <= kMaxRecordPieces)
        return {};
    return QStringLiteral("Слишком большое число в поле «%1»: не больше %2.")
        .arg(fieldCaption)
        .arg(kMaxRecordPieces);
}

QString recordPriceProblem(double price, const QString& fieldCaption) {
    if (std::isfinite(price) && price >= 0 && price <= kMaxRecordPrice)
        return {};
    return QStringLiteral("Недопустимое значение в поле «%1»: нужно число от 0 до %2.")
        .arg(fieldCaption, money(kMaxRecordPrice));
}
