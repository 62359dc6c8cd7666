// Operation type editor: enters a new operation type or renames one.
#pragma once

#include "refbooks/OperationTypesDialog.h"

#include <QDialog>

class Database;
class QGroupBox;
class QLineEdit;
class QPushButton;

class OperationTypeEditor : public QDialog {
    Q_OBJECT
public:
    explicit OperationTypeEditor(Database& db, QWidget* parent = nullptr);

    // Enters a new operation type; true when it was saved.
    bool addOperationType();
    // Renames the operation type; true when the new name was saved.
    bool changeOperationType(const OperationType& type);

public slots:
    // Checks the name and its uniqueness (letter case aside) and writes the type; the editor
    // closes when it is written.
    void save();

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool showEditor();

    Database& m_db;
    bool m_adding = true;
    int m_typeId = 0; // the type being renamed

    QGroupBox* m_typeGroup;
    QLineEdit* m_nameEdit;       // "Операция"
    QPushButton* m_saveButton;   // "Записать"
    QPushButton* m_cancelButton; // "Отмена"
};
