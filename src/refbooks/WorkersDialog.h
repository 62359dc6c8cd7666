// Workers list "Список рабочих": adds, changes and deletes workers, and serves the
// work-record and maintenance-work editors as the worker picker.
#pragma once

#include "data/Dataset.h"

#include <QDialog>
#include <optional>

class QLineEdit;
class QPushButton;
class QTableView;

// A worker as the picker hands it back: the id and the name, trimmed of blanks.
struct Worker {
    int id = 0;
    QString name;
};

class WorkersDialog : public QDialog {
    Q_OBJECT
public:
    explicit WorkersDialog(QWidget* parent = nullptr);
    ~WorkersDialog() override;

    // 0 list mode; 1 picker for the work-record editor; 24 picker for the maintenance-work editor.
    int Tag = 0;

    QLineEdit* Edit1;     // search by the beginning of the name
    QTableView* DBGrid1;  // the shared query Workers
    QPushButton* Button1; // "Добавить"
    QPushButton* Button2; // "Изменить" / "Выбрать"
    QPushButton* Button3; // "Удалить"
    QPushButton* Button4; // "Выход"

    // What a pick hands back to the editor that opened the list as a picker. "Выбрать" (or a
    // double click) on a list with at least one row sets Picked and the chosen worker's id
    // and name, trimmed of blanks, and closes the list; on an empty list it only closes the
    // list. "Выход" and Esc hand nothing back. The opener clears Picked before showing the
    // list (openAsPicker does) and, when it is true after the list returns, copies PickedFio
    // into its worker field and PickedId into its worker id.
    bool Picked = false;
    int PickedId = 0;
    QString PickedFio;

    // Opens the list to choose a worker, as the editors do: tag 1 (work-record editor) or 24
    // (maintenance-work editor), Workers opened, "Выбрать" the default button, "Добавить" and
    // "Удалить" hidden, the search field shown and cleared, the window shown modally, Workers
    // closed afterwards. Returns Picked.
    bool openAsPicker(int tag);

    // Shows the list for choosing a worker; the chosen worker, or nothing when the user left
    // the list or it had no row.
    std::optional<Worker> pickWorker();

public slots:
    // What the main window does around showing the list from its menu.
    void openFromMainMenu();

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void DBGrid1DblClick();
    void Edit1Change(const QString& text);

protected:
    void attachGrid();
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void changeWorker();
    void pickCurrentWorker();
    Command command; // the list's own statement on the shared connection
};

extern WorkersDialog* g_workersDialog;
