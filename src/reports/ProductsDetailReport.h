// Printed detailed report by products: rejects, mass, pieces made (rejects included) and the
// amount per product, operation type, kind and colour, grouped by nomenclature.
#pragma once

#include "reports/ReportLayoutBase.h"

class ProductsDetailReport : public ReportLayoutBase {
    Q_OBJECT
public:
    // The query "i_Report" takes the period parameters data1, data2 and runs on the database's connection.
    explicit ProductsDetailReport(Database& db, QObject* parent = nullptr);

    static QString reportSql();
};
