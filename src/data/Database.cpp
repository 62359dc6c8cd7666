// The database: the one connection, the shared queries and their statement texts.
#include "data/Database.h"

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

QString Database::journalSql(int shift) {
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
    static const QString session = kConnectionName + QStringLiteral(" journal");
    const quint64 mainSession = sessionNumber(kConnectionName);
    bool sent = false;
    if (mainSession != m_journalSessionRefusedIn) {
        if (openCompanion(kConnectionName, session))
            sent = journals[0].sendOnSession(session);
        else
            m_journalSessionRefusedIn = mainSession;
    }
    for (int i = sent ? 1 : 0; i < 4; ++i)
        journals[i].open();
    if (sent)
        journals[0].open();
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
