// Operation types list "Виды операций (8)": adds, changes and deletes operation types, and
// serves the price editor as the operation-type picker.
#pragma once

#include "data/Dataset.h"
#include "records/OperationTypeStore.h"
#include "ui/ListDialog.h"
#include "ui/ResultGridModel.h"

#include <QString>
#include <optional>

class Database;
class OperationTypeEditor;

class OperationTypesDialog : public ListDialog {
    Q_OBJECT
public:
    explicit OperationTypesDialog(Database& db, QWidget* parent = nullptr);

    // The list from the main menu, whole (no search field): types are added, renamed and
    // deleted.
    void browse();

    // The list for choosing an operation type (the price editor's "..." button): "Выбрать" the
    // default button, "Добавить" and "Удалить" hidden, the search field shown and cleared, and
    // hidden again afterwards. The chosen type, or nothing when the user left the list. A pick
    // from an empty list hands back an empty name and the id 0.
    std::optional<OperationType> pickOperationType();

    // The operation types the list shows (accounts_dep.vid_oper by name), open while the list is
    // shown.
    Dataset& operationTypes() { return m_operationTypes; }

protected:
    Dataset& list() override;
    void addNew() override;
    void changeCurrent() override;
    void pickCurrent() override;
    void removeCurrent() override;
    void search(const QString& text) override;

private:
    Database& m_db;
    Dataset m_operationTypes;
    ResultGridModel m_operationTypesModel{m_operationTypes}; // how the grid shows them
    OperationTypeEditor* m_editor;
    std::optional<OperationType> m_picked;
};
