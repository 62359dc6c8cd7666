// Maintenance-work editor "Хоз. работы/среднесдельная (24)": enters or changes one entry of
// maintenance works or of work at the average piece rate.
#pragma once

#include "records/MaintenanceEntry.h"

#include <QDialog>
#include <QVector>
#include <optional>

class Database;
class NomenclatureGroupsDialog;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class WorkersDialog;

// The day an entry is entered for, as the maintenance works window shows it.
struct MaintenanceDay {
    QDate date;
    bool dayOff = false;
};

class MaintenanceEntryEditor : public QDialog {
    Q_OBJECT
public:
    MaintenanceEntryEditor(Database& db, WorkersDialog& workerPicker, NomenclatureGroupsDialog& groupPicker,
                           QWidget* parent = nullptr);

    // Shows the editor for a new entry of the day (maintenance works chosen); true when saved.
    bool addEntry(const MaintenanceDay& day);
    // Shows the editor on an entry of the day; its night flag cannot be changed. True when the
    // change was saved.
    bool changeEntry(const MaintenanceDay& day, const MaintenanceEntry& entry);

public slots:
    void pickWorker();
    void pickGroup();
    // Shows the chosen type's norm price and that price times the hours typed.
    void showPrice();
    void save();

private:
    bool edit(const MaintenanceDay& day, const MaintenanceEntry& entry);
    // Reads the two types with their norm prices into the type box.
    void readTypes();
    void selectType(int type);
    double chosenTypePrice() const;
    // The hours typed, or a refusal shown and nothing.
    std::optional<int> typedHours();

    Database& m_db;
    WorkersDialog& m_workerPicker;
    NomenclatureGroupsDialog& m_groupPicker;

    MaintenanceDay m_day;
    MaintenanceEntry m_original; // the entry being changed, as it stood (id 0 for a new one)
    int m_workerId = 0;
    qint64 m_groupId = 0;
    QVector<double> m_typePrices; // the norm price of each entry of the type box
    bool m_saved = false;

    QGroupBox* m_entryGroup;
    QLineEdit* m_workerEdit;
    QPushButton* m_workerButton;
    QLineEdit* m_groupEdit;
    QPushButton* m_groupButton;
    QComboBox* m_typeBox;
    QLineEdit* m_hoursEdit;
    QLineEdit* m_priceEdit;
    QLineEdit* m_sumEdit;
    QCheckBox* m_nightCheck;
    QPushButton* m_saveButton;
    QPushButton* m_exitButton;
};
