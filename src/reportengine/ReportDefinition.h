// A report declared as data: page setup, bands, groups and the elements printed in each band.
// Positions and sizes are in millimetres; a band's elements are placed relative to the band's top
// left corner, which lies on the left page margin.
#pragma once

#include <QColor>
#include <QPageLayout>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

namespace reportengine {

struct ReportFont {
    QString family;       // empty: the report's font family
    double pointSize = 0; // 0: the report's point size
    bool bold = false;
    bool italic = false;
};

// Lines drawn along the sides of an element or a band.
struct Frame {
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    double widthMm = 0.2;

    bool any() const { return left || top || right || bottom; }
    static Frame all() { return {true, true, true, true}; }
    static Frame topBottom() { return {false, true, false, true}; }
    static Frame above() { return {false, true, false, false}; }
    static Frame below() { return {false, false, false, true}; }
};

struct ReportElement {
    enum class Kind {
        Label, // prints text as it is
        Field  // evaluates text as an expression for the current row and formats it with the mask
    };
    Kind kind = Kind::Label;
    QString name;    // lets the caller find the element, e.g. to set a title's text
    QString text;    // the label's text or the field's expression
    QRectF geometry; // millimetres, relative to the band
    QString mask;    // "#0.00", "#0.000", "#0"; empty: the value's default form
    ReportFont font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    Frame frame;
    QColor background;      // invalid: no shading
    bool wordWrap = false;  // wrap long text onto further lines; otherwise it is clipped to the box
    bool stretch = false;   // with word wrap: grow the box, and the band, until every line shows
    double paddingMm = 0.5; // space between the box and its text on the left and the right
};

// Convenience builders for the common cases; the result can be adjusted before use.
ReportElement label(const QString& text, const QRectF& mm,
                    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
ReportElement field(const QString& expression, const QRectF& mm, const QString& mask = {},
                    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

struct ReportBand {
    QString name; // shows up on the laid-out items; helps tests and debugging
    double heightMm = 5;
    std::vector<ReportElement> elements;
    Frame frame; // lines around the whole band, across the printable width
    QColor background;
    std::vector<ReportBand> children; // printed right after this band, each time it is printed
};

// A group starts a new instance whenever its expression's value changes between consecutive rows.
// A group without expression never changes: its header prints once before the first row and its
// footer once after the last one, also when there are no rows at all.
struct ReportGroup {
    QString expression;
    std::optional<ReportBand> header;
    std::optional<ReportBand> footer;
};

// Print order: page header (every page), title (first page), column header (every page),
// group headers (outer first), detail (each row), group footers (inner first), summary, and the
// page footer at the bottom of every page.
//
// SUM(expression) adds the expression over the rows printed since it was last reset. A SUM placed
// in a group footer, or in a child band of one, is reset after that footer has printed: a group
// subtotal. A SUM anywhere else is never reset: in the summary it is the grand total. A plain field
// in a group footer or the summary shows the value of the group's last row.
struct ReportDefinition {
    QString title; // document name for the printer and the PDF file
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    double marginMm = 10; // on all four sides of an A4 sheet
    ReportFont font{QStringLiteral("Arial"), 9};
    QString decimalPoint = QStringLiteral(".");

    std::optional<ReportBand> pageHeader;
    std::optional<ReportBand> titleBand;
    std::optional<ReportBand> columnHeader;
    std::vector<ReportGroup> groups; // outer first
    std::optional<ReportBand> detail;
    std::optional<ReportBand> summary;
    std::optional<ReportBand> pageFooter;

    // The first element with this name in any band, or nullptr.
    ReportElement* findElement(const QString& name);
    // Sets the text of the named element; false when there is none.
    bool setText(const QString& name, const QString& text);
};

} // namespace reportengine
