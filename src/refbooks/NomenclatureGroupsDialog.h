// Nomenclature groups list "Номенклатура (26)": adds and renames the groups of products, and
// serves the maintenance-work editor as the group picker.
#pragma once

#include "data/Dataset.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTableView;

class NomenclatureGroupsDialog : public QDialog {
    Q_OBJECT
public:
    explicit NomenclatureGroupsDialog(QWidget* parent = nullptr);
    ~NomenclatureGroupsDialog() override;

    int Tag = 0; // 0 list mode; 24 picker for the maintenance-work editor

    // The groups: classifier items of level 2, by name. Opened by whoever shows the list.
    Dataset item;

    QTableView* DBGrid1;  // "Наименование"
    QPushButton* Button2; // "Добавить"
    QPushButton* Button3; // "Изменить" / "Выбрать"
    QPushButton* Button1; // "Удалить": there is no deletion of groups, always disabled
    QLineEdit* Edit1;     // search by the beginning of the name
    QPushButton* Button4; // "Выход"

    // What a pick hands back to the maintenance-work editor. "Выбрать" (or a double click)
    // sets Picked, the group's id and its name exactly as stored (blanks included), and
    // closes the list; from an empty list it hands back the id 0 and an empty name. "Выход"
    // and Esc hand nothing back. The opener clears Picked before showing the list
    // (openAsPicker does) and, when it is true, copies PickedCaption into its nomenclature
    // field and PickedId into its nomenclature item id.
    bool Picked = false;
    qint64 PickedId = 0;
    QString PickedCaption;

    // Opens the list to choose a group, as the maintenance-work editor does: tag 24,
    // "Выбрать", "Удалить" and "Добавить" hidden, item opened; shown modally; afterwards
    // "Удалить" and "Добавить" visible again and item closed. The search field and its filter
    // stay as they were. Returns Picked.
    bool openAsPicker();

public slots:
    // What the main window does around showing the list from its menu.
    void openFromMainMenu();

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void DBGrid1DblClick();
    void Edit1Change(const QString& text);

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
};

extern NomenclatureGroupsDialog* g_nomenclatureGroupsDialog;

// The look of the small fixed windows: the icon "Icon_1" when the program carries that
// resource (none otherwise, without complaint), a single fixed border with only the close
// button, no minimise or maximise button.
void setFixedWindowLook(QDialog* window);
// Puts the window in the middle of the desktop it is shown on.
void centreOnDesktop(QWidget* window);
