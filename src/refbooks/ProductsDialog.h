// Products list "Изделия (3)": adds, changes and deletes products, or picks one for the price
// editor.
#pragma once

#include "data/Dataset.h"
#include "ui/ListDialog.h"
#include "ui/ResultGridModel.h"

#include <QString>
#include <optional>

class Database;
class ProductEditor;

// A product as the picker hands it back: its id and its mark, trimmed of blanks.
struct Product {
    qint64 id = 0;
    QString mark;
};

class ProductsDialog : public ListDialog {
    Q_OBJECT
public:
    explicit ProductsDialog(Database& db, QWidget* parent = nullptr);

    // The list from the main menu: products are added, changed and deleted; the search text and
    // its filter stay for the next opening.
    void browse();

    // The list for choosing a product (the price editor's "..." button): "Выбрать" the default
    // button, "Добавить" and "Удалить" hidden, the search field shown and cleared, and hidden
    // again afterwards. The chosen product, or nothing when the user left the list or it had no
    // row.
    std::optional<Product> pickProduct();

    // The products the list shows (accounts_dep.izdel by mark), open while the list is shown.
    Dataset& products() { return m_products; }

protected:
    Dataset& list() override;
    void addNew() override;
    void changeCurrent() override;
    void pickCurrent() override;
    void removeCurrent() override;
    void search(const QString& text) override;

private:
    Database& m_db;
    Dataset m_products;
    ResultGridModel m_productsModel{m_products}; // how the grid shows them
    ProductEditor* m_editor;
    std::optional<Product> m_picked;
    // Counts of the product's work records from a given day on, and of its operation prices.
    Dataset m_recordCount;
    Dataset m_priceCount;
};
