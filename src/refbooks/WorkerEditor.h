// Worker editor "Работники": enters a new worker or changes the name and position of one.
#pragma once

#include "data/Dataset.h"
#include "refbooks/WorkersDialog.h"

#include <QDialog>

class Database;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

class WorkerEditor : public QDialog {
    Q_OBJECT
public:
    explicit WorkerEditor(Database& db, QWidget* parent = nullptr);

    // Enters a new worker; true when it was saved.
    bool addWorker();
    // Changes the worker's name and position. The position box shows the worker's stored
    // position, so that saving a corrected name does not overwrite it with the position chosen
    // for somebody else; true when the change was saved.
    bool changeWorker(const Worker& worker, const QString& storedPosition);

public slots:
    // Checks the name and writes the worker; the editor closes when it is written.
    void save();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Closes and reopens the three lookup tables and refills their boxes; each box keeps
    // the row it showed when that row is still there.
    void refreshLookups();
    // The caption written into accounts_dep.person.s_staffpos_hl: the position box's
    // caption; with nothing chosen, the stored position when changing, empty when adding.
    QString chosenPosition() const;
    bool showEditor();

    Database& m_db;
    bool m_adding = true;
    int m_workerId = 0;       // the worker being changed
    QString m_storedPosition; // the changed worker's position as stored

    // The lookup tables, read again before every showing of the editor.
    Dataset m_departments;
    Dataset m_positions;
    Dataset m_roles;

    QGroupBox* m_workerGroup;
    QLineEdit* m_nameEdit;       // "ФИО"
    QComboBox* m_departmentBox;  // "Подразделение"; the item data of each entry is the row's id
    QComboBox* m_positionBox;    // "Должность": its caption is stored as the worker's position
    QComboBox* m_roleBox;        // "Роль"
    QPushButton* m_saveButton;   // "Записать"
    QPushButton* m_cancelButton; // "Отмена"
};
