// The whole answer of a statement as the PostgreSQL client library holds it, its cells turned
// into values only when they are asked for.
#pragma once

#include "data/PgRowReader.h"

#include <QStringList>
#include <QVariant>
#include <QVector>

struct pg_result;

// A journal day is about 1,300 rows of 28 columns, of which a grid shows a screenful: turning
// every cell into a value took longer than the server took to answer. The answer is kept as it
// came instead, and a row is read when it is shown. Owns the result and frees it.
class PgAnswer {
public:
    explicit PgAnswer(pg_result* result);
    ~PgAnswer();
    PgAnswer(const PgAnswer&) = delete;
    PgAnswer& operator=(const PgAnswer&) = delete;

    int rowCount() const;
    // The columns, named and typed as the Qt driver names and types them.
    QStringList names() const { return m_reader.names(); }
    QVector<QMetaType> types() const { return m_reader.types(); }
    // A cell as the driver would give it (a null of the column's type for an empty cell).
    QVariant value(int row, int column) const { return m_reader.value(m_result, row, column); }
    // A cell of a whole-number column read for sorting: an empty cell sorts after every number.
    qint64 sortNumber(int row, int column) const;

private:
    pg_result* m_result;
    PgRowReader m_reader;
};
