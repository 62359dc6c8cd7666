// Parts shared by the two timesheet windows.
#include "timesheets/TimesheetWidgets.h"

#include "data/Database.h"
#include "data/Dataset.h"
#include "data/Sql.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <algorithm>

QComboBox* makeMonthBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("monthBox"));
    box->addItems(monthNames());
    return box;
}

QComboBox* makeYearBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("yearBox"));
    return box;
}

void setYears(QComboBox* box, const QList<int>& years, int selected) {
    const QSignalBlocker quiet(box);
    box->clear();
    for (int year : years)
        box->addItem(QString::number(year), year);
    box->setCurrentIndex(box->findData(selected));
}

TimesheetMonth chosenMonth(const QComboBox* monthBox, const QComboBox* yearBox) {
    return {monthBox->currentIndex() + 1, yearBox->currentData().toInt()};
}

void chooseMonth(QComboBox* monthBox, QComboBox* yearBox, const TimesheetMonth& month) {
    const QSignalBlocker quietMonth(monthBox);
    const QSignalBlocker quietYear(yearBox);
    monthBox->setCurrentIndex(month.month - 1);
    yearBox->setCurrentIndex(yearBox->findData(month.year));
}

QTableView* makeTimesheetGrid(QWidget* parent, const QString& name) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setVisible(false);
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->horizontalHeader()->setMinimumSectionSize(10);
    grid->setShowGrid(true);
    return grid;
}

QProgressBar* makeProgressBar(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QStringLiteral("progressBar"));
    bar->setMinimum(1);
    bar->setTextVisible(false);
    bar->setVisible(false);
    return bar;
}

RebuildProgress::RebuildProgress(QProgressBar* bar, int days) : m_bar(bar) {
    m_bar->setMaximum(days);
    m_bar->setValue(1);
    m_bar->setVisible(true);
    m_bar->repaint();
}

RebuildProgress::~RebuildProgress() {
    m_bar->setVisible(false);
}

void RebuildProgress::dayDone(int day) {
    m_bar->setValue(day);
}

void rebuildAndShowAgain(Database& db, TimesheetRows rows, const TimesheetMonth& month, QProgressBar* bar,
                         const std::function<void()>& close, const std::function<void()>& showAgain) {
    close();
    struct ShowAgain {
        const std::function<void()>& show;
        ~ShowAgain() {
            try {
                show();
            } catch (const DbError&) {
                // The rebuild's own error is the one to show.
            }
        }
    } showAgainAtEnd{showAgain};
    RebuildProgress progress(bar, month.days());
    rebuildTimesheetRows(db, rows, month.year, month.month, [&](int day) { progress.dayDone(day); });
}

void showExportCount(QPushButton* button, int written, int total) {
    button->setText(QStringLiteral("Excel (%1 из %2)").arg(written).arg(total));
    // Repaints only: a click on the window waits until the export has ended.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void setTimesheetYears(QComboBox* box, Database& db, int selected) {
    Dataset years(nullptr, db.connection().name());
    years.setSql(QStringLiteral("select distinct ht.year from accounts_dep.h_tabel ht order by year"));
    years.open();
    QList<int> list;
    for (years.first(); !years.eof(); years.next())
        if (!years.fieldByName(QStringLiteral("year")).isNull())
            list << years.fieldByName(QStringLiteral("year")).asInteger();
    if (!list.contains(selected)) {
        list << selected;
        std::sort(list.begin(), list.end());
    }
    setYears(box, list, selected);
}
