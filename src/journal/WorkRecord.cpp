// One work record of the journal as the editor changes it.
#include "journal/WorkRecord.h"

#include "data/Dataset.h"

WorkRecord WorkRecord::fromJournalRow(const Dataset& journal) {
    auto text = [&journal](const char* field) {
        return journal.fieldByName(QLatin1String(field)).asString().trimmed();
    };
    WorkRecord r;
    r.id = journal.fieldByName(QStringLiteral("id")).asInteger();
    r.date = journal.fieldByName(QStringLiteral("data")).asDate();
    r.shift = journal.fieldByName(QStringLiteral("smena")).asInteger();
    r.workerId = journal.fieldByName(QStringLiteral("w_id")).asInteger();
    r.workerName = text("fio");
    r.productId = journal.fieldByName(QStringLiteral("i_id")).asInteger();
    r.operationPriceId = journal.fieldByName(QStringLiteral("o_id")).asInteger();
    r.operationName = text("vid");
    r.operationText =
        text("marka") + QStringLiteral("; ") + r.operationName + QStringLiteral("; ") +
        (journal.fieldByName(QStringLiteral("naimen")).asInteger() == 0 ? QStringLiteral("Готовая продукция")
                                                                        : QStringLiteral("Заготовки"));
    r.price = journal.fieldByName(QStringLiteral("cena")).asFloat();
    r.quantity = text("kol_vo");
    r.rejects = text("brak");
    r.hours = journal.fieldByName(QStringLiteral("time")).asInteger();
    r.colour = text("color");
    return r;
}

bool isPaintingOperation(const QString& text) {
    return text.toUpper().contains(QStringLiteral("КРАСКА"));
}
