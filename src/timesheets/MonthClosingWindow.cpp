// Month closing window: the list of months, closing and reopening.
#include "timesheets/MonthClosingWindow.h"

#include "data/Database.h"
#include "records/Refusal.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Закрытие месяца");

// What the administrator does when the database has no closed months yet.
QString notInstalledText() {
    return QStringLiteral(
        "В базе данных нет таблицы закрытых месяцев, поэтому месяцы не закрываются. Администратор "
        "базы применяет к ней файл closing.sql из пакета программы (/usr/share/tabel/db/closing.sql) "
        "от имени владельца таблиц:\npsql -v ON_ERROR_STOP=1 -d kor_erp -f /usr/share/tabel/db/closing.sql");
}

// Another workstation closed or reopened the month meanwhile.
void tellDoneElsewhere(const QString& text) {
    seams::showMessage({kCaption, text, QMessageBox::Information, QMessageBox::Ok});
}

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

} // namespace

MonthClosingWindow::MonthClosingWindow(Database& db, bool mayClose, QWidget* parent)
    : QDialog(parent), m_db(db), m_mayClose(mayClose) {
    setObjectName(QStringLiteral("MonthClosingWindow"));
    setWindowTitle(kCaption);
    createWidgets();
}

void MonthClosingWindow::createWidgets() {
    m_noteLabel = new QLabel(this);
    m_noteLabel->setObjectName(QStringLiteral("noteLabel"));
    m_noteLabel->setWordWrap(true);
    m_noteLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_noteLabel->setVisible(false);

    m_monthsGrid = new QTableWidget(0, 5, this);
    m_monthsGrid->setObjectName(QStringLiteral("monthsGrid"));
    m_monthsGrid->setHorizontalHeaderLabels({QStringLiteral("Месяц"), QStringLiteral("Состояние"),
                                             QStringLiteral("Закрыт"), QStringLiteral("Кем"),
                                             QStringLiteral("Причина открытия")});
    m_monthsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_monthsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_monthsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_monthsGrid->verticalHeader()->hide();
    m_monthsGrid->verticalHeader()->setDefaultSectionSize(20);
    m_monthsGrid->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {70, 80, 120, 160};
    for (int c = 0; c < 4; ++c)
        m_monthsGrid->setColumnWidth(c, widths[c]);
    m_monthsGrid->setMinimumSize(700, 320);

    m_reasonLabel = new QLabel(QStringLiteral("Причина открытия:"), this);
    m_reasonEdit = new QLineEdit(this);
    m_reasonEdit->setObjectName(QStringLiteral("reasonEdit"));
    m_reasonEdit->setMaxLength(1000);
    m_reasonLabel->setBuddy(m_reasonEdit);
    m_closeButton = makeButton(this, QStringLiteral("closeButton"), QStringLiteral("Закрыть месяц"));
    m_reopenButton = makeButton(this, QStringLiteral("reopenButton"), QStringLiteral("Открыть месяц"));
    m_refreshButton = makeButton(this, QStringLiteral("refreshButton"), QStringLiteral("Обновить"));
    m_exitButton = makeButton(this, QStringLiteral("exitButton"), QStringLiteral("Выход"));

    auto* reasonRow = new QHBoxLayout;
    reasonRow->addWidget(m_reasonLabel);
    reasonRow->addWidget(m_reasonEdit, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_closeButton);
    buttons->addWidget(m_reopenButton);
    buttons->addWidget(m_refreshButton);
    buttons->addStretch();
    buttons->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_noteLabel);
    layout->addWidget(m_monthsGrid, 1);
    layout->addLayout(reasonRow);
    layout->addLayout(buttons);

    // The roles without full access see the list only.
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_reasonLabel, m_reasonEdit, m_closeButton, m_reopenButton})
        w->setVisible(m_mayClose);

    connect(m_closeButton, &QPushButton::clicked, this, &MonthClosingWindow::closeCurrent);
    connect(m_reopenButton, &QPushButton::clicked, this, &MonthClosingWindow::reopenCurrent);
    connect(m_refreshButton, &QPushButton::clicked, this, &MonthClosingWindow::refresh);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::close);
    connect(m_monthsGrid, &QTableWidget::currentCellChanged, this, &MonthClosingWindow::enableButtons);
}

void MonthClosingWindow::showMonths() {
    refresh();
    m_monthsGrid->setFocus();
    seams::showModal(this);
}

void MonthClosingWindow::refresh() {
    const std::optional<MonthClosing> current = currentMonth();
    runGuarded([this] {
        m_installed = closingInstalled(m_db);
        m_months = m_installed ? monthsWithClosing(m_db) : std::vector<MonthClosing>{};
    });
    m_noteLabel->setText(notInstalledText());
    m_noteLabel->setVisible(!m_installed);
    fillGrid();
    // The month that was current stays current; a new list starts on its newest month.
    int row = m_months.empty() ? -1 : 0;
    for (size_t i = 0; current && i < m_months.size(); ++i)
        if (m_months[i].month == current->month)
            row = int(i);
    m_monthsGrid->setCurrentCell(row, 0);
    enableButtons();
}

void MonthClosingWindow::fillGrid() {
    m_monthsGrid->setRowCount(int(m_months.size()));
    for (int r = 0; r < int(m_months.size()); ++r) {
        const MonthClosing& m = m_months[size_t(r)];
        m_monthsGrid->setItem(r, 0, cell(m.month.text()));
        QTableWidgetItem* state = cell(m.closed ? QStringLiteral("закрыт") : QStringLiteral("открыт"));
        if (m.closed) {
            QFont bold = state->font();
            bold.setBold(true);
            state->setFont(bold);
            state->setForeground(QColor(255, 0, 0));
        }
        m_monthsGrid->setItem(r, 1, state);
        m_monthsGrid->setItem(r, 2,
                              cell(m.closed
                                       ? m.closedAt.toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm"))
                                       : QString()));
        m_monthsGrid->setItem(r, 3, cell(m.closedBy));
        m_monthsGrid->setItem(r, 4, cell(m.note));
    }
}

std::optional<MonthClosing> MonthClosingWindow::currentMonth() const {
    const int row = m_monthsGrid->currentRow();
    if (row < 0 || row >= int(m_months.size()))
        return std::nullopt;
    return m_months[size_t(row)];
}

void MonthClosingWindow::enableButtons() {
    const std::optional<MonthClosing> month = currentMonth();
    m_closeButton->setEnabled(m_mayClose && m_installed && month && !month->closed);
    m_reopenButton->setEnabled(m_mayClose && m_installed && month && month->closed);
    m_reasonEdit->setEnabled(m_mayClose && m_installed);
}

void MonthClosingWindow::closeCurrent() {
    const std::optional<MonthClosing> month = currentMonth();
    if (!m_mayClose || !month)
        return;
    if (!seams::askYesNo(
            kCaption,
            QStringLiteral("Закрыть месяц %1?\nПосле закрытия записи журнала, хоз. работы и табель "
                           "этого месяца не добавляются, не изменяются и не удаляются, пока месяц не "
                           "откроют вновь.")
                .arg(month->month.text())))
        return;
    bool closedHere = false;
    if (runGuarded([&] { closedHere = closeMonth(m_db, month->month, workstationName()); }) && !closedHere)
        tellDoneElsewhere(
            QStringLiteral("Месяц %1 уже закрыт на другом рабочем месте.").arg(month->month.text()));
    refresh();
}

void MonthClosingWindow::reopenCurrent() {
    const std::optional<MonthClosing> month = currentMonth();
    if (!m_mayClose || !month)
        return;
    bool reopened = false;
    const bool done = runGuarded([&] {
        try {
            reopened = reopenMonth(m_db, month->month, workstationName(), m_reasonEdit->text());
        } catch (const Refusal&) {
            m_reasonEdit->setFocus();
            throw;
        }
    });
    if (!done)
        return; // the reason typed stays for another try
    m_reasonEdit->clear();
    if (!reopened)
        tellDoneElsewhere(
            QStringLiteral("Месяц %1 уже открыт на другом рабочем месте.").arg(month->month.text()));
    refresh();
}
