// Writes of the nomenclature groups' reference book.
#include "records/NomenclatureGroupStore.h"

#include "data/Database.h"
#include "records/ReferenceChecks.h"
#include "records/Refusal.h"

void saveNomenclatureGroup(Database& db, const NomenclatureGroup& group) {
    const QString name = group.name.trimmed();
    const QString field = QStringLiteral("name");
    if (name.isEmpty())
        throw Refusal(QStringLiteral("Все поля должны быть заполнены!"), field);
    refuseIfTooLong(db, QStringLiteral("cmn_classifier.item"), QStringLiteral("s_caption"),
                    QStringLiteral("Наименование"), name, field);
    if (group.id == 0)
        db.execute(QStringLiteral("INSERT INTO cmn_classifier.item(s_caption) VALUES(") + db.quote(name) +
                   QStringLiteral(")"));
    else
        requireRowTouched(db.execute(QStringLiteral("UPDATE cmn_classifier.item SET s_caption=") +
                                         db.quote(name) + QStringLiteral(" where id=:id"),
                                     {{QStringLiteral("id"), group.id}}));
}
