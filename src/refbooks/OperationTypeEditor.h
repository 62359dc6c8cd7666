// Operation type editor: enters a new operation type or renames one. It writes the rows of
// the shared query Vid_oper (new row, the current row, deletion of the current row).
#pragma once

#include "data/Dataset.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

class OperationTypeEditor : public QDialog {
    Q_OBJECT
public:
    explicit OperationTypeEditor(QWidget* parent = nullptr);
    ~OperationTypeEditor() override;

    int Tag = 0; // 1 add, 2 change the current row of Vid_oper

    QGroupBox* GroupBox1;
    QLineEdit* Edit1;     // "Операция"
    QPushButton* Button1; // "Записать"
    QPushButton* Button2; // "Отмена"

    // Deletes the current row of Vid_oper from accounts_dep.vid_oper (the list reopens it).
    void deleteCurrent();

public slots:
    void FormActivate();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* e) override;

private:
    Command command; // the rows of Vid_oper posted to accounts_dep.vid_oper
};

extern OperationTypeEditor* g_operationTypeEditor;
