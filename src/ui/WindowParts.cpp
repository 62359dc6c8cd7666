// Parts shared by the list and editor windows, and the duplicate refusal before a save.
#include "ui/WindowParts.h"

#include "data/Database.h"
#include "ui/Seams.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

QTableView* makeListGrid(QWidget* parent, bool boldTitles) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(QStringLiteral("listGrid"));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(20);
    if (boldTitles) {
        QFont bold = grid->horizontalHeader()->font();
        bold.setBold(true);
        grid->horizontalHeader()->setFont(bold);
    }
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid->horizontalHeader()->setHighlightSections(false);
    return grid;
}

QLineEdit* makeSearchField(QWidget* parent, const QString& hint, QObject* keyFilter) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("searchEdit"));
    edit->setPlaceholderText(hint);
    edit->installEventFilter(keyFilter);
    return edit;
}

void makeListButtons(QWidget* parent, QPushButton*& add, QPushButton*& change, QPushButton*& remove,
                     QPushButton*& exit) {
    auto button = [parent](const char* name, const QString& caption) {
        return makeButton(parent, QLatin1String(name), caption);
    };
    add = button("addButton", QStringLiteral("Добавить"));
    add->setDefault(true);
    change = button("changeButton", QStringLiteral("Изменить"));
    remove = button("removeButton", QStringLiteral("Удалить"));
    exit = button("exitButton", QStringLiteral("Выход"));
}

void layOutEditor(QDialog* dialog, QWidget* group, QPushButton*& save, QPushButton*& cancel,
                  const QString& saveCaption) {
    save = new QPushButton(saveCaption, dialog);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setDefault(true);
    cancel = new QPushButton(QStringLiteral("Отмена"), dialog);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    // Enter on a focused "Отмена" cancels; Enter elsewhere saves.
    cancel->setAutoDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

bool refuseIfFound(Database& db, const QString& countSql, const QString& message) {
    if (!db.countCheck(countSql))
        return false;
    seams::errorBox(message);
    return true;
}

bool refuseIfStale(int rowsTouched) {
    if (rowsTouched != 0)
        return false;
    seams::errorBox(staleRowText());
    return true;
}

void makeFixedDialog(QDialog* dialog) {
    // Without CustomizeWindowHint the desktop draws its default buttons whatever the hints say.
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLabel* makeMonthClosedLabel(QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("Месяц закрыт"), parent);
    label->setObjectName(QStringLiteral("monthClosedLabel"));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(palette);
    label->setToolTip(QStringLiteral(
        "Записи закрытого месяца не добавляются, не изменяются, не удаляются и не принимаются."));
    // Apart from the box before it.
    label->setContentsMargins(20, 0, 0, 0);
    label->setVisible(false);
    return label;
}
