// The reports' statements as first written and the comparison of their rows with the statements in use.
#include "ReportSameness.h"

#include "data/Sql.h"
#include "reports/ReportQuery.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>

namespace reportsameness {

namespace {

QString workersSql() {
    return QStringList{
        QStringLiteral("select person.s_caption fio, sum(smena.kol_vo-smena.brak)::numeric(10,2) as "
                       "kolvo,vid_oper.vid, "),
        QStringLiteral(
            "sum((kol_vo-brak)*smena.cena)::numeric(10,2) as summa,izdel.nom, oper.naimen, color,"),
        QStringLiteral(
            "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum7 from accounts_dep.fatigue f where "
            "f.d_date<:data4 and f.d_date>=:data3 and f.id_p=smena.w_id and f.id_nom=izdel.id_nom and "
            "f.id_o=7777),"),
        QStringLiteral(
            "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum8 from accounts_dep.fatigue f where "
            "f.d_date<:data6 and f.d_date>=:data5 and f.id_p=smena.w_id and f.id_nom=izdel.id_nom and "
            "f.id_o=7778),"),
        QStringLiteral(
            "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum78 from accounts_dep.fatigue f "
            "where f.d_date<:data8 and f.d_date>=:data7 and f.id_p=smena.w_id),"),
        QStringLiteral(
            "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum7_all from accounts_dep.fatigue f "
            "where f.d_date<:data10 and f.d_date>=:data9 and f.id_o=7777),"),
        QStringLiteral(
            "(select coalesce(sum(f.cnt*f.price),0)::numeric(10,2) f_sum8_all from accounts_dep.fatigue f "
            "where f.d_date<:data12 and f.d_date>=:data11 and f.id_o=7778)"),
        QStringLiteral(
            "from cmn_contractor.person person,accounts_dep.smena,accounts_dep.izdel,accounts_dep.vid_oper,"),
        QStringLiteral(
            "accounts_dep.oper where w_id=s_code::integer and izdel.id=smena.i_id and vid_oper.id=oper.vid"),
        QStringLiteral("and oper.id=smena.o_id and smena.data<:data2 and smena.data>=:data1"),
        QStringLiteral("group by fio, izdel.nom, vid_oper.vid, smena.w_id, izdel.id_nom, oper.naimen, color"),
        QStringLiteral("order by fio, izdel.nom")}
        .join(u'\n');
}

QString productsSql() {
    return QStringList{
        QStringLiteral("select sum(smena.kol_vo-smena.brak)::numeric as kolvo, vid_oper.vid,"),
        QStringLiteral("izdel.nom, izdel.marka, oper.naimen, color,  "
                       "round((izdel.massa*sum(smena.kol_vo-smena.brak))::numeric,2) as mass"),
        QStringLiteral(
            "from accounts_dep.smena,accounts_dep.izdel,accounts_dep.vid_oper, accounts_dep.oper where "
            "izdel.id=smena.i_id and vid_oper.id=oper.vid"),
        QStringLiteral("and oper.id=smena.o_id and smena.data<:data2 and smena.data>=:data1 "),
        QStringLiteral(
            "group by izdel.nom, izdel.marka, color, oper.naimen, vid_oper.vid, izdel.massa order by "
            "izdel.nom, izdel.marka, vid_oper.vid, color")}
        .join(u'\n');
}

// One of the eight maintenance-work and average piece-rate subqueries of the statement.
QString fatigueLine(const QString& what, const QString& name, int upper, int type, int night, bool last) {
    return QStringLiteral("(select coalesce(sum(%1),0)::numeric(10,2) %2 from accounts_dep.fatigue f where "
                          "f.d_date<:data%3 and f.d_date>=:data%4 and f.id_p=smena.w_id and f.id_o=%5 and "
                          "f.i_night=%6)%7")
        .arg(what, name)
        .arg(upper)
        .arg(upper - 1)
        .arg(type)
        .arg(night)
        .arg(last ? QString() : QStringLiteral(","));
}

QString workersDetailSql() {
    const QString amount = QStringLiteral("f.cnt*f.price");
    const QString hours = QStringLiteral("f.cnt");
    return QStringList{
        QStringLiteral(
            "select s_caption fio, izdel.marka, vid_oper.vid, oper.naimen, sum(time) as sum_time,"),
        QStringLiteral("sum(smena.kol_vo)::numeric as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*"),
        QStringLiteral("smena.cena) as summa, color, sum(prize*(kol_vo-brak)*smena.cena/100) as s_prize,"),
        fatigueLine(amount, QStringLiteral("f_sum7"), 2, 7777, 0, false),
        fatigueLine(amount, QStringLiteral("f_sum7_n"), 4, 7777, 1, false),
        fatigueLine(amount, QStringLiteral("f_sum8"), 6, 7778, 0, false),
        fatigueLine(amount, QStringLiteral("f_sum8_n"), 8, 7778, 1, false),
        fatigueLine(hours, QStringLiteral("f_sum7h"), 12, 7777, 0, false),
        fatigueLine(hours, QStringLiteral("f_sum7h_n"), 14, 7777, 1, false),
        fatigueLine(hours, QStringLiteral("f_sum8h"), 16, 7778, 0, false),
        fatigueLine(hours, QStringLiteral("f_sum8h_n"), 18, 7778, 1, true),
        QStringLiteral(
            "from cmn_contractor.person person,accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,"
            "accounts_dep.vid_oper "),
        QStringLiteral("where smena.o_id=oper.id and smena.w_id=s_code::integer and smena.i_id=izdel.id "),
        QStringLiteral("and smena.o_id=oper.id and w_id=s_code::integer and oper.vid=vid_oper.id "),
        QStringLiteral("and smena.data<:data10 and smena.data>=:data9 "),
        QStringLiteral("group by fio, marka,vid_oper.vid, oper.naimen, color, w_id "),
        QStringLiteral("order by fio, marka, vid_oper.vid, oper.naimen")}
        .join(u'\n');
}

QString productsDetailSql() {
    return QStringList{
        QStringLiteral("select izdel.marka, vid_oper.vid vid, oper.naimen, izdel.nom,"),
        QStringLiteral("sum(smena.kol_vo)::numeric as kolvo, sum(smena.brak) as brk, "),
        QStringLiteral("sum((kol_vo-brak)*smena.cena) as summa, color, "
                       "round((izdel.massa*sum(smena.kol_vo))::numeric,2) "
                       "as mass "),
        QStringLiteral(
            "from accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper where "
            "smena.o_id=oper.id and smena.i_id=izdel.id "),
        QStringLiteral("and smena.o_id=oper.id and oper.vid=vid_oper.id and smena.data<:data2 and "),
        QStringLiteral(
            "smena.data>=:data1 group by izdel.nom, marka, vid_oper.vid, oper.naimen, color,massa "),
        QStringLiteral("order by izdel.nom,marka, vid_oper.vid, oper.naimen")}
        .join(u'\n');
}

// The four shifts' journals as first written: one statement a shift, the worker found by a test
// of both ways for every record.
QString journalSql(int shift) {
    const QString kKind =
        QStringLiteral("(SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END))");
    const QString n = QString::number(shift);
    if (shift == 1) {
        return QStringList{
            QStringLiteral("select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, "),
            QStringLiteral("smena.cena,person.s_caption fio, izdel.marka, vid_oper.vid, ") + kKind +
                QStringLiteral(" as nmn, oper.naimen,  smena.brak, smena.kol_vo::numeric,"),
            QStringLiteral("round((kol_vo-brak)*smena.cena::numeric, 2) as summa, smena.prize, color,time, "
                           "smena.ok, vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, "
                           "smena.id_gds_use, smena.id_cons_use"),
            QStringLiteral("from cmn_contractor.person person, "
                           "accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper "),
            QStringLiteral("where smena.i_id=izdel.id and smena.o_id=oper.id and (w_id=person.id or "
                           "s_code::t_id=w_id) and "),
            QStringLiteral(
                "oper.vid=vid_oper.id and smena.smena=1 and smena.data=:data and ok!=:ok order by "),
            QStringLiteral("fio, izdel.marka, vid_oper.vid, oper.naimen, color")}
            .join(u'\n');
    }
    QString line2, line3, line4;
    switch (shift) {
    case 2:
        line2 = QStringLiteral("smena.cena, s_caption fio, izdel.marka, vid_oper.vid, ") + kKind +
                QStringLiteral(" as nmn, oper.naimen, smena.kol_vo::numeric, smena.brak, ");
        break;
    case 3:
        line2 = QStringLiteral("smena.cena,s_caption fio, izdel.marka, vid_oper.vid, ") + kKind +
                QStringLiteral(" as nmn,  oper.naimen, smena.kol_vo::numeric, smena.brak, ");
        break;
    default:
        line2 = QStringLiteral("smena.cena,person.s_caption fio, izdel.marka, vid_oper.vid, ") + kKind +
                QStringLiteral(" as nmn,  oper.naimen, smena.kol_vo::numeric, smena.brak, ");
        break;
    }
    const QString tail3 =
        QStringLiteral("smena.ok,vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, "
                       "smena.id_gds_use, smena.id_cons_use");
    if (shift == 4)
        line3 =
            QStringLiteral("round((kol_vo-brak)*smena.cena::numeric, 2) as summa, smena.prize, smena.id , "
                           "color,time,") +
            tail3 + u' ';
    else
        line3 = QStringLiteral("round((kol_vo-brak)*smena.cena::numeric, 2) as summa, smena.prize, smena.id, "
                               "color,time,") +
                tail3 + (shift == 2 ? QStringLiteral("  ") : QString());
    if (shift == 4)
        line4 = QStringLiteral("from cmn_contractor.person person, accounts_dep.izdel, "
                               "accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper ");
    else
        line4 = QStringLiteral("from cmn_contractor.person person,accounts_dep.izdel,accounts_dep.oper,"
                               "accounts_dep.smena,accounts_dep.vid_oper ");
    return QStringList{
        QStringLiteral("select smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, "),
        line2,
        line3,
        line4,
        QStringLiteral(
            "where smena.i_id=izdel.id and smena.o_id=oper.id and (w_id=person.id or s_code::t_id=w_id) "
            "and "),
        QStringLiteral("oper.vid=vid_oper.id and smena.smena=") + n +
            QStringLiteral(" and smena.data=:data and ok<>:ok order by fio")}
        .join(u'\n');
}

QString key(const QVariant& v) {
    return v.isNull() ? QStringLiteral("<null>") : v.toString();
}

QString rowText(const Rows& rows, int i) {
    QStringList cells;
    for (int c = 0; c < rows.names.size(); ++c)
        cells << rows.names[c] + "=" + key(rows.rows[i][c]);
    return cells.join(QStringLiteral(", "));
}

// The statement with its period parameters written as date literals (for views, which take none).
QString withDates(const QString& sql, const QDate& from, const QDate& to) {
    static const QRegularExpression param(QStringLiteral(":data(\\d+)"));
    QString out;
    qsizetype at = 0;
    for (auto it = param.globalMatch(sql); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += sql.mid(at, m.capturedStart() - at);
        const QDate d = m.captured(1).toInt() % 2 == 1 ? from : to;
        out += QStringLiteral("'%1'").arg(d.toString(Qt::ISODate));
        at = m.capturedEnd();
    }
    return out + sql.mid(at);
}

QStringList columnsWithTypes(QSqlDatabase db, const QString& view) {
    QSqlQuery q(db);
    q.exec(QStringLiteral("select attname, format_type(atttypid, atttypmod) from pg_attribute "
                          "where attrelid = '%1'::regclass and attnum > 0 order by attnum")
               .arg(view));
    QStringList out;
    while (q.next())
        out << q.value(0).toString() + " " + q.value(1).toString();
    return out;
}

void run(QSqlDatabase db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw DbError(errorText(q.lastError()));
}

} // namespace

const Reference& reference(SummaryReport report) {
    static const Reference workers{workersSql(), 12, {"fio", "nom"}, {}, {"summa"}};
    static const Reference products{productsSql(), 2, {"nom", "marka", "vid", "color"}, {}, {}};
    static const Reference workersDetail{
        workersDetailSql(), 18, {"fio", "marka", "vid", "naimen"}, {"summa", "s_prize"}, {}};
    static const Reference productsDetail{
        productsDetailSql(), 2, {"nom", "marka", "vid", "naimen"}, {"summa"}, {}};
    switch (report) {
    case SummaryReport::Workers:
        return workers;
    case SummaryReport::Products:
        return products;
    case SummaryReport::WorkersDetail:
        return workersDetail;
    case SummaryReport::ProductsDetail:
        return productsDetail;
    }
    return workers;
}

const Reference& journalReference(int shift) {
    static const Reference first{journalSql(1), 0, {"fio", "marka", "vid", "naimen", "color"}, {}, {}};
    static const Reference second{journalSql(2), 0, {"fio"}, {}, {}};
    static const Reference third{journalSql(3), 0, {"fio"}, {}, {}};
    static const Reference overtime{journalSql(4), 0, {"fio"}, {}, {}};
    switch (shift) {
    case 1:
        return first;
    case 2:
        return second;
    case 3:
        return third;
    default:
        return overtime;
    }
}

Rows datasetRows(const Dataset& dataset) {
    Rows out;
    out.names = dataset.fieldNames();
    out.rows.reserve(dataset.recordCount());
    for (int r = 0; r < dataset.recordCount(); ++r) {
        QVector<QVariant> row;
        row.reserve(out.names.size());
        for (int c = 0; c < out.names.size(); ++c)
            row << dataset.valueAt(r, c);
        out.rows << row;
    }
    return out;
}

QString withJournalParams(const QString& sql, const QDate& day, const QString& ok) {
    QString out = sql;
    out.replace(QStringLiteral(":data"), QStringLiteral("'%1'").arg(day.toString(Qt::ISODate)));
    out.replace(QStringLiteral(":ok"), QStringLiteral("'%1'").arg(ok));
    return out;
}

Rows readRows(const QString& connection, const QString& sql, const QDate& from, const QDate& to,
              int periodParams) {
    ReportQuery query(connection);
    query.setSql(sql);
    query.setPeriod(from, to, periodParams);
    query.openStreaming();
    while (query.fetchMore(4096)) {
    }
    Rows out;
    out.names = query.fieldNames();
    out.rows.reserve(query.recordCount());
    for (int r = 0; r < query.recordCount(); ++r) {
        QVector<QVariant> row;
        row.reserve(out.names.size());
        for (const QString& name : out.names)
            row << query.valueAt(r, name);
        out.rows << row;
    }
    return out;
}

QString compareRows(const Rows& reference, const Rows& rewritten, const Reference& how) {
    if (reference.names != rewritten.names)
        return QStringLiteral("columns differ: %1 / %2")
            .arg(reference.names.join(u','), rewritten.names.join(u','));
    if (reference.rows.size() != rewritten.rows.size())
        return QStringLiteral("%1 rows / %2 rows").arg(reference.rows.size()).arg(rewritten.rows.size());
    QVector<int> orderColumns, exactColumns, floatColumns, centColumns;
    for (const QString& name : how.orderKeys)
        orderColumns << int(reference.names.indexOf(name));
    for (int c = 0; c < reference.names.size(); ++c) {
        if (how.floatColumns.contains(reference.names[c]))
            floatColumns << c;
        else if (how.centColumns.contains(reference.names[c]))
            centColumns << c;
        else
            exactColumns << c;
    }
    const int n = int(reference.rows.size());
    for (int i = 0; i < n; ++i)
        for (int c : orderColumns)
            if (key(reference.rows[i][c]) != key(rewritten.rows[i][c]))
                return QStringLiteral("row %1 out of order: %2 / %3")
                    .arg(i + 1)
                    .arg(rowText(reference, i), rowText(rewritten, i));
    // The same rows as a multiset: both sorted on their exact columns, then compared pairwise.
    auto sortedIndexes = [&](const Rows& rows) {
        QVector<QStringList> keys(n);
        for (int i = 0; i < n; ++i)
            for (int c : exactColumns)
                keys[i] << key(rows.rows[i][c]);
        QVector<int> order(n);
        for (int i = 0; i < n; ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
        return order;
    };
    const QVector<int> a = sortedIndexes(reference), b = sortedIndexes(rewritten);
    for (int k = 0; k < n; ++k) {
        const auto& x = reference.rows[a[k]];
        const auto& y = rewritten.rows[b[k]];
        auto differ = [&](const QString& why) {
            return QStringLiteral("%1: %2 / %3").arg(why, rowText(reference, a[k]), rowText(rewritten, b[k]));
        };
        for (int c : exactColumns)
            if (key(x[c]) != key(y[c]))
                return differ(QStringLiteral("a row differs in ") + reference.names[c]);
        for (int c : floatColumns + centColumns) {
            if (x[c].isNull() != y[c].isNull())
                return differ(QStringLiteral("a row differs in ") + reference.names[c]);
            if (x[c].isNull())
                continue;
            const double u = x[c].toDouble(), v = y[c].toDouble();
            const double tolerance =
                centColumns.contains(c) ? 0.0100001 : 1e-9 * std::max(std::fabs(u), std::fabs(v));
            if (std::fabs(u - v) > tolerance)
                return differ(QStringLiteral("a row differs in ") + reference.names[c]);
        }
    }
    return {};
}

QString compareOnServer(QSqlDatabase db, const QString& referenceSql, const QString& rewrittenSql,
                        const Reference& how, const QDate& from, const QDate& to) {
    run(db, QStringLiteral("create or replace temp view sameness_reference as ") +
                withDates(referenceSql, from, to));
    run(db, QStringLiteral("create or replace temp view sameness_rewritten as ") +
                withDates(rewrittenSql, from, to));
    const QStringList a = columnsWithTypes(db, QStringLiteral("sameness_reference"));
    const QStringList b = columnsWithTypes(db, QStringLiteral("sameness_rewritten"));
    QString difference;
    if (a != b)
        difference = QStringLiteral("columns or types differ: %1 / %2").arg(a.join(u','), b.join(u','));
    if (difference.isEmpty()) {
        QStringList exact;
        for (const QString& column : a) {
            const QString name = column.section(u' ', 0, 0);
            if (!how.floatColumns.contains(name))
                exact << name;
        }
        const QString list = exact.join(u',');
        for (const auto& [left, right] : {std::pair{"sameness_reference", "sameness_rewritten"},
                                          std::pair{"sameness_rewritten", "sameness_reference"}}) {
            QSqlQuery q(db);
            if (!q.exec(
                    QStringLiteral("select count(*) from (select %1 from %2 except all select %1 from %3) d")
                        .arg(list, QLatin1String(left), QLatin1String(right))) ||
                !q.next())
                throw DbError(errorText(q.lastError()));
            if (q.value(0).toLongLong() != 0) {
                difference = QStringLiteral("%1 rows of %2 are not in %3")
                                 .arg(q.value(0).toLongLong())
                                 .arg(QLatin1String(left), QLatin1String(right));
                break;
            }
        }
    }
    run(db, QStringLiteral("drop view sameness_reference, sameness_rewritten"));
    return difference;
}

} // namespace reportsameness
