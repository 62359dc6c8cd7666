// One work record of the journal as the editor changes it: who, what, how many and when.
#pragma once

#include <QDate>
#include <QString>

class Dataset;

struct WorkRecord {
    int id = 0;
    QDate date;
    int shift = 1;
    int workerId = 0;
    QString workerName;
    int productId = 0;
    int operationPriceId = 0;
    QString operationText; // "mark; operation; kind"
    QString operationName; // the operation type alone
    double price = 0;      // the piece price stored with the record
    QString quantity;      // the counts as the journal shows them or the editor's boxes hold them
    QString rejects;
    QString hours;
    QString colour;

    // The current row of a journal query.
    static WorkRecord fromJournalRow(const Dataset& journal);
    // The stored columns alone (id, data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time,
    // color) of the current row of a query on the work records.
    static WorkRecord fromStoredRow(const Dataset& row);
    // Whether the stored columns (day, shift, worker, product, operation, price, counts, hours,
    // colour) are the same; names shown alongside are not compared.
    bool sameStoredValues(const WorkRecord& other) const;
};

// The amount a record earns: the good pieces (quantity less rejects) at its piece price.
double amountOf(const WorkRecord& record);

// Whether an operation text names a painting operation (such records carry a colour).
bool isPaintingOperation(const QString& text);

// Whether an acceptance mark (smena.ok) says the record is accepted: "ok" or "да".
bool isAcceptedMark(const QString& mark);
