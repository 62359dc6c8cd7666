#include "Sql.h"

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

// Names of the :name placeholders in a statement, outside quoted literals and :: casts.
QStringList placeholderNames(const QString& sql) {
    QStringList names;
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
            names << sql.mid(i + 1, j - i - 1);
        i = j - 1;
    }
    return names;
}

} // namespace

QSqlQuery runStatement(const QSqlDatabase& db, const QString& sql, const Params& params) {
    if (!db.isOpen()) {
        sqltrace::record(sql);
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    }
    QSqlQuery q(db);
    runStatement(q, sql, params, false);
    return q;
}

void runStatement(QSqlQuery& q, const QString& sql, const Params& params, bool prepared, bool rowByRow) {
    sqltrace::record(sql);
    // Not forward-only, QPSQL fetches the whole result at once; forward-only, row by row.
    q.setForwardOnly(rowByRow);
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    const QStringList names = placeholderNames(sql);
    if (names.isEmpty()) {
        if (!q.exec(sql))
            throw DbError(errorText(q.lastError()));
        return;
    }
    if (!prepared && !q.prepare(sql))
        throw DbError(errorText(q.lastError()));
    for (const QString& name : names) {
        auto it = params.constFind(name);
        if (it == params.constEnd()) {
            // Parameter names are matched without regard to case, as the statements mix them.
            bool found = false;
            for (auto p = params.constBegin(); p != params.constEnd(); ++p) {
                if (p.key().compare(name, Qt::CaseInsensitive) == 0) {
                    q.bindValue(u':' + name, p.value());
                    found = true;
                    break;
                }
            }
            if (!found)
                throw DbError(QStringLiteral("Не задан параметр :%1").arg(name));
        } else {
            q.bindValue(u':' + name, it.value());
        }
    }
    if (!q.exec())
        throw DbError(errorText(q.lastError()));
}
