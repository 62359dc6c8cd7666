// Turns a report definition and its rows into pages of positioned items, ready to paint and easy to
// inspect.
#pragma once

#include "reportengine/ReportDefinition.h"
#include "reportengine/ReportFormat.h"

#include <QLineF>
#include <QSizeF>

#include <memory>
#include <vector>

class QPaintDevice;

namespace reportengine {

class ReportDataSource;

// One thing to draw, in millimetres from the top left corner of the sheet.
struct ReportItem {
    enum class Kind { Fill, Text, Line };
    Kind kind = Kind::Text;
    QRectF rect; // Fill and Text
    QLineF line; // Line
    QString text;
    QString fontFamily;
    double pointSize = 0;
    bool bold = false;
    bool italic = false;
    Qt::Alignment alignment;
    bool wordWrap = false;
    QColor color; // fill colour; black for lines and texts
    double lineWidthMm = 0;
    QString band;       // name of the band that printed it
    QString element;    // name of the element, if it has one
    int bandSerial = 0; // counts printed bands: items of one printed band share it
};

struct ReportPage {
    std::vector<ReportItem> items;
};

struct ReportPages {
    QString title;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QSizeF pageSizeMm; // A4 in the report's orientation
    std::vector<ReportPage> pages;

    int pageCount() const { return int(pages.size()); }
    // Texts of a page in print order, or of all pages when page is -1.
    QStringList texts(int page = -1) const;
};

// Lays out the report. Text sizes (for stretching bands) are measured with the fonts as they come out
// on measureDevice; without one, on a 1200 dpi image, the resolution of the PDF output. Throws
// ReportError for a bad expression, an unknown field or a bad mask, before anything is laid out.
ReportPages layoutReport(const ReportDefinition& report, const ReportDataSource& data,
                         QPaintDevice* measureDevice = nullptr);

// A layout that goes on while the rows are still coming in: each call of addRows() lays out the rows
// the source has gained, and every page but the one being filled is final. Layouts that print the
// page count wait for finish(). The source must stay alive until the run is finished.
class LayoutRun {
public:
    LayoutRun(const ReportDefinition& report, const ReportDataSource& data,
              QPaintDevice* measureDevice = nullptr);
    ~LayoutRun();
    LayoutRun(const LayoutRun&) = delete;
    LayoutRun& operator=(const LayoutRun&) = delete;

    void addRows();
    // The source has all its rows: lays out the rest, the footers and the summary.
    void finish();
    bool isFinished() const;

    // The pages so far; the title, orientation and size are set from the start.
    ReportPages& pages();
    int completePages() const;
    // The first row of the source the rest of the layout may still read: the rows before it may go.
    int firstRowNeeded() const;
    // The first count complete pages are no longer wanted: their items go, the pages stay empty.
    void releasePages(int count);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The font an item asks for, at its point size.
QFont itemFont(const ReportItem& item);

} // namespace reportengine
