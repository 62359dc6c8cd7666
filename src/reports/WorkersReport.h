// Printed report by workers: piece work per worker and nomenclature group, with the
// maintenance-work and average piece-rate amounts and the totals without the pay coefficient.
#pragma once

#include "reports/ReportLayoutBase.h"

class WorkersReport : public ReportLayoutBase {
    Q_OBJECT
public:
    // The query "t_Report" takes the period data1 (from) and data2 (to) and runs on the database's
    // connection.
    explicit WorkersReport(Database& db, QObject* parent = nullptr);

    static QString reportSql();
};
