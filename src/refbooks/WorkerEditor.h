// Worker editor "Работники": enters a new worker or changes the name and position of one.
#pragma once

#include "data/Dataset.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

class WorkerEditor : public QDialog {
    Q_OBJECT
public:
    explicit WorkerEditor(QWidget* parent = nullptr);
    ~WorkerEditor() override;

    int Tag = 0;      // 1 add, 2 change
    int workerId = 0; // the worker being changed (tag 2), set by the list

    QGroupBox* GroupBox1;
    QLineEdit* Edit1; // "ФИО"
    // Lookup boxes over the common tables: the item data of each entry is the row's id.
    QComboBox* LCB_department; // "Подразделение"
    QComboBox* LCB_staffpos;   // "Должность": its caption is stored as the worker's position
    QComboBox* LCB_roles;      // "Роль"
    QPushButton* Button1;      // "Записать"
    QPushButton* Button2;      // "Отмена"

    // The lookup tables, read again before every showing of the editor.
    Dataset department;
    Dataset staffpos;
    Dataset roles;

    // Closes and reopens the three lookup tables and refills their boxes; each box keeps
    // the row it showed when that row is still there.
    void refreshLookups();

    // Change mode: shows the worker's stored position in the position box (nothing chosen
    // when no staff position carries that caption) and keeps it as the fallback, so that a
    // change of the name alone leaves the position as it was.
    void presetPosition(const QString& storedCaption);

    // The caption written into accounts_dep.person.s_staffpos_hl: the position box's
    // caption; with nothing chosen, the stored position when changing, empty when adding.
    QString chosenCaption() const;

public slots:
    void FormActivate();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QString storedPosition; // the changed worker's position as stored
    Command command;        // the editor's own statement on the shared connection
};

extern WorkerEditor* g_workerEditor;
