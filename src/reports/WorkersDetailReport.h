// Printed detailed report by workers: each worker's products and operations with hours,
// rejects, pieces and amounts, and a block with the maintenance-work, average piece-rate and
// piece-work hours and amounts, with and without the pay coefficient.
#pragma once

#include "reports/ReportLayoutBase.h"

class WorkersDetailReport : public ReportLayoutBase {
    Q_OBJECT
public:
    // The query "w_Report" takes the period data1 (from) and data2 (to) and runs on the database's
    // connection.
    explicit WorkersDetailReport(Database& db, QObject* parent = nullptr);

    static QString reportSql();
};
