// Price editor: adds or changes one operation price (product, operation type, kind).
#pragma once

#include "refbooks/OperationTypesDialog.h"
#include "refbooks/ProductsDialog.h"

#include <QDialog>

class Database;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

// An operation price as the editor changes it: its product, operation type and kind.
struct OperationPriceRecord {
    int id = 0;
    Product product;
    OperationType operationType;
    int kind = 0; // 0 finished products, 1 blanks
};

class OperationPriceEditor : public QDialog {
    Q_OBJECT
public:
    // The "..." buttons choose the product and the operation type with the two pickers.
    OperationPriceEditor(Database& db, ProductsDialog& productPicker,
                         OperationTypesDialog& operationTypePicker, QWidget* parent = nullptr);

    // Enters a new operation price (its stored price 0); true when it was saved.
    bool addOperationPrice();
    // The id of the operation price last saved (the new one after an add).
    int savedId() const { return m_priceId; }
    // Changes the product, operation type or kind of the operation price; true when saved.
    bool changeOperationPrice(const OperationPriceRecord& record);

public slots:
    // Checks the fields and that no other operation price has the same product, operation type
    // and kind, and writes the operation price; the editor closes when it is written.
    void save();
    // Chooses the product with the products list.
    void pickProduct();
    // Chooses the operation type with the operation types list.
    void pickOperationType();

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool showEditor();

    Database& m_db;
    ProductsDialog& m_productPicker;
    OperationTypesDialog& m_operationTypePicker;
    bool m_adding = true;
    int m_priceId = 0;         // the operation price being changed, or the one just added
    qint64 m_productId = 0;    // chosen product (accounts_dep.izdel.id)
    int m_operationTypeId = 0; // chosen operation type (accounts_dep.vid_oper.id)

    QGroupBox* m_priceGroup;
    QLineEdit* m_productEdit;           // product mark
    QPushButton* m_productButton;       // "..."
    QLineEdit* m_operationTypeEdit;     // operation type
    QPushButton* m_operationTypeButton; // "..."
    QComboBox* m_kindBox;               // kind: 0 finished products, 1 blanks
    QPushButton* m_saveButton;          // "Записать"
    QPushButton* m_cancelButton;        // "Отмена"
};
