#include "ui/WindowParts.h"

#include "data/Database.h"
#include "ui/Seams.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

QTableView* makeListGrid(QWidget* parent, bool boldTitles) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(QStringLiteral("DBGrid1"));
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
    edit->setObjectName(QStringLiteral("Edit1"));
    edit->setPlaceholderText(hint);
    edit->installEventFilter(keyFilter);
    return edit;
}

void makeListButtons(QWidget* parent, QPushButton*& add, QPushButton*& change, QPushButton*& remove,
                     QPushButton*& exit) {
    auto button = [parent](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    add = button("Button1", QStringLiteral("Добавить"));
    add->setDefault(true);
    change = button("Button2", QStringLiteral("Изменить"));
    remove = button("Button3", QStringLiteral("Удалить"));
    exit = button("Button4", QStringLiteral("Выход"));
}

void layOutEditor(QDialog* dialog, QWidget* group, QPushButton*& save, QPushButton*& cancel,
                  const QString& saveCaption) {
    save = new QPushButton(saveCaption, dialog);
    save->setObjectName(QStringLiteral("Button1"));
    save->setDefault(true);
    cancel = new QPushButton(QStringLiteral("Отмена"), dialog);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setAutoDefault(false);
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
