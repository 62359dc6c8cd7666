// Running one statement with typed named parameters, the SQL trace and error texts.
#include "data/Sql.h"

#include <QRegularExpression>
#include <QSqlError>

namespace sqltrace {
namespace {
Hook hook;
}
void setHook(Hook h) {
    hook = std::move(h);
}
void record(const QString& sql) {
    if (hook)
        hook(sql);
}
} // namespace sqltrace

QString errorText(const QSqlError& e) {
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Ошибка базы данных");
    return text;
}

namespace {

// Calls found(start, end, name) for every :name placeholder of a statement, outside quoted
// literals and :: casts; start and end delimit the placeholder with its colon.
template <class Found> void forEachPlaceholder(const QString& sql, Found found) {
    bool inQuote = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c == u'\'') {
            inQuote = !inQuote;
            continue;
        }
        if (inQuote || c != u':')
            continue;
        if (i + 1 < sql.size() && sql[i + 1] == u':') {
            ++i; // a cast
            continue;
        }
        if (i > 0 && sql[i - 1] == u':')
            continue;
        qsizetype j = i + 1;
        while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
            ++j;
        if (j > i + 1)
            found(i, j, sql.mid(i + 1, j - i - 1));
        i = j - 1;
    }
}

QStringList placeholderNames(const QString& sql) {
    QStringList names;
    forEachPlaceholder(sql, [&](qsizetype, qsizetype, const QString& name) { names << name; });
    return names;
}

} // namespace

QString numberedPlaceholders(const QString& sql, QStringList* names) {
    QString out;
    qsizetype done = 0;
    forEachPlaceholder(sql, [&](qsizetype start, qsizetype end, const QString& name) {
        qsizetype n = names->indexOf(name);
        if (n < 0) {
            names->append(name);
            n = names->size() - 1;
        }
        out += QStringView(sql).mid(done, start - done);
        out += u'$' + QString::number(n + 1);
        done = end;
    });
    out += QStringView(sql).mid(done);
    return out;
}

QVariant paramValue(const Params& params, const QString& name) {
    auto it = params.constFind(name);
    if (it != params.constEnd())
        return it.value();
    // Parameter names are matched without regard to case, as the statements mix them.
    for (auto p = params.constBegin(); p != params.constEnd(); ++p)
        if (p.key().compare(name, Qt::CaseInsensitive) == 0)
            return p.value();
    throw DbError(QStringLiteral("Не задан параметр :%1").arg(name));
}

QSqlQuery runStatement(const QSqlDatabase& db, const QString& sql, const Params& params) {
    if (!db.isOpen()) {
        sqltrace::record(sql);
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    }
    QSqlQuery q(db);
    runStatement(q, sql, params, false);
    return q;
}

void runStatement(QSqlQuery& q, const QString& sql, const Params& params, bool prepared) {
    sqltrace::record(sql);
    // Not forward-only: rows are read by their number.
    q.setForwardOnly(false);
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    const QStringList names = placeholderNames(sql);
    if (names.isEmpty()) {
        if (!q.exec(sql))
            throw DbError(errorText(q.lastError()));
        return;
    }
    if (!prepared && !q.prepare(sql))
        throw DbError(errorText(q.lastError()));
    for (const QString& name : names)
        q.bindValue(u':' + name, paramValue(params, name));
    if (!q.exec())
        throw DbError(errorText(q.lastError()));
}
