// The month at a glance.
#include "timesheets/MonthChart.h"

#include "data/Database.h"
#include "data/Dataset.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHorizontalBarSeries>
#include <QLineSeries>
#include <QPainter>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace {

constexpr int kWorkerRowPx = 24; // height of one worker's bar

QValueAxis* valueAxis(const QString& title, const QColor& color = {}) {
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setMin(0);
    if (color.isValid())
        axis->setLabelsColor(color);
    return axis;
}

QChartView* chartView(QWidget* parent, const QString& name) {
    auto* view = new QChartView(parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->chart()->setAnimationOptions(QChart::NoAnimation);
    view->chart()->legend()->setAlignment(Qt::AlignTop);
    return view;
}

// A value axis's upper end with some room above the largest value.
double upperEnd(const QList<double>& values) {
    double top = 0;
    for (double v : values)
        top = std::max(top, v);
    return top <= 0 ? 1 : top * 1.1;
}

} // namespace

MonthChart::MonthChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("monthChart"));
    m_daysView = chartView(this, QStringLiteral("daysChart"));
    m_workersView = chartView(this, QStringLiteral("workersChart"));
    m_workersArea = new QScrollArea(this);
    m_workersArea->setWidget(m_workersView);
    m_workersArea->setWidgetResizable(true);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_daysView);
    splitter->addWidget(m_workersArea);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

QString MonthChart::daysSql(PieceworkView view) {
    // The same records as the view's lines: the journal for piece work, the maintenance or
    // average-rate entries for theirs, all of them for the general view.
    const QString journal = QStringLiteral(
        "select extract(day from s.data)::integer as d, (s.kol_vo-s.brak)*s.cena as amount, s.time as hours "
        "from accounts_dep.smena s where s.data<:next and s.data>=:first");
    const QString entries = QStringLiteral(
        "select extract(day from f.d_date)::integer as d, f.cnt*f.price as amount, f.cnt as hours from "
        "accounts_dep.fatigue f where "
        "f.d_date<:next and f.d_date>=:first");
    QString records;
    switch (view) {
    case PieceworkView::Piecework:
        records = journal;
        break;
    case PieceworkView::Maintenance:
        records = entries + QStringLiteral(" and f.id_o=7777");
        break;
    case PieceworkView::AverageRate:
        records = entries + QStringLiteral(" and f.id_o=7778");
        break;
    case PieceworkView::General:
        records = journal + QStringLiteral(" union all ") + entries;
        break;
    }
    return QStringLiteral(
               "select d, coalesce(sum(amount),0)::float8 as amount, coalesce(sum(hours),0)::float8 as "
               "hours from (%1) r group by d order by d")
        .arg(records);
}

void MonthChart::showMonth(Database& db, PieceworkView view, const TimesheetMonth& month,
                           const Dataset& lines) {
    Dataset days(nullptr, db.connection().name());
    days.setSql(daysSql(view));
    days.setParam(QStringLiteral("first"), month.first());
    days.setParam(QStringLiteral("next"), month.next());
    days.open();
    m_dayAmounts = QList<double>(month.days(), 0.0);
    m_dayHours = QList<double>(month.days(), 0.0);
    for (int r = 0; r < days.recordCount(); ++r) {
        const int d = days.valueAt(r, QStringLiteral("d")).toInt();
        if (d >= 1 && d <= month.days()) {
            m_dayAmounts[d - 1] = days.valueAt(r, QStringLiteral("amount")).toDouble();
            m_dayHours[d - 1] = days.valueAt(r, QStringLiteral("hours")).toDouble();
        }
    }

    // The days: the amount as bars on the left axis, the hours as a line on the right one.
    QChart* daysChart = m_daysView->chart();
    daysChart->removeAllSeries();
    for (QAbstractAxis* axis : daysChart->axes())
        daysChart->removeAxis(axis);
    daysChart->setTitle(QStringLiteral("%1, %2: сумма и часы цеха по дням")
                            .arg(viewInfo(view).caption.section(QStringLiteral(" ("), 0, 0), month.title()));
    auto* amounts = new QBarSet(QStringLiteral("Сумма (р.)"));
    auto* hours = new QLineSeries;
    hours->setName(QStringLiteral("Часы"));
    QStringList dayNames;
    for (int d = 1; d <= month.days(); ++d) {
        *amounts << m_dayAmounts[d - 1];
        hours->append(d - 1, m_dayHours[d - 1]);
        dayNames << QString::number(d);
    }
    auto* bars = new QBarSeries;
    bars->append(amounts);
    daysChart->addSeries(bars);
    daysChart->addSeries(hours);
    auto* dayAxis = new QBarCategoryAxis;
    dayAxis->append(dayNames);
    daysChart->addAxis(dayAxis, Qt::AlignBottom);
    QFont small = dayAxis->labelsFont();
    small.setPointSizeF(7);
    dayAxis->setLabelsFont(small);
    // Upright day numbers fit the narrow columns of a month, where level ones are cut to "…".
    dayAxis->setLabelsAngle(-90);
    QValueAxis* amountAxis = valueAxis(QStringLiteral("р."));
    amountAxis->setMax(upperEnd(m_dayAmounts));
    amountAxis->applyNiceNumbers();
    daysChart->addAxis(amountAxis, Qt::AlignLeft);
    QValueAxis* hoursAxis = valueAxis(QStringLiteral("ч."));
    hoursAxis->setMax(upperEnd(m_dayHours));
    hoursAxis->applyNiceNumbers();
    daysChart->addAxis(hoursAxis, Qt::AlignRight);
    bars->attachAxis(dayAxis);
    bars->attachAxis(amountAxis);
    hours->attachAxis(dayAxis);
    hours->attachAxis(hoursAxis);

    // The workers: earnings per hour of each line, and the workshop's over all the lines.
    m_workerNames.clear();
    m_workerRates.clear();
    double allMoney = 0, allHours = 0;
    const bool night = viewInfo(view).nightColumn;
    for (int r = 0; r < lines.recordCount(); ++r) {
        const double money = lines.valueAt(r, QStringLiteral("f_price")).toDouble();
        const double time = lines.valueAt(r, QStringLiteral("i_time")).toDouble();
        QString name = lines.valueAt(r, QStringLiteral("fio")).toString();
        if (night)
            name += u' ' + lines.valueAt(r, QStringLiteral("s_night")).toString();
        m_workerNames << name;
        m_workerRates << (time == 0 ? 0.0 : money / time);
        allMoney += money;
        allHours += time;
    }
    m_workshopRate = allHours == 0 ? 0 : allMoney / allHours;
    QChart* workersChart = m_workersView->chart();
    workersChart->removeAllSeries();
    for (QAbstractAxis* axis : workersChart->axes())
        workersChart->removeAxis(axis);
    workersChart->setTitle(QStringLiteral("Заработок за час (р.): рабочие и цех, %1 р.")
                               .arg(QString::number(m_workshopRate, 'f', 2)));
    // The bars go from the bottom up: the lines are handed over from the last, so that the first
    // line of the timesheet is at the top.
    auto* rates = new QBarSet(QStringLiteral("Рабочий"));
    for (auto rate = m_workerRates.crbegin(); rate != m_workerRates.crend(); ++rate)
        *rates << *rate;
    auto* rateBars = new QHorizontalBarSeries;
    rateBars->append(rates);
    workersChart->addSeries(rateBars);
    // The workshop's rate: a line across all the workers' bars.
    auto* workshop = new QLineSeries;
    workshop->setName(QStringLiteral("Цех"));
    QPen pen(Qt::red);
    pen.setWidth(2);
    workshop->setPen(pen);
    const int n = int(m_workerNames.size());
    workshop->append(m_workshopRate, -0.5);
    workshop->append(m_workshopRate, std::max(0, n) - 0.5);
    workersChart->addSeries(workshop);
    auto* nameAxis = new QBarCategoryAxis;
    QStringList bottomUp(m_workerNames.crbegin(), m_workerNames.crend());
    nameAxis->append(bottomUp.isEmpty() ? QStringList{QString()} : bottomUp);
    // The whole names, each beside its bar.
    nameAxis->setTruncateLabels(false);
    QFont nameFont = nameAxis->labelsFont();
    nameFont.setPointSizeF(7);
    nameAxis->setLabelsFont(nameFont);
    workersChart->addAxis(nameAxis, Qt::AlignLeft);
    QList<double> scale = m_workerRates;
    scale << m_workshopRate;
    QValueAxis* rateAxis = valueAxis(QStringLiteral("р. за час"));
    rateAxis->setMax(upperEnd(scale));
    rateAxis->applyNiceNumbers();
    workersChart->addAxis(rateAxis, Qt::AlignBottom);
    rateBars->attachAxis(nameAxis);
    rateBars->attachAxis(rateAxis);
    workshop->attachAxis(rateAxis);
    workshop->attachAxis(nameAxis);
    // Every worker keeps a readable bar: the chart grows and its area scrolls.
    m_workersView->setMinimumHeight(120 + kWorkerRowPx * std::max(1, n));
}

QImage MonthChart::picture() {
    const int width = std::max(m_daysView->width(), 900);
    const int daysHeight = std::max(m_daysView->height(), 360);
    const int workersHeight = std::max(m_workersView->minimumHeight(), m_workersView->height());
    QImage image(width, daysHeight + workersHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    m_daysView->chart()->resize(width, daysHeight);
    m_daysView->scene()->render(&painter, QRectF(0, 0, width, daysHeight), m_daysView->chart()->rect());
    m_workersView->chart()->resize(width, workersHeight);
    m_workersView->scene()->render(&painter, QRectF(0, daysHeight, width, workersHeight),
                                   m_workersView->chart()->rect());
    painter.end();
    // The views take their own sizes again when they are next laid out.
    m_daysView->chart()->resize(m_daysView->size());
    m_workersView->chart()->resize(m_workersView->size());
    return image;
}
