#include "ReportPainter.h"

#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace reportengine {

void paintPage(QPainter& painter, const ReportPage& page, double pxPerMm, QPointF origin) {
    auto px = [&](const QRectF& r) {
        return QRectF(origin.x() + r.x() * pxPerMm, origin.y() + r.y() * pxPerMm, r.width() * pxPerMm,
                      r.height() * pxPerMm);
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QFont currentFont;
    bool haveFont = false;
    for (const ReportItem& item : page.items) {
        switch (item.kind) {
        case ReportItem::Kind::Fill:
            painter.fillRect(px(item.rect), item.color);
            break;
        case ReportItem::Kind::Text: {
            const QFont font = itemFont(item);
            if (!haveFont || font != currentFont) {
                painter.setFont(font);
                currentFont = font;
                haveFont = true;
            }
            painter.setPen(item.color.isValid() ? item.color : QColor(Qt::black));
            const int flags = int(item.alignment) | (item.wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
            // drawText clips to the box: text that does not fit is cut at the box's edge.
            painter.drawText(px(item.rect), flags, item.text);
            break;
        }
        case ReportItem::Kind::Line: {
            QPen pen(item.color.isValid() ? item.color : QColor(Qt::black));
            pen.setWidthF(std::max(1.0, item.lineWidthMm * pxPerMm));
            pen.setCapStyle(Qt::SquareCap);
            painter.setPen(pen);
            painter.drawLine(QLineF(origin + item.line.p1() * pxPerMm, origin + item.line.p2() * pxPerMm));
            break;
        }
        }
    }
    painter.restore();
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
    const double pxPerMm = device.logicalDpiX() / 25.4;
    for (int p = firstPage; p <= lastPage; ++p) {
        if (p > firstPage && !device.newPage()) {
            painter.end();
            return false;
        }
        paintPage(painter, pages.pages[p - 1], pxPerMm);
    }
    return painter.end();
}

bool writeReportPdf(const ReportPages& pages, const QString& fileName, QString* error) {
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("Не удалось записать файл \"%1\": %2").arg(fileName, why);
        return false;
    };
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setTitle(pages.title);
        writer.setCreator(QStringLiteral("tabel"));
        writer.setResolution(1200);
        if (!paintReport(pages, writer))
            return fail(QStringLiteral("ошибка вывода PDF"));
    }
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

bool writeReportPdf(const ReportDefinition& report, const ReportDataSource& data, const QString& fileName,
                    QString* error) {
    return writeReportPdf(layoutReport(report, data), fileName, error);
}

} // namespace reportengine
