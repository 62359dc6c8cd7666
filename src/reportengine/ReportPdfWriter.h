// Writes laid-out report pages straight into PDF: texts as glyph strings of embedded font subsets
// (TrueType outlines, or the PostScript outlines of OpenType CFF fonts), shadings and frame lines as
// path operators. A report of a thousand pages has hundreds of
// thousands of texts; Qt's PDF engine positions every glyph on its own and takes seconds for it,
// while one string per text keeps the page streams small and the file quick to write and to open.
#pragma once

#include "reportengine/ReportLayout.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

namespace reportengine {

class ReportPdfWriter {
public:
    // Pages are A4 in the given orientation; title goes into the document's properties.
    ReportPdfWriter(QIODevice& out, const QString& title, const QSizeF& pageSizeMm);
    ~ReportPdfWriter();
    ReportPdfWriter(const ReportPdfWriter&) = delete;
    ReportPdfWriter& operator=(const ReportPdfWriter&) = delete;

    // Whether every font the page asks for can be embedded (TrueType or CFF outlines, as in .ttf and
    // .otf files). When not, the caller prints through Qt's PDF engine instead.
    bool canWrite(const ReportPage& page);

    void addPage(const ReportPage& page);
    // Whether some text had a character its font has no glyph for. Qt's engine borrows such
    // characters from other fonts, so the caller then prints through it instead.
    bool missedCharacters() const;
    // Writes the fonts, the page tree and the cross-reference table. False when the device failed.
    bool finish();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace reportengine
