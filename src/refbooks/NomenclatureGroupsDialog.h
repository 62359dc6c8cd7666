// Nomenclature groups list "Номенклатура (26)": adds and renames the groups of products, and
// serves the maintenance-work editor as the group picker.
#pragma once

#include "data/Dataset.h"
#include "records/NomenclatureGroupStore.h"
#include "ui/ListDialog.h"
#include "ui/ResultGridModel.h"

#include <QString>
#include <optional>

class Database;
class NomenclatureGroupEditor;

class NomenclatureGroupsDialog : public ListDialog {
    Q_OBJECT
public:
    explicit NomenclatureGroupsDialog(Database& db, QWidget* parent = nullptr);

    // The list from the main menu: groups are added and renamed ("Удалить" is there but always
    // disabled: groups are not deleted). The search text and its filter stay.
    void browse();

    // The list for choosing a group: "Выбрать", "Добавить" and "Удалить" hidden; the search
    // field and its filter stay as they were. The chosen group, or nothing when the user left
    // the list. A pick from an empty list hands back the id 0 and an empty name.
    std::optional<NomenclatureGroup> pickGroup();

protected:
    Dataset& list() override;
    void addNew() override;
    void changeCurrent() override;
    void pickCurrent() override;
    void search(const QString& text) override;
    void showEvent(QShowEvent* e) override;

private:
    NomenclatureGroupEditor* m_editor;
    std::optional<NomenclatureGroup> m_picked;
    // The groups: classifier items of level 2, by name; open while the list is shown.
    Dataset m_groups;
    ResultGridModel m_groupsModel{m_groups}; // how the grid shows them
};

// The look of the small fixed windows: the icon "Icon_1" when the program carries that
// resource (none otherwise, without complaint), a single fixed border with only the close
// button, no minimise or maximise button.
void setFixedWindowLook(QDialog* window);
// Puts the window in the middle of the desktop it is shown on.
void centreOnDesktop(QWidget* window);
