// The four summary reports of the reports dialog and of the command line: which layout each
// uses, how many period parameters its query takes and its title.
#pragma once

#include "ReportLayoutBase.h"

#include <QDate>
#include <memory>

enum class SummaryReport { Workers, Products, WorkersDetail, ProductsDetail };

struct SummaryReportInfo {
    SummaryReport report;
    const char* commandName; // as the command line names it
    int periodParams;        // data1 .. data<n>
    const char* titleText;   // followed by the from date, " по " and the to date
};

const SummaryReportInfo& summaryReportInfo(SummaryReport report);
// The report the command line names ("workers", ...), or false.
bool summaryReportByName(const QString& name, SummaryReport* out);

// A new layout object of the report (the command line makes its own).
std::unique_ptr<TReportLayout> makeSummaryLayout(SummaryReport report);

// "   Отчет по рабочим за период с 01.02.2025 по 01.03.2025".
QString summaryTitle(SummaryReport report, const QDate& from, const QDate& to);

// Sets the period and the product kind filter (-1 all, 0 finished, 1 blanks) of the layout's
// query, opens it, sets the title, lays the report out and closes the query again.
reportengine::ReportPages prepareSummaryReport(TReportLayout& layout, SummaryReport report, const QDate& from,
                                               const QDate& to, int kind);
