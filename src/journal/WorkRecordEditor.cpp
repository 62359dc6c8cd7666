#include "journal/WorkRecordEditor.h"

#include "data/Database.h"
#include "data/Format.h"
#include "data/MainMembers.h"
#include "journal/DayHours.h"
#include "refbooks/OperationPricesDialog.h"
#include "refbooks/WorkersDialog.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

WorkRecordEditor* g_workRecordEditor = nullptr;

namespace {

// Rounded to 4 decimals (halves to even) in the shortest form with the workstation's separator.
QString screenPrice(double v) {
    return formatScreen(roundHalfEven(v, 4));
}

} // namespace

bool isPaintingOperation(const QString& text) {
    return text.toUpper().contains(QStringLiteral("КРАСКА"));
}

WorkRecordEditor::WorkRecordEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WorkRecordEditor"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    GroupBox1 = new QGroupBox(QStringLiteral("Закрыто мастером"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    QFont bold = GroupBox1->font();
    bold.setBold(true);
    GroupBox1->setFont(bold);
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
    Edit1 = edit("Edit1", true);
    Edit2 = edit("Edit2", true);
    Edit1->setMinimumWidth(300);
    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);
    Edit3 = edit("Edit3", false);
    Edit6 = edit("Edit6", false);
    Edit5 = edit("Edit5", false);
    Edit4 = edit("Edit4", false);
    Edit8 = edit("Edit8", true);
    Edit7 = edit("Edit7", true);
    Edit9 = edit("Edit9", true);
    // Digit-only boxes: 0 to 9 and Backspace.
    for (QLineEdit* e : {Edit3, Edit6, Edit5, Edit4})
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    Edit6->setText(QStringLiteral("0"));
    Edit4->setText(QStringLiteral("0"));
    DTimeP = new QDateEdit;
    DTimeP->setObjectName(QStringLiteral("DTimeP"));
    DTimeP->setCalendarPopup(true);
    DTimeP->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DTimeP->setFont(plain);
    auto small = [&](const char* name) {
        auto* b = new QPushButton(QStringLiteral("..."));
        b->setObjectName(QLatin1String(name));
        b->setFixedWidth(28);
        b->setAutoDefault(false);
        b->setFont(plain);
        return b;
    };
    Button3 = small("Button3");
    Button4 = small("Button4");

    auto* grid = new QGridLayout(GroupBox1);
    auto label = [](const QString& text) { return new QLabel(text); };
    grid->addWidget(label(QStringLiteral("ФИО")), 0, 0);
    grid->addWidget(Edit1, 0, 1, 1, 3);
    grid->addWidget(Button3, 0, 4);
    grid->addWidget(label(QStringLiteral("Операция")), 1, 0);
    grid->addWidget(Edit2, 1, 1, 1, 3);
    grid->addWidget(Button4, 1, 4);
    grid->addWidget(label(QStringLiteral("Кол-во")), 2, 0);
    grid->addWidget(Edit3, 2, 1);
    grid->addWidget(label(QStringLiteral("Время")), 2, 2);
    grid->addWidget(Edit6, 2, 3);
    Label6 = label(QStringLiteral("Цвет"));
    Label6->setObjectName(QStringLiteral("Label6"));
    grid->addWidget(Label6, 3, 0);
    grid->addWidget(Edit5, 3, 1);
    grid->addWidget(label(QStringLiteral("Дата")), 3, 2);
    grid->addWidget(DTimeP, 3, 3);
    grid->addWidget(label(QStringLiteral("Брак")), 4, 0);
    grid->addWidget(Edit4, 4, 1);
    grid->addWidget(label(QStringLiteral("Цена база")), 5, 0);
    grid->addWidget(Edit8, 5, 1);
    grid->addWidget(label(QStringLiteral("Цена итог")), 5, 2);
    grid->addWidget(Edit7, 5, 3);
    grid->addWidget(label(QStringLiteral("Сумма")), 6, 0);
    grid->addWidget(Edit9, 6, 1);

    layOutEditor(this, GroupBox1, Button1, Button2, QStringLiteral("Запись"));

    setTabOrder(Button3, Button4);
    setTabOrder(Button4, Edit3);
    setTabOrder(Edit3, Edit6);
    setTabOrder(Edit6, Edit5);
    setTabOrder(Edit5, DTimeP);
    setTabOrder(DTimeP, Edit4);
    setTabOrder(Edit4, Button1);
    setTabOrder(Button1, Button2);

    connect(Button1, &QPushButton::clicked, this, &WorkRecordEditor::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &WorkRecordEditor::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &WorkRecordEditor::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &WorkRecordEditor::Button4Click);
    connect(Edit3, &QLineEdit::editingFinished, this, &WorkRecordEditor::Edit6Exit);
    connect(Edit6, &QLineEdit::editingFinished, this, &WorkRecordEditor::Edit6Exit);
}

WorkRecordEditor::~WorkRecordEditor() {
    if (g_workRecordEditor == this)
        g_workRecordEditor = nullptr;
}

void WorkRecordEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Button3->setFocus();
}

bool WorkRecordEditor::eventFilter(QObject* watched, QEvent* e) {
    // A click on the worker or the operation opens its picker.
    if (e->type() == QEvent::MouseButtonRelease) {
        if (watched == Edit1)
            QMetaObject::invokeMethod(this, &WorkRecordEditor::Button3Click, Qt::QueuedConnection);
        else if (watched == Edit2)
            QMetaObject::invokeMethod(this, &WorkRecordEditor::Button4Click, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, e);
}

void WorkRecordEditor::setColourByOperation(const QString& operationText) {
    const bool painting = isPaintingOperation(operationText);
    if (!painting)
        Edit5->clear();
    Edit5->setEnabled(painting);
    Label6->setEnabled(painting);
}

void WorkRecordEditor::Button3Click() {
    if (g_workersDialog->openAsPicker(1)) {
        Edit1->setText(g_workersDialog->PickedFio);
        workerId = g_workersDialog->PickedId;
    }
}

void WorkRecordEditor::Button4Click() {
    int startAt = 0;
    if (Tag != 1 && g_mainWindowState && g_mainWindowState->currentQuery)
        startAt = g_mainWindowState->currentQuery->fieldByName(QStringLiteral("o_id")).asInteger();
    if (g_operationPricesDialog->openAsPicker(startAt)) {
        productId = g_operationPricesDialog->PickedProductId;
        operId = g_operationPricesDialog->PickedOperId;
        price = g_operationPricesDialog->PickedPrice;
        Edit2->setText(g_operationPricesDialog->PickedText);
    }
    setColourByOperation(Edit2->text());
    Edit6Exit();
}

// The quantity, rejects, hours and colour columns hold 32-bit whole numbers.
bool WorkRecordEditor::numbersFit() {
    const std::pair<QLineEdit*, const char*> boxes[] = {
        {Edit3, "Кол-во"}, {Edit4, "Брак"}, {Edit6, "Время"}, {Edit5, "Цвет"}};
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

void WorkRecordEditor::Edit6Exit() {
    if (Edit6->text().isEmpty())
        Edit6->setText(QStringLiteral("0"));
    if (Edit3->text().isEmpty())
        Edit3->setText(QStringLiteral("0"));
    if (!numbersFit())
        return;
    Edit7->setText(screenPrice(price));
    const Dataset& oper = g_database->operationPrices();
    Edit8->setText(screenPrice(oper.isOpen() ? oper.fieldByName(QStringLiteral("cena")).asFloat() : 0.0));
    Edit9->setText(screenPrice(Edit3->text().trimmed().toDouble() * price));
}

void WorkRecordEditor::Button1Click() {
    const bool painting = isPaintingOperation(Edit2->text());
    if (Edit1->text().trimmed().isEmpty() || Edit2->text().trimmed().isEmpty() ||
        Edit3->text().trimmed().isEmpty() || Edit4->text().trimmed().isEmpty() ||
        (painting && Edit5->text().trimmed().isEmpty()) || Edit6->text().trimmed().isEmpty()) {
        seams::errorBox(QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    if (!numbersFit())
        return;
    Database* dm = g_database;
    const QString priceText = formatGeneral(roundHalfEven(price, 4)).replace(u',', u'.');
    const int shift = g_mainWindowState ? g_mainWindowState->currentShift : 1;
    Dataset* journal = &dm->journal(shift);
    if (!journal)
        journal = &dm->journal(1);
    const int colour = Edit5->text().trimmed().isEmpty() ? 0 : Edit5->text().trimmed().toInt();
    const QDate day = DTimeP->date();
    const QString date = day.toString(QStringLiteral("dd.MM.yyyy"));
    const QString today = seams::today().toString(QStringLiteral("dd.MM.yyyy"));
    const QString quantity = Edit3->text().trimmed();
    const QString rejects = Edit4->text().trimmed();
    const QString hours = Edit6->text().trimmed();
    const QString duplicate = QStringLiteral("Позиция с такими параметрами уже заведена!");
    const QString sameKey =
        QStringLiteral("select count(id) as cnt from accounts_dep.SMENA where w_id=%1 and o_id=%2 "
                       "and i_id=%3 and data=to_date('%4', 'DD.MM.YYYY') and smena=%5")
            .arg(workerId)
            .arg(operId)
            .arg(productId)
            .arg(date)
            .arg(shift);
    if (Tag == 1) {
        if (refuseIfFound(*dm, sameKey + QStringLiteral(" and color=%1").arg(colour), duplicate))
            return;
        SmenaIU = QStringLiteral(
                      "insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, "
                      "color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, "
                      "id_cons_use) values(%1, %2, %3, %4,%5, %6, to_date('%7', 'DD.MM.YYYY HH24:MI:SS'), "
                      "%8, %9, %10, '%11', 'no', 0, 0, 0, 0, 0, 0)")
                      .arg(workerId)
                      .arg(productId)
                      .arg(operId)
                      .arg(priceText, quantity, rejects, date)
                      .arg(shift)
                      .arg(colour)
                      .arg(hours, today);
    } else {
        const QString id = journal->fieldByName(QStringLiteral("id")).asString();
        if (refuseIfFound(*dm, sameKey + QStringLiteral(" and id<>%1 and color=%2").arg(id).arg(colour),
                          duplicate))
            return;
        SmenaIU = QStringLiteral(
                      "update accounts_dep.SMENA set w_id=%1, i_id=%2, o_id=%3, cena=%4, kol_vo=%5, brak=%6, "
                      "data=to_date('%7', 'DD.MM.YYYY'), smena=%8, color=%9, time=%10, vvod='%11', prize=0, "
                      "id_doc=0, id_doc_item=0, f_gds_qty_use=0, id_gds_use=0, id_cons_use=0 where id=%12")
                      .arg(workerId)
                      .arg(productId)
                      .arg(operId)
                      .arg(priceText, quantity, rejects, date)
                      .arg(shift)
                      .arg(colour)
                      .arg(hours, today, id);
    }
    Command iu;
    iu.setSql(SmenaIU);
    iu.execute();

    const int row = journal->recNo();
    journal->close();
    journal->open();
    if (journal->recordCount() > 0 && row >= 1 && row <= journal->recordCount())
        journal->setRecNo(row);
    dm->hoursSheet(1).close();
    dm->hoursSheet(2).close();
    dm->hoursSheet(3).close();
    writeDayHours(workerId, shift, day, true);
    // A change that moved the record to another day, shift or worker leaves the hours of the
    // day it came from to be recomputed as well.
    if (Tag != 1 && oldDay.isValid() && (oldWorkerId != workerId || oldShift != shift || oldDay != day))
        writeDayHours(oldWorkerId, oldShift, oldDay, false);
    for (QLineEdit* e : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9})
        e->clear();
    close();
}

void WorkRecordEditor::Button2Click() {
    close();
}
