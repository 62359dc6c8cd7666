// Printed detailed report by products: rejects, mass, pieces made (rejects included) and the
// amount per product, operation type, kind and colour, grouped by nomenclature.
#pragma once

#include "ReportLayoutBase.h"

class TForm21 : public TReportLayout {
    Q_OBJECT
public:
    TForm21();
    ~TForm21() override;

    // Parameters data1, data2; the title label is QRLabel1.
    ReportQuery i_Report;
    ReportQuery& query() override { return i_Report; }

    static QString reportSql();
};

extern TForm21* Form21;
