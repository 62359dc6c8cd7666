// Printed report by products: pieces made (rejects deducted) and their mass per nomenclature
// group, operation type, product kind and colour.
#pragma once

#include "ReportLayoutBase.h"

class TForm17 : public TReportLayout {
    Q_OBJECT
public:
    TForm17();
    ~TForm17() override;

    // Parameters data1, data2; the title label is QRLabel1.
    ReportQuery t_Report;
    ReportQuery& query() override { return t_Report; }

    static QString reportSql();
};

extern TForm17* Form17;
