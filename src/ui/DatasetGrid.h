// A grid that shows a dataset: the grid's current row and the dataset's current row are one.
#pragma once

class Dataset;
class QTableView;

// Shows the dataset in the grid with its columns' titles and widths; a row chosen in the grid
// becomes the dataset's current row and the other way round. A grid may show several datasets
// in turn; the links are made once per pair and act only while the grid shows that dataset.
void showInGrid(Dataset& dataset, QTableView* grid);
