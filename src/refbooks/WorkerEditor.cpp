// Worker editor "Работники": enters a new worker or changes the name and position of one.
#include "refbooks/WorkerEditor.h"

#include "data/Database.h"
#include "refbooks/StoreCall.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>

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

WorkerEditor::WorkerEditor(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("WorkerEditor"));
    makeFixedDialog(this);
    setWindowTitle(QStringLiteral("Работники"));

    m_workerGroup = new QGroupBox(QStringLiteral("Данные о работнике"), this);
    m_workerGroup->setObjectName(QStringLiteral("workerGroup"));
    m_nameEdit = new QLineEdit(m_workerGroup);
    m_nameEdit->setObjectName(QStringLiteral("nameEdit"));
    m_nameEdit->setMinimumWidth(260);
    m_departmentBox = lookupBox(m_workerGroup, "departmentBox");
    m_positionBox = lookupBox(m_workerGroup, "positionBox");
    m_roleBox = lookupBox(m_workerGroup, "roleBox");
    auto* form = new QFormLayout(m_workerGroup);
    form->addRow(QStringLiteral("ФИО"), m_nameEdit);
    form->addRow(QStringLiteral("Подразделение"), m_departmentBox);
    form->addRow(QStringLiteral("Должность"), m_positionBox);
    form->addRow(QStringLiteral("Роль"), m_roleBox);

    layOutEditor(this, m_workerGroup, m_saveButton, m_cancelButton);

    connect(m_saveButton, &QPushButton::clicked, this, &WorkerEditor::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &WorkerEditor::reject);

    m_departments.setSql(QStringLiteral("select * from cmn_department.department order by s_caption"));
    m_positions.setSql(QStringLiteral("select * from hrms_staffpos.staffpos order by s_caption"));
    m_roles.setSql(QStringLiteral("select * from adm_role.roles order by s_caption"));

    // The wheel steps through the lookup box that has the focus, wherever the pointer is.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

bool WorkerEditor::addWorker() {
    m_adding = true;
    m_workerId = 0;
    m_storedPosition.clear();
    m_nameEdit->clear();
    setWindowTitle(QStringLiteral("Заведение данных нового работника"));
    refreshLookups();
    return showEditor();
}

bool WorkerEditor::changeWorker(const Worker& worker, const QString& storedPosition) {
    m_adding = false;
    m_workerId = worker.id;
    setWindowTitle(QStringLiteral("Изменение данных работника"));
    refreshLookups();
    m_nameEdit->setText(worker.name);
    m_storedPosition = storedPosition;
    m_positionBox->setCurrentIndex(m_positionBox->findText(storedPosition));
    return showEditor();
}

bool WorkerEditor::showEditor() {
    setResult(QDialog::Rejected);
    seams::showModal(this);
    return result() == QDialog::Accepted;
}

void WorkerEditor::refreshLookups() {
    const std::pair<Dataset*, QComboBox*> lookups[] = {
        {&m_departments, m_departmentBox}, {&m_positions, m_positionBox}, {&m_roles, m_roleBox}};
    for (const auto& [table, box] : lookups) {
        table->close();
        table->open();
        fillBox(box, *table);
    }
}

QString WorkerEditor::chosenPosition() const {
    if (m_positionBox->currentIndex() >= 0)
        return m_positionBox->currentText();
    return m_adding ? QString() : m_storedPosition;
}

void WorkerEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    m_nameEdit->setFocus();
}

bool WorkerEditor::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Wheel) {
        const int dy = static_cast<QWheelEvent*>(e)->angleDelta().y();
        QWidget* focused = focusWidget();
        if (dy != 0 && (focused == m_departmentBox || focused == m_positionBox || focused == m_roleBox)) {
            QKeyEvent key(QEvent::KeyPress, dy < 0 ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
            QApplication::sendEvent(focused, &key);
        }
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void WorkerEditor::save() {
    const Worker worker{m_adding ? 0 : m_workerId, m_nameEdit->text().trimmed()};
    const QString position = chosenPosition();
    // A worker deleted at another workstation meanwhile closes the editor too: the list is read
    // again behind it.
    if (runStoreCall([&] { saveWorker(m_db, worker, position); }, {{QStringLiteral("name"), m_nameEdit}}) !=
        StoreOutcome::Refused)
        accept();
}
