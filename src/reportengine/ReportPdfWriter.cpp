#include "reportengine/ReportPdfWriter.h"

#include <QFont>
#include <QHash>
#include <QIODevice>
#include <QRawFont>
#include <QTextLayout>
#include <QtEndian>

#include <map>
#include <set>
#include <vector>

namespace reportengine {

namespace {

constexpr double kPtPerMm = 72.0 / 25.4;
constexpr double kEm = 1000; // glyph widths and font metrics are kept in thousandths of the em

// Appends a number with at most two decimals: "12.5", "-3", "0.07".
void appendNumber(QByteArray& out, double v) {
    qint64 n = qRound64(v * 100);
    if (n < 0) {
        out += '-';
        n = -n;
    }
    out += QByteArray::number(n / 100);
    const int fraction = int(n % 100);
    if (fraction != 0) {
        out += '.';
        out += char('0' + fraction / 10);
        if (fraction % 10 != 0)
            out += char('0' + fraction % 10);
    }
}

void appendHex4(QByteArray& out, quint32 v) {
    static const char digits[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += digits[(v >> shift) & 0xF];
}

QByteArray hex16(quint32 v) {
    QByteArray b;
    appendHex4(b, v);
    return b;
}

quint16 be16(const QByteArray& t, qsizetype at) {
    return at + 2 <= t.size() ? qFromBigEndian<quint16>(t.constData() + at) : 0;
}

quint32 be32(const QByteArray& t, qsizetype at) {
    return at + 4 <= t.size() ? qFromBigEndian<quint32>(t.constData() + at) : 0;
}

void put16(QByteArray& t, qsizetype at, quint16 v) {
    qToBigEndian<quint16>(v, t.data() + at);
}

void append16(QByteArray& t, quint16 v) {
    char b[2];
    qToBigEndian<quint16>(v, b);
    t.append(b, 2);
}

void append32(QByteArray& t, quint32 v) {
    char b[4];
    qToBigEndian<quint32>(v, b);
    t.append(b, 4);
}

QByteArray deflate(const QByteArray& data) {
    // The fastest level: the streams are text that squeezes well anyway, and long reports are
    // written while the user waits.
    QByteArray z = qCompress(data, 1);
    return z.mid(4); // qCompress puts the uncompressed size in front of the zlib stream
}

// A PDF text string: UTF-16 with its byte order mark, in hex.
QByteArray pdfTextString(const QString& text) {
    QByteArray out = "<FEFF";
    for (QChar c : text)
        appendHex4(out, c.unicode());
    out += '>';
    return out;
}

// The tables a TrueType font needs inside a PDF; glyf and loca are rebuilt for the subset.
const char* const kKeptTables[] = {"cvt ", "fpgm", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "prep"};

quint32 tag(const char* name) {
    return quint32(quint8(name[0])) << 24 | quint32(quint8(name[1])) << 16 | quint32(quint8(name[2])) << 8 |
           quint32(quint8(name[3]));
}

quint32 tableChecksum(const QByteArray& t) {
    quint32 sum = 0;
    for (qsizetype i = 0; i < t.size(); i += 4) {
        quint32 word = 0;
        for (int k = 0; k < 4; ++k)
            word = word << 8 | (i + k < t.size() ? quint8(t[i + k]) : 0);
        sum += word;
    }
    return sum;
}

// One font family and style as embedded in the document.
struct EmbeddedFont {
    QRawFont raw; // at 1000 pixels, so that advances come out in thousandths of the em
    bool usable = false;
    QString family;
    bool bold = false;
    bool italic = false;
    QByteArray resource; // "F1"
    int object = 0;      // the Type0 font; reserved when the font is first used
    struct Glyph {
        quint16 id;
        double width;
    };
    QHash<char32_t, Glyph> glyphs;
    std::map<quint16, char32_t> used; // glyph id -> the character it shows
    bool missing = false;             // some text asked for a character the font lacks

    Glyph glyphFor(char32_t c) {
        auto it = glyphs.constFind(c);
        if (it != glyphs.constEnd())
            return *it;
        const QList<quint32> ids = raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
        Glyph g{quint16(ids.value(0)), 0};
        if (g.id != 0 || ids.size() == 1) {
            const QList<QPointF> advances =
                raw.advancesForGlyphIndexes(QList<quint32>{g.id}, QRawFont::UseDesignMetrics);
            g.width = advances.isEmpty() ? 0 : advances.first().x();
        }
        if (g.id != 0)
            used.emplace(g.id, c);
        else if (c >= 0x20 && !QChar::isSpace(c))
            missing = true; // a character the font has no glyph for
        glyphs.insert(c, g);
        return g;
    }

    // The glyph string of a text, in hex, and its width in thousandths of the em.
    double encode(QStringView text, QByteArray& hex) {
        double width = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            char32_t c = text[i].unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(text[i], text[i + 1]);
                ++i;
            }
            const Glyph g = glyphFor(c);
            appendHex4(hex, g.id);
            width += g.width;
        }
        return width;
    }

    double widthOf(QStringView text) {
        QByteArray ignored;
        return encode(text, ignored);
    }
};

// Glyph outlines of the used glyphs (and the parts composite glyphs are built from); every other
// glyph is left empty, so glyph ids stay as they are.
QByteArray subsetFont(const QRawFont& raw, const std::map<quint16, char32_t>& used) {
    QByteArray head = raw.fontTable("head");
    const QByteArray maxp = raw.fontTable("maxp");
    const QByteArray loca = raw.fontTable("loca");
    const QByteArray glyf = raw.fontTable("glyf");
    const int glyphCount = be16(maxp, 4);
    const bool longLoca = be16(head, 50) == 1;
    auto offset = [&](int g) -> quint32 { return longLoca ? be32(loca, 4 * g) : 2u * be16(loca, 2 * g); };
    auto outline = [&](int g) {
        const quint32 from = offset(g), to = offset(g + 1);
        return g < glyphCount && from <= to && to <= quint32(glyf.size()) ? glyf.mid(from, to - from)
                                                                          : QByteArray();
    };

    std::set<int> keep{0};
    std::vector<int> queue{0};
    for (const auto& [g, c] : used)
        if (keep.insert(g).second)
            queue.push_back(g);
    while (!queue.empty()) {
        const int g = queue.back();
        queue.pop_back();
        const QByteArray data = outline(g);
        if (data.size() < 10 || qint16(be16(data, 0)) >= 0)
            continue; // a simple glyph
        qsizetype at = 10;
        for (;;) { // the components of a composite glyph
            const quint16 flags = be16(data, at);
            const int part = be16(data, at + 2);
            if (at + 4 > data.size())
                break;
            if (part < glyphCount && keep.insert(part).second)
                queue.push_back(part);
            at += 4 + ((flags & 0x1) ? 4 : 2);
            if (flags & 0x8)
                at += 2;
            else if (flags & 0x40)
                at += 4;
            else if (flags & 0x80)
                at += 8;
            if (!(flags & 0x20))
                break;
        }
    }

    QByteArray newGlyf, newLoca;
    for (int g = 0; g < glyphCount; ++g) {
        append32(newLoca, quint32(newGlyf.size()));
        if (keep.count(g)) {
            newGlyf += outline(g);
            while (newGlyf.size() % 4)
                newGlyf += '\0';
        }
    }
    append32(newLoca, quint32(newGlyf.size()));
    put16(head, 50, 1);                        // long loca offsets
    qToBigEndian<quint32>(0, head.data() + 8); // checksum adjustment: not needed inside a PDF

    std::vector<std::pair<quint32, QByteArray>> tables;
    for (const char* name : kKeptTables) {
        QByteArray t = name == QByteArrayView("glyf")   ? newGlyf
                       : name == QByteArrayView("loca") ? newLoca
                       : name == QByteArrayView("head") ? head
                                                        : raw.fontTable(name);
        if (!t.isEmpty())
            tables.emplace_back(tag(name), t);
    }
    const int n = int(tables.size());
    int power = 1, log2 = 0;
    while (power * 2 <= n) {
        power *= 2;
        ++log2;
    }
    QByteArray font;
    append32(font, 0x00010000);
    append16(font, quint16(n));
    append16(font, quint16(power * 16));
    append16(font, quint16(log2));
    append16(font, quint16(n * 16 - power * 16));
    quint32 at = 12 + 16 * n;
    for (const auto& [t, data] : tables) {
        append32(font, t);
        append32(font, tableChecksum(data));
        append32(font, at);
        append32(font, quint32(data.size()));
        at += quint32((data.size() + 3) / 4 * 4);
    }
    for (const auto& [t, data] : tables) {
        font += data;
        while (font.size() % 4)
            font += '\0';
    }
    return font;
}

} // namespace

struct ReportPdfWriter::Private {
    QIODevice& out;
    QString title;
    QSizeF pageSizePt;
    bool ok = true;
    qint64 written = 0;
    std::vector<qint64> offsets; // of the objects 1, 2, ...; -1 until written
    std::vector<int> pageObjects;
    std::vector<std::unique_ptr<EmbeddedFont>> fonts;
    EmbeddedFont* lastFont = nullptr;
    double lastPointSize = 0;
    static constexpr int kPagesObject = 2;
    static constexpr int kResourcesObject = 3;

    // The graphics state of the page being written, to leave out repeated settings.
    QColor fill, stroke;
    double lineWidth = -1;

    Private(QIODevice& device, const QString& t, const QSizeF& sizeMm)
        : out(device), title(t), pageSizePt(sizeMm * kPtPerMm) {}

    int reserve() {
        offsets.push_back(-1);
        return int(offsets.size());
    }

    void write(const QByteArray& bytes) {
        if (out.write(bytes) != bytes.size())
            ok = false;
        written += bytes.size();
    }

    // Nothing goes out before the first page, so that the caller may still choose another way.
    void start() {
        if (written == 0)
            write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    }

    void object(int number, const QByteArray& body) {
        offsets[number - 1] = written;
        write(QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n");
    }

    void stream(int number, QByteArray dictionary, const QByteArray& data, bool compress = true) {
        const QByteArray bytes = compress ? deflate(data) : data;
        dictionary += " /Length " + QByteArray::number(bytes.size());
        if (compress)
            dictionary += " /Filter /FlateDecode";
        offsets[number - 1] = written;
        write(QByteArray::number(number) + " 0 obj\n<<" + dictionary + " >>\nstream\n");
        write(bytes);
        write("\nendstream\nendobj\n");
    }

    EmbeddedFont* fontFor(const ReportItem& item) {
        if (lastFont && lastFont->bold == item.bold && lastFont->italic == item.italic &&
            lastFont->family == item.fontFamily)
            return lastFont;
        for (const auto& f : fonts)
            if (f->bold == item.bold && f->italic == item.italic && f->family == item.fontFamily)
                return lastFont = f.get();
        auto f = std::make_unique<EmbeddedFont>();
        f->family = item.fontFamily;
        f->bold = item.bold;
        f->italic = item.italic;
        QFont font = itemFont(item);
        font.setPixelSize(int(kEm));
        f->raw = QRawFont::fromFont(font);
        f->raw.setPixelSize(kEm);
        f->usable = f->raw.isValid() && !f->raw.fontTable("glyf").isEmpty() &&
                    !f->raw.fontTable("loca").isEmpty() && f->raw.fontTable("head").size() >= 54 &&
                    f->raw.fontTable("maxp").size() >= 6;
        f->resource = "F" + QByteArray::number(int(fonts.size()) + 1);
        fonts.push_back(std::move(f));
        return lastFont = fonts.back().get();
    }

    void setFill(QByteArray& c, const QColor& color) {
        if (color == fill)
            return;
        fill = color;
        appendColor(c, color);
        c += " rg\n";
    }

    void setStroke(QByteArray& c, const QColor& color, double width) {
        if (color != stroke) {
            stroke = color;
            appendColor(c, color);
            c += " RG\n";
        }
        if (width != lineWidth) {
            lineWidth = width;
            appendNumber(c, width);
            c += " w\n";
        }
    }

    static void appendColor(QByteArray& c, const QColor& color) {
        appendNumber(c, color.redF());
        c += ' ';
        appendNumber(c, color.greenF());
        c += ' ';
        appendNumber(c, color.blueF());
    }

    // A rectangle in millimetres from the sheet's top left corner, as "x y w h" in points.
    void appendRect(QByteArray& c, const QRectF& r) const {
        appendNumber(c, r.left() * kPtPerMm);
        c += ' ';
        appendNumber(c, pageSizePt.height() - r.bottom() * kPtPerMm);
        c += ' ';
        appendNumber(c, r.width() * kPtPerMm);
        c += ' ';
        appendNumber(c, r.height() * kPtPerMm);
    }

    // The lines of a word-wrapped text, broken where Qt breaks them when it measures the text.
    QList<QStringView> wrappedLines(const ReportItem& item, const QString& text, double widthEm) {
        QFont font = itemFont(item);
        font.setPixelSize(int(kEm));
        QTextLayout layout(text, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QList<QStringView> lines;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(widthEm);
            lines.append(QStringView(text).mid(line.textStart(), line.textLength()).trimmed());
        }
        layout.endLayout();
        return lines;
    }

    void addText(QByteArray& c, const ReportItem& item) {
        EmbeddedFont* f = fontFor(item);
        const double size = item.pointSize > 0 ? item.pointSize : 9;
        const double scale = size / kEm; // points per thousandth of the em
        const QRectF box(item.rect.left() * kPtPerMm, item.rect.top() * kPtPerMm,
                         item.rect.width() * kPtPerMm, item.rect.height() * kPtPerMm);
        QString single;
        QList<QStringView> lines;
        if (item.wordWrap) {
            single = item.text;
            lines = wrappedLines(item, single, box.width() / scale);
        } else {
            single = item.text;
            single.replace(u'\n', u' ').replace(u'\r', u' ');
            lines.append(single);
        }
        const double ascent = f->raw.ascent() * scale;
        const double lineHeight = (f->raw.ascent() + f->raw.descent()) * scale;
        const double blockHeight = lines.size() * lineHeight;
        double top = box.top();
        if (item.alignment & Qt::AlignBottom)
            top = box.bottom() - blockHeight;
        else if (item.alignment & Qt::AlignVCenter)
            top = box.top() + (box.height() - blockHeight) / 2;

        QByteArray body;
        bool overflows = blockHeight > box.height() + 0.01;
        for (int i = 0; i < lines.size(); ++i) {
            QByteArray hex;
            const double width = f->encode(lines[i], hex) * scale;
            overflows = overflows || width > box.width() + 0.01;
            double x = box.left();
            if (item.alignment & Qt::AlignRight)
                x = box.right() - width;
            else if (item.alignment & Qt::AlignHCenter)
                x = box.left() + (box.width() - width) / 2;
            const double baseline = top + i * lineHeight + ascent;
            body += "BT /" + f->resource + ' ';
            appendNumber(body, size);
            body += " Tf 1 0 0 1 ";
            appendNumber(body, x);
            body += ' ';
            appendNumber(body, pageSizePt.height() - baseline);
            body += " Tm <" + hex + "> Tj ET\n";
        }
        const QColor color = item.color.isValid() ? item.color : QColor(Qt::black);
        if (overflows) {
            // Text that does not fit is cut at its box's edge, as on the screen.
            c += "q ";
            appendRect(c, item.rect);
            c += " re W n\n";
            appendColor(c, color);
            c += " rg\n" + body + "Q\n";
        } else {
            setFill(c, color);
            c += body;
        }
    }

    void addPage(const ReportPage& page) {
        QByteArray c;
        c.reserve(64 * 1024);
        c += "2 J\n"; // square line ends, as the screen draws them
        fill = stroke = QColor(Qt::black);
        lineWidth = 1;
        for (const ReportItem& item : page.items) {
            switch (item.kind) {
            case ReportItem::Kind::Fill:
                setFill(c, item.color);
                appendRect(c, item.rect);
                c += " re f\n";
                break;
            case ReportItem::Kind::Text:
                if (!item.text.isEmpty())
                    addText(c, item);
                break;
            case ReportItem::Kind::Line:
                setStroke(c, item.color.isValid() ? item.color : QColor(Qt::black),
                          item.lineWidthMm * kPtPerMm);
                appendNumber(c, item.line.x1() * kPtPerMm);
                c += ' ';
                appendNumber(c, pageSizePt.height() - item.line.y1() * kPtPerMm);
                c += " m ";
                appendNumber(c, item.line.x2() * kPtPerMm);
                c += ' ';
                appendNumber(c, pageSizePt.height() - item.line.y2() * kPtPerMm);
                c += " l S\n";
                break;
            }
        }
        const int content = reserve();
        const int pageObject = reserve();
        stream(content, QByteArray(), c);
        QByteArray dict =
            "<< /Type /Page /Parent " + QByteArray::number(kPagesObject) + " 0 R /MediaBox [0 0 ";
        appendNumber(dict, pageSizePt.width());
        dict += ' ';
        appendNumber(dict, pageSizePt.height());
        dict += "] /Resources " + QByteArray::number(kResourcesObject) + " 0 R /Contents " +
                QByteArray::number(content) + " 0 R >>";
        object(pageObject, dict);
        pageObjects.push_back(pageObject);
    }

    QByteArray fontName(const EmbeddedFont& f, int index) const {
        QByteArray name;
        for (QChar ch : f.raw.familyName() + u'-' + f.raw.styleName())
            if ((ch.isLetterOrNumber() && ch.unicode() < 128) || ch == u'-')
                name += char(ch.unicode());
        // A subset is named with a tag of six capitals of its own.
        QByteArray prefix = "TABEL";
        prefix += char('A' + index % 26);
        return prefix + '+' + (name.isEmpty() ? QByteArray("Font") : name);
    }

    void writeFont(EmbeddedFont& f, int index) {
        if (!f.object)
            return;
        const int descendant = reserve(), descriptor = reserve(), file = reserve(), toUnicode = reserve();
        const QByteArray name = fontName(f, index);
        object(f.object, "<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
                             " /Encoding /Identity-H /DescendantFonts [" + QByteArray::number(descendant) +
                             " 0 R] /ToUnicode " + QByteArray::number(toUnicode) + " 0 R >>");

        QByteArray widths = "[";
        for (const auto& [g, c] : f.used) {
            widths += QByteArray::number(g) + " [";
            appendNumber(widths, f.glyphFor(c).width);
            widths += "] ";
        }
        widths += ']';
        object(descendant, "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name +
                               " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
                               " /FontDescriptor " +
                               QByteArray::number(descriptor) + " 0 R /DW 1000 /W " + widths +
                               " /CIDToGIDMap /Identity >>");

        const QByteArray head = f.raw.fontTable("head");
        const double unitsPerEm = std::max<int>(1, be16(head, 18));
        auto design = [&](qsizetype at) {
            return QByteArray::number(qRound(qint16(be16(head, at)) * kEm / unitsPerEm));
        };
        QByteArray descriptorDict = "<< /Type /FontDescriptor /FontName /" + name + " /Flags " +
                                    QByteArray::number(f.italic ? 32 + 64 : 32) + " /FontBBox [" +
                                    design(36) + ' ' + design(38) + ' ' + design(40) + ' ' + design(42) +
                                    "] /ItalicAngle " + (f.italic ? "-12" : "0") + " /Ascent ";
        appendNumber(descriptorDict, f.raw.ascent());
        descriptorDict += " /Descent ";
        appendNumber(descriptorDict, -f.raw.descent());
        descriptorDict += " /CapHeight ";
        appendNumber(descriptorDict, f.raw.capHeight());
        descriptorDict += " /StemV 80 /FontFile2 " + QByteArray::number(file) + " 0 R >>";
        object(descriptor, descriptorDict);

        const QByteArray program = subsetFont(f.raw, f.used);
        stream(file, " /Length1 " + QByteArray::number(program.size()), program);

        QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                          "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                          "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                          "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
        std::vector<std::pair<quint16, char32_t>> entries(f.used.begin(), f.used.end());
        for (size_t from = 0; from < entries.size(); from += 100) {
            const size_t to = std::min(entries.size(), from + 100);
            cmap += QByteArray::number(qulonglong(to - from)) + " beginbfchar\n";
            for (size_t i = from; i < to; ++i) {
                cmap += '<' + hex16(entries[i].first) + "> <";
                const QString s = QString::fromUcs4(&entries[i].second, 1);
                for (QChar ch : s)
                    appendHex4(cmap, ch.unicode());
                cmap += ">\n";
            }
            cmap += "endbfchar\n";
        }
        cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
        stream(toUnicode, QByteArray(), cmap);
    }
};

ReportPdfWriter::ReportPdfWriter(QIODevice& out, const QString& title, const QSizeF& pageSizeMm)
    : d(std::make_unique<Private>(out, title, pageSizeMm)) {
    d->reserve(); // 1: the catalog
    d->reserve(); // 2: the page tree
    d->reserve(); // 3: the resources shared by all pages
    d->reserve(); // 4: the document's properties
}

ReportPdfWriter::~ReportPdfWriter() = default;

bool ReportPdfWriter::canWrite(const ReportPage& page) {
    for (const ReportItem& item : page.items)
        if (item.kind == ReportItem::Kind::Text && !d->fontFor(item)->usable)
            return false;
    return true;
}

bool ReportPdfWriter::missedCharacters() const {
    return std::any_of(d->fonts.begin(), d->fonts.end(), [](const auto& f) { return f->missing; });
}

void ReportPdfWriter::addPage(const ReportPage& page) {
    d->start();
    d->addPage(page);
}

bool ReportPdfWriter::finish() {
    d->start();
    QByteArray fontResources;
    for (const auto& f : d->fonts) {
        if (f->used.empty() && f->glyphs.isEmpty())
            continue;
        f->object = d->reserve();
        fontResources += " /" + f->resource + ' ' + QByteArray::number(f->object) + " 0 R";
    }
    for (int i = 0; i < int(d->fonts.size()); ++i)
        d->writeFont(*d->fonts[i], i);
    d->object(Private::kResourcesObject, "<< /ProcSet [/PDF /Text] /Font <<" + fontResources + " >> >>");
    QByteArray kids;
    for (int page : d->pageObjects)
        kids += QByteArray::number(page) + " 0 R ";
    d->object(Private::kPagesObject, "<< /Type /Pages /Kids [" + kids + "] /Count " +
                                         QByteArray::number(qulonglong(d->pageObjects.size())) + " >>");
    d->object(4, "<< /Title " + pdfTextString(d->title) + " /Creator (tabel) /Producer (tabel) >>");
    d->object(1, "<< /Type /Catalog /Pages " + QByteArray::number(Private::kPagesObject) + " 0 R >>");

    const qint64 xref = d->written;
    QByteArray table =
        "xref\n0 " + QByteArray::number(qulonglong(d->offsets.size() + 1)) + "\n0000000000 65535 f \n";
    for (qint64 offset : d->offsets)
        table += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    table += "trailer\n<< /Size " + QByteArray::number(qulonglong(d->offsets.size() + 1)) +
             " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    d->write(table);
    return d->ok;
}

} // namespace reportengine
