// The client-side row filter of a dataset: one condition on one column, in the few forms the
// windows write ("fio like 'Пет%'", "fio like '%ров%'", "o_id=42", "marka='x'", "naimen=0").
#pragma once

#include <QString>
#include <QVariant>

class RowFilter {
public:
    // Reads the condition: a column name, then "like" and a quoted pattern (% any run of
    // characters, _ any one character, case not mattering), or "=" and a number or a quoted text
    // ('' in a quoted text stands for one quote). Throws DbError for any other form.
    explicit RowFilter(const QString& condition);

    // The column the condition is on, as written.
    QString field() const { return m_field; }
    // Whether a value of that column passes: a null one passes only a like pattern that takes an
    // empty text. "=" compares as numbers when both sides read as numbers, else as texts.
    bool accepts(const QVariant& value) const;

private:
    QString m_field;
    bool m_like = false;
    QString m_text; // the pattern (upper case) or the value compared with
    bool m_isNumber = false;
    double m_number = 0; // m_text as a number, when it reads as one
};
