// Paints laid-out report pages on any paged device or into images.
#include "reportengine/ReportPainter.h"

#include "reportengine/ReportPdfWriter.h"

#include "data/OutputFile.h"

#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextLayout>

namespace reportengine {

namespace {

// A font as the items ask for it; items of one band mostly share it, so the last one is remembered.
struct FontKey {
    QString family;
    double pointSize;
    bool bold;
    bool italic;

    bool matches(const ReportItem& item) const {
        return pointSize == item.pointSize && bold == item.bold && italic == item.italic &&
               family == item.fontFamily;
    }
};

struct ShapedText {
    QList<QGlyphRun> runs;
    double width = 0;  // device pixels
    double height = 0; // the line's height: ascent and descent
};

// Shaped texts kept at most; numbers rarely repeat, so the cache is dropped when it grows past this.
constexpr int kMaxShapedTexts = 20000;

} // namespace

struct PagePainter::Cache {
    std::vector<FontKey> keys;
    std::vector<QFont> fonts;
    int lastFont = -1;
    std::vector<QHash<QString, ShapedText>> shaped; // per font
    int shapedCount = 0;

    int fontOf(const ReportItem& item) {
        if (lastFont >= 0 && keys[lastFont].matches(item))
            return lastFont;
        for (int i = 0; i < int(keys.size()); ++i)
            if (keys[i].matches(item))
                return lastFont = i;
        keys.push_back({item.fontFamily, item.pointSize, item.bold, item.italic});
        fonts.push_back(itemFont(item));
        shaped.emplace_back();
        return lastFont = int(keys.size()) - 1;
    }

    const ShapedText& shape(int font, const QString& text, QPaintDevice* device) {
        auto& texts = shaped[font];
        auto it = texts.constFind(text);
        if (it != texts.constEnd())
            return *it;
        if (shapedCount >= kMaxShapedTexts) {
            for (auto& h : shaped)
                h.clear();
            shapedCount = 0;
        }
        QTextLayout layout(text, fonts[font], device);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1e9);
        layout.endLayout();
        ShapedText s;
        s.runs = layout.glyphRuns();
        s.width = line.naturalTextWidth();
        s.height = line.height();
        ++shapedCount;
        return *texts.insert(text, s);
    }
};

PagePainter::PagePainter(QPainter& painter, double pxPerMm)
    : m_painter(painter), m_pxPerMm(pxPerMm), m_cache(std::make_unique<Cache>()) {}

PagePainter::~PagePainter() = default;

void PagePainter::drawText(const ReportItem& item, const QRectF& box) {
    const int font = m_cache->fontOf(item);
    m_painter.setPen(item.color.isValid() ? item.color : QColor(Qt::black));
    const bool plain = !item.wordWrap && !item.text.contains(u'\n') && !item.text.contains(u'\r');
    if (plain) {
        const ShapedText& s = m_cache->shape(font, item.text, m_painter.device());
        // A text that fits its box is drawn from its glyphs; one that does not is left to drawText,
        // which cuts it at the box's edge.
        if (s.width <= box.width() + 0.5 && s.height <= box.height() + 0.5) {
            double x = box.left();
            if (item.alignment & Qt::AlignRight)
                x = box.right() - s.width;
            else if (item.alignment & Qt::AlignHCenter)
                x = box.left() + (box.width() - s.width) / 2;
            double y = box.top();
            if (item.alignment & Qt::AlignBottom)
                y = box.bottom() - s.height;
            else if (item.alignment & Qt::AlignVCenter)
                y = box.top() + (box.height() - s.height) / 2;
            for (const QGlyphRun& run : s.runs)
                m_painter.drawGlyphRun(QPointF(x, y), run);
            return;
        }
    }
    m_painter.setFont(m_cache->fonts[font]);
    const int flags = int(item.alignment) | (item.wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    // drawText clips to the box: text that does not fit is cut at the box's edge.
    m_painter.drawText(box, flags, item.text);
}

void PagePainter::paint(const ReportPage& page, QPointF origin) {
    const double pxPerMm = m_pxPerMm;
    auto px = [&](const QRectF& r) {
        return QRectF(origin.x() + r.x() * pxPerMm, origin.y() + r.y() * pxPerMm, r.width() * pxPerMm,
                      r.height() * pxPerMm);
    };
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    for (const ReportItem& item : page.items) {
        switch (item.kind) {
        case ReportItem::Kind::Fill:
            m_painter.fillRect(px(item.rect), item.color);
            break;
        case ReportItem::Kind::Text:
            drawText(item, px(item.rect));
            break;
        case ReportItem::Kind::Line: {
            QPen pen(item.color.isValid() ? item.color : QColor(Qt::black));
            pen.setWidthF(std::max(1.0, item.lineWidthMm * pxPerMm));
            pen.setCapStyle(Qt::SquareCap);
            m_painter.setPen(pen);
            m_painter.drawLine(QLineF(origin + item.line.p1() * pxPerMm, origin + item.line.p2() * pxPerMm));
            break;
        }
        }
    }
    m_painter.restore();
}

void paintPage(QPainter& painter, const ReportPage& page, double pxPerMm, QPointF origin) {
    PagePainter(painter, pxPerMm).paint(page, origin);
}

bool paintReport(const ReportPages& pages, QPagedPaintDevice& device, int firstPage, int lastPage) {
    const int count = pages.pageCount();
    if (lastPage <= 0 || lastPage > count)
        lastPage = count;
    firstPage = std::max(1, firstPage);
    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        printer->setFullPage(true); // our coordinates start at the sheet's corner
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), pages.orientation, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    PagePainter pagePainter(painter, device.logicalDpiX() / 25.4);
    for (int p = firstPage; p <= lastPage; ++p) {
        if (p > firstPage && !device.newPage()) {
            painter.end();
            return false;
        }
        pagePainter.paint(pages.pages[p - 1]);
    }
    return painter.end();
}

namespace {

bool commit(OutputFile& file, QString* error) {
    if (file.commit())
        return true;
    if (error)
        *error = file.error();
    return false;
}

// Through Qt's PDF engine, for fonts that cannot be embedded as they are (neither TrueType nor
// CFF outlines, such as Type 1 fonts) and for characters a font lacks: the engine converts such fonts and
// borrows the characters.
bool writeThroughQt(const ReportPages& pages, const QString& fileName, QString* error) {
    OutputFile file(fileName);
    if (!file.open()) {
        if (error)
            *error = file.error();
        return false;
    }
    {
        QPdfWriter writer(&file.device());
        writer.setTitle(pages.title);
        writer.setCreator(QStringLiteral("tabel"));
        writer.setResolution(1200);
        if (!paintReport(pages, writer)) {
            if (error)
                *error = QStringLiteral("Не удалось записать файл \"%1\": ошибка вывода PDF").arg(fileName);
            return false;
        }
    }
    return commit(file, error);
}

} // namespace

bool checkOutputTarget(const QString& fileName, QString* error) {
    const QString problem = outputTargetProblem(fileName);
    if (error)
        *error = problem;
    return problem.isEmpty();
}

bool writeReportPdf(PageSource& source, const QString& fileName, QString* error,
                    const std::function<std::unique_ptr<PageSource>()>& again) {
    OutputFile file(fileName);
    if (!file.open()) {
        if (error)
            *error = file.error();
        return false;
    }
    ReportPdfWriter pdf(file.device(), source.pages().title, source.pages().pageSizeMm);
    bool released = false;
    // Qt's engine takes over: with every page, kept or made again.
    auto throughQt = [&] {
        file.cancel();
        if (!released) {
            source.finishAll();
            return writeThroughQt(source.pages(), fileName, error);
        }
        const std::unique_ptr<PageSource> fresh = again();
        fresh->finishAll();
        return writeThroughQt(fresh->pages(), fileName, error);
    };
    int written = 0;
    for (;;) {
        // Every page goes out as soon as it is ready, while the rest is still being laid out.
        for (; written < source.readyPages(); ++written) {
            const ReportPage& page = source.pages().pages[written];
            if (!pdf.canWrite(page))
                return throughQt();
            pdf.addPage(page);
            if (pdf.missedCharacters())
                return throughQt();
            if (again) {
                source.releasePages(written + 1);
                released = true;
            }
        }
        if (source.isDone())
            break;
        source.more();
    }
    pdf.finish();
    return commit(file, error);
}

bool writeReportPdf(const ReportPages& pages, const QString& fileName, QString* error) {
    FixedPages source(&pages);
    return writeReportPdf(source, fileName, error);
}

bool writeReportPdf(const ReportDefinition& report, const ReportDataSource& data, const QString& fileName,
                    QString* error) {
    return writeReportPdf(layoutReport(report, data), fileName, error);
}

} // namespace reportengine
