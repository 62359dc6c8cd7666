// Norms window "Норматив": the norms of one operation price (norm quantity, piece price, bonus
// percent), edited in place in a grid.
#pragma once

#include "data/Dataset.h"

#include <QDialog>
#include <QTableView>

class QPushButton;

// The norms table as the grid shows it: the stored norms sorted by norm quantity, plus, while
// the user types a new norm, one more row at the end that is not stored yet.
class TNormTable : public EditTable {
    Q_OBJECT
public:
    explicit TNormTable(QObject* parent = nullptr);

    // Reads the norms of one operation price afresh; the current row stays on the norm with
    // the given id when it is still there.
    void openFor(int operId, qint64 keepId = 0);

    // The row being typed in that is not stored yet.
    bool hasNewRow() const { return newRow; }
    int newRowIndex() const { return Dataset::rowCount(); }
    void beginNewRow();
    void dropNewRow();

    // Something typed into the current row that is not stored yet.
    bool modified() const { return dirty; }
    // Stores the pending change of the current row; a new row gets the operation price's id.
    void storeRow(int operId);
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
    bool newRow = false;
    bool dirty = false;
};

// The grid of the norms window; it can hand a cell being edited to the table on demand.
class TNormGrid : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;
    void commitEditor();
};

class NormsDialog : public QDialog {
    Q_OBJECT
public:
    explicit NormsDialog(QWidget* parent = nullptr);
    ~NormsDialog() override;

    int Tag = 0;

    TNormGrid* DBGrid1;
    QPushButton* Button1; // "Сохранить", also Enter and Esc
    QPushButton* Button2; // "Удалить"

    TNormTable Norm;     // accounts_dep.norm, the norms of the operation price shown
    int OperId = 0;      // the operation price (accounts_dep.oper.id) the window is open for
    bool NewRow = false; // the row being edited is a new one

    // Opens the window for the norms of one operation price and returns when it is closed.
    // This is what the operation-price list does on a double click with "Цены" checked:
    //     g_normsDialog->openNorms(g_database->operationPrices().fieldByName("id").asInteger());
    // "Сохранить" re-reads the shared query Oper (lowest price, number of norms) and keeps
    // its current row.
    void openNorms(int operId);

public slots:
    void Button1Click();
    void Button2Click();
    void DBGrid1ColEnter();
    void DBGrid1ColExit();
    void reject() override; // Esc presses "Сохранить"

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void gridCurrentChanged(const QModelIndex& now, const QModelIndex& previous);
    void setGridCurrent(int row, int column);
    bool syncing = false;
};

extern NormsDialog* g_normsDialog;
