// Operation-price list "Операции": operation prices with their lowest norm price; adds,
// changes, deletes and exports them, opens their norms, or picks one for the work-record editor.
#pragma once

#include "data/Dataset.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;

// An operation price as the picker hands it back: its id, its product, the base price (the
// lowest norm price) and the text "mark; operation; kind".
struct OperationPrice {
    int id = 0;
    int productId = 0;
    double basePrice = 0;
    QString text;
};

class OperationPricesDialog : public QDialog {
    Q_OBJECT
public:
    explicit OperationPricesDialog(QWidget* parent = nullptr);
    ~OperationPricesDialog() override;

    int Tag = 0; // 0 list mode, 1 picker for the work-record editor

    QTableView* DBGrid1;
    QPushButton* Button1; // "Добавить"
    QPushButton* Button2; // "Изменить" / "Выбрать"
    QPushButton* Button3; // "Удалить"
    QPushButton* Button5; // "Excel"
    QCheckBox* CheckBox1; // "Цены": a double click opens the norms
    QLineEdit* Edit1;     // search by product
    QPushButton* Button4; // "Выход"

    Dataset XLS_Rep; // every operation price with its stored price, for the export

    // What a pick hands back to the work-record editor: the product, the operation price, the
    // piece price with the day-off and shift coefficients, and the operation text
    // "mark; operation; kind". Picked stays false when the list had no row to pick.
    bool Picked = false;
    int PickedProductId = 0;
    int PickedOperId = 0;
    double PickedPrice = 0;
    QString PickedText;

    // The work-record editor's part around a pick: picker mode, the list unfiltered on the
    // given operation price (or its first row for 0), shown modally; afterwards the search
    // field hidden and the filter off. Returns Picked. Oper stays open for the editor.
    bool openAsPicker(int operId);

    // Shows the list for choosing an operation price, on the given one when it is listed; the
    // chosen price, or nothing when the user left the list or it had no row.
    std::optional<OperationPrice> pickOperationPrice(int startAtId = 0);
    double PickedBasePrice = 0;

public slots:
    void openFromMainMenu();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Edit1Change();
    void DBGrid1DblClick();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void pick();
    void change();
};

extern OperationPricesDialog* g_operationPricesDialog;
