// The versions of one record.
#include "history/RecordHistoryDialog.h"

#include "data/Database.h"
#include "records/ChangeLog.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

} // namespace

RecordHistoryDialog::RecordHistoryDialog(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("RecordHistoryDialog"));
    setWindowTitle(QStringLiteral("История"));
    m_noteLabel = new QLabel(this);
    m_noteLabel->setObjectName(QStringLiteral("noteLabel"));
    m_noteLabel->setWordWrap(true);
    m_noteLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_versionsGrid = new QTableWidget(0, 7, this);
    m_versionsGrid->setObjectName(QStringLiteral("versionsGrid"));
    m_versionsGrid->setHorizontalHeaderLabels(
        {QStringLiteral("Когда"), QStringLiteral("Кто"), QStringLiteral("Рабочее место"),
         QStringLiteral("Что"), QStringLiteral("Поле"), QStringLiteral("Было"), QStringLiteral("Стало")});
    m_versionsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_versionsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_versionsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_versionsGrid->verticalHeader()->hide();
    m_versionsGrid->verticalHeader()->setDefaultSectionSize(20);
    m_versionsGrid->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {145, 140, 150, 80, 110, 150};
    for (int c = 0; c < 6; ++c)
        m_versionsGrid->setColumnWidth(c, widths[c]);
    m_versionsGrid->setMinimumSize(900, 320);
    m_exitButton = makeButton(this, QStringLiteral("exitButton"), QStringLiteral("Выход"));
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_noteLabel);
    layout->addWidget(m_versionsGrid, 1);
    layout->addLayout(buttons);
}

void RecordHistoryDialog::showRecord(const QString& table, qint64 rowId, const QString& title) {
    setWindowTitle(QStringLiteral("История: %1").arg(title));
    readVersions(table, rowId);
    m_versionsGrid->setFocus();
    seams::showModal(this);
}

void RecordHistoryDialog::readVersions(const QString& table, qint64 rowId) {
    bool installed = false;
    std::vector<ChangeLogEntry> versions;
    std::vector<std::vector<FieldChange>> changes;
    runGuarded([&] {
        installed = historyInstalled(m_db);
        if (!installed)
            return;
        versions = recordHistory(m_db, table, rowId);
        for (const ChangeLogEntry& v : versions)
            changes.push_back(changedFields(m_db, v));
    });
    m_noteLabel->setText(installed ? QString() : historyMissingText());
    m_noteLabel->setVisible(!installed);
    m_versionsGrid->setRowCount(0);
    if (installed && versions.empty()) {
        m_noteLabel->setText(QStringLiteral("Изменений этой записи в журнале изменений нет."));
        m_noteLabel->setVisible(true);
    }
    for (size_t i = 0; i < versions.size(); ++i) {
        const ChangeLogEntry& v = versions[i];
        // A version takes a row per field it changed; the first names when, who and what.
        const std::vector<FieldChange>& fields = changes[i];
        const int rows = std::max<int>(1, int(fields.size()));
        const int first = m_versionsGrid->rowCount();
        m_versionsGrid->setRowCount(first + rows);
        m_versionsGrid->setItem(first, 0,
                                cell(v.at.toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"))));
        m_versionsGrid->setItem(first, 1, cell(v.userName));
        m_versionsGrid->setItem(first, 2, cell(v.workstation));
        QTableWidgetItem* kind = cell(changeKindTitle(v.action));
        QFont bold = kind->font();
        bold.setBold(true);
        kind->setFont(bold);
        m_versionsGrid->setItem(first, 3, kind);
        for (int f = 0; f < int(fields.size()); ++f) {
            m_versionsGrid->setItem(first + f, 4, cell(fields[size_t(f)].title));
            m_versionsGrid->setItem(first + f, 5, cell(fields[size_t(f)].before));
            m_versionsGrid->setItem(first + f, 6, cell(fields[size_t(f)].after));
        }
    }
}
