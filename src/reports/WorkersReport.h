// Printed report by workers: piece work per worker and nomenclature group, with the
// maintenance-work and average piece-rate amounts and the totals without the pay coefficient.
#pragma once

#include "reports/ReportLayoutBase.h"

class WorkersReport : public TReportLayout {
    Q_OBJECT
public:
    WorkersReport();
    ~WorkersReport() override;

    // Parameters data1 .. data12; the title label is QRLabel1.
    ReportQuery t_Report;
    ReportQuery& query() override { return t_Report; }

    static QString reportSql();
};

extern WorkersReport* g_workersReport;
