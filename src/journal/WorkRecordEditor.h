// Work-record editor: enters or changes one work record of the journal and keeps the
// worker's hours of the day in the timesheet.
#pragma once

#include "data/JournalDay.h"
#include "records/WorkRecord.h"
#include "records/WorkRecordStore.h"

#include <QDialog>

class Database;
class OperationPricesDialog;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class WorkersDialog;

class WorkRecordEditor : public QDialog {
    Q_OBJECT
public:
    WorkRecordEditor(Database& db, WorkersDialog& workerPicker, OperationPricesDialog& operationPicker,
                     QWidget* parent = nullptr);

    // Shows the editor for a new record of the journal day; true when a record was saved.
    bool addRecord(const JournalDay& day);
    // Shows the editor on a record of the journal day; true when the journal is to be read again:
    // the change was saved, or the record was found changed or deleted at another workstation.
    bool changeRecord(const JournalDay& day, const WorkRecord& record);

public slots:
    void pickWorker();
    void pickOperation();
    // Fills empty counts with 0 and shows the price and the amount of the typed quantity.
    void recomputeAmounts();
    void save();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    enum class Mode { Add, Change };
    bool edit(Mode mode, const JournalDay& day);
    void clearBoxes();
    // Enables the colour box for painting operations ("КРАСКА" in the operation text).
    void setColourByOperation(const QString& operationText);
    // The record as the boxes hold it, of the journal day's shift.
    WorkRecord typedRecord() const;
    // Puts the focus into the box of a store's field name (none for an empty name).
    void focusField(const QString& field);

    Database& m_db;
    WorkRecordStore m_store;
    WorkersDialog& m_workerPicker;
    OperationPricesDialog& m_operationPicker;

    Mode m_mode = Mode::Add;
    JournalDay m_day;
    WorkRecord m_original; // the record being changed, as it stood
    int m_workerId = 0;
    int m_productId = 0;
    int m_operationPriceId = 0;
    double m_basePrice = 0; // the price list's price of the operation picked
    double m_price = 0;     // the piece price with the day-off and shift coefficients
    bool m_saved = false;

    QGroupBox* m_recordGroup;
    QLineEdit* m_workerEdit;
    QPushButton* m_workerButton;
    QLineEdit* m_operationEdit;
    QPushButton* m_operationButton;
    QLineEdit* m_quantityEdit;
    QLineEdit* m_hoursEdit;
    QLabel* m_colourLabel;
    QLineEdit* m_colourEdit;
    QDateEdit* m_dateEdit;
    QLineEdit* m_rejectsEdit;
    QLineEdit* m_basePriceEdit;
    QLineEdit* m_priceEdit;
    QLineEdit* m_amountEdit;
    QPushButton* m_saveButton;
    QPushButton* m_cancelButton;
};
