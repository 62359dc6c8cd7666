// The grid model over a dataset: the columns a grid shows, their titles, widths, texts and looks.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <functional>

class Dataset;

// How a grid shows one field.
struct GridColumn {
    QString field;
    QString title;
    int width = 0; // pixels; 0 leaves the view's default
    std::function<QString(const QVariant&)> format = {};
    Qt::Alignment alignment = {};
    // Further looks of a cell (font, colours) by role, from the cell's value.
    std::function<QVariant(const QVariant& value, int role)> style = {};
};

// Shows the visible rows of a dataset, row for row; follows the dataset's signals. Without
// columns set, every field is a column titled with its name. The dataset outlives the model.
class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultGridModel(Dataset& rows, QObject* parent = nullptr);

    Dataset& dataset() const { return m_rows; }

    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;

protected:
    Dataset& m_rows;
    QList<GridColumn> m_columns;
};
