// Printed detailed report by workers: each worker's products and operations with hours,
// rejects, pieces and amounts, and a block with the maintenance-work, average piece-rate and
// piece-work hours and amounts, with and without the pay coefficient.
#pragma once

#include "ReportLayoutBase.h"

class TForm20 : public TReportLayout {
    Q_OBJECT
public:
    TForm20();
    ~TForm20() override;

    // Parameters data1 .. data18; the title label is QRLabel1.
    ReportQuery w_Report;
    ReportQuery& query() override { return w_Report; }

    static QString reportSql();
};

extern TForm20* Form20;
