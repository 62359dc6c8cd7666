// Work-record editor: enters or changes one work record of the journal and keeps the
// worker's hours of the day in the timesheet.
#pragma once

#include <QDate>
#include <QDialog>

class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class WorkRecordEditor : public QDialog {
    Q_OBJECT
public:
    explicit WorkRecordEditor(QWidget* parent = nullptr);
    ~WorkRecordEditor() override;

    int Tag = 1;       // 1 add; any other value change
    int workerId = 0;  // w_id
    int productId = 0; // i_id
    int operId = 0;    // o_id: the operation price
    double price = 0;  // piece price with the day-off and shift coefficients

    // Where the record being changed stood before (its worker, shift and day): the hours of
    // that day are brought up to date too when the change moves the record away.
    int oldWorkerId = 0;
    int oldShift = 0;
    QDate oldDay;

    QGroupBox* GroupBox1;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8, *Edit9;
    QLabel* Label6; // "Цвет"
    QDateEdit* DTimeP;
    QPushButton *Button1, *Button2, *Button3, *Button4;

    // The statement of the last save (insert or update of the work record).
    QString SmenaIU;

    // Enables the colour box for painting operations ("КРАСКА" in the operation text).
    void setColourByOperation(const QString& operationText);

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Edit6Exit();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    bool numbersFit();
};

extern WorkRecordEditor* g_workRecordEditor;

// Whether an operation text names a painting operation.
bool isPaintingOperation(const QString& text);
