// A grid that shows a dataset: the grid's current row and the dataset's current row are one.
#include "ui/DatasetGrid.h"

#include "data/Dataset.h"
#include "ui/ResultGridModel.h"

#include <QItemSelectionModel>
#include <QTableView>

namespace {

void applyWidths(const ResultGridModel& model, QTableView* grid) {
    const QList<GridColumn>& columns = model.columns();
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].width > 0)
            grid->setColumnWidth(i, columns[i].width);
}

} // namespace

void showInGrid(ResultGridModel& model, QTableView* grid) {
    Dataset& dataset = model.dataset();
    grid->setModel(&model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    applyWidths(model, grid);
    // Grid → dataset (each setModel gives the grid a new selection model).
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, &dataset,
                     [&dataset](const QModelIndex& now) {
                         if (now.isValid() && now.row() + 1 != dataset.recNo())
                             dataset.setRecNo(now.row() + 1);
                     });
    if (dataset.recNo() > 0)
        grid->selectionModel()->setCurrentIndex(model.index(dataset.recNo() - 1, 0),
                                                QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
    // The links below live in a small object of the grid, one per model, so they are made once
    // and end with the grid or the model.
    const QString linkName = QStringLiteral("datasetLink_%1").arg(quintptr(&model), 0, 16);
    if (grid->findChild<QObject*>(linkName, Qt::FindDirectChildrenOnly))
        return;
    auto* link = new QObject(grid);
    link->setObjectName(linkName);
    QObject::connect(&model, &QObject::destroyed, link, [link] { delete link; });
    QObject::connect(&model, &QAbstractItemModel::modelReset, link, [&model, grid] {
        if (grid->model() == &model)
            applyWidths(model, grid);
    });
    // Dataset → grid.
    QObject::connect(&dataset, &Dataset::currentRowChanged, link, [&model, grid](int recNo) {
        if (grid->model() != &model)
            return;
        QItemSelectionModel* selection = grid->selectionModel();
        if (recNo <= 0) {
            selection->clearCurrentIndex();
            return;
        }
        const int column = grid->currentIndex().isValid() ? grid->currentIndex().column() : 0;
        const QModelIndex index = model.index(recNo - 1, column);
        if (selection->currentIndex().row() != index.row()) {
            selection->setCurrentIndex(index,
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            grid->scrollTo(index);
        }
    });
}

Dataset* shownDataset(const QAbstractItemView* grid) {
    auto* model = qobject_cast<ResultGridModel*>(grid->model());
    return model ? &model->dataset() : nullptr;
}
