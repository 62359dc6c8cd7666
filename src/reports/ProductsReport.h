// Printed report by products: pieces made (rejects deducted) and their mass per nomenclature
// group, operation type, product kind and colour.
#pragma once

#include "reports/ReportLayoutBase.h"

class ProductsReport : public TReportLayout {
    Q_OBJECT
public:
    ProductsReport();
    ~ProductsReport() override;

    // Parameters data1, data2; the title label is QRLabel1.
    ReportQuery t_Report;
    ReportQuery& query() override { return t_Report; }

    static QString reportSql();
};

extern ProductsReport* g_productsReport;
