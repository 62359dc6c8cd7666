// A grid that shows a dataset: the grid's current row and the dataset's current row are one.
#pragma once

class Dataset;
class QAbstractItemView;
class QTableView;
class ResultGridModel;

// Shows the model's dataset in the grid with its columns' titles and widths; a row chosen in the
// grid becomes the dataset's current row and the other way round. A grid may show several models
// in turn; the links are made once per pair and act only while the grid shows that model.
void showInGrid(ResultGridModel& model, QTableView* grid);

// The dataset a grid shows through its model; null when the grid shows none.
Dataset* shownDataset(const QAbstractItemView* grid);
