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
        : def(report), src(data), measureDevice(measure) {
        const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
        pageSize = def.orientation == QPageLayout::Landscape ? a4.transposed() : a4;
        bodyWidth = pageSize.width() - 2 * def.marginMm;
        compile(def.pageHeader, pageHeader);
        compile(def.titleBand, title);
        compile(def.columnHeader, columnHeader);
        for (const ReportGroup& g : def.groups) {
            CompiledGroup cg;
            if (!g.expression.trimmed().isEmpty())
                cg.expression = compileExpression(g.expression);
            compile(g.header, cg.header);
            compile(g.footer, cg.footer);
            groups.push_back(std::move(cg));
        }
        compile(def.detail, detail);
        compile(def.summary, summary);
        compile(def.pageFooter, pageFooter);
        out.title = def.title;
        out.orientation = def.orientation;
        out.pageSizeMm = pageSize;
    }

    // Lays out the rows the source has gained since the last call. A report that prints the page
    // count waits for its last row: it is laid out twice, once to count the pages.
    void addRows() {
        if (usesPageCount || finished)
            return;
        const int n = src.rowCount();
        if (!started) {
            if (n == 0)
                return; // the title band may show the first row's fields: wait for it
            begin();
        }
        while (next < n)
            step(next++);
    }

    // All rows are there: the last footers, the summary and the last page's footer.
    void finish() {
        if (finished)
            return;
        if (usesPageCount) {
            runOnce();
            knownPageCount = int(out.pages.size());
        }
        runOnce();
        finished = true;
    }

    bool isFinished() const { return finished; }
    ReportPages& pages() { return out; }
    // Pages that no further row changes: all but the one being filled, until the end.
    int completePages() const {
        return finished ? int(out.pages.size()) : std::max(0, int(out.pages.size()) - 1);
    }

    // ExpressionContext
    // A row's fields are read many times (every SUM, every band); each is fetched and converted once.
    ReportValue field(int index) const override {
        if (row < 0 || index < 0)
            return ReportValue::null();
        if (cachedRow != row) {
            cachedRow = row;
            std::fill(fieldCached.begin(), fieldCached.end(), false);
        }
        if (index >= int(fieldCache.size())) {
            fieldCache.resize(index + 1);
            fieldCached.resize(index + 1, false);
        }
        if (!fieldCached[index]) {
            fieldCache[index] = ReportValue::fromVariant(src.value(row, index));
            fieldCached[index] = true;
        }
        return fieldCache[index];
    }
    double aggregate(int slot) const override {
        return slot >= 0 && slot < int(sums.size()) ? sums[slot] : 0.0;
    }
    int pageNumber() const override { return int(out.pages.size()); }
    int pageCount() const override { return knownPageCount; }

private:
    const ReportDefinition& def;
    const ReportDataSource& src;
    QPaintDevice* measureDevice;
    std::unique_ptr<QImage> ownMeasureDevice;
    QSizeF pageSize;
    double bodyWidth = 0;

    std::optional<CompiledBand> pageHeader, title, columnHeader, detail, summary, pageFooter;
    std::vector<CompiledGroup> groups;
    std::vector<std::pair<const ReportExpression*, int>> aggregates; // (expression, its n-th SUM)
    std::vector<double> sums;
    bool usesPageCount = false;
    int knownPageCount = 0;

    mutable int cachedRow = -1;
    mutable std::vector<ReportValue> fieldCache;
    mutable std::vector<bool> fieldCached;

    ReportPages out;
    bool started = false;
    bool finished = false;
    int next = 0;                               // the first row not laid out yet
    std::vector<ReportValue> previous, current; // group values of the last row and of this one
    int row = -1;
    int lastRow = -1;
    double cursor = 0;
    double bodyBottom = 0;
    bool pageHasBody = false;
    int serial = 0;

    std::unique_ptr<ReportExpression> compileExpression(const QString& text) {
        auto e = std::make_unique<ReportExpression>(ReportExpression::parse(text));
        e->bind(src);
        usesPageCount = usesPageCount || e->usesPageCount();
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
                    const int slot = int(sums.size());
                    sums.push_back(0);
                    ce.expression->setAggregateSlot(i, slot);
                    aggregates.emplace_back(ce.expression.get(), i);
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
        out.pages.clear();
        std::fill(sums.begin(), sums.end(), 0.0);
        serial = 0;
        next = 0;
        lastRow = src.rowCount() > 0 ? 0 : -1;
        previous.assign(groups.size(), ReportValue());
        current.assign(groups.size(), ReportValue());
        startPage(true);
        started = true;
    }

    // One row: the footers of the groups it ends, the headers of those it starts, the detail.
    void step(int i) {
        const int groupCount = int(groups.size());
        row = i;
        for (int level = 0; level < groupCount; ++level)
            if (groups[level].expression)
                current[level] = groups[level].expression->evaluate(*this);
        int changed = 0; // the outermost group that starts anew at this row
        if (i > 0) {
            changed = groupCount;
            for (int level = 0; level < groupCount; ++level)
                if (groups[level].expression && !(current[level] == previous[level])) {
                    changed = level;
                    break;
                }
            for (int level = groupCount - 1; level >= changed; --level)
                emitFooter(groups[level], i - 1);
        }
        for (int level = changed; level < groupCount; ++level)
            if (groups[level].header)
                emitBand(*groups[level].header, i);
        accumulate(i);
        if (detail)
            emitBand(*detail, i);
        previous.swap(current);
    }

    void end() {
        const int n = src.rowCount();
        const int groupCount = int(groups.size());
        if (n == 0) {
            for (const CompiledGroup& g : groups)
                if (!g.expression && g.header)
                    emitBand(*g.header, -1);
            for (int level = groupCount - 1; level >= 0; --level)
                if (!groups[level].expression)
                    emitFooter(groups[level], -1);
        } else {
            for (int level = groupCount - 1; level >= 0; --level)
                emitFooter(groups[level], n - 1);
        }
        if (summary)
            emitBand(*summary, n - 1);
        finishPage();
    }

    // The whole report from the first row, or the rest of it after addRows().
    void runOnce() {
        if (!started || usesPageCount)
            begin();
        const int n = src.rowCount();
        while (next < n)
            step(next++);
        end();
        started = false;
    }

    void accumulate(int r) {
        row = r;
        for (const auto& [expression, index] : aggregates) {
            const ReportValue v = expression->evaluateAggregateArgument(index, *this);
            // Rows without a number (a null field, a division by zero, a text) add nothing.
            if (v.type == ReportValue::Type::Number || v.type == ReportValue::Type::Bool)
                sums[expression->aggregateSlot(index)] += v.number;
        }
    }

    void emitFooter(const CompiledGroup& group, int r) {
        if (!group.footer)
            return;
        emitBand(*group.footer, r);
        for (int slot : group.footer->sumSlots)
            sums[slot] = 0;
    }

    void startPage(bool first) {
        out.pages.emplace_back();
        out.pages.back().items.reserve(512); // a page of a long report holds a few hundred items
        cursor = def.marginMm;
        bodyBottom = pageSize.height() - def.marginMm - (pageFooter ? pageFooter->def->heightMm : 0.0);
        pageHasBody = false;
        if (pageHeader)
            placeBand(*pageHeader, lastRow);
        if (first && title)
            placeBand(*title, lastRow);
        if (columnHeader)
            placeBand(*columnHeader, lastRow);
    }

    void finishPage() {
        if (!pageFooter)
            return;
        std::vector<ReportItem> items;
        const double h = buildBand(*pageFooter, lastRow, items);
        place(items, pageSize.height() - def.marginMm - h);
    }

    // A body band: whole on this page if it fits, else whole on the next one.
    void emitBand(const CompiledBand& band, int r) {
        if (r >= 0)
            lastRow = r;
        std::vector<ReportItem> items;
        const double h = buildBand(band, r, items);
        if (pageHasBody && cursor + h > bodyBottom + kEpsilonMm) {
            finishPage();
            startPage(false);
        }
        place(items, cursor);
        cursor += h;
        pageHasBody = true;
        for (const CompiledBand& child : band.children)
            emitBand(child, r);
    }

    // A band at the top of a page, with its children, without any page-break check.
    void placeBand(const CompiledBand& band, int r) {
        std::vector<ReportItem> items;
        const double h = buildBand(band, r, items);
        place(items, cursor);
        cursor += h;
        for (const CompiledBand& child : band.children)
            placeBand(child, r);
    }

    void place(std::vector<ReportItem>& items, double top) {
        const QPointF offset(def.marginMm, top);
        auto& pageItems = out.pages.back().items;
        for (ReportItem& item : items) {
            item.rect.translate(offset);
            item.line.translate(offset);
            pageItems.push_back(std::move(item));
        }
    }

    QPaintDevice* measurer() {
        if (measureDevice)
            return measureDevice;
        if (!ownMeasureDevice) {
            ownMeasureDevice = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
            const int dotsPerMeter = qRound(1200 / 0.0254);
            ownMeasureDevice->setDotsPerMeterX(dotsPerMeter);
            ownMeasureDevice->setDotsPerMeterY(dotsPerMeter);
        }
        return ownMeasureDevice.get();
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
        row = r;
        ++serial;
        ReportItem proto;
        proto.band = band.def->name;
        proto.bandSerial = serial;

        std::vector<ReportItem> fills, texts, lines;
        texts.reserve(band.elements.size());
        double height = band.def->heightMm;
        for (const CompiledElement& ce : band.elements) {
            const ReportElement& e = *ce.def;
            ReportItem text = proto;
            text.kind = ReportItem::Kind::Text;
            text.element = e.name;
            text.text = ce.expression ? displayText(ce.expression->evaluate(*this), e.mask, def.decimalPoint)
                                      : e.text;
            text.fontFamily = e.font.family.isEmpty() ? def.font.family : e.font.family;
            text.pointSize = e.font.pointSize > 0 ? e.font.pointSize : def.font.pointSize;
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
        const QRectF bandRect(0, 0, bodyWidth, height);
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

ReportPages layoutReport(const ReportDefinition& report, const ReportDataSource& data,
                         QPaintDevice* measureDevice) {
    Layouter layouter(report, data, measureDevice);
    layouter.finish();
    return std::move(layouter.pages());
}

} // namespace reportengine
