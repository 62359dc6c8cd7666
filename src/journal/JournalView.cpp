// Journal: the work records of one day and shift, read, added, changed, deleted and accepted.
#include "journal/JournalView.h"

#include "data/Database.h"
#include "data/Format.h"
#include "history/RecordHistoryDialog.h"
#include "journal/WorkRecordEditor.h"
#include "records/ChangeLog.h"
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
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
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

// An amount in roubles with its two decimals ("732,50", not "732,5").
QString moneyText(const QVariant& v) {
    return v.isNull() ? QString() : formatMoney(v.toDouble());
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

// A work record as a delete question names it: who, what and how many.
QString describeRecord(const WorkRecord& r) {
    return QStringLiteral("%1 — %2, %3 шт.").arg(r.workerName.trimmed(), r.operationText, r.quantity);
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
    m_filterFieldBox = new QComboBox(this);
    m_filterFieldBox->setObjectName(QStringLiteral("filterFieldBox"));
    m_filterFieldBox->addItem(QStringLiteral("Работник"), QStringLiteral("fio"));
    m_filterFieldBox->addItem(QStringLiteral("Изделие"), QStringLiteral("marka"));
    m_filterEdit = new QLineEdit(this);
    m_filterEdit->setObjectName(QStringLiteral("filterEdit"));
    m_filterEdit->setPlaceholderText(QStringLiteral("Отбор"));
    m_filterEdit->setClearButtonEnabled(true);
    m_filterEdit->setMaximumWidth(200);
    m_totalsLabel = new QLabel(this);
    m_totalsLabel->setObjectName(QStringLiteral("totalsLabel"));
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
    m_copyButton = button("copyButton", QStringLiteral("Копировать"));
    m_acceptShiftButton = button("acceptShiftButton", QStringLiteral("Принять смену"));
    m_historyButton = button("historyButton", QStringLiteral("История"));
    m_historyDialog = new RecordHistoryDialog(m_db, this);

    m_headerRow = new QHBoxLayout;
    for (QRadioButton* b : m_shiftButtons)
        m_headerRow->addWidget(b);
    m_headerRow->addSpacing(20);
    m_headerRow->addWidget(m_dateEdit);
    m_headerRow->addWidget(m_dayOffCheck);
    m_headerRow->addWidget(m_monthClosedLabel);
    m_headerRow->addSpacing(20);
    m_headerRow->addWidget(m_filterFieldBox);
    m_headerRow->addWidget(m_filterEdit);
    m_headerRow->addStretch();
    m_buttonRow = new QHBoxLayout;
    for (QPushButton* b : {m_addButton, m_copyButton, m_changeButton, m_deleteButton, m_refreshButton,
                           m_acceptShiftButton, m_historyButton})
        m_buttonRow->addWidget(b);
    m_buttonRow->addSpacing(20);
    // The grid spans the whole width, as the journal needs every pixel.
    m_headerRow->setContentsMargins(8, 4, 8, 0);
    m_buttonRow->setContentsMargins(8, 0, 8, 6);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_headerRow);
    layout->addWidget(m_journalGrid, 1);
    auto* totalsRow = new QHBoxLayout;
    totalsRow->setContentsMargins(8, 2, 8, 0);
    totalsRow->addWidget(m_totalsLabel, 1);
    layout->addLayout(totalsRow);
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
    connect(m_copyButton, &QPushButton::clicked, this, &JournalView::copyRecord);
    connect(m_acceptShiftButton, &QPushButton::clicked, this, &JournalView::acceptShift);
    connect(m_historyButton, &QPushButton::clicked, this, &JournalView::showRecordHistory);
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
    // The filter follows every key typed, and the choice of what it looks at.
    connect(m_filterEdit, &QLineEdit::textChanged, this, &JournalView::applyFilter);
    connect(m_filterFieldBox, &QComboBox::currentIndexChanged, this, &JournalView::applyFilter);
    // The worker's totals follow the current row.
    for (Dataset& q : m_journals)
        connect(&q, &Dataset::currentRowChanged, this, [this, &q] {
            if (&q == &shownJournal())
                showTotals();
        });
    // The selected row keeps the acceptance mark's colour.
    grid->setItemDelegate(new OwnColourDelegate(grid));
}

void JournalView::applyPermissions() {
    const Permissions& p = m_permissions;
    m_addButton->setEnabled(p.addRecords && !m_monthClosed);
    m_copyButton->setEnabled(p.addRecords && !m_monthClosed);
    // As the acceptance toggle: who accepts records and may use the grid.
    m_acceptShiftButton->setEnabled(p.acceptRecords && p.chooseDay && !m_monthClosed);
    m_changeButton->setEnabled(p.changeRecords && !m_monthClosed);
    m_deleteButton->setEnabled(p.deleteRecords && !m_monthClosed);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_shiftButtons[0], m_shiftButtons[1], m_shiftButtons[2], m_shiftButtons[3], m_dayOffCheck,
             m_refreshButton, m_dateEdit, m_journalGrid, m_filterFieldBox, m_filterEdit, m_historyButton})
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
    applyFilter();
}

void JournalView::readMonthClosing() {
    m_monthClosed = isMonthClosed(m_db, YearMonth::of(m_readDate));
    m_monthClosedLabel->setVisible(m_monthClosed);
    applyPermissions();
}

void JournalView::applyFilter() {
    const QString field = m_filterFieldBox->currentData().toString();
    const QString text = m_filterEdit->text().trimmed();
    for (Dataset& q : m_journals) {
        if (text.isEmpty()) {
            q.setFiltered(false);
            continue;
        }
        // Anywhere in the name or the mark, letter case aside; a quote typed stays a letter.
        q.setFilter(field + QStringLiteral(" like ") + sqlQuote(u'%' + text + u'%'));
        q.setFiltered(true);
    }
    showTotals();
}

void JournalView::showTotals() {
    const Dataset& q = shownJournal();
    struct Sums {
        int records = 0;
        qint64 hours = 0;
        qint64 pieces = 0;
        double amount = 0;
    } all, worker;
    const int current = q.recNo() - 1;
    const QVariant workerId = current >= 0 ? q.valueAt(current, QStringLiteral("w_id")) : QVariant();
    for (int r = 0; r < q.recordCount(); ++r) {
        const qint64 hours = q.valueAt(r, QStringLiteral("time")).toLongLong();
        const qint64 pieces = q.valueAt(r, QStringLiteral("kol_vo")).toLongLong();
        const double amount = q.valueAt(r, QStringLiteral("summa")).toDouble();
        for (Sums* s : {&all, &worker}) {
            if (s == &worker && (workerId.isNull() || q.valueAt(r, QStringLiteral("w_id")) != workerId))
                continue;
            ++s->records;
            s->hours += hours;
            s->pieces += pieces;
            s->amount += amount;
        }
    }
    auto line = [](const Sums& s) {
        return QStringLiteral("записей %1, часов %2, кол-во %3, сумма %4")
            .arg(s.records)
            .arg(s.hours)
            .arg(s.pieces)
            .arg(formatMoney(s.amount));
    };
    QString text =
        (q.isFiltered() ? QStringLiteral("Отобрано: ") : QStringLiteral("Всего за смену: ")) + line(all);
    if (!workerId.isNull())
        text += QStringLiteral("   |   ") + q.valueAt(current, QStringLiteral("fio")).toString().trimmed() +
                QStringLiteral(": ") + line(worker);
    m_totalsLabel->setText(text);
}

void JournalView::reopenShown(int row) {
    Dataset& q = shownJournal();
    q.close();
    q.open();
    if (row >= 1 && row <= q.recordCount())
        q.setRecNo(row);
    showTotals();
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
        applyFilter();
    });
}

void JournalView::selectShift(int shift) {
    showInGrid(m_journalModels[shift - 1], m_journalGrid);
    for (int s = 0; s < 4; ++s)
        setLook(m_shiftButtons[s], s + 1 == shift, kGreen);
    m_shift = shift;
    showTotals();
    emit dayChanged(day());
}

void JournalView::showDayOffLook() {
    setLook(m_dayOffCheck, m_dayOffCheck->isChecked(), kRed);
    emit dayChanged(day());
}

void JournalView::addRecord() {
    const int row = shownJournal().recNo();
    if (!m_editor.addRecord(day()))
        return;
    showSaved(m_editor.savedRecord(), row);
    emit recordsChanged();
}

void JournalView::changeRecord() {
    Dataset& q = shownJournal();
    if (q.isEmpty())
        return;
    const int row = q.recNo();
    if (!m_editor.changeRecord(day(), WorkRecord::fromJournalRow(q)))
        return;
    showSaved(m_editor.savedRecord(), row);
    emit recordsChanged();
}

void JournalView::copyRecord() {
    Dataset& q = shownJournal();
    if (q.isEmpty() || !m_permissions.addRecords)
        return;
    const int row = q.recNo();
    if (!m_editor.copyRecord(day(), WorkRecord::fromJournalRow(q)))
        return;
    showSaved(m_editor.savedRecord(), row);
    emit recordsChanged();
}

void JournalView::showRecordHistory() {
    Dataset& q = shownJournal();
    if (q.isEmpty() || q.recNo() == 0)
        return;
    const WorkRecord record = WorkRecord::fromJournalRow(q);
    m_historyDialog->showRecord(kWorkRecordsTable, record.id, describeRecord(record));
}

void JournalView::acceptShift() {
    if (!m_permissions.acceptRecords || !m_permissions.chooseDay)
        return;
    // Every record of the shift, also those a filter hides.
    Dataset& q = shownJournal();
    const bool filtered = q.isFiltered();
    q.setFiltered(false);
    QList<int> open;
    for (int r = 0; r < q.recordCount(); ++r)
        if (!isAcceptedMark(q.valueAt(r, QStringLiteral("ok")).toString()))
            open << q.valueAt(r, QStringLiteral("id")).toInt();
    q.setFiltered(filtered);
    const int row = q.recNo();
    if (open.isEmpty()) {
        seams::showMessage({QStringLiteral("Приемка"), QStringLiteral("Все записи смены уже приняты."),
                            QMessageBox::Information, QMessageBox::Ok});
        return;
    }
    const QString shiftName =
        m_shift == 4 ? QStringLiteral("переработки") : QStringLiteral("смены №%1").arg(m_shift);
    if (!seams::askYesNo(QStringLiteral("Приемка"),
                         QStringLiteral("Принять все непринятые записи %1 за %2? Записей: %3.")
                             .arg(shiftName, m_readDate.toString(QStringLiteral("dd.MM.yyyy")))
                             .arg(open.size())))
        return;
    runGuarded([&] {
        WorkRecordStore(m_db).acceptAll(open);
        reopenShown(row);
        emit recordsChanged();
    });
}

void JournalView::showSaved(const WorkRecord& saved, int row) {
    // The day stays: the next record of the same day needs no date chosen again.
    WaitCursor wait;
    if (!runGuarded([&] { readDay(); }))
        return;
    Dataset& q = shownJournal();
    if (saved.date == m_readDate && saved.shift == m_shift) {
        // The key of a record within its day and shift, which the duplicate check keeps unique.
        for (int r = 1; r <= q.recordCount(); ++r) {
            q.setRecNo(r);
            if (q.fieldByName(QStringLiteral("w_id")).asInteger() == saved.workerId &&
                q.fieldByName(QStringLiteral("o_id")).asInteger() == saved.operationPriceId &&
                q.fieldByName(QStringLiteral("i_id")).asInteger() == saved.productId &&
                q.fieldByName(QStringLiteral("color")).asInteger() == saved.colour.toInt())
                return;
        }
    }
    if (row >= 1 && row <= q.recordCount())
        q.setRecNo(row);
    else if (!q.isEmpty())
        q.first();
}

void JournalView::deleteRecord() {
    Dataset& q = shownJournal();
    const Field id = q.fieldByName(QStringLiteral("id"));
    if (id.isNull())
        return;
    const WorkRecord record = WorkRecord::fromJournalRow(q);
    if (!seams::confirmDestructive(QStringLiteral("Удаление"), QStringLiteral("Удалить позицию из списка?"),
                                   describeRecord(record)))
        return;
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
