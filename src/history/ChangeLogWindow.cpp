// The change list window.
#include "history/ChangeLogWindow.h"

#include "data/Database.h"
#include "export/ExcelHelper.h"
#include "history/ChangeListSheet.h"
#include "history/RecordHistoryDialog.h"
#include "records/ChangeLog.h"
#include "ui/DatasetGrid.h"
#include "ui/DateBox.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Журнал изменений");

QString whenText(const QVariant& v) {
    return v.toDateTime().toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

} // namespace

ChangeLogWindow::ChangeLogWindow(Database& db, bool mayRestore, QWidget* parent)
    : QDialog(parent), m_db(db), m_mayRestore(mayRestore), m_changes(nullptr, db.connection().name()),
      m_changesModel(m_changes) {
    setObjectName(QStringLiteral("ChangeLogWindow"));
    setWindowTitle(kCaption);
    m_historyDialog = new RecordHistoryDialog(db, this);
    createWidgets();
}

void ChangeLogWindow::createWidgets() {
    m_noteLabel = new QLabel(this);
    m_noteLabel->setObjectName(QStringLiteral("noteLabel"));
    m_noteLabel->setWordWrap(true);
    m_noteLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_noteLabel->setVisible(false);

    m_fromEdit = new DateBox(this);
    m_fromEdit->setObjectName(QStringLiteral("fromEdit"));
    m_toEdit = new DateBox(this);
    m_toEdit->setObjectName(QStringLiteral("toEdit"));
    m_fromLabel = new QLabel(QStringLiteral("С"), this);
    m_fromLabel->setBuddy(m_fromEdit);
    m_toLabel = new QLabel(QStringLiteral("по"), this);
    m_toLabel->setBuddy(m_toEdit);
    m_workerCombo = new QComboBox(this);
    m_workerCombo->setObjectName(QStringLiteral("workerCombo"));
    m_workerCombo->setMinimumWidth(220);
    m_workerLabel = new QLabel(QStringLiteral("Работник"), this);
    m_workerLabel->setBuddy(m_workerCombo);
    m_userCombo = new QComboBox(this);
    m_userCombo->setObjectName(QStringLiteral("userCombo"));
    m_userCombo->setMinimumWidth(160);
    m_userLabel = new QLabel(QStringLiteral("Кто"), this);
    m_userLabel->setBuddy(m_userCombo);
    m_kindCombo = new QComboBox(this);
    m_kindCombo->setObjectName(QStringLiteral("kindCombo"));
    m_kindCombo->addItem(QStringLiteral("все"), QString());
    for (const QString& kind :
         {changekind::kAdded, changekind::kChanged, changekind::kAccepted, changekind::kDeleted})
        m_kindCombo->addItem(changeKindTitle(kind), kind);
    m_kindLabel = new QLabel(QStringLiteral("Что"), this);
    m_kindLabel->setBuddy(m_kindCombo);
    m_refreshButton = makeButton(this, QStringLiteral("refreshButton"), QStringLiteral("Обновить"));
    m_refreshButton->setDefault(true);

    m_changesModel.setColumns(
        {{QStringLiteral("at"), QStringLiteral("Когда"), 145, whenText},
         {QStringLiteral("user_name"), QStringLiteral("Кто"), 120},
         {QStringLiteral("workstation"), QStringLiteral("Рабочее место"), 115},
         {QStringLiteral("kind"), QStringLiteral("Что"), 80},
         {QStringLiteral("place"), QStringLiteral("Где"), 125},
         {QStringLiteral("fio"), QStringLiteral("Работник"), 190},
         {QStringLiteral("row_id"), QStringLiteral("Запись"), 55},
         {QStringLiteral("changes"),
          QStringLiteral("Изменения"),
          420,
          {},
          {},
          [](const QVariant& v, int role) { return role == Qt::ToolTipRole ? v : QVariant(); }}});
    m_changesGrid = makeListGrid(this, true);
    m_changesGrid->setObjectName(QStringLiteral("changesGrid"));
    m_changesGrid->setMinimumSize(1250, 380);
    // What changed takes the rest of the width; a long text shows whole as the cell's tooltip.
    m_changesGrid->horizontalHeader()->setStretchLastSection(true);
    showInGrid(m_changesModel, m_changesGrid);

    m_historyButton = makeButton(this, QStringLiteral("historyButton"), QStringLiteral("История"));
    m_restoreButton = makeButton(this, QStringLiteral("restoreButton"), QStringLiteral("Восстановить"));
    m_restoreButton->setVisible(m_mayRestore);
    m_exportButton = makeButton(this, QStringLiteral("exportButton"), QStringLiteral("Excel"));
    m_exitButton = makeButton(this, QStringLiteral("exitButton"), QStringLiteral("Выход"));

    auto* filters = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{m_fromLabel, m_fromEdit, m_toLabel, m_toEdit,
                                                      m_workerLabel, m_workerCombo, m_userLabel, m_userCombo,
                                                      m_kindLabel, m_kindCombo, m_refreshButton})
        filters->addWidget(w);
    filters->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_historyButton);
    buttons->addWidget(m_restoreButton);
    buttons->addWidget(m_exportButton);
    buttons->addStretch();
    buttons->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_noteLabel);
    layout->addLayout(filters);
    layout->addWidget(m_changesGrid, 1);
    layout->addLayout(buttons);

    connect(m_refreshButton, &QPushButton::clicked, this, &ChangeLogWindow::refresh);
    connect(m_historyButton, &QPushButton::clicked, this, &ChangeLogWindow::showHistory);
    connect(m_restoreButton, &QPushButton::clicked, this, &ChangeLogWindow::restoreCurrent);
    connect(m_exportButton, &QPushButton::clicked, this, &ChangeLogWindow::exportToSpreadsheet);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::close);
    connect(m_changesGrid, &QTableView::doubleClicked, this, &ChangeLogWindow::showHistory);
    connect(&m_changes, &Dataset::currentRowChanged, this, &ChangeLogWindow::enableButtons);
}

void ChangeLogWindow::showChanges() {
    const QDate today = seams::today();
    m_fromEdit->setDate(today.addDays(-6));
    m_toEdit->setDate(today);
    refresh();
    m_changesGrid->setFocus();
    seams::showModal(this);
}

void ChangeLogWindow::fillFilters() {
    const QVariant worker = m_workerCombo->currentData();
    const QString user = m_userCombo->currentData().toString();
    m_workerCombo->clear();
    m_workerCombo->addItem(QStringLiteral("все"), 0);
    m_userCombo->clear();
    m_userCombo->addItem(QStringLiteral("все"), QString());
    if (!m_installed)
        return;
    QSqlQuery q =
        runStatement(m_db.connection().database(),
                     QStringLiteral("select id, trim(fio) from accounts_dep.person where fio is not "
                                    "null order by fio, id"));
    while (q.next())
        m_workerCombo->addItem(q.value(1).toString(), q.value(0).toInt());
    for (const QString& name : changeLogUsers(m_db))
        m_userCombo->addItem(name, name);
    m_workerCombo->setCurrentIndex(std::max(0, m_workerCombo->findData(worker)));
    m_userCombo->setCurrentIndex(std::max(0, m_userCombo->findData(user)));
}

void ChangeLogWindow::refresh() {
    const bool done = runGuarded([this] {
        m_installed = historyInstalled(m_db);
        fillFilters();
        m_changes.close();
        if (!m_installed)
            return;
        const ChangeListFilter filter{
            m_fromEdit->date(), m_toEdit->date(), m_workerCombo->currentData().toInt(),
            m_userCombo->currentData().toString(), m_kindCombo->currentData().toString()};
        m_changes.setSql(changeListSql(filter));
        const Params params = changeListParams(filter);
        for (auto it = params.begin(); it != params.end(); ++it)
            m_changes.setParam(it.key(), it.value());
        m_changes.open();
    });
    m_noteLabel->setText(done && !m_installed ? historyMissingText() : QString());
    m_noteLabel->setVisible(done && !m_installed);
    enableButtons();
}

void ChangeLogWindow::enableButtons() {
    const bool row = m_changes.isOpen() && !m_changes.isEmpty() && m_changes.recNo() > 0;
    const QString table = row ? m_changes.fieldByName(QStringLiteral("table_name")).asString() : QString();
    const QString action = row ? m_changes.fieldByName(QStringLiteral("action")).asString() : QString();
    m_historyButton->setEnabled(row && !m_changes.fieldByName(QStringLiteral("row_id")).isNull());
    m_restoreButton->setEnabled(m_mayRestore && row && action == changekind::kDeleted &&
                                (table == kWorkRecordsTable || table == kMaintenanceTable));
    m_exportButton->setEnabled(m_installed);
}

void ChangeLogWindow::showHistory() {
    if (!m_changes.isOpen() || m_changes.isEmpty() ||
        m_changes.fieldByName(QStringLiteral("row_id")).isNull())
        return;
    const QString table = m_changes.fieldByName(QStringLiteral("table_name")).asString();
    const qint64 rowId = m_changes.fieldByName(QStringLiteral("row_id")).asInteger();
    m_historyDialog->showRecord(table, rowId,
                                QStringLiteral("%1, запись %2")
                                    .arg(m_changes.fieldByName(QStringLiteral("place")).asString())
                                    .arg(rowId));
}

void ChangeLogWindow::restoreCurrent() {
    if (!m_mayRestore || !m_restoreButton->isEnabled())
        return;
    const qint64 logId = m_changes.fieldByName(QStringLiteral("id")).asInteger();
    const QString what = QStringLiteral("%1, запись %2 (%3)")
                             .arg(m_changes.fieldByName(QStringLiteral("place")).asString())
                             .arg(m_changes.fieldByName(QStringLiteral("row_id")).asInteger())
                             .arg(m_changes.fieldByName(QStringLiteral("fio")).asString());
    if (!seams::askYesNo(kCaption, QStringLiteral("Восстановить удаленную запись?\n%1").arg(what)))
        return;
    if (runGuarded([&] { restoreDeleted(m_db, logId); }, kCaption))
        seams::showMessage(
            {kCaption, QStringLiteral("Запись восстановлена."), QMessageBox::Information, QMessageBox::Ok});
    refresh();
}

void ChangeLogWindow::exportToSpreadsheet() {
    if (!m_changes.isOpen())
        return;
    nameNextExport(QStringLiteral("Журнал изменений"));
    if (ExcelOpen(QString()) == -1)
        return;
    writeChangeListSheet(m_changes, [](int column, int row, const QString& text, bool textFormat) {
        ExcelPutCell(1, column, row, text, textFormat);
    });
    ExcelSetVisible(true);
}
