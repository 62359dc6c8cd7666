// The answer of a statement kept as the client library holds it.
#include "data/PgAnswer.h"

#include <charconv>
#include <libpq-fe.h>
#include <limits>

PgAnswer::PgAnswer(pg_result* result) : m_result(result) {
    m_reader.setResultColumns(m_result);
}

PgAnswer::~PgAnswer() {
    PQclear(m_result);
}

int PgAnswer::rowCount() const {
    return m_result ? PQntuples(m_result) : 0;
}

qint64 PgAnswer::sortNumber(int row, int column) const {
    if (PQgetisnull(m_result, row, column))
        return std::numeric_limits<qint64>::max();
    const char* text = PQgetvalue(m_result, row, column);
    qint64 n = 0;
    std::from_chars(text, text + PQgetlength(m_result, row, column), n);
    return n;
}
