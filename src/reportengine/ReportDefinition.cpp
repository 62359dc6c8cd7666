// A report declared as data: helpers that build bands and elements.
#include "reportengine/ReportDefinition.h"

namespace reportengine {

ReportElement label(const QString& text, const QRectF& mm, Qt::Alignment alignment) {
    ReportElement e;
    e.kind = ReportElement::Kind::Label;
    e.text = text;
    e.geometry = mm;
    e.alignment = alignment;
    return e;
}

ReportElement field(const QString& expression, const QRectF& mm, const QString& mask,
                    Qt::Alignment alignment) {
    ReportElement e;
    e.kind = ReportElement::Kind::Field;
    e.text = expression;
    e.geometry = mm;
    e.mask = mask;
    e.alignment = alignment;
    return e;
}

namespace {

ReportElement* findIn(std::optional<ReportBand>& band, const QString& name);

ReportElement* findIn(ReportBand& band, const QString& name) {
    for (ReportElement& e : band.elements)
        if (e.name == name)
            return &e;
    for (ReportBand& child : band.children)
        if (ReportElement* e = findIn(child, name))
            return e;
    return nullptr;
}

ReportElement* findIn(std::optional<ReportBand>& band, const QString& name) {
    return band ? findIn(*band, name) : nullptr;
}

} // namespace

ReportElement* ReportDefinition::findElement(const QString& name) {
    for (auto* band : {&pageHeader, &titleBand, &columnHeader})
        if (ReportElement* e = findIn(*band, name))
            return e;
    for (ReportGroup& group : groups)
        if (ReportElement* e = findIn(group.header, name))
            return e;
    if (ReportElement* e = findIn(detail, name))
        return e;
    for (auto it = groups.rbegin(); it != groups.rend(); ++it)
        if (ReportElement* e = findIn(it->footer, name))
            return e;
    for (auto* band : {&summary, &pageFooter})
        if (ReportElement* e = findIn(*band, name))
            return e;
    return nullptr;
}

bool ReportDefinition::setText(const QString& name, const QString& text) {
    ReportElement* e = findElement(name);
    if (!e)
        return false;
    e->text = text;
    return true;
}

} // namespace reportengine
