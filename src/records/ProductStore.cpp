// Writes of the products' reference book.
#include "records/ProductStore.h"

#include "data/Database.h"
#include "data/Format.h"
#include "data/Transaction.h"
#include "records/ClosedMonths.h"
#include "records/RecordLimits.h"
#include "records/ReferenceChecks.h"
#include "records/Refusal.h"

#include <QRegularExpression>
#include <QSqlQuery>

QString rateForStatement(Database& db, const QString& typed, bool throughSeparatorFix) {
    double value = 0;
    const QString text = typed.trimmed();
    if (!parseNumber(text, &value))
        return QString();
    const QString plain = formatGeneral(value);
    if (!throughSeparatorFix)
        return plain;
    // The column is a number, so the fixed text is used only when it still reads as the same
    // plain number (separator "."). A comma would split the value list and an empty separator
    // would multiply the value.
    static const QRegularExpression sqlNumber(QStringLiteral("^[0-9]+(\\.[0-9]*)?$"));
    const QString fixed = db.separatorFix(text);
    return sqlNumber.match(fixed).hasMatch() && fixed.toDouble() == value ? fixed : plain;
}

void saveProduct(Database& db, const ProductEntry& product) {
    const QString mark = product.mark.trimmed();
    const bool adding = product.id == 0;
    if (mark.isEmpty() || product.rate.trimmed().isEmpty() || product.groupId == 0)
        throw Refusal(QStringLiteral("Все поля должны быть заполнены!"));
    const QString rate = rateForStatement(db, product.rate, !adding);
    if (rate.isEmpty())
        throw Refusal(QStringLiteral("Расценка должна быть числом, например 12.5"), QStringLiteral("rate"));
    // A pasted text can hold any number: a negative rate or one beyond what a sum can hold is
    // refused here, in words, rather than by the server.
    double rateValue = 0;
    parseNumber(product.rate.trimmed(), &rateValue);
    if (const QString problem = recordPriceProblem(rateValue, QStringLiteral("Расценка")); !problem.isEmpty())
        throw Refusal(problem, QStringLiteral("rate"));
    refuseIfTooLong(db, QStringLiteral("cmn_gds_and_srv.gds_and_srv"), QStringLiteral("s_caption"),
                    QStringLiteral("Марка"), mark, QStringLiteral("mark"));
    QString check = QStringLiteral("select count(*) as cnt from accounts_dep.izdel where upper(marka)=") +
                    db.quote(mark.toUpper());
    if (!adding)
        check += QStringLiteral("and id<>:id");
    refuseIfCounted(db, check, adding ? Params{} : Params{{QStringLiteral("id"), product.id}},
                    QStringLiteral("Такая марка изделия уже заведена!"));

    const Params group{{QStringLiteral("group"), product.groupId}};
    if (adding)
        db.execute(QStringLiteral("INSERT INTO cmn_gds_and_srv.gds_and_srv(s_caption, s_description, "
                                  "id_msm_bs, massa, id_class_item)VALUES(") +
                       db.quote(mark) + QStringLiteral(", '', 6, ") + rate + QStringLiteral(",:group)"),
                   group);
    else
        requireRowTouched(
            db.execute(QStringLiteral("UPDATE cmn_gds_and_srv.gds_and_srv SET s_caption=") + db.quote(mark) +
                           QStringLiteral(", s_description='', id_msm_bs=6, massa=") + rate +
                           QStringLiteral(", id_class_item=:group where id=:id"),
                       {{QStringLiteral("group"), product.groupId}, {QStringLiteral("id"), product.id}}));
}

void deleteProduct(Database& db, qint64 id, bool withPrices, bool withRecords) {
    const Params key{{QStringLiteral("id"), id}};
    Transaction transaction(db);
    if (withRecords) {
        // The product's records of a closed month stay, and so the product stays too: refused
        // before anything is deleted.
        std::vector<YearMonth> months;
        QSqlQuery q =
            runStatement(db.connection().database(),
                         QStringLiteral("select distinct cast(extract(year from data) as integer), "
                                        "cast(extract(month from data) as integer) from "
                                        "accounts_dep.smena s where s.i_id =:id and data is not null"),
                         key);
        while (q.next())
            months.push_back({q.value(0).toInt(), q.value(1).toInt()});
        refuseClosedMonths(transaction, db, std::move(months));
    }
    if (withPrices)
        db.execute(QStringLiteral("delete from accounts_dep.oper o where o.i_id =:id"), key);
    if (withRecords)
        db.execute(QStringLiteral("delete from accounts_dep.smena s where s.i_id =:id"), key);
    requireRowTouched(
        db.execute(QStringLiteral("delete from cmn_gds_and_srv.gds_and_srv  where id=:id"), key));
    transaction.commit();
}
