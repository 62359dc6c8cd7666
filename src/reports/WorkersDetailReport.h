// Printed detailed report by workers: each worker's products and operations with hours,
// rejects, pieces and amounts, and a block with the maintenance-work, average piece-rate and
// piece-work hours and amounts, with and without the pay coefficient.
#pragma once

#include "reports/ReportLayoutBase.h"

class WorkersDetailReport : public TReportLayout {
    Q_OBJECT
public:
    WorkersDetailReport();
    ~WorkersDetailReport() override;

    // Parameters data1 .. data18; the title label is QRLabel1.
    ReportQuery w_Report;
    ReportQuery& query() override { return w_Report; }

    static QString reportSql();
};

extern WorkersDetailReport* g_workersDetailReport;
