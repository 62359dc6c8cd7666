// Common part of the printed layouts and the look they share.
#include "reports/ReportLayoutBase.h"

#include "data/Database.h"
#include "data/Format.h"
#include "reportengine/ReportPainter.h"
#include "ui/Seams.h"

using namespace reportengine;

ReportLayoutBase::ReportLayoutBase(Database& db, const QString& queryName, const QString& sql,
                                   ReportDefinition report, PreviewZoom previewZoom, QObject* parent)
    : QObject(parent), m_query(db.connection().name()), m_report(std::move(report)),
      m_previewZoom(previewZoom) {
    m_query.setObjectName(queryName);
    m_query.setSql(sql);
}

void ReportLayoutBase::setTitle(const QString& text) {
    m_report.setText(reportstyle::kTitleLabel, text);
}

bool ReportLayoutBase::setLabelText(const QString& name, const QString& text) {
    return m_report.setText(name, text);
}

QString ReportLayoutBase::title() const {
    // The engine looks elements up on a changeable definition only; the lookup changes nothing.
    const ReportElement* e = const_cast<ReportDefinition&>(m_report).findElement(reportstyle::kTitleLabel);
    return e ? e->text : QString();
}

ReportDefinition ReportLayoutBase::definition() const {
    ReportDefinition report = m_report;
    report.title = title().trimmed();
    // Numbers print with the separator the screen shows (the comma of a Russian workstation).
    report.decimalPoint = QString(localeDecimal());
    return report;
}

ReportPages ReportLayoutBase::prepare() {
    const ReportQuery::Source rows = m_query.source();
    return layoutReport(definition(), rows);
}

void ReportLayoutBase::preview(QWidget* parent) {
    showReportPreview(prepare(), m_previewZoom, parent);
}

bool ReportLayoutBase::writePdf(const QString& fileName, QString* error) {
    return writeReportPdf(prepare(), fileName, error);
}

void showReportPreview(ReportPages pages, PreviewZoom zoom, QWidget* parent) {
    showReportPreview(std::make_unique<FixedPages>(std::move(pages)), zoom, parent);
}

void showReportPreview(std::unique_ptr<PageSource> pages, PreviewZoom zoom, QWidget* parent) {
    // The preview's own error boxes (printing, saving) look like every other box of the program.
    ReportPreviewDialog::hooks().showError = [](QWidget*, const QString& message) {
        seams::errorBox(message);
    };
    ReportPreviewDialog dialog(std::move(pages), zoom, parent);
    seams::showModal(&dialog);
}

namespace reportstyle {

QColor reportHeaderShade() {
    return QColor(0xF2, 0xF2, 0xF2);
}
QColor groupHeaderShade() {
    return QColor(0xDC, 0xDC, 0xDC);
}
QColor totalShade() {
    return QColor(0xE4, 0xE4, 0xE4);
}

ReportFont bold(double pt) {
    return ReportFont{QString(), pt, true, false};
}

ReportFont regular(double pt) {
    return ReportFont{QString(), pt, false, false};
}

ReportElement text(const QString& t, double x, double y, double width, double pt, bool boldFont,
                   Qt::Alignment align) {
    ReportElement e = label(t, QRectF(x, y, width, kRowMm), align);
    e.font = boldFont ? bold(pt) : regular(pt);
    return e;
}

ReportElement number(const QString& expression, double x, double y, double width, const QString& mask,
                     double pt, bool boldFont) {
    ReportElement e = field(expression, QRectF(x, y, width, kRowMm), mask, Qt::AlignRight | Qt::AlignVCenter);
    e.font = boldFont ? bold(pt) : regular(pt);
    return e;
}

ReportElement value(const QString& expression, double x, double y, double width, double pt, bool boldFont) {
    ReportElement e = field(expression, QRectF(x, y, width, kRowMm));
    e.font = boldFont ? bold(pt) : regular(pt);
    return e;
}

ReportElement total(const QString& expression, double x, double y, double width, const QString& mask) {
    ReportElement e = number(expression, x, y, width, mask, kDetailPt, true);
    e.background = totalShade();
    return e;
}

ReportBand reportHeader(double heightMm) {
    ReportBand band;
    band.name = QStringLiteral("reportHeader");
    band.heightMm = heightMm;
    band.background = reportHeaderShade();
    ReportElement title = label(QString(), QRectF(0, 1, kPortraitWidthMm, 6.5));
    title.name = kTitleLabel;
    title.font = bold(kTitlePt);
    band.elements.push_back(title);
    ReportBand spacer;
    spacer.name = QStringLiteral("spacer");
    spacer.heightMm = 0.7;
    band.children.push_back(spacer);
    return band;
}

ReportBand pageFooter(double widthMm) {
    ReportBand band;
    band.name = QStringLiteral("pageFooter");
    band.heightMm = 6;
    ReportElement page = field(QStringLiteral("'Стр. ' + STR(PAGE())"), QRectF(widthMm - 40, 1, 40, kRowMm),
                               QString(), Qt::AlignRight | Qt::AlignVCenter);
    page.font = regular(kDetailPt);
    band.elements.push_back(page);
    return band;
}

} // namespace reportstyle
