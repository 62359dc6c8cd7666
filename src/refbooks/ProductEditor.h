// Product editor "Изделие": enters a new product or changes the mark, value and group of one.
#pragma once

#include "data/Dataset.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class ProductEditor : public QDialog {
    Q_OBJECT
public:
    explicit ProductEditor(QWidget* parent = nullptr);
    ~ProductEditor() override;

    int Tag = 0; // 1 add, 2 change

    QGroupBox* GroupBox1;
    QLineEdit* Edit1;     // "Марка"
    QLineEdit* Edit2;     // "Расценка", stored in massa; typed "," and "." both become "."
    QComboBox* cb_item;   // nomenclature group; the item data of each entry is the group's id
    QPushButton* Button1; // "Записать"
    QPushButton* Button2; // "Отмена"

    // The nomenclature groups (level 2 of the classifier) offered by the group box.
    Dataset item;

    // Opens the group table and refills the box. The box keeps the group it showed when that
    // group is still there; otherwise no group is chosen.
    void openGroups();
    void closeGroups();
    // Chooses the group with this id in the box (none when it is not offered).
    void selectGroup(qint64 id);
    // Id of the chosen group; 0 when none is chosen.
    qint64 chosenGroup() const;

    // The number typed into the value field as it is written into the statements, or an empty
    // text when the field holds no number.
    QString massaForStatement(bool throughSeparatorFix) const;

public slots:
    void FormActivate();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
};

extern ProductEditor* g_productEditor;
