// The journal as its tests drive it: a journal view with the work-record editor and the pickers
// the editor needs, all children of one widget, so that tests find them by name.
#pragma once

#include "data/Dataset.h"
#include "journal/JournalView.h"
#include "journal/WorkRecordEditor.h"
#include "refbooks/OperationPricesDialog.h"
#include "refbooks/OperationTypesDialog.h"
#include "refbooks/ProductsDialog.h"
#include "refbooks/WorkersDialog.h"
#include "support/TestSupport.h"
#include "ui/DatasetGrid.h"

#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

class JournalUnderTest : public QWidget {
public:
    JournalUnderTest(Database& db, const Permissions& permissions) {
        setObjectName(QStringLiteral("JournalUnderTest"));
        // The main window's font, which the journal's boxes are sized for.
        setFont(QFont(QStringLiteral("Tahoma"), 8));
        auto* workers = new WorkersDialog(db, this);
        auto* products = new ProductsDialog(db, this);
        auto* operationTypes = new OperationTypesDialog(db, this);
        auto* operationPrices = new OperationPricesDialog(db, *products, *operationTypes, this);
        m_editor = new WorkRecordEditor(db, *workers, *operationPrices, this);
        m_view = new JournalView(db, *m_editor, permissions, this);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_view);
        resize(1281, 585);
    }

    JournalView& journal() { return *m_view; }
    WorkRecordEditor& editor() { return *m_editor; }
    QTableView* grid() const { return childNamed<QTableView>(m_view, QStringLiteral("journalGrid")); }
    // The journal query of the shift shown: the grid's rows.
    Dataset& shown() const { return *shownDataset(grid()); }
    // A click on one of the journal's buttons ("addButton", "changeButton", ...).
    void click(const char* button) {
        QTest::mouseClick(childNamed<QPushButton>(m_view, QLatin1String(button)), Qt::LeftButton);
    }
    // A double click on the grid's current row, as the grid reports it (a disabled grid, as the
    // analyst's, passes on no mouse, so the report is sent as the grid sends it).
    void doubleClickCurrentRow() {
        QTableView* view = grid();
        if (view->currentIndex().isValid())
            emit view->doubleClicked(view->currentIndex());
    }

private:
    WorkRecordEditor* m_editor;
    JournalView* m_view;
};
