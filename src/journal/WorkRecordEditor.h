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
    // Shows the editor for a new record of the journal day that starts as a copy of the given
    // one; true when a record was saved.
    bool copyRecord(const JournalDay& day, const WorkRecord& record);

    // The record as the last save wrote it (its id is that of the record changed; 0 for a new one).
    const WorkRecord& savedRecord() const { return m_savedRecord; }

public slots:
    void pickWorker();
    void pickOperation();
    // Fills empty counts with 0 and shows the price and the amount of the typed quantity.
    void recomputeAmounts();
    void save();
    // Saves, and on success starts the next new record with the same worker and date.
    void saveAndAdd();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    enum class Mode { Add, Change };
    bool edit(Mode mode, const JournalDay& day);
    void clearBoxes();
    // Fills the boxes from a stored record (its worker, operation, price, counts and date).
    void fillFrom(const WorkRecord& record);
    // After "Записать и добавить": a new record of the same worker and date, the rest empty.
    void startNextRecord(const WorkRecord& saved);
    // Enables the colour box for painting operations ("КРАСКА" in the operation text).
    void setColourByOperation(const QString& operationText);
    // The record as the boxes hold it, of the journal day's shift.
    WorkRecord typedRecord() const;
    // The day of the date box with the journal's shift: a day off when the journal marks its own
    // day so, or, for another date, when that date is a Saturday or a Sunday.
    JournalDay recordDay() const;
    // A date changed after the price was taken: the piece price follows the day-off factor of the
    // new date, and a note says so.
    void followDate();
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
    JournalDay m_priceDay;  // the day whose coefficients m_price carries
    bool m_saved = false;
    bool m_addNext = false; // the save was "Записать и добавить"
    WorkRecord m_savedRecord;

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
    QLabel* m_priceNoteLabel; // says when the piece price was recomputed for another date
    QPushButton* m_saveButton;
    QPushButton* m_cancelButton;
    QPushButton* m_saveAndAddButton;
    QLabel* m_shiftLabel; // the shift the record goes into
};
