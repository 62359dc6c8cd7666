// Norms window "Норматив": the norms of one operation price (norm quantity, piece price, bonus
// percent), edited in place in a grid.
#pragma once

#include "data/Dataset.h"
#include "ui/ResultGridModel.h"

#include <QDialog>
#include <QTableView>

class Database;
class QPushButton;

// The dearest piece price a norm may have, in roubles: anything above is a typing slip.
inline constexpr double kMaxNormPrice = 1000000;

// What is wrong with a text typed into a norms cell of the given field ("norma", "price",
// "prize"): not a number, negative, or a price beyond any real one. Empty when it is fine (an
// empty text included).
QString normsCellProblem(const QString& field, const QString& typed);

// The norms table as the grid shows it: the stored norms sorted by norm quantity, plus, while
// the user types a new norm, one more row at the end that is not stored yet. The rows are those
// of the given editable table, which it sets to the norms table.
class NormsTable : public ResultGridModel {
    Q_OBJECT
public:
    explicit NormsTable(EditTable& norms, QObject* parent = nullptr);

    // The stored norms shown, with the one being edited.
    EditTable& norms() const { return m_norms; }

    // Reads the norms of one operation price afresh; the current row stays on the norm with
    // the given id when it is still there.
    void openFor(int operId, qint64 keepId = 0);

    // The row being typed in that is not stored yet.
    bool hasNewRow() const { return m_newRow; }
    int newRowIndex() const { return m_norms.recordCount(); }
    void beginNewRow();
    void dropNewRow();

    // Something typed into the current row that is not stored yet.
    bool modified() const { return m_dirty; }
    // A new row typed into that has no price yet: it is stored only once its price is there.
    bool newRowLacksPrice() const;
    // Stores the pending change of the current row (a new row gets the operation price's id) and
    // reads the norms again, sorted, standing on the stored row; returns its id. Throws DbError
    // when the database refuses: the row then stays as typed.
    qint64 storeRow(Database& db, int operId);
    // The id of the stored norm in a grid row (0 for none), and the grid row of a stored norm.
    qint64 idAt(int row) const;
    int rowOf(qint64 id) const;
    // Forgets the pending change.
    void cancelRow();

    // Grid model: the new row, the pending values of the row being changed, cell editing.
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // A price as the grid shows it: mask "#0.00#", the workstation's decimal separator.
    static QString priceText(const QVariant& v);

private:
    EditTable& m_norms;
    bool m_newRow = false;
    bool m_dirty = false;
    QSet<QString> m_changedFields; // the fields typed into the pending row
};

// The grid of the norms window; it can hand a cell being edited to the table on demand.
class NormsGrid : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;
    void commitEditor();
};

class NormsDialog : public QDialog {
    Q_OBJECT
public:
    // "Сохранить" re-reads the operation-price list (lowest price, number of norms) of the list
    // window that owns this one, and keeps its current row.
    NormsDialog(Database& db, Dataset& operationPrices, QWidget* parent = nullptr);

    // Shows the norms of one operation price and returns when the window is closed. An operation
    // price without norms starts with a new row to type into.
    void editNorms(int operationPriceId);

public slots:
    // Stores the pending change (or drops an untouched new row), re-reads the operation-price
    // list and closes the window.
    void save();
    // Deletes the current norm without a question, but never the last one of the operation
    // price; a new row not stored yet is only dropped.
    void removeCurrent();
    // Esc saves as "Сохранить" does.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Entering a cell: the new row or a stored norm becomes the row being edited.
    void enterCell();
    // Leaving a cell: a changed row is stored at once; false when the database refused it.
    bool storeChangedRow();
    void gridCurrentChanged(const QModelIndex& now, const QModelIndex& previous);
    void setGridCurrent(int row, int column);

    Database& m_db;
    Dataset& m_operationPrices;     // the owner's list, read again after a save
    EditTable m_normRows;           // accounts_dep.norm, the norms of the operation price shown
    NormsTable m_norms{m_normRows}; // how the grid shows them, with a new row being typed
    int m_operationPriceId = 0;     // the operation price (accounts_dep.oper.id) the window is open for
    bool m_syncing = false;         // the grid's current cell is being set by the window itself

    NormsGrid* m_normsGrid;
    QPushButton* m_saveButton;   // "Сохранить", also Enter and Esc
    QPushButton* m_removeButton; // "Удалить"
};
