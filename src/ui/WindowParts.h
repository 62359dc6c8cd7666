// Parts shared by the list and editor windows: the list's grid, search field and buttons,
// and the editor's frame with its save and cancel buttons.
#pragma once

#include <QString>

class Database;

class QDialog;
class QLabel;
class QLineEdit;
class QObject;
class QPushButton;
class QTableView;
class QWidget;

// A read-only list grid ("listGrid"): no row numbers, centred titles (bold if asked).
QTableView* makeListGrid(QWidget* parent, bool boldTitles = false);

// The search field ("searchEdit") with its hint; keys go through the filter object first.
QLineEdit* makeSearchField(QWidget* parent, const QString& hint, QObject* keyFilter);

// The buttons of a list window: "Добавить" (addButton, the default button), "Изменить"
// (changeButton), "Удалить" (removeButton) and "Выход" (exitButton).
void makeListButtons(QWidget* parent, QPushButton*& add, QPushButton*& change, QPushButton*& remove,
                     QPushButton*& exit);

// The editor's frame: the group box with the fields above, the save button (the default
// button, Enter) and "Отмена" at the bottom right.
void layOutEditor(QDialog* dialog, QWidget* group, QPushButton*& save, QPushButton*& cancel,
                  const QString& saveCaption = QStringLiteral("Записать"));

// The duplicate check before a save: when the statement counts a row (column cnt above 0), the
// message is shown as a refusal and true is returned.
bool refuseIfFound(Database& db, const QString& countSql, const QString& message);

// The check after an update or delete by key: when it touched no row, the row was changed or
// deleted at another workstation; the message says so and true is returned.
bool refuseIfStale(int rowsTouched);

// A dialog of fixed size: a title and a close button, no minimise or maximise button.
void makeFixedDialog(QDialog* dialog);

// "Месяц закрыт" in bold red ("monthClosedLabel"), hidden until the window shows a day of a closed
// month; hidden, it takes no room.
QLabel* makeMonthClosedLabel(QWidget* parent);

// A push button with its object name that Enter does not press unless it is the default one.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption);
