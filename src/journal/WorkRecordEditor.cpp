// Work-record editor: enters or changes one work record of the journal and keeps the
// worker's hours of the day in the timesheet.
#include "journal/WorkRecordEditor.h"

#include "data/Database.h"
#include "data/Format.h"
#include "data/Transaction.h"
#include "records/DayHours.h"
#include "refbooks/OperationPricesDialog.h"
#include "refbooks/WorkersDialog.h"
#include "ui/DateBox.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

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
    : QDialog(parent), m_db(db), m_workerPicker(workerPicker), m_operationPicker(operationPicker) {
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
    grid->addWidget(label(QStringLiteral("Цена база")), 5, 0);
    grid->addWidget(m_basePriceEdit, 5, 1);
    grid->addWidget(label(QStringLiteral("Цена итог")), 5, 2);
    grid->addWidget(m_priceEdit, 5, 3);
    grid->addWidget(label(QStringLiteral("Сумма")), 6, 0);
    grid->addWidget(m_amountEdit, 6, 1);

    layOutEditor(this, m_recordGroup, m_saveButton, m_cancelButton, QStringLiteral("Запись"));

    setTabOrder(m_workerButton, m_operationButton);
    setTabOrder(m_operationButton, m_quantityEdit);
    setTabOrder(m_quantityEdit, m_hoursEdit);
    setTabOrder(m_hoursEdit, m_colourEdit);
    setTabOrder(m_colourEdit, m_dateEdit);
    setTabOrder(m_dateEdit, m_rejectsEdit);
    setTabOrder(m_rejectsEdit, m_saveButton);
    setTabOrder(m_saveButton, m_cancelButton);

    connect(m_saveButton, &QPushButton::clicked, this, &WorkRecordEditor::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);
    connect(m_workerButton, &QPushButton::clicked, this, &WorkRecordEditor::pickWorker);
    connect(m_operationButton, &QPushButton::clicked, this, &WorkRecordEditor::pickOperation);
    // The amounts are computed again every time the quantity or the hours box is left.
    m_quantityEdit->installEventFilter(this);
    m_hoursEdit->installEventFilter(this);
}

bool WorkRecordEditor::addRecord(const JournalDay& day) {
    clearBoxes();
    m_original = WorkRecord{};
    m_workerId = 0;
    m_productId = 0;
    m_operationPriceId = 0;
    m_basePrice = 0;
    m_price = 0;
    m_dateEdit->setDate(day.date);
    m_rejectsEdit->setText(QStringLiteral("0"));
    m_hoursEdit->setText(QStringLiteral("0"));
    setColourByOperation(QString());
    setWindowTitle(QStringLiteral("Заведение новой позиции (11)"));
    return edit(Mode::Add, day);
}

bool WorkRecordEditor::changeRecord(const JournalDay& day, const WorkRecord& record) {
    clearBoxes();
    m_original = record;
    m_workerId = record.workerId;
    m_productId = record.productId;
    m_operationPriceId = record.operationPriceId;
    // The base price is that of the record's own operation price: its lowest norm price.
    m_basePrice =
        m_db.readValue(QStringLiteral("select min(price)::float8 from accounts_dep.norm where o_id=:id"),
                       {{QStringLiteral("id"), record.operationPriceId}})
            .toDouble();
    m_price = record.price;
    setWindowTitle(QStringLiteral("Изменение данных о позиции (11)"));
    m_basePriceEdit->setText(screenPrice(m_basePrice));
    m_priceEdit->setText(screenPrice(m_price));
    m_amountEdit->setText(screenPrice(record.quantity.toDouble() * m_price));
    m_dateEdit->setDate(record.date);
    showFromStart(m_workerEdit, record.workerName);
    showFromStart(m_operationEdit, record.operationText);
    m_quantityEdit->setText(record.quantity);
    m_rejectsEdit->setText(record.rejects);
    m_hoursEdit->setText(QString::number(record.hours));
    setColourByOperation(record.operationName);
    if (isPaintingOperation(record.operationName))
        m_colourEdit->setText(record.colour);
    return edit(Mode::Change, day);
}

bool WorkRecordEditor::edit(Mode mode, const JournalDay& day) {
    m_mode = mode;
    m_day = day;
    m_saved = false;
    seams::showModal(this);
    return m_saved;
}

void WorkRecordEditor::clearBoxes() {
    for (QLineEdit* e : {m_workerEdit, m_operationEdit, m_quantityEdit, m_rejectsEdit, m_colourEdit,
                         m_hoursEdit, m_priceEdit, m_basePriceEdit, m_amountEdit})
        e->clear();
}

void WorkRecordEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    m_workerButton->setFocus();
}

bool WorkRecordEditor::eventFilter(QObject* watched, QEvent* e) {
    // Leaving the quantity or the hours box by Tab or a click recomputes; a message box or
    // another window taking the focus does not (a refusal would otherwise repeat itself).
    if (e->type() == QEvent::FocusOut && (watched == m_quantityEdit || watched == m_hoursEdit)) {
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
    if (const std::optional<Worker> worker = m_workerPicker.pickWorker()) {
        showFromStart(m_workerEdit, worker->name);
        m_workerId = worker->id;
    }
}

void WorkRecordEditor::pickOperation() {
    // A change starts the list on the record's own operation price.
    const int startAt = m_mode == Mode::Change ? m_original.operationPriceId : 0;
    if (const std::optional<OperationPrice> picked = m_operationPicker.pickOperationPrice(startAt)) {
        m_productId = picked->productId;
        m_operationPriceId = picked->id;
        m_basePrice = picked->basePrice;
        m_price = piecePrice(picked->basePrice, m_day);
        showFromStart(m_operationEdit, picked->text);
    }
    setColourByOperation(m_operationEdit->text());
    recomputeAmounts();
}

// The quantity, rejects, hours and colour columns hold 32-bit whole numbers.
bool WorkRecordEditor::numbersFit() {
    const std::pair<QLineEdit*, const char*> boxes[] = {
        {m_quantityEdit, "Кол-во"}, {m_rejectsEdit, "Брак"}, {m_hoursEdit, "Время"}, {m_colourEdit, "Цвет"}};
    for (const auto& [box, name] : boxes) {
        bool ok = true;
        const QString t = box->text().trimmed();
        if (!t.isEmpty())
            t.toInt(&ok);
        if (!ok) {
            seams::errorBox(QStringLiteral("Слишком большое число в поле «%1»: не больше 2147483647.")
                                .arg(QString::fromUtf8(name)));
            box->setFocus();
            return false;
        }
    }
    return true;
}

// A work record holds at most a day's hours.
bool WorkRecordEditor::hoursFit() {
    if (m_hoursEdit->text().trimmed().toInt() <= kMaxRecordHours)
        return true;
    seams::errorBox(QStringLiteral("Слишком много часов в поле «Время»: не больше %1 за одну запись.")
                        .arg(kMaxRecordHours));
    m_hoursEdit->setFocus();
    return false;
}

// Locks the record being changed and tells whether it still holds what the editor opened.
bool WorkRecordEditor::stillAsOpened() {
    Dataset stored(nullptr, m_db.connection().name());
    stored.setSql(
        QStringLiteral("select id, data, smena, w_id, i_id, o_id, cena, kol_vo::numeric, brak, time, "
                       "color from accounts_dep.smena where id=:id for update"));
    stored.setParam(QStringLiteral("id"), m_original.id);
    stored.open();
    return !stored.isEmpty() && WorkRecord::fromStoredRow(stored).sameStoredValues(m_original);
}

void WorkRecordEditor::recomputeAmounts() {
    if (m_hoursEdit->text().isEmpty())
        m_hoursEdit->setText(QStringLiteral("0"));
    if (m_quantityEdit->text().isEmpty())
        m_quantityEdit->setText(QStringLiteral("0"));
    if (!numbersFit())
        return;
    m_priceEdit->setText(screenPrice(m_price));
    m_basePriceEdit->setText(screenPrice(m_basePrice));
    m_amountEdit->setText(screenPrice(m_quantityEdit->text().trimmed().toDouble() * m_price));
}

void WorkRecordEditor::save() {
    const bool painting = isPaintingOperation(m_operationEdit->text());
    if (m_workerEdit->text().trimmed().isEmpty() || m_operationEdit->text().trimmed().isEmpty() ||
        m_quantityEdit->text().trimmed().isEmpty() || m_rejectsEdit->text().trimmed().isEmpty() ||
        (painting && m_colourEdit->text().trimmed().isEmpty()) || m_hoursEdit->text().trimmed().isEmpty()) {
        seams::errorBox(QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    if (!numbersFit() || !hoursFit())
        return;
    const QString priceText = formatGeneral(roundHalfEven(m_price, 4)).replace(u',', u'.');
    const int shift = m_day.shift;
    const int colour = m_colourEdit->text().trimmed().isEmpty() ? 0 : m_colourEdit->text().trimmed().toInt();
    const QDate day = m_dateEdit->date();
    const QString date = day.toString(QStringLiteral("dd.MM.yyyy"));
    const QString today = seams::today().toString(QStringLiteral("dd.MM.yyyy"));
    const QString quantity = m_quantityEdit->text().trimmed();
    const QString rejects = m_rejectsEdit->text().trimmed();
    const QString hours = m_hoursEdit->text().trimmed();
    const QString duplicate = QStringLiteral("Позиция с такими параметрами уже заведена!");
    const QString sameKey =
        QStringLiteral("select count(id) as cnt from accounts_dep.SMENA where w_id=%1 and o_id=%2 "
                       "and i_id=%3 and data=to_date('%4', 'DD.MM.YYYY') and smena=%5")
            .arg(m_workerId)
            .arg(m_operationPriceId)
            .arg(m_productId)
            .arg(date)
            .arg(shift);
    // The record, its duplicate check and the hours of the days it touches are written whole or
    // not at all.
    Transaction transaction(m_db);
    if (m_mode == Mode::Change && !stillAsOpened()) {
        seams::errorBox(staleRowText());
        // The journal is read again to show the record as it now stands.
        m_saved = true;
        close();
        return;
    }
    QString statement;
    if (m_mode == Mode::Add) {
        if (refuseIfFound(m_db, sameKey + QStringLiteral(" and color=%1").arg(colour), duplicate))
            return;
        statement = QStringLiteral(
                        "insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, "
                        "color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, "
                        "id_cons_use) values(%1, %2, %3, %4,%5, %6, to_date('%7', 'DD.MM.YYYY HH24:MI:SS'), "
                        "%8, %9, %10, '%11', 'no', 0, 0, 0, 0, 0, 0)")
                        .arg(m_workerId)
                        .arg(m_productId)
                        .arg(m_operationPriceId)
                        .arg(priceText, quantity, rejects, date)
                        .arg(shift)
                        .arg(colour)
                        .arg(hours, today);
    } else {
        const QString id = QString::number(m_original.id);
        if (refuseIfFound(m_db, sameKey + QStringLiteral(" and id<>%1 and color=%2").arg(id).arg(colour),
                          duplicate))
            return;
        statement =
            QStringLiteral(
                "update accounts_dep.SMENA set w_id=%1, i_id=%2, o_id=%3, cena=%4, kol_vo=%5, brak=%6, "
                "data=to_date('%7', 'DD.MM.YYYY'), smena=%8, color=%9, time=%10, vvod='%11', prize=0, "
                "id_doc=0, id_doc_item=0, f_gds_qty_use=0, id_gds_use=0, id_cons_use=0 where id=%12")
                .arg(m_workerId)
                .arg(m_productId)
                .arg(m_operationPriceId)
                .arg(priceText, quantity, rejects, date)
                .arg(shift)
                .arg(colour)
                .arg(hours, today, id);
    }
    m_db.execute(statement);
    writeDayHours(transaction, m_db, m_workerId, shift, day, true);
    // A change that moved the record to another day, shift or worker leaves the hours of the
    // day it came from to be recomputed as well.
    if (m_mode == Mode::Change && m_original.date.isValid() &&
        (m_original.workerId != m_workerId || m_original.shift != shift || m_original.date != day))
        writeDayHours(transaction, m_db, m_original.workerId, m_original.shift, m_original.date, false);
    transaction.commit();
    // The timesheets read their hours again when next shown.
    for (int s = 1; s <= 3; ++s)
        m_db.hoursSheet(s).close();
    clearBoxes();
    m_saved = true;
    close();
}
