// Work-record store: the writes of the journal's work records with the day-hours upkeep.
// (Built with the journal library until the day-hours upkeep joins the records library.)
#include "records/WorkRecordStore.h"

#include "data/Database.h"
#include "data/Format.h"
#include "data/Transaction.h"
#include "records/ClosedMonths.h"
#include "records/DayHours.h"
#include "records/RecordLimits.h"
#include "records/Refusal.h"

namespace {

QString dayText(const QDate& day) {
    return day.toString(QStringLiteral("dd.MM.yyyy"));
}

// A count as its column takes it; an empty colour is no colour (0).
int count(const QString& text) {
    return text.trimmed().toInt();
}

// The values of a work record's insert or update.
Params recordValues(const WorkRecord& r, const QDate& enteredOn) {
    return {{QStringLiteral("w_id"), r.workerId},
            {QStringLiteral("i_id"), r.productId},
            {QStringLiteral("o_id"), r.operationPriceId},
            // The piece price in 4 decimals (halves to even), as the record keeps it.
            {QStringLiteral("cena"), formatGeneral(roundHalfEven(r.price, 4)).replace(u',', u'.')},
            {QStringLiteral("kol_vo"), count(r.quantity)},
            {QStringLiteral("brak"), count(r.rejects)},
            {QStringLiteral("data"), dayText(r.date)},
            {QStringLiteral("smena"), r.shift},
            {QStringLiteral("color"), count(r.colour)},
            {QStringLiteral("time"), count(r.hours)},
            {QStringLiteral("vvod"), dayText(enteredOn)}};
}

} // namespace

WorkRecordStore::WorkRecordStore(Database& db) : m_db(db) {}

void WorkRecordStore::checkCounts(const WorkRecord& record) {
    const std::pair<const QString*, const char*> counts[] = {{&record.quantity, "Кол-во"},
                                                             {&record.rejects, "Брак"},
                                                             {&record.hours, "Время"},
                                                             {&record.colour, "Цвет"}};
    const QString* fields[] = {&kQuantityField, &kRejectsField, &kHoursField, &kColourField};
    for (int i = 0; i < 4; ++i) {
        const QString t = counts[i].first->trimmed();
        bool ok = true;
        if (!t.isEmpty())
            t.toInt(&ok);
        if (!ok)
            throw Refusal(QStringLiteral("Слишком большое число в поле «%1»: не больше 2147483647.")
                              .arg(QString::fromUtf8(counts[i].second)),
                          *fields[i]);
    }
    // Pieces are summed by the reports into columns that hold less than the record's columns.
    for (int i = 0; i < 2; ++i) {
        const QString problem =
            recordPiecesProblem(count(*counts[i].first), QString::fromUtf8(counts[i].second));
        if (!problem.isEmpty())
            throw Refusal(problem, *fields[i]);
    }
}

void WorkRecordStore::checkValues(const WorkRecord& record) {
    checkCounts(record);
    // A work record holds at most a day's hours.
    if (count(record.hours) > kMaxRecordHours)
        throw Refusal(QStringLiteral("Слишком много часов в поле «Время»: не больше %1 за одну запись.")
                          .arg(kMaxRecordHours),
                      kHoursField);
    // Rejects are pieces of the quantity: more of them would make the record's amount negative.
    if (count(record.rejects) > count(record.quantity))
        throw Refusal(QStringLiteral("Брак не может быть больше количества!"), kRejectsField);
    // The record's amount, as the reports sum it: (quantity - rejects) times the piece price.
    const QString problem = recordAmountProblem((double(count(record.quantity)) - count(record.rejects)) *
                                                    roundHalfEven(record.price, 4),
                                                QStringLiteral("«Кол-во» без брака × цена"));
    if (!problem.isEmpty())
        throw Refusal(problem, kQuantityField);
}

void WorkRecordStore::refuseDuplicate(const WorkRecord& record, int exceptId) {
    QString sql = QStringLiteral("select count(id) as cnt from accounts_dep.SMENA where w_id=:w_id and "
                                 "o_id=:o_id and i_id=:i_id and data=to_date(:data, 'DD.MM.YYYY') and "
                                 "smena=:smena");
    Params values{
        {QStringLiteral("w_id"), record.workerId},  {QStringLiteral("o_id"), record.operationPriceId},
        {QStringLiteral("i_id"), record.productId}, {QStringLiteral("data"), dayText(record.date)},
        {QStringLiteral("smena"), record.shift},    {QStringLiteral("color"), count(record.colour)}};
    if (exceptId != 0) {
        sql += QStringLiteral(" and id<>:id and color=:color");
        values.insert(QStringLiteral("id"), exceptId);
    } else {
        sql += QStringLiteral(" and color=:color");
    }
    if (m_db.countCheck(sql, values))
        throw Refusal(QStringLiteral("Позиция с такими параметрами уже заведена!"));
}

bool WorkRecordStore::stillAsSeen(const WorkRecord& original) {
    Dataset stored(nullptr, m_db.connection().name());
    stored.setSql(
        QStringLiteral("select id, data, smena, w_id, i_id, o_id, cena, kol_vo::numeric, brak, time, "
                       "color from accounts_dep.smena where id=:id for update"));
    stored.setParam(QStringLiteral("id"), original.id);
    stored.open();
    return !stored.isEmpty() && WorkRecord::fromStoredRow(stored).sameStoredValues(original);
}

void WorkRecordStore::add(const WorkRecord& record, const QDate& enteredOn) {
    checkValues(record);
    // The record, its duplicate check and the hours of its day are written whole or not at all.
    Transaction transaction(m_db);
    refuseClosedDays(transaction, m_db, {record.date});
    refuseDuplicate(record, 0);
    m_db.execute(QStringLiteral("insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, "
                                "smena, color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, "
                                "id_gds_use, id_cons_use) values(:w_id, :i_id, :o_id, :cena,:kol_vo, :brak, "
                                "to_date(:data, 'DD.MM.YYYY HH24:MI:SS'), :smena, :color, :time, :vvod, "
                                "'no', 0, 0, 0, 0, 0, 0)"),
                 recordValues(record, enteredOn));
    writeDayHours(transaction, m_db, record.workerId, record.shift, record.date, true);
    transaction.commit();
}

void WorkRecordStore::change(const WorkRecord& original, const WorkRecord& changed, const QDate& enteredOn) {
    checkValues(changed);
    Transaction transaction(m_db);
    // Neither the month the record is in nor the one it moves into may be closed.
    refuseClosedDays(transaction, m_db, {original.date, changed.date});
    if (!stillAsSeen(original))
        throw StaleRowError();
    // A record moved to another worker, day or shift touches two timesheet rows: both are held
    // before anything is written, in the one order of their keys, so that two workstations moving
    // records crosswise between the same two workers never wait for each other.
    const bool moved =
        original.date.isValid() && (original.workerId != changed.workerId ||
                                    original.shift != changed.shift || original.date != changed.date);
    std::vector<DayHoursCell> rows{DayHoursCell::shiftRow(changed.workerId, changed.shift, changed.date)};
    if (moved)
        rows.push_back(DayHoursCell::shiftRow(original.workerId, original.shift, original.date));
    lockDayHours(transaction, rows);
    refuseDuplicate(changed, original.id);
    Params values = recordValues(changed, enteredOn);
    values.insert(QStringLiteral("id"), original.id);
    m_db.execute(
        QStringLiteral("update accounts_dep.SMENA set w_id=:w_id, i_id=:i_id, o_id=:o_id, cena=:cena, "
                       "kol_vo=:kol_vo, brak=:brak, data=to_date(:data, 'DD.MM.YYYY'), smena=:smena, "
                       "color=:color, time=:time, vvod=:vvod, prize=0, id_doc=0, id_doc_item=0, "
                       "f_gds_qty_use=0, id_gds_use=0, id_cons_use=0 where id=:id"),
        values);
    writeDayHours(transaction, m_db, changed.workerId, changed.shift, changed.date, true);
    // A change that moved the record to another day, shift or worker leaves the hours of the
    // day it came from to be recomputed as well.
    if (moved)
        writeDayHours(transaction, m_db, original.workerId, original.shift, original.date, false);
    transaction.commit();
}

void WorkRecordStore::remove(const WorkRecord& asSeen) {
    // The record and the hours of its day go together or not at all. A record changed elsewhere
    // (another worker, day or shift) is not deleted: its hours would stay with the worker it has
    // now, with no record behind them.
    Transaction transaction(m_db);
    refuseClosedDays(transaction, m_db, {asSeen.date});
    if (!stillAsSeen(asSeen))
        throw StaleRowError();
    if (m_db.execute(QStringLiteral("delete from accounts_dep.smena where id=:id"),
                     {{QStringLiteral("id"), asSeen.id}}) == 0)
        throw StaleRowError();
    writeDayHours(transaction, m_db, asSeen.workerId, asSeen.shift, asSeen.date, false);
    transaction.commit();
}

void WorkRecordStore::setAccepted(int recordId, bool accepted) {
    Transaction transaction(m_db);
    // The record's day as it is stored now decides whether its month is closed.
    const QVariant day =
        m_db.readValue(QStringLiteral("select data from accounts_dep.smena where id=:id for update"),
                       {{QStringLiteral("id"), recordId}});
    if (!day.isValid())
        throw StaleRowError();
    refuseClosedDays(transaction, m_db, {day.toDate()});
    if (m_db.execute(QStringLiteral("update accounts_dep.smena set ok=:ok where id=:id"),
                     {{QStringLiteral("ok"), accepted ? QStringLiteral("ok") : QStringLiteral("no")},
                      {QStringLiteral("id"), recordId}}) == 0)
        throw StaleRowError();
    transaction.commit();
}

int WorkRecordStore::acceptAll(const QList<int>& recordIds) {
    Transaction transaction(m_db);
    int marked = 0;
    for (int id : recordIds)
        marked += m_db.execute(QStringLiteral("update accounts_dep.smena set ok='ok' where id=:id and "
                                              "coalesce(trim(ok), '') not in ('ok', 'да')"),
                               {{QStringLiteral("id"), id}});
    transaction.commit();
    return marked;
}
