// Nomenclature group editor "Ведение групп (29)": the name of a new group or of the group
// chosen in the list.
#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

class TForm29 : public QDialog {
    Q_OBJECT
public:
    explicit TForm29(QWidget* parent = nullptr);
    ~TForm29() override;

    int Tag = 0; // 1 add, 2 rename the current group of the list

    QGroupBox* GroupBox1;
    QLineEdit* Edit1;     // "Наименование"
    QPushButton* Button1; // "Записать"
    QPushButton* Button6; // "Выход"

public slots:
    void Button1Click();
    void Button6Click();

protected:
    void showEvent(QShowEvent* e) override;
};

extern TForm29* Form29;
