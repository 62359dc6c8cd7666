// Price editor: adds or changes one operation price (product, operation type, kind).
#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

class OperationPriceEditor : public QDialog {
    Q_OBJECT
public:
    explicit OperationPriceEditor(QWidget* parent = nullptr);
    ~OperationPriceEditor() override;

    int Tag = 0;        // 1 add, 2 change
    int productId = 0;  // chosen product (accounts_dep.izdel.id)
    int operTypeId = 0; // chosen operation type (accounts_dep.vid_oper.id)

    QGroupBox* GroupBox1;
    QLineEdit* Edit1; // product mark
    QPushButton* Button3;
    QLineEdit* Edit2; // operation type
    QPushButton* Button4;
    QComboBox* ComboBox1; // kind: 0 finished products, 1 blanks
    QPushButton* Button1; // "Записать"
    QPushButton* Button2; // "Отмена"

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

protected:
    void showEvent(QShowEvent* e) override;
};

extern OperationPriceEditor* g_operationPriceEditor;
