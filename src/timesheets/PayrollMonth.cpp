// The month handed to payroll.
#include "timesheets/PayrollMonth.h"

#include "data/Dataset.h"
#include "data/Format.h"
#include "timesheets/PieceworkViews.h"

namespace {

// A view's lines added up per worker: its hours and its earnings.
QString perWorker(const QString& view) {
    return QStringLiteral("(select id, sum(i_time) as hours, sum(f_price) as amount from %1 group by id)")
        .arg(view);
}

// A text of the statement for a value of the field: money with its two decimals.
QString fieldText(const Dataset& rows, int line, const PayrollColumn& column) {
    const QVariant v = rows.valueAt(line, column.field);
    if (v.isNull())
        return QString();
    return v.toString();
}

// A CSV field: quoted when it holds the separator, a quote or a line break.
QString csvField(const QString& text) {
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

bool isTotalLine(const Dataset& rows, int line) {
    return rows.valueAt(line, QStringLiteral("tab_no")).isNull();
}

} // namespace

const QList<PayrollColumn>& payrollColumns() {
    static const QList<PayrollColumn> columns{
        {QStringLiteral("tab_no"), QStringLiteral("Таб. №"), false},
        {QStringLiteral("fio"), QStringLiteral("Фамилия И.О."), false},
        {QStringLiteral("piecework_hours"), QStringLiteral("Часы сделка"), false},
        {QStringLiteral("piecework_amount"), QStringLiteral("Сделка (р.)"), true},
        {QStringLiteral("maintenance_hours"), QStringLiteral("Часы хоз. работ"), false},
        {QStringLiteral("maintenance_amount"), QStringLiteral("Хоз. работы (р.)"), true},
        {QStringLiteral("average_hours"), QStringLiteral("Часы ср. сд."), false},
        {QStringLiteral("average_amount"), QStringLiteral("Ср. сд. (р.)"), true},
        {QStringLiteral("total_hours"), QStringLiteral("Всего часов"), false},
        {QStringLiteral("total_amount"), QStringLiteral("Всего (р.)"), true},
        {QStringLiteral("hourly"), QStringLiteral("Час (р.)"), true},
    };
    return columns;
}

QString payrollSql() {
    // The views' statements as the timesheet window sends them; every parameter of the same name
    // has the same value in all four.
    return QStringList{
        QStringLiteral("with piecework as (%1),").arg(pieceworkViewSql(PieceworkView::Piecework)),
        QStringLiteral("maintenance as (%1),").arg(pieceworkViewSql(PieceworkView::Maintenance)),
        QStringLiteral("average as (%1),").arg(pieceworkViewSql(PieceworkView::AverageRate)),
        QStringLiteral("general as (%1),").arg(pieceworkViewSql(PieceworkView::General)),
        QStringLiteral("lines as (select g.id, g.fio, "
                       "coalesce(pw.hours,0)::bigint as piecework_hours, "
                       "coalesce(pw.amount,0)::numeric(20,2) as piecework_amount, "
                       "coalesce(m.hours,0)::bigint as maintenance_hours, "
                       "coalesce(m.amount,0)::numeric(20,2) as maintenance_amount, "
                       "coalesce(a.hours,0)::bigint as average_hours, "
                       "coalesce(a.amount,0)::numeric(20,2) as average_amount, "
                       "coalesce(g.i_time,0)::bigint as total_hours, "
                       "coalesce(g.f_price,0)::numeric(20,2) as total_amount"),
        QStringLiteral("from general g left join %1 pw on pw.id=g.id")
            .arg(perWorker(QStringLiteral("piecework"))),
        QStringLiteral("left join %1 m on m.id=g.id").arg(perWorker(QStringLiteral("maintenance"))),
        QStringLiteral("left join %1 a on a.id=g.id)").arg(perWorker(QStringLiteral("average"))),
        QStringLiteral("select tab_no, fio, piecework_hours, piecework_amount, maintenance_hours, "
                       "maintenance_amount, average_hours, average_amount, total_hours, total_amount, "
                       "case when total_hours=0 then 0 else (total_amount/total_hours)::numeric(20,2) end::"
                       "numeric(20,2) as hourly"),
        QStringLiteral("from (select 0 as line, id as tab_no, fio, piecework_hours, piecework_amount, "
                       "maintenance_hours, maintenance_amount, average_hours, average_amount, total_hours, "
                       "total_amount from lines"),
        QStringLiteral("union all select 1, null, '%1', coalesce(sum(piecework_hours),0)::bigint, "
                       "coalesce(sum(piecework_amount),0)::numeric(20,2), "
                       "coalesce(sum(maintenance_hours),0)::bigint, "
                       "coalesce(sum(maintenance_amount),0)::numeric(20,2), "
                       "coalesce(sum(average_hours),0)::bigint, "
                       "coalesce(sum(average_amount),0)::numeric(20,2), "
                       "coalesce(sum(total_hours),0)::bigint, coalesce(sum(total_amount),0)::numeric(20,2) "
                       "from lines) t")
            .arg(kPayrollTotalCaption),
        QStringLiteral("order by line, fio, tab_no")}
        .join(u'\n');
}

void setPayrollMonth(Dataset& rows, const TimesheetMonth& month) {
    // The general view's parameters include those of the other three.
    setPieceworkMonth(rows, PieceworkView::General, month);
}

QString payrollSubject(const TimesheetMonth& month) {
    return QStringLiteral("Итоги месяца для расчета ") + month.title();
}

QString payrollText(const Dataset& rows, int line, const PayrollColumn& column) {
    const QString text = fieldText(rows, line, column);
    return column.field == u"fio" ? text : toScreenSeparator(text);
}

void writePayrollSheet(const Dataset& rows, const TimesheetMonth& month, const SheetCellWriter& put) {
    put(1, 1, payrollSubject(month), true, true, true);
    const QList<PayrollColumn>& columns = payrollColumns();
    for (int c = 0; c < columns.size(); ++c)
        put(c + 1, 2, columns[c].title, true, true, true);
    for (int line = 0; line < rows.recordCount(); ++line) {
        const bool total = isTotalLine(rows, line);
        for (int c = 0; c < columns.size(); ++c) {
            const bool name = columns[c].field == u"fio";
            // A cell in the text format keeps its text; the others read as numbers.
            put(c + 1, line + 3, payrollText(rows, line, columns[c]), name, true, total);
        }
    }
}

QByteArray payrollCsv(const Dataset& rows) {
    const QList<PayrollColumn>& columns = payrollColumns();
    QStringList titles;
    for (const PayrollColumn& c : columns)
        titles << csvField(c.title);
    QString csv = titles.join(u';') + QStringLiteral("\r\n");
    for (int line = 0; line < rows.recordCount(); ++line) {
        if (isTotalLine(rows, line))
            continue;
        QStringList fields;
        for (const PayrollColumn& c : columns) {
            QString text = fieldText(rows, line, c);
            if (c.field != u"fio")
                text.replace(u'.', u',');
            fields << csvField(text);
        }
        csv += fields.join(u';') + QStringLiteral("\r\n");
    }
    return csv.toUtf8();
}
