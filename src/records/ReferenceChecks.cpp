// The checks the reference books' store functions share.
#include "records/ReferenceChecks.h"

#include "data/Database.h"
#include "records/Refusal.h"

void refuseIfTooLong(Database& db, const QString& table, const QString& column, const QString& caption,
                     const QString& text, const QString& field) {
    const qsizetype dot = table.indexOf(u'.');
    const int limit =
        db.readValue(QStringLiteral("select character_maximum_length from information_schema.columns "
                                    "where table_schema=:schema and table_name=:name and "
                                    "column_name=:column"),
                     {{QStringLiteral("schema"), table.left(dot)},
                      {QStringLiteral("name"), table.mid(dot + 1)},
                      {QStringLiteral("column"), column}})
            .toInt();
    if (limit > 0 && text.trimmed().size() > limit)
        throw Refusal(
            QStringLiteral("Поле «%1» длиннее допустимого: не больше %2 символов.").arg(caption).arg(limit),
            field);
}

void refuseIfCounted(Database& db, const QString& countSql, const Params& values, const QString& message,
                     const QString& field) {
    if (db.countCheck(countSql, values))
        throw Refusal(message, field);
}

void refuseIfInUse(Database& db, const QString& countSql, qint64 id, const QString& message) {
    const qint64 records = db.readValue(countSql, {{QStringLiteral("id"), id}}).toLongLong();
    if (records != 0)
        throw Refusal(message.arg(records));
}

void requireRowTouched(int rowsTouched) {
    if (rowsTouched == 0)
        throw StaleRowError();
}
