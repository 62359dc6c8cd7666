// Work-record store: adds, changes and deletes the work records of the journal and sets their
// acceptance mark, keeping the worker's hours of the day in the timesheet.
#pragma once

#include "records/WorkRecord.h"

#include <QDate>
#include <QString>

class Database;

class WorkRecordStore {
public:
    explicit WorkRecordStore(Database& db);

    // The field names a refusal of the counts carries (Refusal::field).
    static inline const QString kQuantityField = QStringLiteral("quantity");
    static inline const QString kRejectsField = QStringLiteral("rejects");
    static inline const QString kHoursField = QStringLiteral("hours");
    static inline const QString kColourField = QStringLiteral("colour");

    // The counts (quantity, rejects, hours, colour) fit their 32-bit columns; throws Refusal
    // naming the first that does not. Empty counts pass.
    static void checkCounts(const WorkRecord& record);
    // The counts fit, the hours fit one record (at most a day's) and the rejects are not more
    // than the quantity; throws Refusal naming the field.
    static void checkValues(const WorkRecord& record);

    // Adds the record (its date, shift, worker, product, operation price, piece price and counts)
    // entered on the given day, with the worker's hours of the day. Throws Refusal when the values
    // do not fit, when a record of the same worker, product, operation price, day, shift and colour
    // exists, or when the day's hours do not fit the timesheet; nothing is written then.
    void add(const WorkRecord& record, const QDate& enteredOn);
    // Changes the record as the user saw it (original) into changed, with the hours of the day it
    // is on and of the day it came from. Throws StaleRowError when the stored record no longer
    // holds what original holds (changed or deleted at another workstation), Refusal as add().
    // The acceptance mark stays as it is.
    void change(const WorkRecord& original, const WorkRecord& changed, const QDate& enteredOn);
    // Deletes the record as the user saw it and corrects the worker's hours of its day and shift.
    // Throws StaleRowError, deleting nothing, when the stored record no longer holds what asSeen
    // holds (changed or deleted at another workstation).
    void remove(const WorkRecord& asSeen);
    // Sets the record's acceptance mark ("ok" accepted, "no" not). Throws StaleRowError when the
    // record was deleted at another workstation.
    //
    // Every write refuses (Refusal, nothing written) a record of a closed month, and a change
    // refuses a move into one.
    void setAccepted(int recordId, bool accepted);
    // Marks the records accepted ("ok"), in one transaction; records accepted meanwhile or
    // deleted elsewhere are passed over. Returns how many were marked.
    int acceptAll(const QList<int>& recordIds);

    // Refuses a record that another one of the same key (worker, product, operation price, day,
    // shift) and colour already holds (other than exceptId, when given).
    void refuseDuplicate(const WorkRecord& record, int exceptId);

private:
    // Whether the stored record still holds what original holds; locks it for the transaction.
    bool stillAsSeen(const WorkRecord& original);

    Database& m_db;
};
