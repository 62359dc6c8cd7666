// Printed report by workers: piece work per worker and nomenclature group, with the
// maintenance-work and average piece-rate amounts and the totals without the pay coefficient.
#pragma once

#include "ReportLayoutBase.h"

class TForm16 : public TReportLayout {
    Q_OBJECT
public:
    TForm16();
    ~TForm16() override;

    // Parameters data1 .. data12; the title label is QRLabel1.
    ReportQuery t_Report;
    ReportQuery& query() override { return t_Report; }

    static QString reportSql();
};

extern TForm16* Form16;
