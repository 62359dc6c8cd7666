// The client-side row filter of a dataset: reading its condition and testing values.
#include "data/RowFilter.h"

#include "data/Format.h"
#include "data/Sql.h"

namespace {

// SQL LIKE on one value against an upper-case pattern: % any run of characters, _ any one
// character; case does not matter.
bool likeMatch(const QString& value, const QString& p) {
    const QString v = value.toUpper();
    // Classic two-pointer wildcard match with backtracking to the last %.
    qsizetype i = 0, j = 0, star = -1, mark = 0;
    while (i < v.size()) {
        if (j < p.size() && (p[j] == u'_' || p[j] == v[i])) {
            ++i;
            ++j;
        } else if (j < p.size() && p[j] == u'%') {
            star = j++;
            mark = i;
        } else if (star >= 0) {
            j = star + 1;
            i = ++mark;
        } else {
            return false;
        }
    }
    while (j < p.size() && p[j] == u'%')
        ++j;
    return j == p.size();
}

// Reads a quoted literal starting at pos (at the opening quote); '' stands for one quote.
bool readQuoted(const QString& s, qsizetype& pos, QString& out) {
    if (pos >= s.size() || s[pos] != u'\'')
        return false;
    out.clear();
    for (++pos; pos < s.size(); ++pos) {
        if (s[pos] == u'\'') {
            if (pos + 1 < s.size() && s[pos + 1] == u'\'') {
                out += u'\'';
                ++pos;
                continue;
            }
            ++pos;
            return true;
        }
        out += s[pos];
    }
    return false;
}

DbError badCondition(const QString& condition) {
    return DbError(QStringLiteral("Неверное условие фильтра: %1").arg(condition));
}

} // namespace

RowFilter::RowFilter(const QString& condition) {
    const QString s = condition.trimmed();
    qsizetype pos = 0;
    while (pos < s.size() && (s[pos].isLetterOrNumber() || s[pos] == u'_' || s[pos] == u'.'))
        ++pos;
    m_field = s.left(pos);
    while (pos < s.size() && s[pos].isSpace())
        ++pos;
    if (s.mid(pos, 4).compare(u"like", Qt::CaseInsensitive) == 0) {
        m_like = true;
        pos += 4;
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
    } else if (pos < s.size() && s[pos] == u'=') {
        ++pos;
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
    } else {
        throw badCondition(condition);
    }
    if (pos < s.size() && s[pos] == u'\'') {
        if (!readQuoted(s, pos, m_text))
            throw badCondition(condition);
        if (!s.mid(pos).trimmed().isEmpty())
            throw badCondition(condition);
    } else {
        if (m_like)
            throw badCondition(condition);
        m_text = s.mid(pos).trimmed();
    }
    if (m_field.isEmpty())
        throw badCondition(condition);
    if (m_like)
        m_text = m_text.toUpper();
    else
        m_isNumber = parseNumber(m_text, &m_number);
}

bool RowFilter::accepts(const QVariant& value) const {
    if (m_like)
        return likeMatch(value.isNull() ? QString() : value.toString(), m_text);
    if (value.isNull())
        return false;
    const QString text = value.toString();
    double a = 0;
    if (m_isNumber && parseNumber(text, &a))
        return a == m_number;
    return text == m_text;
}
