// Printed hours timesheet on the form T-13.
#include "reports/T13Report.h"

#include "data/Connection.h"

#include <QSettings>

using namespace reportengine;
using namespace reportstyle;

namespace {

// Columns, in millimetres from the left margin; 16 day cells per half of the month.
constexpr double kNumberX = 0, kNumberW = 7;
constexpr double kNameX = 7, kNameW = 42;
constexpr double kTabX = 49, kTabW = 13;
constexpr double kDaysX = 62, kDayW = 7.5;
constexpr double kHalfX = 182;
constexpr double kMonthX = 201;
constexpr double kCountW = 9, kHoursW = 10;
constexpr double kPayX = 220;
constexpr double kAbsenceX = 257;
constexpr double kLine = 4.2; // one of the four lines of a worker
constexpr double kHeadPt = 6;
constexpr double kCellPt = 7;

const QString kOrganisation = QStringLiteral("organisationLabel");
const QString kDepartment = QStringLiteral("departmentLabel");
const QString kNumber = QStringLiteral("numberLabel");
const QString kDate = QStringLiteral("dateLabel");
const QString kFrom = QStringLiteral("fromLabel");
const QString kTo = QStringLiteral("toLabel");

ReportElement cell(const QString& text, double x, double y, double w, double h, double pt,
                   bool boldFont = false, Qt::Alignment align = Qt::AlignCenter) {
    ReportElement e = label(text, QRectF(x, y, w, h), align);
    e.font = boldFont ? bold(pt) : regular(pt);
    e.frame = Frame::all();
    e.wordWrap = true;
    e.paddingMm = 0.3;
    return e;
}

ReportElement valueCell(const QString& expression, double x, double y, double w, double h,
                        Qt::Alignment align = Qt::AlignCenter) {
    ReportElement e = field(expression, QRectF(x, y, w, h), QString(), align);
    e.font = regular(kCellPt);
    e.frame = Frame::all();
    e.paddingMm = 0.2;
    return e;
}

ReportElement plain(const QString& text, double x, double y, double w, double h, double pt,
                    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter, bool boldFont = false) {
    ReportElement e = label(text, QRectF(x, y, w, h), align);
    e.font = boldFont ? bold(pt) : regular(pt);
    return e;
}

// A line to write on, with its caption in small letters below.
void writingLine(ReportBand& band, const QString& name, double x, double y, double w, const QString& caption,
                 double pt = 9) {
    ReportElement line = plain(QString(), x, y, w, 4.5, pt, Qt::AlignCenter, true);
    line.name = name;
    line.frame = Frame::below();
    band.elements.push_back(line);
    band.elements.push_back(plain(caption, x, y + 4.5, w, 2.8, 5, Qt::AlignCenter));
}

ReportBand titleBand() {
    ReportBand b;
    b.name = QStringLiteral("formHeader");
    b.heightMm = 46;
    const double right = kLandscapeWidthMm;
    b.elements.push_back(plain(QStringLiteral("Унифицированная форма № Т-13"), right - 110, 0, 110, 3,
                               kHeadPt, Qt::AlignRight | Qt::AlignVCenter));
    b.elements.push_back(
        plain(QStringLiteral("Утверждена постановлением Госкомстата России от 05.01.2004 № 1"), right - 110,
              3, 110, 3, kHeadPt, Qt::AlignRight | Qt::AlignVCenter));
    const double codeX = right - 28;
    b.elements.push_back(cell(QStringLiteral("Код"), codeX, 7, 28, 4, kHeadPt));
    b.elements.push_back(plain(QStringLiteral("Форма по ОКУД"), codeX - 32, 11, 31, 4.5, kHeadPt,
                               Qt::AlignRight | Qt::AlignVCenter));
    b.elements.push_back(cell(QStringLiteral("0301008"), codeX, 11, 28, 4.5, 8, true));
    b.elements.push_back(plain(QStringLiteral("по ОКПО"), codeX - 32, 15.5, 31, 4.5, kHeadPt,
                               Qt::AlignRight | Qt::AlignVCenter));
    b.elements.push_back(cell(QString(), codeX, 15.5, 28, 4.5, 8));

    writingLine(b, kOrganisation, 0, 10, 200, QStringLiteral("(наименование организации)"));
    writingLine(b, kDepartment, 0, 19, 200, QStringLiteral("(структурное подразделение)"));

    const double docX = 128;
    b.elements.push_back(cell(QStringLiteral("Номер документа"), docX, 30, 24, 8, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("Дата составления"), docX + 24, 30, 24, 8, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("Отчетный период"), docX + 48, 30, 48, 4, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("с"), docX + 48, 34, 24, 4, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("по"), docX + 72, 34, 24, 4, kHeadPt));
    const QString names[] = {kNumber, kDate, kFrom, kTo};
    for (int i = 0; i < 4; ++i) {
        ReportElement v = cell(QString(), docX + 24 * i, 38, 24, 5, 8, true);
        v.name = names[i];
        b.elements.push_back(v);
    }
    ReportElement title = plain(QStringLiteral("ТАБЕЛЬ УЧЕТА РАБОЧЕГО ВРЕМЕНИ"), 0, 38, docX - 4, 5, 10,
                                Qt::AlignRight | Qt::AlignVCenter, true);
    title.name = kTitleLabel;
    b.elements.push_back(title);
    return b;
}

ReportBand columnHeader() {
    ReportBand b;
    b.name = QStringLiteral("columnHeader");
    b.heightMm = 16;
    b.elements.push_back(cell(QStringLiteral("Номер по по-рядку"), kNumberX, 0, kNumberW, 16, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("Фамилия, инициалы, должность (специальность, профессия)"),
                              kNameX, 0, kNameW, 16, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("Табельный номер"), kTabX, 0, kTabW, 16, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("Отметки о явках и неявках на работу по числам месяца"), kDaysX,
                              0, 16 * kDayW, 6, kHeadPt));
    for (int i = 0; i < 16; ++i) {
        const double x = kDaysX + i * kDayW;
        b.elements.push_back(
            cell(i < 15 ? QString::number(i + 1) : QStringLiteral("X"), x, 6, kDayW, 5, kHeadPt));
        b.elements.push_back(cell(QString::number(i + 16), x, 11, kDayW, 5, kHeadPt));
    }
    b.elements.push_back(
        cell(QStringLiteral("Отработано за"), kHalfX, 0, 2 * (kCountW + kHoursW), 4, kHeadPt));
    b.elements.push_back(
        cell(QStringLiteral("половину месяца (I, II)"), kHalfX, 4, kCountW + kHoursW, 6, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("месяц"), kMonthX, 4, kCountW + kHoursW, 6, kHeadPt));
    for (double x : {kHalfX, kMonthX}) {
        b.elements.push_back(cell(QStringLiteral("дни"), x, 10, kCountW, 6, kHeadPt));
        b.elements.push_back(cell(QStringLiteral("часы"), x + kCountW, 10, kHoursW, 6, kHeadPt));
    }
    b.elements.push_back(
        cell(QStringLiteral("Данные для начисления заработной платы по видам и направлениям затрат"), kPayX,
             0, 37, 7, 5));
    b.elements.push_back(cell(QStringLiteral("код вида оплаты"), kPayX, 7, 12, 9, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("корреспон-дирующий счет"), kPayX + 12, 7, 14, 9, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("дни (часы)"), kPayX + 26, 7, 11, 9, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("Неявки по причинам"), kAbsenceX, 0, 20, 7, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("код"), kAbsenceX, 7, 8, 9, kHeadPt));
    b.elements.push_back(cell(QStringLiteral("дни (часы)"), kAbsenceX + 8, 7, 12, 9, kHeadPt));
    return b;
}

ReportBand workerLines() {
    ReportBand d;
    d.name = QStringLiteral("detail");
    const double h = 4 * kLine;
    d.heightMm = h;
    d.elements.push_back(valueCell(QStringLiteral("n"), kNumberX, 0, kNumberW, h));
    ReportElement name =
        valueCell(QStringLiteral("fio"), kNameX, 0, kNameW, h, Qt::AlignLeft | Qt::AlignVCenter);
    name.wordWrap = true;
    name.paddingMm = 0.6;
    d.elements.push_back(name);
    d.elements.push_back(valueCell(QStringLiteral("tab_no"), kTabX, 0, kTabW, h));
    // Lines 1 and 2: the codes and hours of days 1 to 15 and the crossed-out sixteenth cell;
    // lines 3 and 4: days 16 to 31 (the days after the month's last one stay empty).
    for (int i = 0; i < 16; ++i) {
        const double x = kDaysX + i * kDayW;
        if (i < 15) {
            d.elements.push_back(valueCell(QStringLiteral("c%1").arg(i + 1), x, 0, kDayW, kLine));
            d.elements.push_back(valueCell(QStringLiteral("h%1").arg(i + 1), x, kLine, kDayW, kLine));
        } else {
            d.elements.push_back(cell(QStringLiteral("X"), x, 0, kDayW, kLine, kCellPt));
            d.elements.push_back(cell(QStringLiteral("X"), x, kLine, kDayW, kLine, kCellPt));
        }
        d.elements.push_back(valueCell(QStringLiteral("c%1").arg(i + 16), x, 2 * kLine, kDayW, kLine));
        d.elements.push_back(valueCell(QStringLiteral("h%1").arg(i + 16), x, 3 * kLine, kDayW, kLine));
    }
    for (int half = 1; half <= 2; ++half) {
        const double y = (half - 1) * 2 * kLine;
        d.elements.push_back(valueCell(QStringLiteral("days%1").arg(half), kHalfX, y, kCountW, 2 * kLine));
        d.elements.push_back(
            valueCell(QStringLiteral("hours%1").arg(half), kHalfX + kCountW, y, kHoursW, 2 * kLine));
    }
    d.elements.push_back(valueCell(QStringLiteral("days"), kMonthX, 0, kCountW, h));
    d.elements.push_back(valueCell(QStringLiteral("hours"), kMonthX + kCountW, 0, kHoursW, h));
    // What the payroll office fills in by hand: two lines each.
    for (int line = 0; line < 2; ++line) {
        const double y = line * 2 * kLine;
        d.elements.push_back(cell(QString(), kPayX, y, 12, 2 * kLine, kCellPt));
        d.elements.push_back(cell(QString(), kPayX + 12, y, 14, 2 * kLine, kCellPt));
        d.elements.push_back(cell(QString(), kPayX + 26, y, 11, 2 * kLine, kCellPt));
        d.elements.push_back(cell(QString(), kAbsenceX, y, 8, 2 * kLine, kCellPt));
        d.elements.push_back(cell(QString(), kAbsenceX + 8, y, 12, 2 * kLine, kCellPt));
    }
    return d;
}

// The signatures under the last worker.
ReportBand signatures() {
    ReportBand s;
    s.name = QStringLiteral("signatures");
    s.heightMm = 30;
    const QString who[] = {QStringLiteral("Ответственное лицо"),
                           QStringLiteral("Руководитель структурного подразделения"),
                           QStringLiteral("Работник кадровой службы")};
    for (int i = 0; i < 3; ++i) {
        const double y = 3 + i * 9;
        s.elements.push_back(plain(who[i], 0, y, 58, 4.5, 7, Qt::AlignLeft | Qt::AlignBottom));
        writingLine(s, QString(), 60, y, 50, QStringLiteral("(должность)"), 7);
        writingLine(s, QString(), 114, y, 35, QStringLiteral("(личная подпись)"), 7);
        writingLine(s, QString(), 153, y, 55, QStringLiteral("(расшифровка подписи)"), 7);
        s.elements.push_back(plain(QStringLiteral("«____» ______________ 20___ г."), 214, y, 63, 4.5, 7,
                                   Qt::AlignLeft | Qt::AlignBottom));
    }
    return s;
}

ReportDefinition layout() {
    ReportDefinition r;
    r.title = QStringLiteral("Табель Т-13");
    r.orientation = QPageLayout::Landscape;
    r.font = ReportFont{QStringLiteral("Arial"), kCellPt};
    r.titleBand = titleBand();
    r.columnHeader = columnHeader();
    r.detail = workerLines();
    r.summary = signatures();
    r.pageFooter = pageFooter(kLandscapeWidthMm);
    return r;
}

// A text of the settings group [t13]: the user's file over the machine's.
QString settingsText(const QString& key) {
    QString text;
    for (const QString& path : settingsFiles()) {
        QSettings file(path, QSettings::IniFormat);
        const QString value = file.value(QStringLiteral("t13/") + key).toString().trimmed();
        if (!value.isEmpty())
            text = value;
    }
    return text;
}

QSettings typedTexts() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tabel"),
                     QStringLiteral("t13"));
}

} // namespace

T13Header t13HeaderOfSettingsFiles() {
    return {settingsText(QStringLiteral("organisation")), settingsText(QStringLiteral("department")), {}, {}};
}

T13Header t13HeaderFromSettings(int month, int /*year*/, const QDate& date) {
    T13Header h = t13HeaderOfSettingsFiles();
    const QSettings typed = typedTexts();
    if (h.organisation.isEmpty())
        h.organisation = typed.value(QStringLiteral("organisation")).toString();
    if (h.department.isEmpty())
        h.department = typed.value(QStringLiteral("department")).toString();
    h.number = QString::number(month);
    h.date = date;
    return h;
}

void rememberT13Texts(const QString& organisation, const QString& department) {
    QSettings typed = typedTexts();
    typed.setValue(QStringLiteral("organisation"), organisation);
    typed.setValue(QStringLiteral("department"), department);
}

QString T13Report::reportSql() {
    QStringList days;
    for (int d = 1; d <= 31; ++d) {
        // A Saturday or Sunday of the month without hours is a day off.
        days << QStringLiteral(
                    "coalesce(max(w.codes) filter (where w.d=%1), case when :first::date+%2<:next::date "
                    "and extract(isodow from :first::date+%2)>=6 then 'В' end) as c%1, "
                    "max(w.hours_text) filter (where w.d=%1) as h%1")
                    .arg(d)
                    .arg(d - 1);
    }
    return QStringList{
        QStringLiteral("with work as ("),
        QStringLiteral(
            "select s.w_id as id, extract(day from s.data)::integer as d, case s.smena when 3 then 'Н' "
            "when 4 then 'С' else 'Я' end as code, s.time as hours from accounts_dep.smena s where "
            "s.data>=:first and s.data<:next"),
        QStringLiteral("union all select f.id_p::integer, extract(day from f.d_date)::integer, case when "
                       "f.i_holiday=1 then 'РВ' when f.i_night=1 then 'Н' else 'Я' end, f.cnt from "
                       "accounts_dep.fatigue f where f.d_date>=:first and f.d_date<:next),"),
        QStringLiteral(
            "codes as (select id, d, code, sum(hours) as hours from work group by id, d, code having "
            "sum(hours)>0),"),
        QStringLiteral(
            "daywork as (select id, d, string_agg(code, '/' order by array_position(array['Я','Н','С',"
            "'РВ'], code)) as codes, string_agg(hours::text, '/' order by array_position(array['Я','Н',"
            "'С','РВ'], code)) as hours_text, sum(hours) as hours from codes group by id, d)"),
        QStringLiteral(
            "select row_number() over (order by p.s_caption, p.id) as n, p.id as tab_no, p.s_caption "
            "as fio,"),
        days.join(QStringLiteral(",\n")) + u',',
        QStringLiteral("count(w.d) filter (where w.d<=15) as days1, coalesce(sum(w.hours) filter (where "
                       "w.d<=15),0) as hours1,"),
        QStringLiteral("count(w.d) filter (where w.d>15) as days2, coalesce(sum(w.hours) filter (where "
                       "w.d>15),0) as hours2,"),
        QStringLiteral("count(w.d) as days, coalesce(sum(w.hours),0) as hours"),
        QStringLiteral(
            "from (select distinct id from work) k join cmn_contractor.person p on p.id=k.id left join "
            "daywork w on w.id=k.id"),
        QStringLiteral("group by p.id, p.s_caption order by fio, tab_no")}
        .join(u'\n');
}

T13Report::T13Report(Database& db, QObject* parent)
    : ReportLayoutBase(db, QStringLiteral("T13"), reportSql(), layout(), PreviewZoom::WholePage, parent) {
    setObjectName(QStringLiteral("T13Report"));
}

void T13Report::setHeader(const T13Header& header) {
    setLabelText(kOrganisation, header.organisation);
    setLabelText(kDepartment, header.department);
    setLabelText(kNumber, header.number);
    setLabelText(kDate, header.date.toString(QStringLiteral("dd.MM.yyyy")));
}

void T13Report::openMonth(int month, int year) {
    const QDate first(year, month, 1);
    query().setParam(QStringLiteral("first"), first);
    query().setParam(QStringLiteral("next"), first.addMonths(1));
    setLabelText(kFrom, first.toString(QStringLiteral("dd.MM.yyyy")));
    setLabelText(kTo, first.addMonths(1).addDays(-1).toString(QStringLiteral("dd.MM.yyyy")));
    query().open();
}

void T13Report::previewMonth(int month, int year, QWidget* parent) {
    openMonth(month, year);
    struct Closer {
        ReportQuery& rows;
        ~Closer() { rows.close(); }
    } closer{query()};
    preview(parent);
}
