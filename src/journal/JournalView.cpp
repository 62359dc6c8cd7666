// Journal: the work records of one day and shift, read, added, changed, deleted and accepted.
#include "journal/JournalView.h"

#include "data/Database.h"
#include "data/Format.h"
#include "journal/WorkRecordEditor.h"
#include "records/ClosedMonths.h"
#include "records/WorkRecordStore.h"
#include "ui/DatasetGrid.h"
#include "ui/DateBox.h"
#include "ui/Guarded.h"
#include "ui/OwnColourDelegate.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

QString trimmedText(const QVariant& v) {
    return v.isNull() ? QString() : v.toString().trimmed();
}

// An amount in roubles with its two decimals ("732.50", not "732.5").
QString moneyText(const QVariant& v) {
    return v.isNull() ? QString() : toScreenSeparator(QString::number(v.toDouble(), 'f', 2));
}

// The grid's columns: titles, widths, the OK column in bold green or red.
QList<GridColumn> journalColumns() {
    GridColumn ok{QStringLiteral("ok"),
                  QStringLiteral("OK"),
                  37,
                  trimmedText,
                  Qt::AlignCenter,
                  [](const QVariant& v, int role) -> QVariant {
                      if (role == Qt::FontRole) {
                          QFont f;
                          f.setBold(true);
                          return f;
                      }
                      if (role == Qt::ForegroundRole)
                          return isAcceptedMark(v.toString()) ? kGreen : kRed;
                      return {};
                  }};
    return {
        {QStringLiteral("fio"), QStringLiteral("Фамилия И.О."), 250, trimmedText},
        {QStringLiteral("marka"), QStringLiteral("Марка изделия"), 260, trimmedText},
        {QStringLiteral("vid"), QStringLiteral("Операция"), 155, trimmedText},
        {QStringLiteral("nmn"), QStringLiteral("Вид"), 157},
        {QStringLiteral("color"), QStringLiteral("Цвет"), 0, {}, Qt::AlignCenter},
        {QStringLiteral("time"), QStringLiteral("Часы"), 0},
        {QStringLiteral("kol_vo"), QStringLiteral("Кол-во"), 57},
        {QStringLiteral("brak"), QStringLiteral("Брак"), 49},
        {QStringLiteral("summa"), QStringLiteral("Итого (р.)"), 78, moneyText},
        ok,
        {QStringLiteral("vvod"), QStringLiteral("Заведен"), 84, {}, Qt::AlignCenter}, // 72 cuts the date
    };
}

void setLook(QWidget* w, bool marked, const QColor& color) {
    QFont f = w->font();
    f.setBold(marked);
    w->setFont(f);
    w->setAutoFillBackground(marked);
    QPalette p = QApplication::palette(w);
    if (marked) {
        p.setColor(QPalette::Window, color);
        p.setColor(QPalette::Button, color);
    }
    w->setPalette(p);
    w->setBackgroundRole(QPalette::Window);
}

bool isWeekend(const QDate& day) {
    return day.dayOfWeek() == 6 || day.dayOfWeek() == 7;
}

// Shows the wait cursor while it lives.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

JournalView::JournalView(Database& db, WorkRecordEditor& editor, const Permissions& permissions,
                         QWidget* parent)
    : QWidget(parent), m_db(db), m_editor(editor), m_permissions(permissions) {
    setObjectName(QStringLiteral("journalView"));
    for (int s = 1; s <= 4; ++s) {
        Dataset& q = m_journals[s - 1];
        q.setSql(Database::journalSql(s));
        m_journalModels[s - 1].setColumns(journalColumns());
        // The journal lists every record whatever its acceptance mark.
        q.setParam(QStringLiteral("ok"), QStringLiteral("ta"));
    }
    createWidgets();
    applyPermissions();
}

void JournalView::createWidgets() {
    const char* shiftNames[4] = {"shift1Button", "shift2Button", "shift3Button", "overtimeButton"};
    const QString shiftCaptions[4] = {QStringLiteral("Смена №1"), QStringLiteral("Смена №2"),
                                      QStringLiteral("Смена №3"), QStringLiteral("Переработка")};
    for (int s = 0; s < 4; ++s) {
        m_shiftButtons[s] = new QRadioButton(shiftCaptions[s], this);
        m_shiftButtons[s]->setObjectName(QLatin1String(shiftNames[s]));
    }
    m_shiftButtons[0]->setChecked(true);
    m_dateEdit = new DateBox(this);
    m_dateEdit->setObjectName(QStringLiteral("dateEdit"));
    m_dateEdit->setCalendarPopup(true);
    m_dateEdit->setDate(seams::today());
    m_dayOffCheck = new QCheckBox(QStringLiteral("Выходной"), this);
    m_dayOffCheck->setObjectName(QStringLiteral("dayOffCheck"));
    m_monthClosedLabel = makeMonthClosedLabel(this);
    m_journalGrid = new QTableView(this);
    m_journalGrid->setObjectName(QStringLiteral("journalGrid"));
    m_journalGrid->verticalHeader()->setDefaultSectionSize(18);
    m_journalGrid->verticalHeader()->setVisible(false);
    auto button = [this](const char* name, const QString& caption) {
        return makeButton(this, QLatin1String(name), caption);
    };
    m_addButton = button("addButton", QStringLiteral("Добавить"));
    m_changeButton = button("changeButton", QStringLiteral("Изменить"));
    m_deleteButton = button("deleteButton", QStringLiteral("Удалить"));
    m_refreshButton = button("refreshButton", QStringLiteral("Обновить"));

    m_headerRow = new QHBoxLayout;
    for (QRadioButton* b : m_shiftButtons)
        m_headerRow->addWidget(b);
    m_headerRow->addSpacing(20);
    m_headerRow->addWidget(m_dateEdit);
    m_headerRow->addWidget(m_dayOffCheck);
    m_headerRow->addWidget(m_monthClosedLabel);
    m_headerRow->addStretch();
    m_buttonRow = new QHBoxLayout;
    for (QPushButton* b : {m_addButton, m_changeButton, m_deleteButton, m_refreshButton})
        m_buttonRow->addWidget(b);
    m_buttonRow->addSpacing(20);
    // The grid spans the whole width, as the journal needs every pixel.
    m_headerRow->setContentsMargins(8, 4, 8, 0);
    m_buttonRow->setContentsMargins(8, 0, 8, 6);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_headerRow);
    layout->addWidget(m_journalGrid, 1);
    layout->addLayout(m_buttonRow);

    QTableView* grid = m_journalGrid;
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setSectionsMovable(false);
    QFont bold = grid->horizontalHeader()->font();
    bold.setBold(true);
    grid->horizontalHeader()->setFont(bold);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid->horizontalHeader()->setDefaultSectionSize(64);
    showInGrid(m_journalModels[0], grid);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int s = 0; s < 4; ++s)
        connect(m_shiftButtons[s], &QRadioButton::clicked, this, [this, s] {
            if (m_shiftButtons[s]->isChecked())
                selectShift(s + 1);
        });
    setLook(m_shiftButtons[0], true, kGreen);
    connect(m_dayOffCheck, &QCheckBox::toggled, this, &JournalView::showDayOffLook);
    connect(m_addButton, &QPushButton::clicked, this, &JournalView::addRecord);
    connect(m_changeButton, &QPushButton::clicked, this, &JournalView::changeRecord);
    connect(m_deleteButton, &QPushButton::clicked, this, &JournalView::deleteRecord);
    connect(m_refreshButton, &QPushButton::clicked, this, &JournalView::refresh);
    connect(grid, &QTableView::doubleClicked, this, &JournalView::toggleAcceptance);
    // Every way of choosing a day reads the journal again: the calendar (mouse or keyboard), the
    // arrow keys, and a date typed into the box once Enter is pressed or the box is left. Without
    // keyboard tracking a typed date counts only when it is complete.
    m_dateEdit->setKeyboardTracking(false);
    auto dayChosen = [this] {
        if (m_dateEdit->date() != m_readDate)
            showChosenDay();
    };
    connect(m_dateEdit, &QDateEdit::dateChanged, this, dayChosen);
    connect(m_dateEdit, &QDateEdit::editingFinished, this, dayChosen);
    // The selected row keeps the acceptance mark's colour.
    grid->setItemDelegate(new OwnColourDelegate(grid));
}

void JournalView::applyPermissions() {
    const Permissions& p = m_permissions;
    m_addButton->setEnabled(p.addRecords && !m_monthClosed);
    m_changeButton->setEnabled(p.changeRecords && !m_monthClosed);
    m_deleteButton->setEnabled(p.deleteRecords && !m_monthClosed);
    for (QWidget* w : std::initializer_list<QWidget*>{m_shiftButtons[0], m_shiftButtons[1], m_shiftButtons[2],
                                                      m_shiftButtons[3], m_dayOffCheck, m_refreshButton,
                                                      m_dateEdit, m_journalGrid})
        w->setEnabled(p.chooseDay);
}

JournalDay JournalView::day() const {
    return {m_dateEdit->date(), m_shift, m_dayOffCheck->isChecked()};
}

Dataset& JournalView::shownJournal() {
    return m_journals[m_shift - 1];
}

void JournalView::readDay() {
    m_readDate = m_dateEdit->date();
    for (Dataset& q : m_journals) {
        q.close();
        q.setFiltered(false);
        q.setParam(QStringLiteral("data"), m_readDate);
    }
    m_db.openJournals(m_journals);
    readMonthClosing();
}

void JournalView::readMonthClosing() {
    m_monthClosed = isMonthClosed(m_db, YearMonth::of(m_readDate));
    m_monthClosedLabel->setVisible(m_monthClosed);
    applyPermissions();
}

void JournalView::reopenShown(int row) {
    Dataset& q = shownJournal();
    q.close();
    q.open();
    if (row >= 1 && row <= q.recordCount())
        q.setRecNo(row);
}

void JournalView::showDay(const QDate& date) {
    {
        const QSignalBlocker quiet(m_dateEdit);
        m_dateEdit->setDate(date);
    }
    showChosenDay();
}

void JournalView::showToday() {
    {
        const QSignalBlocker quiet(m_dateEdit);
        m_dateEdit->setDate(seams::today());
    }
    if (isWeekend(m_dateEdit->date()))
        m_dayOffCheck->setChecked(true);
    runGuarded([&] { readDay(); });
    emit dayChanged(day());
}

void JournalView::showChosenDay() {
    WaitCursor wait;
    runGuarded([&] { readDay(); });
    m_dayOffCheck->setChecked(isWeekend(m_dateEdit->date()));
    m_journalGrid->setFocus();
    emit dayChanged(day());
}

void JournalView::refresh() {
    WaitCursor wait;
    runGuarded([&] {
        for (Dataset& q : m_journals) {
            q.close();
            q.setFiltered(false);
        }
        m_db.openJournals(m_journals);
        readMonthClosing();
    });
}

void JournalView::selectShift(int shift) {
    showInGrid(m_journalModels[shift - 1], m_journalGrid);
    for (int s = 0; s < 4; ++s)
        setLook(m_shiftButtons[s], s + 1 == shift, kGreen);
    m_shift = shift;
    emit dayChanged(day());
}

void JournalView::showDayOffLook() {
    setLook(m_dayOffCheck, m_dayOffCheck->isChecked(), kRed);
    emit dayChanged(day());
}

void JournalView::addRecord() {
    if (!m_editor.addRecord(day()))
        return;
    // Back from a save the journal shows the computer's date again.
    showToday();
    emit recordsChanged();
}

void JournalView::changeRecord() {
    Dataset& q = shownJournal();
    if (q.isEmpty())
        return;
    const int row = q.recNo();
    if (!m_editor.changeRecord(day(), WorkRecord::fromJournalRow(q)))
        return;
    // Back from a save the journal shows the computer's date again, on the row it had.
    showToday();
    if (row >= 1 && row <= q.recordCount())
        q.setRecNo(row);
    emit recordsChanged();
}

void JournalView::deleteRecord() {
    Dataset& q = shownJournal();
    const Field id = q.fieldByName(QStringLiteral("id"));
    if (id.isNull())
        return;
    if (!seams::askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить позицию из списка?")))
        return;
    const WorkRecord record = WorkRecord::fromJournalRow(q);
    runGuarded([&] {
        try {
            WorkRecordStore(m_db).remove(record);
        } catch (const StaleRowError&) {
            reopenShown(0);
            throw;
        }
        reopenShown(0);
        emit recordsChanged();
    });
}

void JournalView::toggleAcceptance() {
    if (!m_permissions.acceptRecords || m_monthClosed)
        return;
    Dataset& q = shownJournal();
    if (q.isEmpty())
        return;
    const int id = q.fieldByName(QStringLiteral("id")).asInteger();
    const bool accepted = isAcceptedMark(q.fieldByName(QStringLiteral("ok")).asString());
    const int row = q.recNo();
    runGuarded([&] {
        try {
            WorkRecordStore(m_db).setAccepted(id, !accepted);
        } catch (const StaleRowError&) {
            reopenShown(row);
            throw;
        }
        reopenShown(row);
        emit recordsChanged();
    });
}
