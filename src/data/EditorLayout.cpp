#include "EditorLayout.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

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
