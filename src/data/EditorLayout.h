// The frame shared by the editor dialogs: the group box with the fields above, the save
// button (the default button, Enter) and "Отмена" at the bottom right.
#pragma once

#include <QString>

class QDialog;
class QPushButton;
class QWidget;

void layOutEditor(QDialog* dialog, QWidget* group, QPushButton*& save, QPushButton*& cancel,
                  const QString& saveCaption = QStringLiteral("Записать"));
