// A small report by workers used by several engine tests: a report header and summary pair, two
// nested groups (worker, nomenclature), details, subtotals and a numbered page footer.
#pragma once

#include "reportengine/ReportDataSource.h"
#include "reportengine/ReportDefinition.h"

#include <QStringList>

namespace testdata {

using namespace reportengine;

inline MemoryDataSource workerRows(int workers = 2, int rowsPerNom = 2) {
    MemoryDataSource rows({"fio", "nom", "naimen", "kolvo", "summa", "f_sum7"});
    const QStringList names = {"Иванов Иван Иванович", "Петрова Анна Сергеевна", "Сидоров Пётр Ильич",
                               "Кузнецова Мария Олеговна", "Смирнов Олег Павлович"};
    for (int w = 0; w < workers; ++w)
        for (int n = 0; n < 2; ++n)
            for (int r = 0; r < rowsPerNom; ++r)
                rows.addRow(
                    {names[w % names.size()] + (w >= names.size() ? QString(" %1").arg(w) : QString()),
                     QString("Группа %1").arg(n + 1), r % 2, 10 + r, 100.5 + 10 * r, 7.0 * (n + 1)});
    return rows;
}

inline ReportDefinition workerReport() {
    ReportDefinition r;
    r.title = "Отчет по рабочим";
    const ReportFont bold{{}, 10, true};
    const QColor light(0xE0, 0xE0, 0xE0);
    const QColor veryLight(0xF4, 0xF4, 0xF4);

    ReportBand header{"reportHeader", 9, {}, {}, veryLight, {}};
    ReportElement titleLabel = label("Отчет по рабочим", {0, 1, 190, 7}, Qt::AlignCenter);
    titleLabel.name = "QRLabel1";
    titleLabel.font = ReportFont{{}, 12, true};
    header.elements.push_back(titleLabel);
    header.children.push_back(ReportBand{"spacer", 1, {}, {}, {}, {}});
    ReportBand summary{"reportSummary", 7, {}, Frame::all(), {}, {}};
    summary.elements.push_back(label("Итого:", {2, 1, 40, 5}));
    summary.elements.push_back(
        field("SUM(summa)", {120, 1, 30, 5}, "#0.00", Qt::AlignRight | Qt::AlignVCenter));
    summary.elements.push_back(
        field("SUM(summa)/1.2", {155, 1, 33, 5}, "#0.00", Qt::AlignRight | Qt::AlignVCenter));
    for (auto& e : summary.elements)
        e.font = bold;
    r.groups.push_back({"", header, summary});

    ReportBand workerHeader{"workerHeader", 6, {}, {}, light, {}};
    workerHeader.elements.push_back(field("fio", {2, 0.5, 120, 5}));
    workerHeader.elements.back().font = bold;
    workerHeader.elements.push_back(
        label("Сумма без Р/К", {150, 0.5, 38, 5}, Qt::AlignRight | Qt::AlignVCenter));
    ReportBand workerFooter{"workerFooter", 6, {}, Frame::below(), {}, {}};
    workerFooter.elements.push_back(field("'Итого по ' + fio + ':'", {2, 0.5, 110, 5}));
    workerFooter.elements.push_back(
        field("SUM(summa)", {120, 0.5, 30, 5}, "#0.00", Qt::AlignRight | Qt::AlignVCenter));
    workerFooter.elements.push_back(
        field("SUM(summa/1.2)", {155, 0.5, 33, 5}, "#0.00", Qt::AlignRight | Qt::AlignVCenter));
    r.groups.push_back({"t_Report.fio", workerHeader, workerFooter});

    ReportBand nomHeader{"nomHeader", 5, {}, {}, {}, {}};
    nomHeader.elements.push_back(field("nom", {6, 0, 100, 5}));
    ReportBand nomFooter{"nomFooter", 5, {}, {}, {}, {}};
    nomFooter.elements.push_back(field("'Хоз.р.: ' + STR(f_sum7)", {40, 0, 40, 5}));
    nomFooter.elements.push_back(field("SUM(kolvo)", {95, 0, 20, 5}, {}, Qt::AlignRight | Qt::AlignVCenter));
    nomFooter.elements.push_back(
        field("SUM(summa)", {120, 0, 30, 5}, "#0.000", Qt::AlignRight | Qt::AlignVCenter));
    nomFooter.elements.back().background = light;
    nomFooter.elements.push_back(
        field("SUM(summa)/1.2", {155, 0, 33, 5}, "#0.000", Qt::AlignRight | Qt::AlignVCenter));
    r.groups.push_back({"t_Report.nom", nomHeader, nomFooter});

    ReportBand detail{"detail", 4.5, {}, {}, {}, {}};
    const ReportFont small{{}, 8, false};
    detail.elements.push_back(field("IF(naimen=0,'Готовая продукция','Заготовки')", {10, 0, 60, 4.5}));
    detail.elements.push_back(field("kolvo", {95, 0, 20, 4.5}, {}, Qt::AlignRight | Qt::AlignVCenter));
    detail.elements.push_back(field("summa", {120, 0, 30, 4.5}, "#0.000", Qt::AlignRight | Qt::AlignVCenter));
    for (auto& e : detail.elements)
        e.font = small;
    r.detail = detail;

    ReportBand footer{"pageFooter", 6, {}, {}, {}, {}};
    footer.elements.push_back(field("'Страница ' + STR(PAGE()) + ' из ' + STR(PAGECOUNT())", {120, 1, 70, 5},
                                    {}, Qt::AlignRight | Qt::AlignVCenter));
    r.pageFooter = footer;
    return r;
}

} // namespace testdata
