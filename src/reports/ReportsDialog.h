// Reports dialog "Отчеты (8)": the period and product kind, the four printed summary
// reports and the Excel summary.
#pragma once

#include "reports/ReportQuery.h"
#include "reports/SummaryReports.h"

#include <QDialog>

class QDateEdit;
class QPushButton;
class TRadioGroup;

class ReportsDialog : public QDialog {
    Q_OBJECT
public:
    ReportsDialog();
    ~ReportsDialog() override;

    // Product kind: itemIndex -1 "Все" (all), 0 "Готовая продукция", 1 "Заготовки" — the kind
    // code the reports are limited to (the login sets 0 for the storekeeper).
    TRadioGroup* RadioGroup1;
    QDateEdit* DTPicker1; // from, inclusive
    QDateEdit* DTPicker2; // to, exclusive
    QPushButton* Button4; // "Отчет по рабочим"
    QPushButton* Button2; // "Отчет по продукции"
    QPushButton* Button1; // "Детальный отчет по рабочим"
    QPushButton* Button3; // "Детальный отчет по продукции"
    QPushButton* Button6; // Excel summary, its caption counts the rows written
    QPushButton* Button5; // "Выход"

    // The Excel summary query: kolvo, vid, nom, naimen, color, mass; parameters data1, data2.
    ReportQuery XLS_Rep;
    static QString xlsSql();

    // The operation text of the Excel summary: vid with " (грунт)" for colour 1, " (цвет: n)"
    // for larger colours.
    static QString operationText(const QString& vid, int color);

public slots:
    // From the main menu: the previous month as the period, then the dialog, modally.
    void openFromMainMenu();

    void Button4Click();
    void Button2Click();
    void Button1Click();
    void Button3Click();
    void Button6Click();

private:
    void printReport(SummaryReport report, TReportLayout* layout);
};

extern ReportsDialog* g_reportsDialog;
