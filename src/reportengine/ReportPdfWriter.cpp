// Writes laid-out report pages straight into PDF with embedded font subsets.
#include "reportengine/ReportPdfWriter.h"

#include "reportengine/InstalledFontFiles.h"

#include <QFile>
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

// Appends a number with at most two decimals: "12.5", "-3", "0.07". Written into a buffer of
// its own and appended at once: a page holds thousands of them.
void appendNumber(QByteArray& out, double v) {
    qint64 n = qRound64(v * 100);
    char text[32];
    char* end = text + sizeof text;
    char* at = end;
    const bool negative = n < 0;
    if (negative)
        n = -n;
    const int fraction = int(n % 100);
    if (fraction != 0) {
        if (fraction % 10 != 0)
            *--at = char('0' + fraction % 10);
        *--at = char('0' + fraction / 10);
        *--at = '.';
    }
    qint64 whole = n / 100;
    do {
        *--at = char('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (negative)
        *--at = '-';
    out.append(at, end - at);
}

void appendHex4(QByteArray& out, quint32 v) {
    static const char digits[] = "0123456789ABCDEF";
    const char hex[4] = {digits[(v >> 12) & 0xF], digits[(v >> 8) & 0xF], digits[(v >> 4) & 0xF],
                         digits[v & 0xF]};
    out.append(hex, 4);
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

// ---- OpenType fonts with PostScript (CFF) outlines -------------------------------------------
//
// Such a font keeps its glyphs in one "CFF " table: a header, the INDEX structures of names, the
// top DICT, strings and global subroutines, then the charset, the encoding, the glyph programs
// (CharStrings) and the private DICT with its local subroutines, which the top DICT finds by
// offsets. The table is embedded as it is, except that the programs of unused glyphs are replaced
// by an empty glyph; the offsets that move are written anew. Glyph ids stay as they are.

namespace cff {

// One INDEX: count items, each a run of bytes.
struct Index {
    bool ok = false;
    qsizetype start = 0, end = 0; // the whole INDEX in the table
    qsizetype data = 0;           // where item offsets count from (they start at 1)
    std::vector<quint32> offsets; // count + 1 of them

    int count() const { return offsets.empty() ? 0 : int(offsets.size()) - 1; }
    QByteArray item(const QByteArray& t, int i) const {
        return t.mid(data + offsets[i], offsets[i + 1] - offsets[i]);
    }
};

Index readIndex(const QByteArray& t, qsizetype at) {
    Index x;
    x.start = at;
    if (at < 0 || at + 2 > t.size())
        return x;
    const int count = be16(t, at);
    if (count == 0) {
        x.end = x.data = at + 2;
        x.ok = true;
        return x;
    }
    if (at + 3 > t.size())
        return x;
    const int offSize = quint8(t[at + 2]);
    const qsizetype offsetsAt = at + 3;
    if (offSize < 1 || offSize > 4 || offsetsAt + qsizetype(count + 1) * offSize > t.size())
        return x;
    x.offsets.resize(count + 1);
    for (int i = 0; i <= count; ++i) {
        quint32 v = 0;
        for (int k = 0; k < offSize; ++k)
            v = v << 8 | quint8(t[offsetsAt + qsizetype(i) * offSize + k]);
        x.offsets[i] = v;
    }
    x.data = offsetsAt + qsizetype(count + 1) * offSize - 1;
    x.end = x.data + x.offsets[count];
    if (x.offsets[0] != 1 || x.end > t.size())
        return x;
    for (int i = 0; i < count; ++i)
        if (x.offsets[i] > x.offsets[i + 1])
            return x;
    x.ok = true;
    return x;
}

QByteArray writeIndex(const std::vector<QByteArray>& items) {
    QByteArray out;
    append16(out, quint16(items.size()));
    if (items.empty())
        return out;
    quint32 total = 1;
    for (const QByteArray& item : items)
        total += quint32(item.size());
    const int offSize = total < 0x100 ? 1 : total < 0x10000 ? 2 : total < 0x1000000 ? 3 : 4;
    out += char(offSize);
    quint32 offset = 1;
    auto putOffset = [&](quint32 v) {
        for (int k = offSize - 1; k >= 0; --k)
            out += char((v >> (8 * k)) & 0xFF);
    };
    putOffset(offset);
    for (const QByteArray& item : items) {
        offset += quint32(item.size());
        putOffset(offset);
    }
    for (const QByteArray& item : items)
        out += item;
    return out;
}

// DICT operators this code reads or rewrites; two-byte operators as 1200 + their second byte.
enum Op {
    kCharset = 15,
    kEncoding = 16,
    kCharStrings = 17,
    kPrivate = 18,
    kSubrs = 19,
    kROS = 1230,
    kFDArray = 1236,
    kFDSelect = 1237
};

struct DictEntry {
    int op = 0;
    QByteArray operands; // as written
    std::vector<qint64> values;
};

// Reads a DICT; false for a malformed one. Real-number operands are kept as written, their value
// as 0 (none of the operators read here takes one).
bool readDict(const QByteArray& d, std::vector<DictEntry>& out) {
    DictEntry e;
    qsizetype i = 0;
    while (i < d.size()) {
        const int b0 = quint8(d[i]);
        const qsizetype from = i;
        if (b0 <= 21) {
            e.op = b0;
            ++i;
            if (b0 == 12) {
                if (i >= d.size())
                    return false;
                e.op = 1200 + quint8(d[i++]);
            }
            out.push_back(std::move(e));
            e = DictEntry();
            continue;
        }
        qint64 v = 0;
        if (b0 == 28 && i + 3 <= d.size()) {
            v = qint16(be16(d, i + 1));
            i += 3;
        } else if (b0 == 29 && i + 5 <= d.size()) {
            v = qint32(be32(d, i + 1));
            i += 5;
        } else if (b0 == 30) {
            ++i;
            for (bool end = false; !end; ++i) {
                if (i >= d.size())
                    return false;
                const int b = quint8(d[i]);
                end = (b & 0x0F) == 0x0F || (b >> 4) == 0x0F;
            }
        } else if (b0 >= 32 && b0 <= 246) {
            v = b0 - 139;
            ++i;
        } else if (b0 >= 247 && b0 <= 250 && i + 2 <= d.size()) {
            v = (b0 - 247) * 256 + quint8(d[i + 1]) + 108;
            i += 2;
        } else if (b0 >= 251 && b0 <= 254 && i + 2 <= d.size()) {
            v = -(b0 - 251) * 256 - quint8(d[i + 1]) - 108;
            i += 2;
        } else {
            return false;
        }
        e.operands += d.mid(from, i - from);
        e.values.push_back(v);
    }
    return e.operands.isEmpty(); // operands without an operator at the end: malformed
}

const DictEntry* find(const std::vector<DictEntry>& dict, int op) {
    for (const DictEntry& e : dict)
        if (e.op == op)
            return &e;
    return nullptr;
}

qint64 value(const std::vector<DictEntry>& dict, int op, int at = 0, qint64 otherwise = -1) {
    const DictEntry* e = find(dict, op);
    return e && at < int(e->values.size()) ? e->values[at] : otherwise;
}

// A DICT written back; the operands of the operators in replaced become the given numbers, each
// in the five-byte form, so that the DICT's size does not depend on them.
QByteArray writeDict(const std::vector<DictEntry>& dict, const std::map<int, std::vector<qint64>>& replaced) {
    QByteArray out;
    for (const DictEntry& e : dict) {
        auto it = replaced.find(e.op);
        if (it == replaced.end()) {
            out += e.operands;
        } else {
            for (qint64 v : it->second) {
                out += char(29);
                append32(out, quint32(qint32(v)));
            }
        }
        if (e.op >= 1200) {
            out += char(12);
            out += char(e.op - 1200);
        } else {
            out += char(e.op);
        }
    }
    return out;
}

// The length of the charset at the given offset, for glyphCount glyphs; -1 when malformed.
qsizetype charsetLength(const QByteArray& t, qsizetype at, int glyphCount) {
    if (at >= t.size())
        return -1;
    const int format = quint8(t[at]);
    if (format == 0)
        return 1 + 2 * qsizetype(glyphCount - 1);
    if (format != 1 && format != 2)
        return -1;
    const int rangeSize = format == 1 ? 3 : 4;
    qsizetype p = at + 1;
    for (int covered = 1; covered < glyphCount;) {
        if (p + rangeSize > t.size())
            return -1;
        const int left = format == 1 ? quint8(t[p + 2]) : be16(t, p + 2);
        covered += left + 1;
        p += rangeSize;
    }
    return p - at;
}

// The CID of every glyph of a CID-keyed font, from its charset.
std::vector<quint16> glyphCids(const QByteArray& t, qsizetype at, int glyphCount) {
    std::vector<quint16> cids(glyphCount, 0);
    const int format = quint8(t[at]);
    qsizetype p = at + 1;
    if (format == 0) {
        for (int g = 1; g < glyphCount; ++g, p += 2)
            cids[g] = be16(t, p);
        return cids;
    }
    for (int g = 1; g < glyphCount;) {
        const quint16 first = be16(t, p);
        const int left = format == 1 ? quint8(t[p + 2]) : be16(t, p + 2);
        for (int k = 0; k <= left && g < glyphCount; ++k)
            cids[g++] = quint16(first + k);
        p += format == 1 ? 3 : 4;
    }
    return cids;
}

qsizetype encodingLength(const QByteArray& t, qsizetype at) {
    if (at + 2 > t.size())
        return -1;
    const int format = quint8(t[at]);
    qsizetype length = (format & 0x7F) == 0   ? 2 + quint8(t[at + 1])
                       : (format & 0x7F) == 1 ? 2 + 2 * qsizetype(quint8(t[at + 1]))
                                              : -1;
    if (length < 0 || at + length > t.size())
        return -1;
    if (format & 0x80) { // supplements
        if (at + length >= t.size())
            return -1;
        length += 1 + 3 * qsizetype(quint8(t[at + length]));
    }
    return at + length <= t.size() ? length : -1;
}

qsizetype fdSelectLength(const QByteArray& t, qsizetype at, int glyphCount) {
    if (at >= t.size())
        return -1;
    const int format = quint8(t[at]);
    qsizetype length = format == 0   ? 1 + qsizetype(glyphCount)
                       : format == 3 ? 5 + 3 * qsizetype(be16(t, at + 1))
                                     : -1;
    return length > 0 && at + length <= t.size() ? length : -1;
}

// A private DICT and the local subroutines after it, as one block: the subroutines' offset
// counts from the DICT's start, so the block can move as a whole.
struct PrivateBlock {
    bool ok = false;
    QByteArray bytes;
    qint64 dictSize = 0;
};

PrivateBlock privateBlock(const QByteArray& t, qint64 size, qint64 offset) {
    PrivateBlock b;
    if (size < 0 || offset < 0 || offset + size > t.size())
        return b;
    std::vector<DictEntry> dict;
    if (!readDict(t.mid(offset, size), dict))
        return b;
    qsizetype end = offset + size;
    const qint64 subrs = value(dict, kSubrs);
    if (subrs >= 0) {
        if (subrs < size)
            return b; // subroutines inside the DICT: not a layout this code can move
        const Index local = readIndex(t, offset + subrs);
        if (!local.ok)
            return b;
        end = std::max(end, local.end);
    }
    b.bytes = t.mid(offset, end - offset);
    b.dictSize = size;
    b.ok = true;
    return b;
}

// A CFF table taken apart as far as subsetting needs it.
struct Font {
    bool ok = false;
    QByteArray table;
    QByteArray head; // header, name INDEX (copied as they are)
    std::vector<DictEntry> top;
    QByteArray strings;  // string and global subroutine INDEXes, copied as they are
    QByteArray charset;  // empty for a predefined one
    QByteArray encoding; // empty for a predefined one
    QByteArray fdSelect; // CID-keyed fonts only
    Index charStrings;
    std::vector<std::vector<DictEntry>> fontDicts; // CID-keyed fonts: the FDArray
    std::vector<PrivateBlock> privates;            // one, or one per font DICT
    bool cidKeyed = false;
    std::vector<quint16> cids; // CID-keyed fonts: the CID of every glyph

    int glyphCount() const { return charStrings.count(); }
};

Font parse(const QByteArray& t) {
    Font f;
    f.table = t;
    if (t.size() < 4 || quint8(t[0]) != 1)
        return f;
    const int headerSize = quint8(t[2]);
    const Index names = readIndex(t, headerSize);
    if (!names.ok)
        return f;
    const Index topDicts = readIndex(t, names.end);
    if (!topDicts.ok || topDicts.count() < 1)
        return f;
    const Index strings = readIndex(t, topDicts.end);
    if (!strings.ok)
        return f;
    const Index globalSubrs = readIndex(t, strings.end);
    if (!globalSubrs.ok)
        return f;
    if (!readDict(topDicts.item(t, 0), f.top))
        return f;
    f.head = t.left(names.end);
    f.strings = t.mid(strings.start, globalSubrs.end - strings.start);
    if (value(f.top, 1206, 0, 2) != 2) // CharstringType: only Type 2 programs are defined
        return f;
    f.charStrings = readIndex(t, value(f.top, kCharStrings));
    if (!f.charStrings.ok || f.glyphCount() < 1 || f.glyphCount() > 0xFFFF)
        return f;
    const int glyphs = f.glyphCount();
    const qint64 charset = value(f.top, kCharset, 0, 0);
    if (charset > 2) {
        const qsizetype n = charsetLength(t, charset, glyphs);
        if (n < 0)
            return f;
        f.charset = t.mid(charset, n);
    }
    f.cidKeyed = find(f.top, kROS) != nullptr;
    if (f.cidKeyed) {
        if (f.charset.isEmpty())
            return f;
        f.cids = glyphCids(t, charset, glyphs);
        const qint64 select = value(f.top, kFDSelect);
        const qsizetype n = fdSelectLength(t, select, glyphs);
        const Index fdArray = readIndex(t, value(f.top, kFDArray));
        if (n < 0 || !fdArray.ok || fdArray.count() < 1)
            return f;
        f.fdSelect = t.mid(select, n);
        for (int i = 0; i < fdArray.count(); ++i) {
            std::vector<DictEntry> dict;
            if (!readDict(fdArray.item(t, i), dict))
                return f;
            PrivateBlock b = privateBlock(t, value(dict, kPrivate, 0), value(dict, kPrivate, 1));
            if (!b.ok)
                return f;
            f.fontDicts.push_back(std::move(dict));
            f.privates.push_back(std::move(b));
        }
    } else {
        const qint64 encoding = value(f.top, kEncoding, 0, 0);
        if (encoding > 1) {
            const qsizetype n = encodingLength(t, encoding);
            if (n < 0)
                return f;
            f.encoding = t.mid(encoding, n);
        }
        PrivateBlock b = privateBlock(t, value(f.top, kPrivate, 0), value(f.top, kPrivate, 1));
        if (!b.ok)
            return f;
        f.privates.push_back(std::move(b));
    }
    f.ok = true;
    return f;
}

// The table with the programs of the kept glyphs only; every other glyph draws nothing.
QByteArray subset(const Font& f, const std::set<int>& keep) {
    std::vector<QByteArray> programs;
    programs.reserve(f.glyphCount());
    for (int g = 0; g < f.glyphCount(); ++g)
        programs.push_back(keep.count(g) ? f.charStrings.item(f.table, g)
                                         : QByteArray(1, char(14))); // endchar
    const QByteArray charStrings = writeIndex(programs);

    // The top DICT's size does not depend on the offsets written into it, so it is laid out once
    // with zeros to find where everything after it lands.
    auto topDict = [&](qint64 charset, qint64 encoding, qint64 fdSelect, qint64 strings, qint64 fdArray,
                       qint64 privateAt) {
        std::map<int, std::vector<qint64>> replaced{{kCharStrings, {strings}}};
        if (!f.charset.isEmpty())
            replaced[kCharset] = {charset};
        if (f.cidKeyed) {
            replaced[kFDSelect] = {fdSelect};
            replaced[kFDArray] = {fdArray};
        } else {
            if (!f.encoding.isEmpty())
                replaced[kEncoding] = {encoding};
            replaced[kPrivate] = {f.privates[0].dictSize, privateAt};
        }
        return writeIndex({writeDict(f.top, replaced)});
    };
    auto fdArray = [&](const std::vector<qint64>& privateAt) {
        std::vector<QByteArray> dicts;
        for (size_t i = 0; i < f.fontDicts.size(); ++i)
            dicts.push_back(writeDict(f.fontDicts[i], {{kPrivate, {f.privates[i].dictSize, privateAt[i]}}}));
        return writeIndex(dicts);
    };

    const qint64 topAt = f.head.size();
    qint64 at = topAt + topDict(0, 0, 0, 0, 0, 0).size() + f.strings.size();
    const qint64 charsetAt = at;
    at += f.charset.size();
    const qint64 encodingAt = at;
    at += f.encoding.size();
    const qint64 fdSelectAt = at;
    at += f.fdSelect.size();
    const qint64 charStringsAt = at;
    at += charStrings.size();
    const qint64 fdArrayAt = at;
    if (f.cidKeyed)
        at += fdArray(std::vector<qint64>(f.fontDicts.size(), 0)).size();
    std::vector<qint64> privateAt;
    for (const PrivateBlock& b : f.privates) {
        privateAt.push_back(at);
        at += b.bytes.size();
    }

    QByteArray out = f.head;
    out += topDict(charsetAt, encodingAt, fdSelectAt, charStringsAt, fdArrayAt, privateAt[0]);
    out += f.strings;
    out += f.charset;
    out += f.encoding;
    out += f.fdSelect;
    out += charStrings;
    if (f.cidKeyed)
        out += fdArray(privateAt);
    for (const PrivateBlock& b : f.privates)
        out += b.bytes;
    return out;
}

} // namespace cff

// The face of raw (the same family, weight and slant) from an OpenType or TrueType file, as
// the platform lists the installed files; an invalid font when there is none.
QRawFont sfntTwin(const QRawFont& raw) {
    const QString file = installedFaceFile(raw.familyName(), raw.weight(), raw.style() == QFont::StyleNormal);
    if (file.isEmpty())
        return {};
    QRawFont twin(file, kEm);
    return twin.isValid() && twin.familyName() == raw.familyName() ? twin : QRawFont();
}

// One font family and style as embedded in the document.
struct EmbeddedFont {
    QRawFont raw; // at 1000 pixels, so that advances come out in thousandths of the em
    // How the glyphs are drawn: TrueType outlines are embedded as a TrueType font, PostScript
    // outlines (an OpenType font with a CFF table) as a CFF font; anything else cannot be.
    enum class Outlines { None, TrueType, Cff };
    Outlines outlines = Outlines::None;
    std::unique_ptr<cff::Font> cff;
    bool usable = false;
    QString family;
    bool bold = false;
    bool italic = false;
    QByteArray resource; // "F1"
    int object = 0;      // the Type0 font; reserved when the font is first used
    struct Glyph {
        quint16 id;
        quint16 code; // as written in the text strings: the glyph id, or the CID of a CID-keyed CFF font
        double width;
    };
    QHash<char32_t, Glyph> glyphs;
    std::map<quint16, char32_t> used; // glyph id -> the character it shows

    // Finds out how the glyphs of raw are drawn and whether they can be embedded.
    void takeOutlines() {
        outlines = Outlines::None;
        cff.reset();
        if (!raw.isValid() || raw.fontTable("head").size() < 54)
            return;
        if (!raw.fontTable("glyf").isEmpty() && !raw.fontTable("loca").isEmpty() &&
            raw.fontTable("maxp").size() >= 6) {
            outlines = Outlines::TrueType;
        } else if (const QByteArray table = raw.fontTable("CFF "); !table.isEmpty()) {
            cff = std::make_unique<cff::Font>(cff::parse(table));
            if (cff->ok)
                outlines = Outlines::Cff;
        }
    }
    bool missing = false; // some text asked for a character the font lacks

    // The glyphs of the first characters (Latin, Cyrillic), looked up without hashing.
    static constexpr char32_t kDirect = 0x500;
    std::vector<Glyph> direct = std::vector<Glyph>(kDirect);
    std::vector<bool> directKnown = std::vector<bool>(kDirect);

    Glyph glyphFor(char32_t c) {
        if (c < kDirect && directKnown[c])
            return direct[c];
        auto it = glyphs.constFind(c);
        if (it != glyphs.constEnd())
            return *it;
        const QList<quint32> ids = raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
        Glyph g{quint16(ids.value(0)), 0, 0};
        g.code = cff && cff->cidKeyed && g.id < cff->cids.size() ? cff->cids[g.id] : g.id;
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
        if (c < kDirect) {
            direct[c] = g;
            directKnown[c] = true;
        }
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
            appendHex4(hex, g.code);
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

    QByteArray textBody, textHex; // scratch of addText

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
        f->takeOutlines();
        if (f->outlines == EmbeddedFont::Outlines::None && f->raw.isValid()) {
            // Qt may have given the face from a Type 1 file while the same face is installed as
            // an OpenType or TrueType file too (fonts-urw-base35 installs Nimbus Sans both ways).
            const QRawFont twin = sfntTwin(f->raw);
            if (twin.isValid()) {
                f->raw = twin;
                f->takeOutlines();
            }
        }
        f->usable = f->outlines != EmbeddedFont::Outlines::None;
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
        } else if (item.text.contains(u'\n') || item.text.contains(u'\r')) {
            single = item.text;
            single.replace(u'\n', u' ').replace(u'\r', u' ');
            lines.append(single);
        } else {
            lines.append(item.text); // the common case: no copy
        }
        const double ascent = f->raw.ascent() * scale;
        const double lineHeight = (f->raw.ascent() + f->raw.descent()) * scale;
        const double blockHeight = lines.size() * lineHeight;
        double top = box.top();
        if (item.alignment & Qt::AlignBottom)
            top = box.bottom() - blockHeight;
        else if (item.alignment & Qt::AlignVCenter)
            top = box.top() + (box.height() - blockHeight) / 2;

        QByteArray& body = textBody; // kept between texts, so that its memory is reused
        body.clear();
        bool overflows = blockHeight > box.height() + 0.01;
        for (int i = 0; i < lines.size(); ++i) {
            QByteArray& hex = textHex;
            hex.clear();
            const double width = f->encode(lines[i], hex) * scale;
            overflows = overflows || width > box.width() + 0.01;
            double x = box.left();
            if (item.alignment & Qt::AlignRight)
                x = box.right() - width;
            else if (item.alignment & Qt::AlignHCenter)
                x = box.left() + (box.width() - width) / 2;
            const double baseline = top + i * lineHeight + ascent;
            body += "BT /";
            body += f->resource;
            body += ' ';
            appendNumber(body, size);
            body += " Tf 1 0 0 1 ";
            appendNumber(body, x);
            body += ' ';
            appendNumber(body, pageSizePt.height() - baseline);
            body += " Tm <";
            body += hex;
            body += "> Tj ET\n";
        }
        const QColor color = item.color.isValid() ? item.color : QColor(Qt::black);
        if (overflows) {
            // Text that does not fit is cut at its box's edge, as on the screen.
            c += "q ";
            appendRect(c, item.rect);
            c += " re W n\n";
            appendColor(c, color);
            c += " rg\n";
            c += body;
            c += "Q\n";
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

        const bool trueType = f.outlines == EmbeddedFont::Outlines::TrueType;
        // The codes in the text strings, with the glyph and character of each, in the order of the codes.
        std::map<quint16, std::pair<quint16, char32_t>> codes;
        for (const auto& [g, c] : f.used)
            codes.emplace(f.glyphFor(c).code, std::pair(g, c));
        QByteArray widths = "[";
        for (const auto& [code, glyph] : codes) {
            widths += QByteArray::number(code) + " [";
            appendNumber(widths, f.glyphFor(glyph.second).width);
            widths += "] ";
        }
        widths += ']';
        // A CFF font's glyphs are found by CID, through the font's own charset when it is
        // CID-keyed, and by glyph id otherwise; a TrueType font's by glyph id.
        object(descendant, "<< /Type /Font /Subtype /" +
                               QByteArray(trueType ? "CIDFontType2" : "CIDFontType0") + " /BaseFont /" +
                               name +
                               " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
                               " /FontDescriptor " +
                               QByteArray::number(descriptor) + " 0 R /DW 1000 /W " + widths +
                               (trueType ? " /CIDToGIDMap /Identity >>" : " >>"));

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
        descriptorDict += " /StemV 80 /" + QByteArray(trueType ? "FontFile2 " : "FontFile3 ") +
                          QByteArray::number(file) + " 0 R >>";
        object(descriptor, descriptorDict);

        if (trueType) {
            const QByteArray program = subsetFont(f.raw, f.used);
            stream(file, " /Length1 " + QByteArray::number(program.size()), program);
        } else {
            std::set<int> keep{0};
            for (const auto& [g, c] : f.used)
                keep.insert(g);
            stream(file, " /Subtype /CIDFontType0C", cff::subset(*f.cff, keep));
        }

        QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                          "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                          "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                          "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
        std::vector<std::pair<quint16, char32_t>> entries;
        for (const auto& [code, glyph] : codes)
            entries.emplace_back(code, glyph.second);
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
