// Common part of the printed layouts: the report definition, the query it prints, the title
// label the caller fills, and the ways to show it (preview, PDF); plus the shared style.
#pragma once

#include "reportengine/ReportDefinition.h"
#include "reportengine/ReportLayout.h"
#include "reportengine/ReportPreview.h"
#include "reports/ReportQuery.h"

#include <QObject>

class Database;
class QWidget;

// A printed layout: the report as data, the query whose rows it prints, and its title.
class ReportLayoutBase : public QObject {
    Q_OBJECT
public:
    // The query the layout prints. The caller sets its parameters and filter and opens it.
    ReportQuery& query() { return m_query; }
    const ReportQuery& query() const { return m_query; }

    // The text of the title label at the top of the report.
    void setTitle(const QString& text);
    QString title() const;

    // The layout with the title as the report's document name.
    reportengine::ReportDefinition definition() const;
    // Lays out the rows of the open query (an unopened query prints the headers and totals).
    reportengine::ReportPages prepare();
    // Lays the report out and shows it in the preview window, modally, until it is closed.
    void preview(QWidget* parent = nullptr);
    // Lays the report out and writes it into a PDF file; false with the reason on failure.
    bool writePdf(const QString& fileName, QString* error = nullptr);

    reportengine::PreviewZoom previewZoom() const { return m_previewZoom; }

protected:
    // Sets the text of a named label of the layout; false when it has none of that name.
    bool setLabelText(const QString& name, const QString& text);

    // queryName names the query in the layout's expressions ("t_Report.fio"); the report must hold
    // an element named reportstyle::kTitleLabel. The query runs on the database's connection.
    ReportLayoutBase(Database& db, const QString& queryName, const QString& sql,
                     reportengine::ReportDefinition report, reportengine::PreviewZoom previewZoom,
                     QObject* parent);

private:
    ReportQuery m_query;
    reportengine::ReportDefinition m_report;
    reportengine::PreviewZoom m_previewZoom;
};

// Shows laid-out pages in the preview window through the modal-window seam; the preview's
// error boxes go through the program's message boxes.
void showReportPreview(reportengine::ReportPages pages, reportengine::PreviewZoom zoom,
                       QWidget* parent = nullptr);
// The same for a report that is still being laid out.
void showReportPreview(std::unique_ptr<reportengine::PageSource> pages, reportengine::PreviewZoom zoom,
                       QWidget* parent = nullptr);

// The look shared by the four summary layouts: Arial, bold titles, headers and totals,
// regular detail rows at the smaller size, grey shading, A4 with 10 mm margins.
namespace reportstyle {

// Name of the title label of every layout.
inline const QString kTitleLabel = QStringLiteral("titleLabel");

inline constexpr double kDetailPt = 8;
inline constexpr double kHeaderPt = 9;
inline constexpr double kTitlePt = 12;
inline constexpr double kRowMm = 4.6;
inline constexpr double kPortraitWidthMm = 190;
inline constexpr double kLandscapeWidthMm = 277;

QColor reportHeaderShade(); // very light grey
QColor groupHeaderShade();  // light grey
QColor totalShade();        // light grey of the total cells

reportengine::ReportFont bold(double pt = kHeaderPt);
reportengine::ReportFont regular(double pt = kDetailPt);

// A text label / an expression field in one row of a band.
reportengine::ReportElement text(const QString& text, double x, double y, double width, double pt = kDetailPt,
                                 bool boldFont = false,
                                 Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
reportengine::ReportElement number(const QString& expression, double x, double y, double width,
                                   const QString& mask = {}, double pt = kDetailPt, bool boldFont = false);
reportengine::ReportElement value(const QString& expression, double x, double y, double width,
                                  double pt = kDetailPt, bool boldFont = false);
// A total cell: a bold number on the total shading.
reportengine::ReportElement total(const QString& expression, double x, double y, double width,
                                  const QString& mask = {});

// The report header band with the title label and a 2-pixel spacer child.
reportengine::ReportBand reportHeader(double heightMm);
// The page footer with the page number at the right.
reportengine::ReportBand pageFooter(double widthMm);

// Text of the product kind and of the colour as the summary layouts print them.
inline const QString kKindText = QStringLiteral("IF(naimen=0,'Готовая продукция','Заготовки')");
inline const QString kColorText =
    QStringLiteral("if(color>0,if(color=1,' (грунт)',' (RAL: '+STR(color)+')'),' ')");

} // namespace reportstyle
