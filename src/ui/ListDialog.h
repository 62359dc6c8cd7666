// List dialog: what the reference-book lists share — browsing or picking, the search field and
// its keys, the add/change/remove/exit buttons, the double click and the re-reading of the list.
#pragma once

#include <QDialog>

class Dataset;
class QLineEdit;
class QPushButton;
class QTableView;

class ListDialog : public QDialog {
    Q_OBJECT
public:
    // Browse: the list from the main menu, to add, change and remove rows. Pick: the list opened
    // by an editor to choose one row and hand it back.
    enum class Mode { Browse, Pick };
    Mode mode() const { return m_mode; }

protected:
    // Makes the search field (with its hint), the grid and the four buttons; the subclass lays
    // them out. "Добавить" starts as the default button.
    explicit ListDialog(const QString& searchHint, QWidget* parent = nullptr);

    // The rows the grid shows and the search filters.
    virtual Dataset& list() = 0;

    // What the buttons do in the subclass.
    virtual void addNew() {}
    virtual void changeCurrent() = 0;
    virtual void pickCurrent() = 0;
    virtual void removeCurrent() {}
    virtual void search(const QString& text) = 0;
    // A double click on the grid: the current row is changed (Browse) or picked (Pick).
    virtual void activateCurrent();

    // Puts the window into a mode: the change button reads "Изменить" or "Выбрать", "Добавить"
    // and "Удалить" are shown only for browsing, and the default button (Enter) is "Добавить"
    // for browsing and "Выбрать" for picking.
    void enterMode(Mode mode);
    // Shows the window modally in the given mode; returns the window's result.
    int showInMode(Mode mode);
    // The list read, shown for browsing, and closed again (not shown when it cannot be read).
    void browseList();
    // The list read and shown for picking with the search field shown and cleared, then closed
    // again; with hideSearchAfter the search field is hidden once the pick is over.
    void pickFromList(bool hideSearchAfter);
    // After a pick: "Выбрать" is no longer the default button, and the search field is hidden
    // and emptied when asked.
    void leavePick(bool hideSearch);
    // The usual arrangement: the search field above the grid, the buttons below it with "Выход"
    // at the right.
    void layOutWithSearchAbove();
    // Reads the list again; with keepRow the current row number stays where it was.
    void reopenList(bool keepRow);
    // Clears the search text and any filter it left, so the list shows every row.
    void showAllRows();

    // Whether Delete, Left, Right, Home and End are swallowed by the search field (they are by
    // default; a list may let them edit the text).
    bool m_searchSwallowsEditingKeys = true;
    // Whether the modes set the default button (a list may have none at all).
    bool m_modesSetDefaultButton = true;

    QLineEdit* m_searchEdit;
    QTableView* m_listGrid;
    QPushButton* m_addButton;    // "Добавить"
    QPushButton* m_changeButton; // "Изменить" / "Выбрать"
    QPushButton* m_removeButton; // "Удалить"
    QPushButton* m_exitButton;   // "Выход"

    bool eventFilter(QObject* watched, QEvent* e) override;
    // A list shown with its search field starts there, so typed letters search at once.
    void showEvent(QShowEvent* e) override;

private:
    // The slots of the buttons, the double click and the search field: each runs the
    // subclass's action with its errors shown, so that none leaves the slot.
    void add();
    void remove();
    void changeOrPick();
    void activate();
    void searchFor(const QString& text);
    void changeOrPickCurrent();
    Mode m_mode = Mode::Browse;
};
