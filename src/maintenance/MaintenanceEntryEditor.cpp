// Maintenance-work editor: enters or changes one entry of maintenance works or of work at the
// average piece rate, with the worker's hours of the day in the timesheet.
#include "maintenance/MaintenanceEntryEditor.h"

#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/NomenclatureGroupsDialog.h"
#include "refbooks/WorkersDialog.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

MaintenanceEntryEditor::MaintenanceEntryEditor(Database& db, WorkersDialog& workerPicker,
                                               NomenclatureGroupsDialog& groupPicker, QWidget* parent)
    : QDialog(parent), m_db(db), m_workerPicker(workerPicker), m_groupPicker(groupPicker) {
    setObjectName(QStringLiteral("MaintenanceEntryEditor"));
    setWindowTitle(QStringLiteral("Хоз. работы/среднесдельная (24)"));
    m_entryGroup = new QGroupBox(QStringLiteral("Закрыто мастером"), this);
    m_entryGroup->setObjectName(QStringLiteral("entryGroup"));

    auto edit = [this](const char* name, int width) {
        auto* e = new QLineEdit(m_entryGroup);
        e->setObjectName(QLatin1String(name));
        e->setMinimumWidth(width);
        return e;
    };
    auto shown = [&](const char* name, int width) {
        QLineEdit* e = edit(name, width);
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        return e;
    };
    auto small = [this](const char* name) {
        auto* b = new QPushButton(QStringLiteral("..."), m_entryGroup);
        b->setObjectName(QLatin1String(name));
        b->setFixedWidth(28);
        b->setAutoDefault(false);
        return b;
    };
    m_workerEdit = shown("workerEdit", 300);
    m_workerButton = small("workerButton");
    m_groupEdit = shown("groupEdit", 300);
    m_groupButton = small("groupButton");
    m_typeBox = new QComboBox(m_entryGroup);
    m_typeBox->setObjectName(QStringLiteral("typeBox"));
    m_hoursEdit = edit("hoursEdit", 50);
    m_hoursEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_hoursEdit));
    m_priceEdit = edit("priceEdit", 70);
    m_priceEdit->setEnabled(false);
    m_sumEdit = edit("sumEdit", 80);
    m_sumEdit->setEnabled(false);
    m_nightCheck = new QCheckBox(QStringLiteral("Ночные"), m_entryGroup);
    m_nightCheck->setObjectName(QStringLiteral("nightCheck"));

    auto* grid = new QGridLayout(m_entryGroup);
    auto label = [this](const QString& text) { return new QLabel(text, m_entryGroup); };
    grid->addWidget(label(QStringLiteral("ФИО")), 0, 0);
    grid->addWidget(m_workerEdit, 0, 1, 1, 5);
    grid->addWidget(m_workerButton, 0, 6);
    grid->addWidget(label(QStringLiteral("Номенклатура")), 1, 0);
    grid->addWidget(m_groupEdit, 1, 1, 1, 5);
    grid->addWidget(m_groupButton, 1, 6);
    grid->addWidget(label(QStringLiteral("Работа")), 2, 0);
    grid->addWidget(m_typeBox, 2, 1, 1, 5);
    grid->addWidget(label(QStringLiteral("Время")), 3, 0);
    grid->addWidget(m_hoursEdit, 3, 1);
    grid->addWidget(label(QStringLiteral("ч.    Цена")), 3, 2);
    grid->addWidget(m_priceEdit, 3, 3);
    grid->addWidget(label(QStringLiteral("р.    Сумма")), 3, 4);
    grid->addWidget(m_sumEdit, 3, 5);
    grid->addWidget(m_nightCheck, 4, 1, 1, 2);

    layOutEditor(this, m_entryGroup, m_saveButton, m_exitButton);
    m_exitButton->setText(QStringLiteral("Выход"));
    m_exitButton->setObjectName(QStringLiteral("exitButton"));
    setFixedWindowLook(this);

    setTabOrder(m_workerButton, m_groupButton);
    setTabOrder(m_groupButton, m_typeBox);
    setTabOrder(m_typeBox, m_hoursEdit);
    setTabOrder(m_hoursEdit, m_nightCheck);
    setTabOrder(m_nightCheck, m_saveButton);
    setTabOrder(m_saveButton, m_exitButton);

    connect(m_workerButton, &QPushButton::clicked, this, &MaintenanceEntryEditor::pickWorker);
    connect(m_groupButton, &QPushButton::clicked, this, &MaintenanceEntryEditor::pickGroup);
    connect(m_typeBox, &QComboBox::currentIndexChanged, this, &MaintenanceEntryEditor::showPrice);
    connect(m_hoursEdit, &QLineEdit::textChanged, this, &MaintenanceEntryEditor::showPrice);
    connect(m_nightCheck, &QCheckBox::toggled, this, &MaintenanceEntryEditor::showPrice);
    connect(m_saveButton, &QPushButton::clicked, this, &MaintenanceEntryEditor::save);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::close);
}

bool MaintenanceEntryEditor::addEntry(const MaintenanceDay& day) {
    MaintenanceEntry entry;
    entry.type = kMaintenanceWork;
    entry.date = day.date;
    m_nightCheck->setEnabled(true);
    return edit(day, entry);
}

bool MaintenanceEntryEditor::changeEntry(const MaintenanceDay& day, const MaintenanceEntry& entry) {
    // The night flag names the timesheet row the entry's hours are in: it stays.
    m_nightCheck->setEnabled(false);
    return edit(day, entry);
}

bool MaintenanceEntryEditor::edit(const MaintenanceDay& day, const MaintenanceEntry& entry) {
    m_day = day;
    m_original = entry;
    m_workerId = entry.workerId;
    m_groupId = entry.groupId;
    m_workerEdit->setText(entry.workerName);
    m_groupEdit->setText(entry.groupName);
    m_hoursEdit->setText(QString::number(entry.hours));
    m_nightCheck->setChecked(entry.night);
    readTypes();
    selectType(entry.type);
    showPrice();
    m_saved = false;
    m_workerButton->setFocus();
    seams::showModal(this);
    m_typeBox->clear();
    m_typePrices.clear();
    return m_saved;
}

void MaintenanceEntryEditor::readTypes() {
    Dataset types;
    types.setSql(QStringLiteral("select vo.id, vo.vid, n.price, (n.price*:cnt) as summ from "
                                "accounts_dep.vid_oper vo,accounts_dep.norm n, accounts_dep.oper o "
                                "where n.o_id =o.id and o.vid=vo.id and (vo.id = 7777 or vo.id = 7778) "
                                "order by vo.id, n.price"));
    types.setParam(QStringLiteral("cnt"), 0);
    types.open();
    m_typeBox->clear();
    m_typePrices.clear();
    // A type with several norms is offered once, at its lowest norm price.
    for (types.first(); !types.eof(); types.next()) {
        const int id = types.fieldByName(QStringLiteral("id")).asInteger();
        if (m_typeBox->findData(id) >= 0)
            continue;
        m_typeBox->addItem(types.fieldByName(QStringLiteral("vid")).asString().trimmed(), id);
        m_typePrices.append(types.fieldByName(QStringLiteral("price")).asFloat());
    }
}

void MaintenanceEntryEditor::selectType(int type) {
    m_typeBox->setCurrentIndex(m_typeBox->findData(type));
}

double MaintenanceEntryEditor::chosenTypePrice() const {
    const int i = m_typeBox->currentIndex();
    return i >= 0 && i < m_typePrices.size() ? m_typePrices[i] : 0;
}

void MaintenanceEntryEditor::showPrice() {
    if (m_typeBox->currentIndex() < 0) {
        m_priceEdit->clear();
        m_sumEdit->clear();
        return;
    }
    // The price and the amount the save will write: with the day-off and night factors.
    const double price = hourlyPrice(chosenTypePrice(), m_day.dayOff, m_nightCheck->isChecked());
    m_priceEdit->setText(formatScreen(roundHalfEven(price, 4)));
    m_sumEdit->setText(formatMoney(price * m_hoursEdit->text().toDouble()));
}

void MaintenanceEntryEditor::pickWorker() {
    runGuarded([this] {
        if (const std::optional<Worker> worker = m_workerPicker.pickWorker()) {
            m_workerId = worker->id;
            m_workerEdit->setText(worker->name);
        }
    });
}

void MaintenanceEntryEditor::pickGroup() {
    runGuarded([this] {
        if (const std::optional<NomenclatureGroup> group = m_groupPicker.pickGroup()) {
            m_groupId = group->id;
            m_groupEdit->setText(group->name);
        }
    });
}

std::optional<int> MaintenanceEntryEditor::typedHours() {
    const QString text = m_hoursEdit->text().trimmed();
    bool ok = true;
    const int hours = text.isEmpty() ? 0 : text.toInt(&ok);
    if (!ok || hours > kMaxDayHours) {
        seams::errorBox(QStringLiteral("Слишком большое число часов: не больше %1.").arg(kMaxDayHours));
        m_hoursEdit->setFocus();
        return std::nullopt;
    }
    if (hours < 1) {
        seams::errorBox(QStringLiteral("Нужно завести количество!"));
        m_hoursEdit->setFocus();
        return std::nullopt;
    }
    return hours;
}

void MaintenanceEntryEditor::save() {
    if (m_workerId == 0 || m_groupId == 0 || m_typeBox->currentIndex() < 0) {
        seams::errorBox(QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    const std::optional<int> hours = typedHours();
    if (!hours)
        return;
    MaintenanceEntry entry = m_original;
    entry.workerId = m_workerId;
    entry.workerName = m_workerEdit->text();
    entry.groupId = m_groupId;
    entry.groupName = m_groupEdit->text();
    entry.type = m_typeBox->currentData().toInt();
    if (entry.id == 0)
        entry.date = m_day.date;
    entry.hours = *hours;
    entry.dayOff = m_day.dayOff;
    entry.night = m_nightCheck->isChecked();
    entry.price = hourlyPrice(chosenTypePrice(), entry.dayOff, entry.night);
    // On an error nothing was written: the editor stays open with what the user typed.
    if (!runGuarded([&] { saveMaintenanceEntry(m_db, entry, entry.id != 0 ? &m_original : nullptr); }))
        return;
    m_saved = true;
    close();
}
