// The change list as a spreadsheet.
#include "history/ChangeListSheet.h"

#include "data/Dataset.h"

#include <QDateTime>

void writeChangeListSheet(const Dataset& rows, const ChangeCellWriter& put) {
    const QStringList titles{QStringLiteral("Когда"),         QStringLiteral("Кто"),
                             QStringLiteral("Рабочее место"), QStringLiteral("Что"),
                             QStringLiteral("Где"),           QStringLiteral("Работник"),
                             QStringLiteral("Запись"),        QStringLiteral("Изменения")};
    const QStringList fields{QStringLiteral("at"),          QStringLiteral("user_name"),
                             QStringLiteral("workstation"), QStringLiteral("kind"),
                             QStringLiteral("place"),       QStringLiteral("fio"),
                             QStringLiteral("row_id"),      QStringLiteral("changes")};
    for (int c = 0; c < titles.size(); ++c)
        put(c + 1, 1, titles[c], true);
    for (int r = 0; r < rows.recordCount(); ++r) {
        for (int c = 0; c < fields.size(); ++c) {
            const QVariant v = rows.valueAt(r, fields[c]);
            QString text = v.toString();
            if (fields[c] == QLatin1String("at"))
                text = v.toDateTime().toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
            // The record's number goes in as a number; every other cell as text, so that nothing
            // typed by a user is read as a formula or a date.
            put(c + 1, r + 2, text, fields[c] != QLatin1String("row_id"));
        }
    }
}
