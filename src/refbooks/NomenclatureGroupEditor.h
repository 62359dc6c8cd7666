// Nomenclature group editor "Ведение групп (29)": the name of a new group or of the group
// chosen in the list.
#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

class NomenclatureGroupEditor : public QDialog {
    Q_OBJECT
public:
    explicit NomenclatureGroupEditor(QWidget* parent = nullptr);
    ~NomenclatureGroupEditor() override;

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

extern NomenclatureGroupEditor* g_nomenclatureGroupEditor;
