// List dialog: what the reference-book lists share — browsing or picking, the search field and
// its keys, the add/change/remove/exit buttons, the double click and the re-reading of the list.
#include "ui/ListDialog.h"

#include "data/Dataset.h"
#include "ui/Guarded.h"
#include "ui/ListSearch.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

ListDialog::ListDialog(const QString& searchHint, QWidget* parent) : QDialog(parent) {
    m_searchEdit = makeSearchField(this, searchHint, this);
    m_listGrid = makeListGrid(this);
    makeListButtons(this, m_addButton, m_changeButton, m_removeButton, m_exitButton);

    connect(m_addButton, &QPushButton::clicked, this, &ListDialog::add);
    connect(m_changeButton, &QPushButton::clicked, this, &ListDialog::changeOrPick);
    connect(m_removeButton, &QPushButton::clicked, this, &ListDialog::remove);
    connect(m_exitButton, &QPushButton::clicked, this, &ListDialog::reject);
    connect(m_listGrid, &QTableView::doubleClicked, this, &ListDialog::activate);
    connect(m_searchEdit, &QLineEdit::textChanged, this, &ListDialog::searchFor);
}

// The buttons' slots: what the subclass does reaches the database, so its errors are shown here.
void ListDialog::add() {
    runGuarded([this] { addNew(); });
}

void ListDialog::remove() {
    runGuarded([this] { removeCurrent(); });
}

void ListDialog::activate() {
    runGuarded([this] { activateCurrent(); });
}

void ListDialog::searchFor(const QString& text) {
    runGuarded([this, &text] { search(text); });
}

void ListDialog::changeOrPick() {
    runGuarded([this] { changeOrPickCurrent(); });
}

void ListDialog::changeOrPickCurrent() {
    if (m_mode == Mode::Browse)
        changeCurrent();
    else
        pickCurrent();
}

void ListDialog::activateCurrent() {
    changeOrPickCurrent();
}

void ListDialog::enterMode(Mode mode) {
    m_mode = mode;
    const bool browse = mode == Mode::Browse;
    m_changeButton->setText(browse ? QStringLiteral("Изменить") : QStringLiteral("Выбрать"));
    m_addButton->setVisible(browse);
    m_removeButton->setVisible(browse);
    if (!m_modesSetDefaultButton)
        return;
    // One default button per dialog: setting one clears the other.
    m_changeButton->setDefault(!browse);
    m_addButton->setDefault(browse);
}

int ListDialog::showInMode(Mode mode) {
    enterMode(mode);
    return seams::showModal(this);
}

void ListDialog::browseList() {
    if (!runGuarded([this] { list().open(); }))
        return;
    showInMode(Mode::Browse);
    list().close();
}

void ListDialog::pickFromList(bool hideSearchAfter) {
    if (!runGuarded([this] { list().open(); }))
        return;
    m_searchEdit->setVisible(true);
    m_searchEdit->clear();
    showInMode(Mode::Pick);
    leavePick(hideSearchAfter);
    list().close();
}

void ListDialog::leavePick(bool hideSearch) {
    m_changeButton->setDefault(false);
    // A hidden search field must not go on filtering the list: the next opening from the menu
    // would show only part of the rows with no way to see why or to clear it.
    if (hideSearch) {
        m_searchEdit->setVisible(false);
        showAllRows();
    }
}

void ListDialog::reopenList(bool keepRow) {
    Dataset& rows = list();
    const int row = rows.recNo();
    rows.close();
    rows.open();
    if (keepRow)
        rows.setRecNo(row);
}

void ListDialog::showAllRows() {
    {
        const QSignalBlocker quiet(m_searchEdit);
        m_searchEdit->clear();
    }
    list().setFiltered(false);
}

void ListDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (m_searchEdit->isVisible())
        m_searchEdit->setFocus();
}

bool ListDialog::eventFilter(QObject* watched, QEvent* e) {
    // In the search field Up and Down move the list (only keys are looked at, so that nothing
    // asks for the list while the window is being taken down).
    if (watched == m_searchEdit && e->type() == QEvent::KeyPress &&
        searchFieldKey(e, list(), m_searchSwallowsEditingKeys))
        return true;
    // In a picker, Enter in the search field picks the row found, whether or not the list has a
    // default button.
    if (watched == m_searchEdit && e->type() == QEvent::KeyPress && m_mode != Mode::Browse) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            changeOrPick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void ListDialog::layOutWithSearchAbove() {
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_addButton);
    buttons->addWidget(m_changeButton);
    buttons->addWidget(m_removeButton);
    buttons->addStretch();
    buttons->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_searchEdit);
    layout->addWidget(m_listGrid);
    layout->addLayout(buttons);
}
