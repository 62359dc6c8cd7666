// Products list "Изделия (3)": adds, changes and deletes products, or picks one for the price
// editor.
#pragma once

#include "data/Dataset.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTableView;

class ProductsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProductsDialog(QWidget* parent = nullptr);
    ~ProductsDialog() override;

    int Tag = 0; // 0 list, 1 picker for the price editor

    QTableView* DBGrid1;
    QPushButton* Button1; // "Добавить"
    QPushButton* Button2; // "Изменить" / "Выбрать"
    QPushButton* Button3; // "Удалить"
    QPushButton* Button4; // "Выход"
    QLineEdit* Edit1;     // search by the beginning of the mark

    // Counts of the product's work records from the given day on, and of its operation prices.
    Dataset Izdel_Smena;
    Dataset ii_oper;

    // What the last pick handed back: the mark (trimmed) and the id of the product.
    QString PickedMarka;
    qint64 PickedId = 0;

    // Shows the list as a picker (for the price editor's "..." button) and returns true when a
    // product was picked; the product is then in PickedMarka/PickedId and productPicked was
    // emitted. Does the opener's whole part: mode, buttons, search field, query.
    bool openAsPicker();

public slots:
    // The main menu "Справочники" / "Изделия": the list mode around a modal showing.
    void openFromMainMenu();

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Edit1Change();
    void DBGrid1DblClick();

signals:
    // A pick in picker mode: the product's mark, trimmed, and its id.
    void productPicked(const QString& marka, qint64 id);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void attachGrid();
    bool gridAttached = false;
};

extern ProductsDialog* g_productsDialog;
