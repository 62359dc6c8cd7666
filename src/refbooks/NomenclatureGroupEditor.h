// Nomenclature group editor "Ведение групп (29)": the name of a new group or of the group
// chosen in the list.
#pragma once

#include "refbooks/NomenclatureGroupsDialog.h"

#include <QDialog>

class Database;
class QGroupBox;
class QLineEdit;
class QPushButton;

class NomenclatureGroupEditor : public QDialog {
    Q_OBJECT
public:
    explicit NomenclatureGroupEditor(Database& db, QWidget* parent = nullptr);

    // Enters a new group; true when it was saved.
    bool addGroup();
    // Renames the group; true when the new name was saved.
    bool renameGroup(const NomenclatureGroup& group);

public slots:
    // Writes the name, trimmed of blanks (an empty name too); the editor closes when it is
    // written and stays open when the database refuses the statement.
    void save();

protected:
    void showEvent(QShowEvent* e) override;

private:
    Database& m_db;
    bool m_adding = true;
    qint64 m_groupId = 0; // the group being renamed

    QGroupBox* m_nameGroup;
    QLineEdit* m_nameEdit;     // "Наименование"
    QPushButton* m_saveButton; // "Записать"
    QPushButton* m_exitButton; // "Выход"
};
