// Operation types list "Виды операций (8)": adds, changes and deletes operation types, and
// serves the price editor as the operation-type picker.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTableView;

class OperationTypesDialog : public QDialog {
    Q_OBJECT
public:
    explicit OperationTypesDialog(QWidget* parent = nullptr);
    ~OperationTypesDialog() override;

    int Tag = 0; // 0 list mode; 1 picker for the price editor

    QTableView* DBGrid1;  // the shared query Vid_oper
    QPushButton* Button1; // "Добавить"
    QPushButton* Button2; // "Изменить" / "Выбрать"
    QPushButton* Button3; // "Удалить"
    QLineEdit* Edit1;     // search by the beginning of the name; shown only in picker mode
    QPushButton* Button4; // "Выход"

    // What a pick hands back to the price editor. "Выбрать" (or a double click) sets Picked,
    // the type's name trimmed of blanks and its id, and closes the list; a pick from an empty
    // list hands back an empty name and the id 0. "Выход" and Esc hand nothing back. The
    // opener clears Picked before showing the list (openAsPicker does) and, when it is true,
    // copies PickedVid into its operation-type field and PickedId into its operation-type id.
    bool Picked = false;
    int PickedId = 0;
    QString PickedVid;

    // Opens the list to choose an operation type, as the price editor does: tag 1, Vid_oper
    // opened, "Выбрать" the default button, "Добавить" and "Удалить" hidden, the search
    // field shown and cleared; shown modally; afterwards "Выбрать" no longer default, the
    // search field hidden, Vid_oper closed. Returns Picked.
    bool openAsPicker();

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
};

extern OperationTypesDialog* g_operationTypesDialog;
