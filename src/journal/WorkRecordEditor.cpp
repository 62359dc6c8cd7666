// Work-record editor: enters or changes one work record of the journal and keeps the
// worker's hours of the day in the timesheet.
#include "journal/WorkRecordEditor.h"

#include "data/Database.h"
#include "data/Format.h"
#include "records/Refusal.h"
#include "refbooks/OperationPricesDialog.h"
#include "refbooks/WorkersDialog.h"
#include "ui/DateBox.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QBoxLayout>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

namespace {

// Rounded to 4 decimals (halves to even) in the shortest form with the workstation's separator.
QString screenPrice(double v) {
    return formatScreen(roundHalfEven(v, 4));
}

// A long text (a worker's name, "mark; operation; kind") shown from its beginning.
void showFromStart(QLineEdit* box, const QString& text) {
    box->setText(text);
    box->setCursorPosition(0);
}

} // namespace

WorkRecordEditor::WorkRecordEditor(Database& db, WorkersDialog& workerPicker,
                                   OperationPricesDialog& operationPicker, QWidget* parent)
    : QDialog(parent), m_db(db), m_store(db), m_workerPicker(workerPicker),
      m_operationPicker(operationPicker) {
    setObjectName(QStringLiteral("WorkRecordEditor"));
    makeFixedDialog(this);
    m_recordGroup = new QGroupBox(QStringLiteral("Закрыто мастером"), this);
    m_recordGroup->setObjectName(QStringLiteral("recordGroup"));
    QFont bold = m_recordGroup->font();
    bold.setBold(true);
    m_recordGroup->setFont(bold);
    QFont plain = bold;
    plain.setBold(false);

    auto edit = [&](const char* name, bool computed) {
        auto* e = new QLineEdit;
        e->setObjectName(QLatin1String(name));
        e->setFont(plain);
        if (computed) {
            e->setReadOnly(true);
            e->setFocusPolicy(Qt::NoFocus);
        }
        return e;
    };
    m_workerEdit = edit("workerEdit", true);
    m_operationEdit = edit("operationEdit", true);
    m_workerEdit->setMinimumWidth(300);
    m_workerEdit->installEventFilter(this);
    m_operationEdit->installEventFilter(this);
    m_quantityEdit = edit("quantityEdit", false);
    m_hoursEdit = edit("hoursEdit", false);
    m_colourEdit = edit("colourEdit", false);
    m_rejectsEdit = edit("rejectsEdit", false);
    m_basePriceEdit = edit("basePriceEdit", true);
    m_priceEdit = edit("priceEdit", true);
    m_amountEdit = edit("amountEdit", true);
    // Digit-only boxes: 0 to 9 and Backspace.
    for (QLineEdit* e : {m_quantityEdit, m_hoursEdit, m_colourEdit, m_rejectsEdit})
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    m_hoursEdit->setText(QStringLiteral("0"));
    m_rejectsEdit->setText(QStringLiteral("0"));
    m_dateEdit = new DateBox;
    m_dateEdit->setObjectName(QStringLiteral("dateEdit"));
    m_dateEdit->setCalendarPopup(true);
    m_dateEdit->setFont(plain);
    auto small = [&](const char* name) {
        auto* b = new QPushButton(QStringLiteral("..."));
        b->setObjectName(QLatin1String(name));
        b->setFixedWidth(28);
        // Enter on a focused "..." opens its picker; Enter elsewhere saves.
        b->setAutoDefault(true);
        b->setFont(plain);
        return b;
    };
    m_workerButton = small("workerButton");
    m_operationButton = small("operationButton");

    auto* grid = new QGridLayout(m_recordGroup);
    auto label = [](const QString& text) { return new QLabel(text); };
    grid->addWidget(label(QStringLiteral("ФИО")), 0, 0);
    grid->addWidget(m_workerEdit, 0, 1, 1, 3);
    grid->addWidget(m_workerButton, 0, 4);
    grid->addWidget(label(QStringLiteral("Операция")), 1, 0);
    grid->addWidget(m_operationEdit, 1, 1, 1, 3);
    grid->addWidget(m_operationButton, 1, 4);
    grid->addWidget(label(QStringLiteral("Кол-во")), 2, 0);
    grid->addWidget(m_quantityEdit, 2, 1);
    grid->addWidget(label(QStringLiteral("Время")), 2, 2);
    grid->addWidget(m_hoursEdit, 2, 3);
    m_colourLabel = label(QStringLiteral("Цвет"));
    m_colourLabel->setObjectName(QStringLiteral("colourLabel"));
    grid->addWidget(m_colourLabel, 3, 0);
    grid->addWidget(m_colourEdit, 3, 1);
    grid->addWidget(label(QStringLiteral("Дата")), 3, 2);
    grid->addWidget(m_dateEdit, 3, 3);
    grid->addWidget(label(QStringLiteral("Брак")), 4, 0);
    grid->addWidget(m_rejectsEdit, 4, 1);
    m_shiftLabel = new QLabel;
    m_shiftLabel->setObjectName(QStringLiteral("shiftLabel"));
    grid->addWidget(label(QStringLiteral("Смена")), 4, 2);
    grid->addWidget(m_shiftLabel, 4, 3);
    grid->addWidget(label(QStringLiteral("Цена база")), 5, 0);
    grid->addWidget(m_basePriceEdit, 5, 1);
    grid->addWidget(label(QStringLiteral("Цена итог")), 5, 2);
    grid->addWidget(m_priceEdit, 5, 3);
    grid->addWidget(label(QStringLiteral("Сумма")), 6, 0);
    grid->addWidget(m_amountEdit, 6, 1);
    m_priceNoteLabel = new QLabel;
    m_priceNoteLabel->setObjectName(QStringLiteral("priceNoteLabel"));
    m_priceNoteLabel->setFont(plain);
    m_priceNoteLabel->setWordWrap(true);
    grid->addWidget(m_priceNoteLabel, 7, 0, 1, 5);

    layOutEditor(this, m_recordGroup, m_saveButton, m_cancelButton, QStringLiteral("Запись"));
    m_saveAndAddButton = new QPushButton(QStringLiteral("Записать и добавить"), this);
    m_saveAndAddButton->setObjectName(QStringLiteral("saveAndAddButton"));
    m_saveAndAddButton->setAutoDefault(false);
    if (auto* buttons = qobject_cast<QBoxLayout*>(layout()->itemAt(1)->layout()))
        buttons->insertWidget(buttons->indexOf(m_saveButton) + 1, m_saveAndAddButton);

    setTabOrder(m_workerButton, m_operationButton);
    setTabOrder(m_operationButton, m_quantityEdit);
    setTabOrder(m_quantityEdit, m_hoursEdit);
    setTabOrder(m_hoursEdit, m_colourEdit);
    setTabOrder(m_colourEdit, m_dateEdit);
    setTabOrder(m_dateEdit, m_rejectsEdit);
    setTabOrder(m_rejectsEdit, m_saveButton);
    setTabOrder(m_saveButton, m_saveAndAddButton);
    setTabOrder(m_saveAndAddButton, m_cancelButton);

    connect(m_saveButton, &QPushButton::clicked, this, &WorkRecordEditor::save);
    connect(m_saveAndAddButton, &QPushButton::clicked, this, &WorkRecordEditor::saveAndAdd);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);
    connect(m_workerButton, &QPushButton::clicked, this, &WorkRecordEditor::pickWorker);
    connect(m_operationButton, &QPushButton::clicked, this, &WorkRecordEditor::pickOperation);
    // The amounts are computed again every time the quantity, the rejects or the hours box is left.
    m_quantityEdit->installEventFilter(this);
    m_hoursEdit->installEventFilter(this);
    m_rejectsEdit->installEventFilter(this);
    // A typed date counts once it is complete (Enter, Tab, a click elsewhere), not digit by digit.
    m_dateEdit->setKeyboardTracking(false);
    connect(m_dateEdit, &QDateEdit::dateChanged, this, &WorkRecordEditor::followDate);
}

bool WorkRecordEditor::addRecord(const JournalDay& day) {
    clearBoxes();
    m_original = WorkRecord{};
    m_workerId = 0;
    m_productId = 0;
    m_operationPriceId = 0;
    m_basePrice = 0;
    m_price = 0;
    m_day = day;
    {
        const QSignalBlocker quiet(m_dateEdit);
        m_dateEdit->setDate(day.date);
    }
    m_priceDay = recordDay();
    m_rejectsEdit->setText(QStringLiteral("0"));
    m_hoursEdit->setText(QStringLiteral("0"));
    setColourByOperation(QString());
    setWindowTitle(QStringLiteral("Заведение новой позиции (11)"));
    return edit(Mode::Add, day);
}

bool WorkRecordEditor::changeRecord(const JournalDay& day, const WorkRecord& record) {
    m_day = day;
    fillFrom(record);
    m_original = record;
    setWindowTitle(QStringLiteral("Изменение данных о позиции (11)"));
    return edit(Mode::Change, day);
}

bool WorkRecordEditor::copyRecord(const JournalDay& day, const WorkRecord& record) {
    m_day = day;
    WorkRecord copy = record;
    copy.id = 0;
    copy.date = day.date;
    copy.shift = day.shift;
    fillFrom(copy);
    m_original = WorkRecord{};
    setWindowTitle(QStringLiteral("Заведение новой позиции (11)"));
    return edit(Mode::Add, day);
}

void WorkRecordEditor::fillFrom(const WorkRecord& record) {
    clearBoxes();
    m_workerId = record.workerId;
    m_productId = record.productId;
    m_operationPriceId = record.operationPriceId;
    // The base price is that of the record's own operation price: its lowest norm price.
    m_basePrice =
        m_db.readValue(QStringLiteral("select min(price)::float8 from accounts_dep.norm where o_id=:id"),
                       {{QStringLiteral("id"), record.operationPriceId}})
            .toDouble();
    m_price = record.price;
    m_basePriceEdit->setText(screenPrice(m_basePrice));
    m_priceEdit->setText(screenPrice(m_price));
    m_amountEdit->setText(formatMoney(amountOf(record)));
    {
        const QSignalBlocker quiet(m_dateEdit);
        m_dateEdit->setDate(record.date);
    }
    // The stored price carries the factors of the record's own day.
    m_priceDay = recordDay();
    showFromStart(m_workerEdit, record.workerName);
    showFromStart(m_operationEdit, record.operationText);
    m_quantityEdit->setText(record.quantity);
    m_rejectsEdit->setText(record.rejects);
    m_hoursEdit->setText(record.hours);
    setColourByOperation(record.operationName);
    if (isPaintingOperation(record.operationName))
        m_colourEdit->setText(record.colour);
}

void WorkRecordEditor::startNextRecord(const WorkRecord& saved) {
    clearBoxes();
    m_mode = Mode::Add;
    m_original = WorkRecord{};
    m_productId = 0;
    m_operationPriceId = 0;
    m_basePrice = 0;
    m_price = 0;
    m_workerId = saved.workerId;
    showFromStart(m_workerEdit, saved.workerName);
    m_rejectsEdit->setText(QStringLiteral("0"));
    m_hoursEdit->setText(QStringLiteral("0"));
    setColourByOperation(QString());
    m_priceNoteLabel->setText(QStringLiteral("Записано. Следующая позиция того же работника."));
    setWindowTitle(QStringLiteral("Заведение новой позиции (11)"));
    m_operationButton->setFocus();
}

bool WorkRecordEditor::edit(Mode mode, const JournalDay& day) {
    m_mode = mode;
    m_day = day;
    m_shiftLabel->setText(day.shift == 4 ? QStringLiteral("Переработка")
                                         : QStringLiteral("Смена №%1").arg(day.shift));
    m_saved = false;
    m_savedRecord = m_original;
    seams::showModal(this);
    return m_saved;
}

void WorkRecordEditor::clearBoxes() {
    for (QLineEdit* e : {m_workerEdit, m_operationEdit, m_quantityEdit, m_rejectsEdit, m_colourEdit,
                         m_hoursEdit, m_priceEdit, m_basePriceEdit, m_amountEdit})
        e->clear();
    m_priceNoteLabel->clear();
}

JournalDay WorkRecordEditor::recordDay() const {
    const QDate date = m_dateEdit->date();
    return {date, m_day.shift, date == m_day.date ? m_day.dayOff : isWeekend(date)};
}

void WorkRecordEditor::followDate() {
    const JournalDay now = recordDay();
    if (m_price == 0 || now.dayOff == m_priceDay.dayOff) {
        m_priceDay = now;
        return;
    }
    // The day-off factor doubles the price; the shift's factor stays, as the shift does.
    m_price = now.dayOff ? m_price * 2 : m_price / 2;
    m_priceDay = now;
    m_priceNoteLabel->setText(
        (now.dayOff ? QStringLiteral("Цена пересчитана на %1: выходной, двойная цена.")
                    : QStringLiteral("Цена пересчитана на %1: рабочий день, без двойной цены."))
            .arg(now.date.toString(QStringLiteral("dd.MM.yyyy"))));
    m_priceEdit->setText(screenPrice(m_price));
    if (!m_quantityEdit->text().isEmpty())
        m_amountEdit->setText(formatMoney(amountOf(typedRecord())));
}

void WorkRecordEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    m_workerButton->setFocus();
}

bool WorkRecordEditor::eventFilter(QObject* watched, QEvent* e) {
    // Leaving the quantity or the hours box by Tab or a click recomputes; a message box or
    // another window taking the focus does not (a refusal would otherwise repeat itself).
    if (e->type() == QEvent::FocusOut &&
        (watched == m_quantityEdit || watched == m_hoursEdit || watched == m_rejectsEdit)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible())
            QMetaObject::invokeMethod(this, &WorkRecordEditor::recomputeAmounts, Qt::QueuedConnection);
    }
    // A click on the worker or the operation opens its picker.
    if (e->type() == QEvent::MouseButtonRelease) {
        if (watched == m_workerEdit)
            QMetaObject::invokeMethod(this, &WorkRecordEditor::pickWorker, Qt::QueuedConnection);
        else if (watched == m_operationEdit)
            QMetaObject::invokeMethod(this, &WorkRecordEditor::pickOperation, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, e);
}

void WorkRecordEditor::setColourByOperation(const QString& operationText) {
    const bool painting = isPaintingOperation(operationText);
    if (!painting)
        m_colourEdit->clear();
    m_colourEdit->setEnabled(painting);
    m_colourLabel->setEnabled(painting);
}

void WorkRecordEditor::pickWorker() {
    runGuarded([this] {
        if (const std::optional<Worker> worker = m_workerPicker.pickWorker()) {
            showFromStart(m_workerEdit, worker->name);
            m_workerId = worker->id;
        }
    });
}

void WorkRecordEditor::pickOperation() {
    runGuarded([this] {
        // A change starts the list on the record's own operation price.
        const int startAt = m_mode == Mode::Change ? m_original.operationPriceId : 0;
        if (const std::optional<OperationPrice> picked = m_operationPicker.pickOperationPrice(startAt)) {
            m_productId = picked->productId;
            m_operationPriceId = picked->id;
            m_basePrice = picked->basePrice;
            // The factors of the record's own date and shift, not of the journal's day.
            m_priceDay = recordDay();
            m_price = piecePrice(picked->basePrice, m_priceDay);
            m_priceNoteLabel->clear();
            showFromStart(m_operationEdit, picked->text);
        }
    });
    setColourByOperation(m_operationEdit->text());
    recomputeAmounts();
}

WorkRecord WorkRecordEditor::typedRecord() const {
    WorkRecord r = m_original;
    r.date = m_dateEdit->date();
    r.shift = m_day.shift;
    r.workerId = m_workerId;
    r.workerName = m_workerEdit->text();
    r.productId = m_productId;
    r.operationPriceId = m_operationPriceId;
    r.operationText = m_operationEdit->text();
    r.price = m_price;
    r.quantity = m_quantityEdit->text().trimmed();
    r.rejects = m_rejectsEdit->text().trimmed();
    r.hours = m_hoursEdit->text().trimmed();
    r.colour = m_colourEdit->text().trimmed();
    return r;
}

void WorkRecordEditor::focusField(const QString& field) {
    const std::pair<const QString*, QLineEdit*> boxes[] = {{&WorkRecordStore::kQuantityField, m_quantityEdit},
                                                           {&WorkRecordStore::kRejectsField, m_rejectsEdit},
                                                           {&WorkRecordStore::kHoursField, m_hoursEdit},
                                                           {&WorkRecordStore::kColourField, m_colourEdit}};
    for (const auto& [name, box] : boxes)
        if (*name == field)
            box->setFocus();
}

void WorkRecordEditor::recomputeAmounts() {
    if (m_hoursEdit->text().isEmpty())
        m_hoursEdit->setText(QStringLiteral("0"));
    if (m_quantityEdit->text().isEmpty())
        m_quantityEdit->setText(QStringLiteral("0"));
    const bool fit = runGuarded([this] {
        try {
            WorkRecordStore::checkCounts(typedRecord());
        } catch (const Refusal& refusal) {
            focusField(refusal.field);
            throw;
        }
    });
    if (!fit)
        return;
    m_priceEdit->setText(screenPrice(m_price));
    m_basePriceEdit->setText(screenPrice(m_basePrice));
    // The amount the journal will show: the good pieces (quantity less rejects) at the price.
    m_amountEdit->setText(formatMoney(amountOf(typedRecord())));
}

void WorkRecordEditor::saveAndAdd() {
    m_addNext = true;
    save();
    m_addNext = false;
}

void WorkRecordEditor::save() {
    const bool painting = isPaintingOperation(m_operationEdit->text());
    if (m_workerEdit->text().trimmed().isEmpty() || m_operationEdit->text().trimmed().isEmpty() ||
        m_quantityEdit->text().trimmed().isEmpty() || m_rejectsEdit->text().trimmed().isEmpty() ||
        (painting && m_colourEdit->text().trimmed().isEmpty()) || m_hoursEdit->text().trimmed().isEmpty()) {
        seams::errorBox(QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    const WorkRecord record = typedRecord();
    bool stale = false;
    const bool saved = runGuarded([&] {
        try {
            if (m_mode == Mode::Add)
                m_store.add(record, seams::today());
            else
                m_store.change(m_original, record, seams::today());
        } catch (const Refusal& refusal) {
            focusField(refusal.field);
            throw;
        } catch (const StaleRowError&) {
            stale = true;
            throw;
        }
    });
    if (!saved && !stale)
        return; // the typed values stay for another try
    if (saved && m_addNext) {
        m_savedRecord = record;
        m_saved = true;
        startNextRecord(record);
        return;
    }
    if (saved) {
        m_savedRecord = record;
        clearBoxes();
    }
    // A record found changed or deleted at another workstation: the journal is read again to
    // show it as it now stands.
    m_saved = true;
    close();
}
