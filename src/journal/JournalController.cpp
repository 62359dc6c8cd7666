// Journal of the main window: the work records of one day and shift.
#include "journal/JournalController.h"

#include "data/Database.h"
#include "data/Format.h"
#include "data/Transaction.h"
#include "journal/WorkRecordEditor.h"
#include "records/DayHours.h"
#include "ui/DatasetGrid.h"
#include "ui/OwnColourDelegate.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFont>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

bool accepted(const QString& mark) {
    const QString t = mark.trimmed();
    return t == u"ok" || t == u"да";
}

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
                          return accepted(v.toString()) ? kGreen : kRed;
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

JournalController::JournalController(Database& db, WorkRecordEditor& editor, const Permissions& permissions,
                                     const Widgets& widgets, QObject* parent)
    : QObject(parent), m_db(db), m_editor(editor), m_permissions(permissions), m_widgets(widgets) {
    for (int s = 1; s <= 4; ++s) {
        m_db.journal(s).setColumns(journalColumns());
        // The journal lists every record whatever its acceptance mark.
        m_db.journal(s).setParam(QStringLiteral("ok"), QStringLiteral("ta"));
    }
    QTableView* grid = m_widgets.grid;
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setSectionsMovable(false);
    QFont bold = grid->horizontalHeader()->font();
    bold.setBold(true);
    grid->horizontalHeader()->setFont(bold);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid->horizontalHeader()->setDefaultSectionSize(64);
    showInGrid(m_db.journal(1), grid);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int s = 0; s < 4; ++s)
        connect(m_widgets.shiftButtons[s], &QRadioButton::clicked, this, [this, s] {
            if (m_widgets.shiftButtons[s]->isChecked())
                selectShift(s + 1);
        });
    setLook(m_widgets.shiftButtons[0], true, kGreen);
    connect(m_widgets.dayOffCheck, &QCheckBox::toggled, this, &JournalController::showDayOffLook);
    connect(m_widgets.addButton, &QPushButton::clicked, this, &JournalController::addRecord);
    connect(m_widgets.changeButton, &QPushButton::clicked, this, &JournalController::changeRecord);
    connect(m_widgets.deleteButton, &QPushButton::clicked, this, &JournalController::deleteRecord);
    connect(m_widgets.refreshButton, &QPushButton::clicked, this, &JournalController::refresh);
    connect(grid, &QTableView::doubleClicked, this, &JournalController::toggleAcceptance);
    // Every way of choosing a day reads the journal again: the calendar (mouse or keyboard), the
    // arrow keys, and a date typed into the box once Enter is pressed or the box is left. Without
    // keyboard tracking a typed date counts only when it is complete.
    m_widgets.dateEdit->setKeyboardTracking(false);
    auto dayChosen = [this] {
        if (m_widgets.dateEdit->date() != m_db.journal(1).param(QStringLiteral("data")).toDate())
            showChosenDay();
    };
    connect(m_widgets.dateEdit, &QDateEdit::dateChanged, this, dayChosen);
    connect(m_widgets.dateEdit, &QDateEdit::editingFinished, this, dayChosen);
    // The selected row keeps the acceptance mark's colour.
    grid->setItemDelegate(new OwnColourDelegate(grid));
}

JournalDay JournalController::day() const {
    return {m_widgets.dateEdit->date(), m_shift, m_widgets.dayOffCheck->isChecked()};
}

Dataset& JournalController::shownJournal() const {
    return m_db.journal(m_shift);
}

void JournalController::reopenAll(bool setDate) {
    for (int s = 1; s <= 4; ++s) {
        Dataset& q = m_db.journal(s);
        q.close();
        q.setFiltered(false);
        if (setDate)
            q.setParam(QStringLiteral("data"), m_widgets.dateEdit->date());
    }
    m_db.openJournals();
}

void JournalController::reopenShown(int row) {
    Dataset& q = shownJournal();
    q.close();
    q.open();
    if (row >= 1 && row <= q.recordCount())
        q.setRecNo(row);
}

void JournalController::showToday() {
    {
        const QSignalBlocker quiet(m_widgets.dateEdit);
        m_widgets.dateEdit->setDate(seams::today());
    }
    if (isWeekend(m_widgets.dateEdit->date()))
        m_widgets.dayOffCheck->setChecked(true);
    reopenAll(true);
}

void JournalController::showChosenDay() {
    WaitCursor wait;
    reopenAll(true);
    m_widgets.dayOffCheck->setChecked(isWeekend(m_widgets.dateEdit->date()));
    m_widgets.grid->setFocus();
}

void JournalController::refresh() {
    WaitCursor wait;
    reopenAll(false);
}

void JournalController::selectShift(int shift) {
    showInGrid(m_db.journal(shift), m_widgets.grid);
    for (int s = 0; s < 4; ++s)
        setLook(m_widgets.shiftButtons[s], s + 1 == shift, kGreen);
    m_shift = shift;
}

void JournalController::showDayOffLook() {
    setLook(m_widgets.dayOffCheck, m_widgets.dayOffCheck->isChecked(), kRed);
}

void JournalController::addRecord() {
    m_editor.addRecord(day());
    showToday();
}

void JournalController::changeRecord() {
    Dataset& q = shownJournal();
    if (q.isEmpty())
        return;
    const int row = q.recNo();
    m_editor.changeRecord(day(), WorkRecord::fromJournalRow(q));
    // Back from the editor the journal shows the computer's date again, on the row it had.
    showToday();
    if (row >= 1 && row <= q.recordCount())
        q.setRecNo(row);
}

void JournalController::deleteRecord() {
    Dataset& q = shownJournal();
    const Field id = q.fieldByName(QStringLiteral("id"));
    if (id.isNull())
        return;
    if (!seams::askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить позицию из списка?")))
        return;
    const int workerId = q.fieldByName(QStringLiteral("w_id")).asInteger();
    {
        // The record and the hours of its day go together or not at all.
        Transaction transaction(m_db);
        if (!refuseIfStale(m_db.execute(QStringLiteral("delete from accounts_dep.smena where id=:id"),
                                        {{QStringLiteral("id"), id.asInteger()}}))) {
            writeDayHours(transaction, m_db, workerId, m_shift, m_widgets.dateEdit->date(), false);
            transaction.commit();
        }
    }
    q.close();
    q.open();
}

void JournalController::toggleAcceptance() {
    if (!m_permissions.acceptRecords)
        return;
    Dataset& q = shownJournal();
    if (q.isEmpty())
        return;
    const QString newMark = accepted(q.fieldByName(QStringLiteral("ok")).asString()) ? QStringLiteral("no")
                                                                                     : QStringLiteral("ok");
    m_db.execute(QStringLiteral("update accounts_dep.smena set ok=:ok where id=:id"),
                 {{QStringLiteral("ok"), newMark},
                  {QStringLiteral("id"), q.fieldByName(QStringLiteral("id")).asInteger()}});
    reopenShown(q.recNo());
}
