// Product editor "Изделие": enters a new product or changes the mark, rate and group of one.
#pragma once

#include "data/Dataset.h"
#include "refbooks/ProductsDialog.h"

#include <QDialog>
#include <optional>

class Database;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

class ProductEditor : public QDialog {
    Q_OBJECT
public:
    explicit ProductEditor(Database& db, QWidget* parent = nullptr);

    // Enters a new product; the group box offers the group chosen last. True when it was saved.
    bool addProduct();
    // Changes the product: its mark, its rate (stored in massa; none shows an empty field) and
    // its nomenclature group. True when the change was saved.
    bool changeProduct(const Product& product, std::optional<double> rate, qint64 groupId);

public slots:
    // Checks the fields and the mark's uniqueness and writes the product; the editor closes
    // when it is written.
    void save();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool showEditor();
    // Opens the group table and refills the box. The box keeps the group it showed when that
    // group is still there; otherwise no group is chosen.
    void openGroups();
    // Chooses the group with this id in the box (none when it is not offered).
    void selectGroup(qint64 id);
    // Id of the chosen group; 0 when none is chosen.
    qint64 chosenGroup() const;

    Database& m_db;
    bool m_adding = true;
    qint64 m_productId = 0; // the product being changed

    // The nomenclature groups (level 2 of the classifier) offered by the group box.
    Dataset m_groups;

    QGroupBox* m_productGroup;
    QLineEdit* m_markEdit;       // "Марка"
    QLineEdit* m_rateEdit;       // "Расценка"; typed "," and "." both become "."
    QComboBox* m_groupBox;       // nomenclature group; the item data of each entry is the group's id
    QPushButton* m_saveButton;   // "Записать"
    QPushButton* m_cancelButton; // "Отмена"
};
