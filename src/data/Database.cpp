// The database: the one connection, the shared queries and their statement texts.
#include "data/Database.h"

#include "data/PgAnswer.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace {

const QString kKind =
    QStringLiteral("(SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END))");

// The sum of the 31 day columns in four lines: d1..d10, d11..d20, d21..d30, d31.
QStringList dayLines() {
    QStringList lines;
    for (int start = 1; start <= 31; start += 10) {
        QStringList terms;
        for (int d = start; d <= std::min(start + 9, 31); ++d)
            terms << QStringLiteral("coalesce(d%1,0)").arg(d);
        lines << terms.join(u'+') + (start + 9 < 31 ? QStringLiteral("+") : QString());
    }
    return lines;
}

// Wraps the day sum in the given head and tail: head opens the first line, tail closes the last.
QStringList wrapDays(const QString& head, const QString& tail) {
    QStringList lines = dayLines();
    lines.first().prepend(head);
    lines.last().append(tail);
    return lines;
}

} // namespace

namespace {

// The columns of the journal: what each shows, as the statement below names its tables.
struct JournalColumn {
    const char* name;
    QString expression;
};

const QList<JournalColumn>& journalColumns() {
    static const QList<JournalColumn> columns{
        {"id", QStringLiteral("day.id")},
        {"data", QStringLiteral("day.data")},
        {"smena", QStringLiteral("day.smena")},
        {"i_id", QStringLiteral("day.i_id")},
        {"o_id", QStringLiteral("day.o_id")},
        {"w_id", QStringLiteral("day.w_id")},
        {"cena", QStringLiteral("day.cena")},
        {"fio", QStringLiteral("named.s_caption fio")},
        {"marka", QStringLiteral("product.marka")},
        {"vid", QStringLiteral("kind.vid")},
        {"nmn", kKind + QStringLiteral(" as nmn")},
        {"naimen", QStringLiteral("kind.naimen")},
        {"brak", QStringLiteral("day.brak")},
        {"kol_vo", QStringLiteral("day.kol_vo::numeric")},
        {"summa", QStringLiteral("round((day.kol_vo-day.brak)*day.cena::numeric, 2) as summa")},
        {"prize", QStringLiteral("day.prize")},
        {"color", QStringLiteral("day.color")},
        {"time", QStringLiteral("day.time")},
        {"ok", QStringLiteral("day.ok")},
        {"vvod", QStringLiteral("day.vvod")},
        {"id_doc", QStringLiteral("day.id_doc")},
        {"id_doc_item", QStringLiteral("day.id_doc_item")},
        {"f_gds_qty_use", QStringLiteral("day.f_gds_qty_use")},
        {"id_gds_use", QStringLiteral("day.id_gds_use")},
        {"id_cons_use", QStringLiteral("day.id_cons_use")}};
    return columns;
}

QString columnExpression(const QString& name) {
    for (const JournalColumn& c : journalColumns())
        if (name == QLatin1String(c.name))
            return c.expression;
    return {};
}

// The day's work records of the given shifts with the names of worker, product, operation type
// and kind, in the given columns (and the given extra ones) and order.
//
// The day's records are read once. A worker's name is found as "w_id = person.id or s_code read
// as an identifier = w_id": every person row that matches either way names the record, once (two
// person rows of one code give the record twice). The day's workers are looked up both ways, as
// two joins the server answers from hash tables or indexes, instead of a test of both ways for
// every record; the second way leaves out the person rows the first finds already. The products
// and operation prices are looked up once for each one the day has, too. Names, marks and
// operation types are ranked in their sort order once each, so that the records are sorted by
// numbers instead of by texts (the ranks keep the texts' order, ties and empty values included).
QString journalStatement(const QStringList& columns, const QString& extra, const QString& shifts,
                         const QString& order) {
    QStringList select;
    for (const QString& name : columns)
        select << columnExpression(name);
    if (!extra.isEmpty())
        select << extra;
    QStringList lines{
        QStringLiteral("with day as materialized ("),
        QStringLiteral("  select s.* from accounts_dep.smena s where s.data=:data and ") + shifts +
            QStringLiteral(" and s.ok<>:ok),"),
        QStringLiteral("worker as materialized (select distinct w_id from day),"),
        QStringLiteral("named as ("),
        QStringLiteral(
            "  select n.w_id, n.s_caption, dense_rank() over (order by n.s_caption) as fio_rank from ("),
        QStringLiteral(
            "    select w.w_id, p.s_caption from worker w join cmn_contractor.person p on p.id=w.w_id"),
        QStringLiteral("    union all"),
        QStringLiteral("    select w.w_id, p.s_caption from worker w join cmn_contractor.person p "
                       "on p.s_code::t_id=w.w_id where p.id<>w.w_id) n),"),
        QStringLiteral("product as ("),
        QStringLiteral(
            "  select d.i_id, izdel.marka, dense_rank() over (order by izdel.marka) as marka_rank"),
        QStringLiteral(
            "  from (select distinct i_id from day) d join accounts_dep.izdel on izdel.id=d.i_id),"),
        QStringLiteral("kind as ("),
        QStringLiteral(
            "  select d.o_id, oper.naimen, vid_oper.vid, dense_rank() over (order by vid_oper.vid) "
            "as vid_rank"),
        QStringLiteral("  from (select distinct o_id from day) d join accounts_dep.oper on oper.id=d.o_id"),
        QStringLiteral("  join accounts_dep.vid_oper on vid_oper.id=oper.vid)"),
        QStringLiteral("select ") + select.join(QStringLiteral(", ")),
        QStringLiteral("from day join named on named.w_id=day.w_id"),
        QStringLiteral("join product on product.i_id=day.i_id"),
        QStringLiteral("join kind on kind.o_id=day.o_id")};
    if (!order.isEmpty())
        lines << QStringLiteral("order by ") + order;
    return lines.join(u'\n');
}

// The first shift is sorted by name, product, operation type, kind and colour; the others by name.
// Records that tie keep the order of their keys, so that a journal read again shows them as before.
QString journalOrder(int shift) {
    return shift == 1
               ? QStringLiteral(
                     "named.fio_rank, product.marka_rank, kind.vid_rank, kind.naimen, day.color, day.id")
               : QStringLiteral("named.fio_rank, day.id");
}

// The sort keys the day's statement gives with each record, after the first shift's columns.
const QStringList kDayRanks{QStringLiteral("fio_rank"), QStringLiteral("marka_rank"),
                            QStringLiteral("vid_rank")};

// A record's place in its shift's journal: the order journalOrder() gives, read from the day's row.
struct JournalPlace {
    int row;
    qint64 keys[6];
    bool operator<(const JournalPlace& o) const {
        return std::lexicographical_compare(std::begin(keys), std::end(keys), std::begin(o.keys),
                                            std::end(o.keys));
    }
};

} // namespace

QStringList Database::journalColumnNames(int shift) {
    if (shift == 1) {
        QStringList names;
        for (const JournalColumn& c : journalColumns())
            names << QLatin1String(c.name);
        return names;
    }
    return {QStringLiteral("data"),        QStringLiteral("smena"),         QStringLiteral("i_id"),
            QStringLiteral("o_id"),        QStringLiteral("w_id"),          QStringLiteral("cena"),
            QStringLiteral("fio"),         QStringLiteral("marka"),         QStringLiteral("vid"),
            QStringLiteral("nmn"),         QStringLiteral("naimen"),        QStringLiteral("kol_vo"),
            QStringLiteral("brak"),        QStringLiteral("summa"),         QStringLiteral("prize"),
            QStringLiteral("id"),          QStringLiteral("color"),         QStringLiteral("time"),
            QStringLiteral("ok"),          QStringLiteral("vvod"),          QStringLiteral("id_doc"),
            QStringLiteral("id_doc_item"), QStringLiteral("f_gds_qty_use"), QStringLiteral("id_gds_use"),
            QStringLiteral("id_cons_use")};
}

QString Database::journalSql(int shift) {
    return journalStatement(journalColumnNames(shift), QString(),
                            QStringLiteral("s.smena=") + QString::number(shift), journalOrder(shift));
}

QString Database::journalDaySql() {
    return journalStatement(journalColumnNames(1),
                            QStringLiteral("named.fio_rank, product.marka_rank, kind.vid_rank"),
                            QStringLiteral("s.smena between 1 and 4"), QString());
}

QString Database::hoursSheetSql(int shift) {
    QStringList lines;
    lines << QStringLiteral("select person.s_caption fio, ");
    lines << wrapDays(QStringLiteral("("), QStringLiteral(") as summ, "));
    lines << wrapDays(QStringLiteral("case when ("), QStringLiteral(")=0 then 0 else"));
    lines << wrapDays(QStringLiteral("(sum(s.cena*(kol_vo-brak))/("),
                      QStringLiteral(")) end ::numeric(10,2) as average_price, "
                                     "sum(s.cena*(kol_vo-brak))::numeric(10,2) as cena_all,"));
    lines << QStringLiteral("h_tabel.*");
    lines << QStringLiteral("from accounts_dep.h_tabel, cmn_contractor.person, accounts_dep.smena s where ");
    lines << QStringLiteral("h_tabel.w_id=person.s_code::integer and h_tabel.smena=") +
                 QString::number(shift) + QStringLiteral(" and month=:mnth and s.w_id = h_tabel.w_id and");
    lines << QStringLiteral("h_tabel.year=:yea and s.data >=:date1 and s.data <:date2");
    lines << QStringLiteral("group by person.s_caption,h_tabel.w_id,h_tabel.month,h_tabel.year,h_tabel.smena,"
                            "h_tabel.id ");
    lines << QStringLiteral("order by fio");
    lines << QString();
    if (shift == 2)
        lines << QString() << QString();
    return lines.join(u'\n');
}

QString Database::operationPricesSql() {
    return QStringList{
        QStringLiteral("select izdel.MARKA, vid_oper.VID, oper.NAIMEN, ") + kKind +
            QStringLiteral(" as nmn,"),
        QStringLiteral("count(o_id) norma, min(price)::numeric cena,"),
        QStringLiteral(
            "oper.id, oper.i_id, oper.VID as oper_vid from accounts_dep.norm,accounts_dep.OPER,"
            "accounts_dep.IZDEL,accounts_dep.VID_OPER where OPER.i_id=IZDEL.id and norm.o_id=oper.id"),
        QStringLiteral("and oper.vid=vid_oper.id group by izdel.MARKA, vid_oper.VID, oper.NAIMEN, oper.id, "
                       "oper.i_id, oper.VID order by izdel.marka, vid_oper.vid, oper.naimen")}
        .join(u'\n');
}

QString Database::workersSql() {
    return QStringLiteral("select * from accounts_dep.person order by fio");
}

QString Database::productsSql() {
    return QStringLiteral("select *  from accounts_dep.IZDEL order by marka");
}

QString Database::operationTypesSql() {
    return QStringLiteral("select * from accounts_dep.VID_OPER order by vid");
}

Database::Database(QObject* parent, const QString& connectionName)
    : QObject(parent), m_connection(connectionName) {
    setObjectName(QStringLiteral("Database"));
}

void Database::openJournals(std::span<Dataset, 4> journals) {
    // A day that cannot be read leaves no journal showing the day before.
    for (Dataset& journal : journals)
        journal.close();
    const QSqlDatabase session = QSqlDatabase::database(m_connection.name(), false);
    if (!PgStatement::canSend(session))
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    const std::shared_ptr<const PgAnswer> day =
        m_journalDay.runPrepared(session, journalDaySql(),
                                 {{QStringLiteral("data"), journals[0].param(QStringLiteral("data"))},
                                  {QStringLiteral("ok"), journals[0].param(QStringLiteral("ok"))}});
    const QStringList dayNames = day->names();
    const QVector<QMetaType> dayTypes = day->types();
    auto column = [&](const QString& name) { return int(dayNames.indexOf(name)); };
    const int shiftColumn = column(QStringLiteral("smena"));
    // The sort keys of journalOrder(): the ranks, the kind and the colour (empty ones last), the key.
    const int keyColumns[6] = {column(kDayRanks[0]),
                               column(kDayRanks[1]),
                               column(kDayRanks[2]),
                               column(QStringLiteral("naimen")),
                               column(QStringLiteral("color")),
                               column(QStringLiteral("id"))};
    // Only the shift and the sort keys are read now; the rest of a record is read from the answer
    // when the journal shows it.
    std::array<std::vector<JournalPlace>, 4> places;
    for (int r = 0; r < day->rowCount(); ++r) {
        const qint64 s = day->sortNumber(r, shiftColumn) - 1;
        if (s < 0 || s > 3)
            continue;
        JournalPlace place{r, {}};
        for (int k = 0; k < 6; ++k) {
            // The other shifts are sorted by the name and the key alone.
            const bool used = s == 0 || k == 0 || k == 5;
            place.keys[k] = used ? day->sortNumber(r, keyColumns[k]) : 0;
        }
        places[s].push_back(place);
    }
    for (int s = 0; s < 4; ++s) {
        std::sort(places[s].begin(), places[s].end());
        // The shift's columns in its own order, as columns of the day's answer.
        const QStringList names = journalColumnNames(s + 1);
        QVector<int> columns;
        QVector<QMetaType> types;
        for (const QString& name : names) {
            columns << column(name);
            types << dayTypes[columns.back()];
        }
        QVector<int> rows;
        rows.reserve(qsizetype(places[s].size()));
        for (const JournalPlace& place : places[s])
            rows << place.row;
        journals[s].showAnswerRows(names, types, day, std::move(rows), std::move(columns));
    }
}

int Database::execute(const QString& sql, const Params& values) {
    QSqlQuery q = runStatement(m_connection.database(), sql, values);
    return q.numRowsAffected();
}

QVariant Database::readValue(const QString& sql, const Params& values) {
    QSqlQuery q = runStatement(m_connection.database(), sql, values);
    return q.next() ? q.value(0) : QVariant();
}

bool Database::newerProgramHasRun(int buildDate, int buildTime) {
    QSqlQuery q = runStatement(m_connection.database(), QStringLiteral("select d, t from accounts_dep.ver"));
    if (!q.next())
        return false;
    const int d = q.value(0).toInt();
    const int t = q.value(1).toInt();
    return buildDate < d || (buildDate == d && buildTime < t);
}

bool Database::countCheck(const QString& sql, const Params& values) {
    QSqlQuery q = runStatement(m_connection.database(), sql, values);
    return q.next() && q.value(QStringLiteral("cnt")).toLongLong() > 0;
}

QString Database::quote(const QString& text) {
    return quoteLiteral(m_connection.database(), text);
}

QString Database::separatorFix(const QString& text) const {
    qsizetype pos = text.indexOf(u',');
    if (pos < 0)
        pos = text.indexOf(u'.');
    if (pos < 0)
        return text;
    QString out = text;
    out.replace(pos, 1, decimalSeparator);
    return out;
}
