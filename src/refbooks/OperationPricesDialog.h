// Operation-price list "Операции": operation prices with their lowest norm price; adds,
// changes, deletes and exports them, opens their norms, or picks one for the work-record editor.
#pragma once

#include "data/Dataset.h"
#include "ui/ListDialog.h"
#include "ui/ResultGridModel.h"

#include <QString>
#include <optional>

class Database;
class NormsDialog;
class OperationPriceEditor;
class OperationTypesDialog;
class ProductsDialog;
class QCheckBox;

// An operation price as the picker hands it back: its id, its product, the base price (the
// lowest norm price, without any coefficient of the journal day) and the text
// "mark; operation; kind".
struct OperationPrice {
    int id = 0;
    int productId = 0;
    double basePrice = 0;
    QString text;
};

class OperationPricesDialog : public ListDialog {
    Q_OBJECT
public:
    // The price editor chooses its product and operation type with the two pickers.
    OperationPricesDialog(Database& db, ProductsDialog& productPicker,
                          OperationTypesDialog& operationTypePicker, QWidget* parent = nullptr);

    // The list from the main menu: operation prices are added, changed, deleted and exported; a
    // double click with "Цены" checked opens the norms of the operation price.
    void browse();

    // The list for choosing an operation price: whole (the search field shown and cleared, no
    // filter), standing on the given operation price when it is listed (else on the first row).
    // The chosen price, or nothing when the user left the list or it had no row. The list stays
    // open afterwards.
    std::optional<OperationPrice> pickOperationPrice(int startAtId = 0);

    // The operation prices the list shows, with their lowest norm price and number of norms
    // (Database::operationPricesSql()); the norms window reads them again after a change.
    Dataset& operationPrices() { return m_operationPrices; }

public slots:
    // Writes every operation price with its stored price into a spreadsheet.
    void exportToSpreadsheet();

protected:
    Dataset& list() override;
    void addNew() override;
    void changeCurrent() override;
    void pickCurrent() override;
    void removeCurrent() override;
    void search(const QString& text) override;
    void activateCurrent() override;

private:
    // Writes the export's rows (read already) into the spreadsheet.
    void writeExport();

    Database& m_db;
    Dataset m_operationPrices;
    ResultGridModel m_operationPricesModel{m_operationPrices}; // how the grid shows them
    OperationPriceEditor* m_editor;
    NormsDialog* m_normsDialog;
    std::optional<OperationPrice> m_picked;
    Dataset m_export; // every operation price with its stored price, for the export

    QPushButton* m_exportButton; // "Excel"
    QCheckBox* m_normsCheck;     // "Цены": a double click opens the norms
};
