// Workers list "Список рабочих": adds, changes and deletes workers, and serves the
// work-record and maintenance-work editors as the worker picker.
#pragma once

#include "data/Dataset.h"
#include "records/WorkerStore.h"
#include "ui/ListDialog.h"
#include "ui/ResultGridModel.h"

#include <QString>
#include <optional>

class Database;
class WorkerEditor;

class WorkersDialog : public ListDialog {
    Q_OBJECT
public:
    explicit WorkersDialog(Database& db, QWidget* parent = nullptr);

    // The list from the main menu: workers are added, changed and deleted; the search text
    // and its filter stay for the next opening.
    void browse();

    // The list for choosing a worker: "Выбрать" the default button, "Добавить" and "Удалить"
    // hidden, the search field shown and cleared. The chosen worker, or nothing when the user
    // left the list or it had no row.
    std::optional<Worker> pickWorker();

    // The workers the list shows (accounts_dep.person by name), open while the list is shown.
    Dataset& workers() { return m_workers; }

protected:
    Dataset& list() override;
    void addNew() override;
    void changeCurrent() override;
    void pickCurrent() override;
    void removeCurrent() override;
    void search(const QString& text) override;

private:
    Database& m_db;
    Dataset m_workers;
    ResultGridModel m_workersModel{m_workers}; // how the grid shows them
    WorkerEditor* m_editor;
    std::optional<Worker> m_picked;
};
