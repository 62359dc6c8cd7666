// Paints laid-out report pages on any paged device (printer, PDF writer) or into images.
#pragma once

#include "reportengine/ReportLayout.h"
#include "reportengine/ReportPageSource.h"

#include <QString>

#include <memory>

class QPainter;
class QPagedPaintDevice;

namespace reportengine {

class ReportDataSource;

// Paints pages one after another on one painter. Report pages repeat the same texts (captions, names,
// kinds, colours) thousands of times: each single-line text is shaped into glyphs once per font and
// drawn from that afterwards, which is several times cheaper than laying it out again.
class PagePainter {
public:
    // The painter's device maps pxPerMm device pixels to a millimetre of the sheet; fonts come out at
    // their point sizes when the device's logical resolution is pxPerMm * 25.4 dpi.
    PagePainter(QPainter& painter, double pxPerMm);
    ~PagePainter();
    PagePainter(const PagePainter&) = delete;
    PagePainter& operator=(const PagePainter&) = delete;

    // Paints one page with the sheet's top left corner at origin.
    void paint(const ReportPage& page, QPointF origin = {});

private:
    struct Cache;
    QPainter& m_painter;
    double m_pxPerMm;
    std::unique_ptr<Cache> m_cache;

    void drawText(const ReportItem& item, const QRectF& box);
};

// Paints one page; the painter's device maps pxPerMm device pixels to a millimetre of the sheet, and
// the sheet's top left corner lies at origin. Fonts come out at their point sizes when the device's
// logical resolution is pxPerMm * 25.4 dpi.
void paintPage(QPainter& painter, const ReportPage& page, double pxPerMm, QPointF origin = {});

// Paints pages firstPage..lastPage (1-based, inclusive; 0 means the last page) on the device: A4 in
// the report's orientation, the sheet's full area (the report keeps its own margins). Returns false
// when the device cannot be painted on.
bool paintReport(const ReportPages& pages, QPagedPaintDevice& device, int firstPage = 1, int lastPage = 0);

// Whether a report may be written at the path: a new file or an existing regular file. Anything
// else (a folder, a device such as /dev/null, a pipe) is refused with the reason, as writing
// there would replace it with a regular file.
bool checkOutputTarget(const QString& fileName, QString* error = nullptr);

// Writes the pages into a PDF file (see checkOutputTarget for where). The file is replaced only once the
// whole document is written, so a failure leaves an existing file as it was. On failure returns false and, if
// asked, the reason. Needs only a QGuiApplication (works with QT_QPA_PLATFORM=offscreen).
bool writeReportPdf(const ReportPages& pages, const QString& fileName, QString* error = nullptr);

// Writes the pages of a report that may still be in the making, each as soon as it is ready; the
// source is done afterwards. What the source throws (a failed statement) passes through, and an
// existing file then stays as it was. Given a way to make the same report again (again), every
// page is released from the source as soon as it is written, so a long report is never held whole;
// should the own writer have to give way to Qt's PDF engine after that (a font it cannot embed, a
// character the font lacks), the report is made again for it.
bool writeReportPdf(PageSource& source, const QString& fileName, QString* error = nullptr,
                    const std::function<std::unique_ptr<PageSource>()>& again = {});

// Lays the report out and writes it into a PDF file; throws ReportError for a bad definition.
bool writeReportPdf(const ReportDefinition& report, const ReportDataSource& data, const QString& fileName,
                    QString* error = nullptr);

} // namespace reportengine
