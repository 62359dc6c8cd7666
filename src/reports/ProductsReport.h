// Printed report by products: pieces made (rejects deducted) and their mass per nomenclature
// group, operation type, product kind and colour.
#pragma once

#include "reports/ReportLayoutBase.h"

class ProductsReport : public ReportLayoutBase {
    Q_OBJECT
public:
    // The query "t_Report" takes the period parameters data1, data2 and runs on the database's connection.
    explicit ProductsReport(Database& db, QObject* parent = nullptr);

    static QString reportSql();
};
