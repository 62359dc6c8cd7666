#include "journal/JournalController.h"
#include "ui/DatasetGrid.h"

#include "data/Database.h"
#include "data/Format.h"
#include "journal/DayHours.h"
#include "journal/WorkRecordEditor.h"
#include "ui/Seams.h"

#include "ui/Permissions.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QFont>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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
        {QStringLiteral("summa"), QStringLiteral("Итого (р.)"), 78},
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

} // namespace

JournalController::JournalController(MainWindowState& members, const Controls& controls, QObject* parent)
    : QObject(parent), m(members), c(controls) {
    updtOK.setSql(QStringLiteral("update accounts_dep.smena set ok=:ok where id=:id"));
    for (int s = 1; s <= 4; ++s)
        g_database->journal(s).setColumns(journalColumns());
    QTableView* g = c.DBGrid2;
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->horizontalHeader()->setSectionsMovable(false);
    QFont bold = g->horizontalHeader()->font();
    bold.setBold(true);
    g->horizontalHeader()->setFont(bold);
    g->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    g->horizontalHeader()->setDefaultSectionSize(64);
    showInGrid(g_database->journal(1), g);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int s = 0; s < 4; ++s)
        connect(c.shifts[s], &QRadioButton::clicked, this, [this, s] {
            if (c.shifts[s]->isChecked())
                selectShift(s + 1);
        });
    setLook(c.shifts[0], true, kGreen);
    connect(c.CBox1, &QCheckBox::toggled, this, &JournalController::CBox1Click);
    connect(c.Button1, &QPushButton::clicked, this, &JournalController::Button1Click);
    connect(c.Button2, &QPushButton::clicked, this, &JournalController::Button2Click);
    connect(c.Button3, &QPushButton::clicked, this, &JournalController::Button3Click);
    connect(c.Button8, &QPushButton::clicked, this, &JournalController::Button8Click);
    connect(g, &QTableView::doubleClicked, this, &JournalController::DBGrid2DblClick);
    // A day is chosen when the calendar closes or Enter is pressed: the edit's finished signal.
    auto dayChosen = [this] {
        if (c.DateT->date() != g_database->journal(1).param(QStringLiteral("data")).toDate())
            DateTChange();
    };
    connect(c.DateT, &QDateEdit::editingFinished, this, dayChosen);
    if (QCalendarWidget* cal = c.DateT->calendarWidget())
        connect(cal, &QCalendarWidget::clicked, this, dayChosen);
}

Dataset* JournalController::shiftQuery() const {
    return &g_database->journal(m.currentShift < 1 ? 1 : m.currentShift);
}

void JournalController::reopenAll(bool setDate) {
    for (int s = 1; s <= 4; ++s) {
        Dataset* q = &g_database->journal(s);
        q->close();
        q->setFiltered(false);
    }
    for (int s = 1; s <= 4; ++s) {
        Dataset* q = &g_database->journal(s);
        if (setDate)
            q->setParam(QStringLiteral("data"), c.DateT->date());
        q->open();
    }
}

void JournalController::FormActivate() {
    c.DateT->setDate(seams::today());
    const int dow = c.DateT->date().dayOfWeek();
    if (dow == 6 || dow == 7)
        c.CBox1->setChecked(true);
    reopenAll(true);
}

void JournalController::DateTChange() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        ~Restore() { QApplication::restoreOverrideCursor(); }
    } restore;
    reopenAll(true);
    const int dow = c.DateT->date().dayOfWeek();
    c.CBox1->setChecked(dow == 6 || dow == 7);
    c.DBGrid2->setFocus();
}

void JournalController::Button8Click() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        ~Restore() { QApplication::restoreOverrideCursor(); }
    } restore;
    reopenAll(false);
}

void JournalController::selectShift(int shift) {
    showInGrid(g_database->journal(shift), c.DBGrid2);
    for (int s = 0; s < 4; ++s)
        setLook(c.shifts[s], s + 1 == shift, kGreen);
    m.currentShift = shift;
}

void JournalController::CBox1Click() {
    setLook(c.CBox1, c.CBox1->isChecked(), kRed);
}

void JournalController::Button1Click() {
    m.currentQuery = shiftQuery();
    WorkRecordEditor* e = g_workRecordEditor;
    e->DTimeP->setDate(c.DateT->date());
    for (QLineEdit* box : {e->Edit1, e->Edit2, e->Edit3, e->Edit5})
        box->clear();
    e->Edit4->setText(QStringLiteral("0"));
    e->Edit6->setText(QStringLiteral("0"));
    e->setWindowTitle(QStringLiteral("Заведение новой позиции (11)"));
    e->Tag = 1;
    seams::showModal(e);
}

void JournalController::Button2Click() {
    Dataset* q = shiftQuery();
    m.currentQuery = q;
    const int row = q->recNo();
    if (q->isEmpty())
        return;
    WorkRecordEditor* e = g_workRecordEditor;
    e->setWindowTitle(QStringLiteral("Изменение данных о позиции (11)"));
    e->Tag = 2;
    e->price = q->fieldByName(QStringLiteral("cena")).asFloat();
    e->Edit7->setText(formatScreen(roundHalfEven(e->price, 4)));
    e->Edit9->setText(
        formatScreen(roundHalfEven(q->fieldByName(QStringLiteral("kol_vo")).asFloat() * e->price, 4)));
    e->DTimeP->setDate(q->fieldByName(QStringLiteral("data")).asDate());
    e->Edit1->setText(q->fieldByName(QStringLiteral("fio")).asString().trimmed());
    const QString vid = q->fieldByName(QStringLiteral("vid")).asString().trimmed();
    e->Edit2->setText(q->fieldByName(QStringLiteral("marka")).asString().trimmed() + QStringLiteral("; ") +
                      vid + QStringLiteral("; ") +
                      (q->fieldByName(QStringLiteral("naimen")).asInteger() == 0
                           ? QStringLiteral("Готовая продукция")
                           : QStringLiteral("Заготовки")));
    e->Edit3->setText(q->fieldByName(QStringLiteral("kol_vo")).asString().trimmed());
    e->Edit4->setText(q->fieldByName(QStringLiteral("brak")).asString().trimmed());
    e->workerId = q->fieldByName(QStringLiteral("w_id")).asInteger();
    e->productId = q->fieldByName(QStringLiteral("i_id")).asInteger();
    e->operId = q->fieldByName(QStringLiteral("o_id")).asInteger();
    e->Edit6->setText(QString::number(q->fieldByName(QStringLiteral("time")).asInteger()));
    e->oldWorkerId = e->workerId;
    e->oldShift = m.currentShift;
    e->oldDay = e->DTimeP->date();
    e->setColourByOperation(vid);
    if (isPaintingOperation(vid))
        e->Edit5->setText(q->fieldByName(QStringLiteral("color")).asString().trimmed());
    seams::showModal(e);
    if (row >= 1 && row <= q->recordCount())
        q->setRecNo(row);
}

void JournalController::Button3Click() {
    Dataset* q = shiftQuery();
    const QString id = q->fieldByName(QStringLiteral("id")).asString().trimmed();
    if (id.isEmpty())
        return;
    if (!seams::askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить позицию из списка?")))
        return;
    const int workerId = q->fieldByName(QStringLiteral("w_id")).asInteger();
    g_database->DelSmena.setSql(QStringLiteral("delete from accounts_dep.smena where id=") + id);
    g_database->DelSmena.execute();
    q->close();
    q->open();
    writeDayHours(workerId, m.currentShift, c.DateT->date(), false);
}

void JournalController::DBGrid2DblClick() {
    if (m.loginCode == kForemanCode)
        return;
    Dataset* q = shiftQuery();
    m.currentQuery = q;
    if (q->isEmpty())
        return;
    const QString newMark = accepted(q->fieldByName(QStringLiteral("ok")).asString()) ? QStringLiteral("no")
                                                                                      : QStringLiteral("ok");
    updtOK.setParam(QStringLiteral("ok"), newMark);
    updtOK.setParam(QStringLiteral("id"), q->fieldByName(QStringLiteral("id")).asInteger());
    updtOK.execute();
    const int row = q->recNo();
    q->close();
    q->open();
    if (row >= 1 && row <= q->recordCount())
        q->setRecNo(row);
}
