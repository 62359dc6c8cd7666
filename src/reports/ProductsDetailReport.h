// Printed detailed report by products: rejects, mass, pieces made (rejects included) and the
// amount per product, operation type, kind and colour, grouped by nomenclature.
#pragma once

#include "reports/ReportLayoutBase.h"

class ProductsDetailReport : public TReportLayout {
    Q_OBJECT
public:
    ProductsDetailReport();
    ~ProductsDetailReport() override;

    // Parameters data1, data2; the title label is QRLabel1.
    ReportQuery i_Report;
    ReportQuery& query() override { return i_Report; }

    static QString reportSql();
};

extern ProductsDetailReport* g_productsDetailReport;
