// One work record of the journal as the editor changes it.
#include "records/WorkRecord.h"

#include "data/Dataset.h"

namespace {

QString textOf(const Dataset& row, const char* field) {
    return row.fieldByName(QLatin1String(field)).asString().trimmed();
}

} // namespace

WorkRecord WorkRecord::fromStoredRow(const Dataset& row) {
    WorkRecord r;
    r.id = row.fieldByName(QStringLiteral("id")).asInteger();
    r.date = row.fieldByName(QStringLiteral("data")).asDate();
    r.shift = row.fieldByName(QStringLiteral("smena")).asInteger();
    r.workerId = row.fieldByName(QStringLiteral("w_id")).asInteger();
    r.productId = row.fieldByName(QStringLiteral("i_id")).asInteger();
    r.operationPriceId = row.fieldByName(QStringLiteral("o_id")).asInteger();
    r.price = row.fieldByName(QStringLiteral("cena")).asFloat();
    r.quantity = textOf(row, "kol_vo");
    r.rejects = textOf(row, "brak");
    r.hours = QString::number(row.fieldByName(QStringLiteral("time")).asInteger());
    r.colour = textOf(row, "color");
    return r;
}

WorkRecord WorkRecord::fromJournalRow(const Dataset& journal) {
    auto text = [&journal](const char* field) { return textOf(journal, field); };
    WorkRecord r = fromStoredRow(journal);
    r.workerName = text("fio");
    r.operationName = text("vid");
    r.operationText =
        text("marka") + QStringLiteral("; ") + r.operationName + QStringLiteral("; ") +
        (journal.fieldByName(QStringLiteral("naimen")).asInteger() == 0 ? QStringLiteral("Готовая продукция")
                                                                        : QStringLiteral("Заготовки"));
    return r;
}

bool WorkRecord::sameStoredValues(const WorkRecord& other) const {
    // Counts are compared as numbers: the journal shows them as texts.
    auto number = [](const QString& text) { return text.trimmed().toLongLong(); };
    return id == other.id && date == other.date && shift == other.shift && workerId == other.workerId &&
           productId == other.productId && operationPriceId == other.operationPriceId &&
           qFuzzyCompare(1.0 + price, 1.0 + other.price) && number(quantity) == number(other.quantity) &&
           number(rejects) == number(other.rejects) && number(hours) == number(other.hours) &&
           number(colour) == number(other.colour);
}

bool isPaintingOperation(const QString& text) {
    return text.toUpper().contains(QStringLiteral("КРАСКА"));
}

bool isAcceptedMark(const QString& mark) {
    const QString t = mark.trimmed();
    return t == u"ok" || t == u"да";
}

double amountOf(const WorkRecord& record) {
    return (record.quantity.trimmed().toDouble() - record.rejects.trimmed().toDouble()) * record.price;
}
