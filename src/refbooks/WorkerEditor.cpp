// Worker editor "Работники": enters a new worker or changes the name and position of one.
#include "refbooks/WorkerEditor.h"

#include "data/Format.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>

WorkerEditor* g_workerEditor = nullptr;

namespace {

QComboBox* lookupBox(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxVisibleItems(10);
    box->setFocusPolicy(Qt::StrongFocus); // the wheel does not take the focus
    box->setMinimumWidth(260);
    return box;
}

// Refills a box from its table (id, s_caption), keeping the chosen id where it still exists.
void fillBox(QComboBox* box, Dataset& table) {
    const QVariant keep = box->currentIndex() >= 0 ? box->currentData() : QVariant();
    QSignalBlocker block(box);
    box->clear();
    int at = -1;
    for (int row = 0; row < table.recordCount(); ++row) {
        const QVariant id = table.valueAt(row, QStringLiteral("id"));
        box->addItem(table.valueAt(row, QStringLiteral("s_caption")).toString(), id);
        if (keep.isValid() && id.toString() == keep.toString())
            at = row;
    }
    box->setCurrentIndex(at);
}

} // namespace

WorkerEditor::WorkerEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WorkerEditor"));
    setWindowTitle(QStringLiteral("Работники"));

    GroupBox1 = new QGroupBox(QStringLiteral("Данные о работнике"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(260);
    LCB_department = lookupBox(GroupBox1, "LCB_department");
    LCB_staffpos = lookupBox(GroupBox1, "LCB_staffpos");
    LCB_roles = lookupBox(GroupBox1, "LCB_roles");
    auto* form = new QFormLayout(GroupBox1);
    form->addRow(QStringLiteral("ФИО"), Edit1);
    form->addRow(QStringLiteral("Подразделение"), LCB_department);
    form->addRow(QStringLiteral("Должность"), LCB_staffpos);
    form->addRow(QStringLiteral("Роль"), LCB_roles);

    layOutEditor(this, GroupBox1, Button1, Button2);

    connect(Button1, &QPushButton::clicked, this, &WorkerEditor::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &WorkerEditor::Button2Click);

    department.setSql(QStringLiteral("select * from cmn_department.department order by s_caption"));
    staffpos.setSql(QStringLiteral("select * from hrms_staffpos.staffpos order by s_caption"));
    roles.setSql(QStringLiteral("select * from adm_role.roles order by s_caption"));

    // The wheel steps through the lookup box that has the focus, wherever the pointer is.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

WorkerEditor::~WorkerEditor() {
    if (g_workerEditor == this)
        g_workerEditor = nullptr;
}

void WorkerEditor::refreshLookups() {
    const std::pair<Dataset*, QComboBox*> lookups[] = {
        {&department, LCB_department}, {&staffpos, LCB_staffpos}, {&roles, LCB_roles}};
    for (const auto& [table, box] : lookups) {
        table->close();
        table->open();
        fillBox(box, *table);
    }
}

void WorkerEditor::presetPosition(const QString& storedCaption) {
    storedPosition = storedCaption;
    LCB_staffpos->setCurrentIndex(LCB_staffpos->findText(storedCaption));
}

QString WorkerEditor::chosenCaption() const {
    if (LCB_staffpos->currentIndex() >= 0)
        return LCB_staffpos->currentText();
    return Tag == 2 ? storedPosition : QString();
}

void WorkerEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormActivate();
}

void WorkerEditor::FormActivate() {
    Edit1->setFocus();
}

bool WorkerEditor::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Wheel) {
        const int dy = static_cast<QWheelEvent*>(e)->angleDelta().y();
        QWidget* focused = focusWidget();
        if (dy != 0 && (focused == LCB_department || focused == LCB_staffpos || focused == LCB_roles)) {
            QKeyEvent key(QEvent::KeyPress, dy < 0 ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
            QApplication::sendEvent(focused, &key);
        }
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void WorkerEditor::Button1Click() {
    const QString name = Edit1->text().trimmed();
    if (name.isEmpty()) {
        seams::errorBox(QStringLiteral("ФИО нужно заполнить!"));
        return;
    }
    if (Tag == 1)
        command.setSql(QStringLiteral("INSERT INTO accounts_dep.person (fio, s_staffpos_hl)VALUES(") +
                       sqlQuote(name) + QStringLiteral(", ") + sqlQuote(chosenCaption()) +
                       QStringLiteral(")"));
    else
        command.setSql(QStringLiteral("UPDATE accounts_dep.person SET fio=") + sqlQuote(name) +
                       QStringLiteral(", s_staffpos_hl=") + sqlQuote(chosenCaption()) +
                       QStringLiteral(" where accounts_dep.person.id=") + QString::number(workerId));
    command.execute();
    accept();
}

void WorkerEditor::Button2Click() {
    reject();
}
