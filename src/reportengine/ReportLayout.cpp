// Turns a report definition and its rows into pages of positioned items.
#include "reportengine/ReportLayout.h"

#include "reportengine/ReportDataSource.h"
#include "reportengine/ReportExpression.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>

#include <memory>

namespace reportengine {

QStringList ReportPages::texts(int page) const {
    QStringList result;
    for (int p = 0; p < pageCount(); ++p) {
        if (page >= 0 && p != page)
            continue;
        for (const ReportItem& item : pages[p].items)
            if (item.kind == ReportItem::Kind::Text)
                result.append(item.text);
    }
    return result;
}

QFont itemFont(const ReportItem& item) {
    QFont font(item.fontFamily);
    font.setPointSizeF(item.pointSize > 0 ? item.pointSize : 9);
    font.setBold(item.bold);
    font.setItalic(item.italic);
    return font;
}

namespace {

struct CompiledElement {
    const ReportElement* def = nullptr;
    std::unique_ptr<ReportExpression> expression; // fields only
};

struct CompiledBand {
    const ReportBand* def = nullptr;
    std::vector<CompiledElement> elements;
    std::vector<CompiledBand> children;
    std::vector<int> sumSlots; // running sums of this band and its children
};

struct CompiledGroup {
    std::unique_ptr<ReportExpression> expression; // null: the group never changes
    std::optional<CompiledBand> header;
    std::optional<CompiledBand> footer;
};

constexpr double kEpsilonMm = 0.001;

class Layouter : public ExpressionContext {
public:
    Layouter(const ReportDefinition& report, const ReportDataSource& data, QPaintDevice* measure)
        : m_def(report), m_src(data), m_measureDevice(measure) {
        const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
        m_pageSize = m_def.orientation == QPageLayout::Landscape ? a4.transposed() : a4;
        m_bodyWidth = m_pageSize.width() - 2 * m_def.marginMm;
        compile(m_def.pageHeader, m_pageHeader);
        compile(m_def.titleBand, m_title);
        compile(m_def.columnHeader, m_columnHeader);
        for (const ReportGroup& g : m_def.groups) {
            CompiledGroup cg;
            if (!g.expression.trimmed().isEmpty())
                cg.expression = compileExpression(g.expression);
            compile(g.header, cg.header);
            compile(g.footer, cg.footer);
            m_groups.push_back(std::move(cg));
        }
        compile(m_def.detail, m_detail);
        compile(m_def.summary, m_summary);
        compile(m_def.pageFooter, m_pageFooter);
        m_out.title = m_def.title;
        m_out.orientation = m_def.orientation;
        m_out.pageSizeMm = m_pageSize;
    }

    // Lays out the rows the source has gained since the last call. A report that prints the page
    // count waits for its last row: it is laid out twice, once to count the pages.
    void addRows() {
        if (m_usesPageCount || m_finished)
            return;
        const int n = m_src.rowCount();
        if (!m_started) {
            if (n == 0)
                return; // the title band may show the first row's fields: wait for it
            begin();
        }
        while (m_next < n)
            step(m_next++);
    }

    // All rows are there: the last footers, the summary and the last page's footer.
    void finish() {
        if (m_finished)
            return;
        if (m_usesPageCount) {
            runOnce();
            m_knownPageCount = int(m_out.pages.size());
        }
        runOnce();
        m_finished = true;
    }

    bool isFinished() const { return m_finished; }
    ReportPages& pages() { return m_out; }
    // Pages that no further row changes: all but the one being filled, until the end.
    int completePages() const {
        return m_finished ? int(m_out.pages.size()) : std::max(0, int(m_out.pages.size()) - 1);
    }

    // The first row the rest of the layout may still read: the footers of the groups the next row
    // ends show the last row laid out, and a new page repeats the fields of that row. A layout that
    // prints the page count reads every row again at the end.
    int firstRowNeeded() const {
        if (m_usesPageCount || !m_started)
            return 0;
        return std::max(0, std::min(m_next - 1, m_lastRow));
    }

    // Drops the items of the first count complete pages; the pages stay, empty, so that the page
    // numbers and counts do not change.
    void releasePages(int count) {
        const int last = std::min(count, completePages());
        for (int i = m_releasedPages; i < last; ++i)
            std::vector<ReportItem>().swap(m_out.pages[i].items);
        m_releasedPages = std::max(m_releasedPages, last);
    }

    // ExpressionContext
    // A row's fields are read many times (every SUM, every band); each is fetched and converted once.
    ReportValue field(int index) const override {
        if (m_row < 0 || index < 0)
            return ReportValue::null();
        if (m_cachedRow != m_row) {
            m_cachedRow = m_row;
            std::fill(m_fieldCached.begin(), m_fieldCached.end(), false);
        }
        if (index >= int(m_fieldCache.size())) {
            m_fieldCache.resize(index + 1);
            m_fieldCached.resize(index + 1, false);
        }
        if (!m_fieldCached[index]) {
            m_fieldCache[index] = ReportValue::fromVariant(m_src.value(m_row, index));
            m_fieldCached[index] = true;
        }
        return m_fieldCache[index];
    }
    double aggregate(int slot) const override {
        return slot >= 0 && slot < int(m_sums.size()) ? m_sums[slot] : 0.0;
    }
    int pageNumber() const override { return int(m_out.pages.size()); }
    int pageCount() const override { return m_knownPageCount; }

private:
    const ReportDefinition& m_def;
    const ReportDataSource& m_src;
    QPaintDevice* m_measureDevice;
    std::unique_ptr<QImage> m_ownMeasureDevice;
    QSizeF m_pageSize;
    double m_bodyWidth = 0;

    std::optional<CompiledBand> m_pageHeader, m_title, m_columnHeader, m_detail, m_summary, m_pageFooter;
    std::vector<CompiledGroup> m_groups;
    std::vector<std::pair<const ReportExpression*, int>> m_aggregates; // (expression, its n-th SUM)
    std::vector<double> m_sums;
    bool m_usesPageCount = false;
    int m_knownPageCount = 0;

    mutable int m_cachedRow = -1;
    mutable std::vector<ReportValue> m_fieldCache;
    mutable std::vector<bool> m_fieldCached;

    ReportPages m_out;
    int m_releasedPages = 0;
    bool m_started = false;
    bool m_finished = false;
    int m_next = 0;                                 // the first row not laid out yet
    std::vector<ReportValue> m_previous, m_current; // group values of the last row and of this one
    int m_row = -1;
    int m_lastRow = -1;
    double m_cursor = 0;
    double m_bodyBottom = 0;
    bool m_pageHasBody = false;
    int m_serial = 0;

    std::unique_ptr<ReportExpression> compileExpression(const QString& text) {
        auto e = std::make_unique<ReportExpression>(ReportExpression::parse(text));
        e->bind(m_src);
        m_usesPageCount = m_usesPageCount || e->usesPageCount();
        return e;
    }

    void compile(const std::optional<ReportBand>& band, std::optional<CompiledBand>& target) {
        if (band)
            target = compileBand(*band);
    }

    CompiledBand compileBand(const ReportBand& band) {
        CompiledBand cb;
        cb.def = &band;
        for (const ReportElement& e : band.elements) {
            CompiledElement ce;
            ce.def = &e;
            checkMask(e.mask);
            if (e.kind == ReportElement::Kind::Field) {
                ce.expression = compileExpression(e.text);
                for (int i = 0; i < ce.expression->aggregateCount(); ++i) {
                    const int slot = int(m_sums.size());
                    m_sums.push_back(0);
                    ce.expression->setAggregateSlot(i, slot);
                    m_aggregates.emplace_back(ce.expression.get(), i);
                    cb.sumSlots.push_back(slot);
                }
            }
            cb.elements.push_back(std::move(ce));
        }
        for (const ReportBand& child : band.children) {
            cb.children.push_back(compileBand(child));
            const auto& childSumSlots = cb.children.back().sumSlots;
            cb.sumSlots.insert(cb.sumSlots.end(), childSumSlots.begin(), childSumSlots.end());
        }
        return cb;
    }

    void begin() {
        m_out.pages.clear();
        std::fill(m_sums.begin(), m_sums.end(), 0.0);
        m_serial = 0;
        m_next = 0;
        m_lastRow = m_src.rowCount() > 0 ? 0 : -1;
        m_previous.assign(m_groups.size(), ReportValue());
        m_current.assign(m_groups.size(), ReportValue());
        startPage(true);
        m_started = true;
    }

    // One row: the footers of the groups it ends, the headers of those it starts, the detail.
    void step(int i) {
        const int groupCount = int(m_groups.size());
        m_row = i;
        for (int level = 0; level < groupCount; ++level)
            if (m_groups[level].expression)
                m_current[level] = m_groups[level].expression->evaluate(*this);
        int changed = 0; // the outermost group that starts anew at this row
        if (i > 0) {
            changed = groupCount;
            for (int level = 0; level < groupCount; ++level)
                if (m_groups[level].expression && !(m_current[level] == m_previous[level])) {
                    changed = level;
                    break;
                }
            for (int level = groupCount - 1; level >= changed; --level)
                emitFooter(m_groups[level], i - 1);
        }
        for (int level = changed; level < groupCount; ++level)
            if (m_groups[level].header)
                emitBand(*m_groups[level].header, i);
        accumulate(i);
        if (m_detail)
            emitBand(*m_detail, i);
        m_previous.swap(m_current);
    }

    void end() {
        const int n = m_src.rowCount();
        const int groupCount = int(m_groups.size());
        if (n == 0) {
            for (const CompiledGroup& g : m_groups)
                if (!g.expression && g.header)
                    emitBand(*g.header, -1);
            for (int level = groupCount - 1; level >= 0; --level)
                if (!m_groups[level].expression)
                    emitFooter(m_groups[level], -1);
        } else {
            for (int level = groupCount - 1; level >= 0; --level)
                emitFooter(m_groups[level], n - 1);
        }
        if (m_summary)
            emitBand(*m_summary, n - 1);
        finishPage();
    }

    // The whole report from the first row, or the rest of it after addRows().
    void runOnce() {
        if (!m_started || m_usesPageCount)
            begin();
        const int n = m_src.rowCount();
        while (m_next < n)
            step(m_next++);
        end();
        m_started = false;
    }

    void accumulate(int r) {
        m_row = r;
        for (const auto& [expression, index] : m_aggregates) {
            const ReportValue v = expression->evaluateAggregateArgument(index, *this);
            // Rows without a number (a null field, a division by zero, a text) add nothing.
            if (v.type == ReportValue::Type::Number || v.type == ReportValue::Type::Bool)
                m_sums[expression->aggregateSlot(index)] += v.number;
        }
    }

    void emitFooter(const CompiledGroup& group, int r) {
        if (!group.footer)
            return;
        emitBand(*group.footer, r);
        for (int slot : group.footer->sumSlots)
            m_sums[slot] = 0;
    }

    void startPage(bool first) {
        m_out.pages.emplace_back();
        m_out.pages.back().items.reserve(512); // a page of a long report holds a few hundred items
        m_cursor = m_def.marginMm;
        m_bodyBottom =
            m_pageSize.height() - m_def.marginMm - (m_pageFooter ? m_pageFooter->def->heightMm : 0.0);
        m_pageHasBody = false;
        if (m_pageHeader)
            placeBand(*m_pageHeader, m_lastRow);
        if (first && m_title)
            placeBand(*m_title, m_lastRow);
        if (m_columnHeader)
            placeBand(*m_columnHeader, m_lastRow);
    }

    void finishPage() {
        if (!m_pageFooter)
            return;
        std::vector<ReportItem> items;
        const double h = buildBand(*m_pageFooter, m_lastRow, items);
        place(items, m_pageSize.height() - m_def.marginMm - h);
    }

    // A body band: whole on this page if it fits, else whole on the next one.
    void emitBand(const CompiledBand& band, int r) {
        if (r >= 0)
            m_lastRow = r;
        std::vector<ReportItem> items;
        const double h = buildBand(band, r, items);
        if (m_pageHasBody && m_cursor + h > m_bodyBottom + kEpsilonMm) {
            finishPage();
            startPage(false);
        }
        place(items, m_cursor);
        m_cursor += h;
        m_pageHasBody = true;
        for (const CompiledBand& child : band.children)
            emitBand(child, r);
    }

    // A band at the top of a page, with its children, without any page-break check.
    void placeBand(const CompiledBand& band, int r) {
        std::vector<ReportItem> items;
        const double h = buildBand(band, r, items);
        place(items, m_cursor);
        m_cursor += h;
        for (const CompiledBand& child : band.children)
            placeBand(child, r);
    }

    void place(std::vector<ReportItem>& items, double top) {
        const QPointF offset(m_def.marginMm, top);
        auto& pageItems = m_out.pages.back().items;
        for (ReportItem& item : items) {
            item.rect.translate(offset);
            item.line.translate(offset);
            pageItems.push_back(std::move(item));
        }
    }

    QPaintDevice* measurer() {
        if (m_measureDevice)
            return m_measureDevice;
        if (!m_ownMeasureDevice) {
            m_ownMeasureDevice = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
            const int dotsPerMeter = qRound(1200 / 0.0254);
            m_ownMeasureDevice->setDotsPerMeterX(dotsPerMeter);
            m_ownMeasureDevice->setDotsPerMeterY(dotsPerMeter);
        }
        return m_ownMeasureDevice.get();
    }

    double textHeightMm(const ReportItem& item, double widthMm) {
        QPaintDevice* device = measurer();
        const double pxPerMm = device->logicalDpiY() / 25.4;
        const QFontMetricsF fm(itemFont(item), device);
        const QRectF r = fm.boundingRect(QRectF(0, 0, widthMm * device->logicalDpiX() / 25.4, 1e9),
                                         int(item.alignment) | Qt::TextWordWrap, item.text);
        return r.height() / pxPerMm;
    }

    static void addFrame(std::vector<ReportItem>& lines, const QRectF& r, const Frame& frame,
                         const ReportItem& proto) {
        auto add = [&](QPointF a, QPointF b) {
            ReportItem item = proto;
            item.kind = ReportItem::Kind::Line;
            item.line = QLineF(a, b);
            item.lineWidthMm = frame.widthMm;
            item.color = Qt::black;
            lines.push_back(std::move(item));
        };
        if (frame.top)
            add(r.topLeft(), r.topRight());
        if (frame.bottom)
            add(r.bottomLeft(), r.bottomRight());
        if (frame.left)
            add(r.topLeft(), r.bottomLeft());
        if (frame.right)
            add(r.topRight(), r.bottomRight());
    }

    // Items of one printed band, relative to the band's corner; returns the band's height.
    double buildBand(const CompiledBand& band, int r, std::vector<ReportItem>& items) {
        m_row = r;
        ++m_serial;
        ReportItem proto;
        proto.band = band.def->name;
        proto.bandSerial = m_serial;

        std::vector<ReportItem> fills, texts, lines;
        texts.reserve(band.elements.size());
        double height = band.def->heightMm;
        for (const CompiledElement& ce : band.elements) {
            const ReportElement& e = *ce.def;
            ReportItem text = proto;
            text.kind = ReportItem::Kind::Text;
            text.element = e.name;
            text.text = ce.expression
                            ? displayText(ce.expression->evaluate(*this), e.mask, m_def.decimalPoint)
                            : e.text;
            text.fontFamily = e.font.family.isEmpty() ? m_def.font.family : e.font.family;
            text.pointSize = e.font.pointSize > 0 ? e.font.pointSize : m_def.font.pointSize;
            text.bold = e.font.bold;
            text.italic = e.font.italic;
            text.alignment = e.alignment;
            text.wordWrap = e.wordWrap;
            text.color = Qt::black;
            QRectF box = e.geometry;
            const double innerWidth = std::max(0.0, box.width() - 2 * e.paddingMm);
            if (e.wordWrap && e.stretch && !text.text.isEmpty())
                box.setHeight(std::max(box.height(), textHeightMm(text, innerWidth)));
            height = std::max(height, box.bottom());
            if (e.background.isValid()) {
                ReportItem fill = proto;
                fill.kind = ReportItem::Kind::Fill;
                fill.element = e.name;
                fill.rect = box;
                fill.color = e.background;
                fills.push_back(std::move(fill));
            }
            if (!text.text.isEmpty()) {
                text.rect = QRectF(box.left() + e.paddingMm, box.top(), innerWidth, box.height());
                texts.push_back(std::move(text));
            }
            ReportItem lineProto = proto;
            lineProto.element = e.name;
            addFrame(lines, box, e.frame, lineProto);
        }
        const QRectF bandRect(0, 0, m_bodyWidth, height);
        if (band.def->background.isValid()) {
            ReportItem fill = proto;
            fill.kind = ReportItem::Kind::Fill;
            fill.rect = bandRect;
            fill.color = band.def->background;
            items.push_back(std::move(fill));
        }
        addFrame(lines, bandRect, band.def->frame, proto);
        // Fills first, then texts, then lines: a neighbour's shading never covers a shared frame line.
        for (auto* group : {&fills, &texts, &lines})
            for (ReportItem& item : *group)
                items.push_back(std::move(item));
        return height;
    }
};

} // namespace

struct LayoutRun::Impl {
    ReportDefinition definition; // the layouter points into it: it must not move
    Layouter layouter;
    Impl(const ReportDefinition& report, const ReportDataSource& data, QPaintDevice* measure)
        : definition(report), layouter(definition, data, measure) {}
};

LayoutRun::LayoutRun(const ReportDefinition& report, const ReportDataSource& data,
                     QPaintDevice* measureDevice)
    : d(std::make_unique<Impl>(report, data, measureDevice)) {}

LayoutRun::~LayoutRun() = default;

void LayoutRun::addRows() {
    d->layouter.addRows();
}

void LayoutRun::finish() {
    d->layouter.finish();
}

bool LayoutRun::isFinished() const {
    return d->layouter.isFinished();
}

ReportPages& LayoutRun::pages() {
    return d->layouter.pages();
}

int LayoutRun::completePages() const {
    return d->layouter.completePages();
}

int LayoutRun::firstRowNeeded() const {
    return d->layouter.firstRowNeeded();
}

void LayoutRun::releasePages(int count) {
    d->layouter.releasePages(count);
}

ReportPages layoutReport(const ReportDefinition& report, const ReportDataSource& data,
                         QPaintDevice* measureDevice) {
    Layouter layouter(report, data, measureDevice);
    layouter.finish();
    return std::move(layouter.pages());
}

} // namespace reportengine
