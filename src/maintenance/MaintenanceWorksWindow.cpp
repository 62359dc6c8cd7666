// Maintenance works window: the day's entries, their editor and the average piece rate.
#include "maintenance/MaintenanceWorksWindow.h"

#include "data/Database.h"
#include "data/JournalDay.h"
#include "data/Transaction.h"
#include "history/RecordHistoryDialog.h"
#include "maintenance/MaintenanceEntryEditor.h"
#include "records/AverageRate.h"
#include "records/ChangeLog.h"
#include "records/ClosedMonths.h"
#include "refbooks/NomenclatureGroupsDialog.h"
#include "ui/DatasetGrid.h"
#include "ui/DateBox.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The entry of the day list's current row (an empty entry when the list has no row).
MaintenanceEntry entryOfDayListRow(const Dataset& dayList) {
    MaintenanceEntry e;
    if (dayList.isEmpty())
        return e;
    e.id = dayList.fieldByName(QStringLiteral("id")).asInteger();
    e.workerId = dayList.fieldByName(QStringLiteral("id_p")).asInteger();
    e.workerName = dayList.fieldByName(QStringLiteral("fio")).asString();
    e.groupId = dayList.fieldByName(QStringLiteral("id_nom")).asLargeInt();
    e.groupName = dayList.fieldByName(QStringLiteral("s_caption")).asString();
    e.type = dayList.fieldByName(QStringLiteral("id_o")).asInteger();
    e.date = dayList.fieldByName(QStringLiteral("d_date")).asDate();
    e.hours = dayList.fieldByName(QStringLiteral("cnt")).asInteger();
    e.price = dayList.fieldByName(QStringLiteral("price")).asFloat();
    e.dayOff = dayList.fieldByName(QStringLiteral("i_holiday")).asInteger() != 0;
    e.night = dayList.fieldByName(QStringLiteral("i_night")).asInteger() != 0;
    return e;
}

} // namespace

MaintenanceWorksWindow::MaintenanceWorksWindow(Database& db, WorkersDialog& workerPicker,
                                               NomenclatureGroupsDialog& groupPicker, QWidget* parent)
    : QDialog(parent), m_db(db), m_editor(new MaintenanceEntryEditor(db, workerPicker, groupPicker, this)) {
    setObjectName(QStringLiteral("MaintenanceWorksWindow"));
    setWindowTitle(QStringLiteral("Хоз. работы (25)"));

    m_dayList.setSql(QStringLiteral(
        "select distinct vo.vid, p.fio, i.s_caption, (f.cnt*f.price) as summ,  f.*, case when f.i_holiday=0 "
        "then '' else '+' end as s_holiday, case when f.i_night=0 then '' else '+' end as s_night\n"
        "from accounts_dep.fatigue f, cmn_classifier.item i, accounts_dep.person p,accounts_dep.vid_oper vo, "
        "accounts_dep.oper o \n"
        "where f.id_nom =i.id and p.id=f.id_p and vo.id = f.id_o and o.i_id >=7777 and o.vid >=7777 and "
        "f.d_date = :d_date\n"
        "order by p.fio, f.id"));
    m_dayListModel.setColumns({{QStringLiteral("fio"), QStringLiteral("ФИО"), 300},
                               {QStringLiteral("s_caption"), QStringLiteral("Номенклатура"), 267},
                               {QStringLiteral("vid"), QStringLiteral("Работа"), 156},
                               {QStringLiteral("price"), QStringLiteral("Цена"), 80},
                               {QStringLiteral("cnt"), QStringLiteral("Кол-во"), 64},
                               {QStringLiteral("summ"), QStringLiteral("Итого"), 80},
                               {QStringLiteral("s_holiday"), QStringLiteral("Вых."), 33, {}, Qt::AlignCenter},
                               {QStringLiteral("s_night"), QStringLiteral("Ноч."), 33, {}, Qt::AlignCenter}});

    m_dayGrid = new QTableView(this);
    m_dayGrid->setObjectName(QStringLiteral("dayGrid"));
    m_dayGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_dayGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_dayGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_dayGrid->verticalHeader()->hide();
    m_dayGrid->verticalHeader()->setDefaultSectionSize(20);
    showInGrid(m_dayListModel, m_dayGrid);

    m_dateEdit = new DateBox(this);
    m_dateEdit->setObjectName(QStringLiteral("dateEdit"));
    m_dateEdit->setCalendarPopup(true);
    m_dayOffCheck = new QCheckBox(QStringLiteral("Выходной"), this);
    m_dayOffCheck->setObjectName(QStringLiteral("dayOffCheck"));
    m_dayOffCheck->setAutoFillBackground(true);
    m_monthClosedLabel = makeMonthClosedLabel(this);

    auto button = [this](const char* name, const QString& caption) {
        return makeButton(this, QLatin1String(name), caption);
    };
    m_addButton = button("addButton", QStringLiteral("Добавить"));
    m_changeButton = button("changeButton", QStringLiteral("Изменить"));
    m_deleteButton = button("deleteButton", QStringLiteral("Удалить"));
    m_averageRateButton = button("averageRateButton", QStringLiteral("Расчитать ср.сд."));
    m_historyButton = button("historyButton", QStringLiteral("История"));
    m_exitButton = button("exitButton", QStringLiteral("Выход"));
    m_historyDialog = new RecordHistoryDialog(m_db, this);

    auto* top = new QHBoxLayout;
    top->addWidget(m_dateEdit);
    top->addWidget(m_dayOffCheck);
    top->addWidget(m_monthClosedLabel);
    top->addStretch();
    top->addWidget(m_averageRateButton);
    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {m_addButton, m_changeButton, m_deleteButton, m_historyButton})
        bottom->addWidget(b);
    bottom->addStretch();
    bottom->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_dayGrid, 1);
    layout->addLayout(bottom);
    // Every column in view, without a horizontal scroll bar.
    m_dayGrid->setMinimumSize(1040, 360);
    setFixedWindowLook(this);

    connect(m_dateEdit, &QDateEdit::dateChanged, this, &MaintenanceWorksWindow::changeDay);
    connect(m_dayOffCheck, &QCheckBox::toggled, this, &MaintenanceWorksWindow::showDayOffLooks);
    connect(m_addButton, &QPushButton::clicked, this, &MaintenanceWorksWindow::addEntry);
    connect(m_changeButton, &QPushButton::clicked, this, &MaintenanceWorksWindow::changeEntry);
    connect(m_dayGrid, &QTableView::doubleClicked, this, &MaintenanceWorksWindow::changeEntry);
    connect(m_deleteButton, &QPushButton::clicked, this, &MaintenanceWorksWindow::deleteEntry);
    connect(m_averageRateButton, &QPushButton::clicked, this, &MaintenanceWorksWindow::computeAverageRates);
    connect(m_historyButton, &QPushButton::clicked, this, &MaintenanceWorksWindow::showEntryHistory);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::close);
}

void MaintenanceWorksWindow::showDay(const QDate& day) {
    {
        const QSignalBlocker quiet(m_dateEdit);
        m_dateEdit->setDate(day);
    }
    // "Выходной" follows the day shown at every opening, so that a tick left from a weekend does
    // not double the prices of a working day.
    m_dayOffCheck->setChecked(isWeekend(day));
    m_dayList.close();
    runGuarded([this] { refreshList(); });
    seams::showModal(this);
    m_dayList.close();
}

void MaintenanceWorksWindow::setEditable(bool editable) {
    m_editable = editable;
    for (QPushButton* b : {m_addButton, m_changeButton, m_deleteButton, m_averageRateButton})
        b->setEnabled(editable && !m_monthClosed);
}

bool MaintenanceWorksWindow::event(QEvent* e) {
    // Every return to the window (from the editor, or from another program) reads the day again.
    if (e->type() == QEvent::WindowActivate && m_dayList.isOpen())
        runGuarded([this] { refreshList(); });
    return QDialog::event(e);
}

void MaintenanceWorksWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    centreOnDesktop(this);
}

void MaintenanceWorksWindow::refreshList() {
    const int row = m_dayList.recNo();
    m_dayList.close();
    m_dayList.setParam(QStringLiteral("d_date"), m_dateEdit->date());
    m_dayList.open();
    if (row > 0)
        m_dayList.setRecNo(row);
    readMonthClosing();
}

void MaintenanceWorksWindow::readMonthClosing() {
    m_monthClosed = isMonthClosed(m_db, YearMonth::of(m_dateEdit->date()));
    m_monthClosedLabel->setVisible(m_monthClosed);
    for (QPushButton* b : {m_addButton, m_changeButton, m_deleteButton, m_averageRateButton})
        b->setEnabled(m_editable && !m_monthClosed);
}

void MaintenanceWorksWindow::changeDay(const QDate& day) {
    m_dayOffCheck->setChecked(isWeekend(day));
    m_dayList.close();
    runGuarded([this] { refreshList(); });
}

void MaintenanceWorksWindow::showDayOffLooks(bool dayOff) {
    QFont font = m_dayOffCheck->font();
    font.setBold(dayOff);
    m_dayOffCheck->setFont(font);
    QPalette palette = m_dayOffCheck->palette();
    palette.setColor(m_dayOffCheck->backgroundRole(),
                     dayOff ? QColor(Qt::red) : this->palette().color(QPalette::Button));
    m_dayOffCheck->setPalette(palette);
}

void MaintenanceWorksWindow::addEntry() {
    if (!m_editable)
        return;
    runGuarded([this] {
        if (m_editor->addEntry({m_dateEdit->date(), m_dayOffCheck->isChecked()}))
            refreshList();
    });
}

void MaintenanceWorksWindow::changeEntry() {
    if (m_monthClosed || !m_editable)
        return;
    runGuarded([this] {
        if (m_editor->changeEntry({m_dateEdit->date(), m_dayOffCheck->isChecked()},
                                  entryOfDayListRow(m_dayList)))
            refreshList();
    });
}

void MaintenanceWorksWindow::deleteEntry() {
    if (!m_editable)
        return;
    if (m_dayList.isEmpty())
        return;
    const MaintenanceEntry entry = entryOfDayListRow(m_dayList);
    if (!seams::confirmDestructive(QStringLiteral("Удаление"), QStringLiteral("Удалить позицию из списка?"),
                                   QStringLiteral("%1 — %2, %3, %4 ч.")
                                       .arg(entry.workerName.trimmed(),
                                            m_dayList.fieldByName(QStringLiteral("vid")).asString().trimmed(),
                                            entry.groupName.trimmed())
                                       .arg(entry.hours)))
        return;
    runGuarded([this] { deleteMaintenanceEntry(m_db, entryOfDayListRow(m_dayList)); });
    runGuarded([this] { refreshList(); });
}

void MaintenanceWorksWindow::showEntryHistory() {
    if (m_dayList.isEmpty() || m_dayList.recNo() == 0)
        return;
    const MaintenanceEntry entry = entryOfDayListRow(m_dayList);
    m_historyDialog->showRecord(kMaintenanceTable, entry.id,
                                QStringLiteral("%1, %2 ч.").arg(entry.workerName.trimmed()).arg(entry.hours));
}

void MaintenanceWorksWindow::computeAverageRates() {
    if (!m_editable)
        return;
    const QDate day = m_dateEdit->date();
    runGuarded([&] {
        Transaction transaction(m_db);
        ::computeAverageRates(transaction, m_db, day.year(), day.month());
        transaction.commit();
    });
    runGuarded([this] { refreshList(); });
}
