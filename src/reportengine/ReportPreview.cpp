// Preview window of a laid-out report: pages on screen, printing, saving as PDF.
#include "reportengine/ReportPreview.h"

#include "data/Sql.h"

#include "reportengine/ReportPainter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace reportengine {

namespace {
constexpr int kGap = 12; // pixels around and between pages
constexpr int kMaxCachedPages = 12;
} // namespace

ReportPageView::ReportPageView(const PageSource& source, QWidget* parent)
    : QAbstractScrollArea(parent), m_source(source) {
    setFocusPolicy(Qt::StrongFocus);
    updateScale();
}

void ReportPageView::setZoom(PreviewZoom zoom) {
    m_zoom = zoom;
    updateScale();
}

QSize ReportPageView::pagePixels() const {
    return QSize(qRound(pages().pageSizeMm.width() * m_pxPerMm),
                 qRound(pages().pageSizeMm.height() * m_pxPerMm));
}

int ReportPageView::pageStep() const {
    return pagePixels().height() + kGap;
}

void ReportPageView::updateScale() {
    const QSizeF mm = pages().pageSizeMm.isEmpty() ? QSizeF(210, 297) : pages().pageSizeMm;
    const QSize area = viewport()->size();
    const double byWidth = std::max(1, area.width() - 2 * kGap) / mm.width();
    const double byHeight = std::max(1, area.height() - 2 * kGap) / mm.height();
    const double scale = m_zoom == PreviewZoom::PageWidth ? byWidth : std::min(byWidth, byHeight);
    const int page = currentPage();
    if (std::abs(scale - m_pxPerMm) > 1e-9) {
        m_pxPerMm = scale;
        m_cache.clear();
    }
    updateScrollRange();
    showPage(page);
    viewport()->update();
}

void ReportPageView::updateScrollRange() {
    const QSize area = viewport()->size();
    const QSize size = pagePixels();
    const int contentHeight = pageCount() * pageStep() + kGap;
    const int contentWidth = size.width() + 2 * kGap;
    verticalScrollBar()->setRange(0, std::max(0, contentHeight - area.height()));
    verticalScrollBar()->setPageStep(area.height());
    verticalScrollBar()->setSingleStep(std::max(1, area.height() / 20));
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth - area.width()));
    horizontalScrollBar()->setPageStep(area.width());
}

void ReportPageView::pagesAdded() {
    updateScrollRange();
    viewport()->update();
}

int ReportPageView::currentPage() const {
    if (pageCount() == 0)
        return 0;
    // Scrolled to the end, the last page is in sight even when its top cannot reach the top of
    // the view (several pages fit in the window).
    const QScrollBar* bar = verticalScrollBar();
    if (bar->maximum() > 0 && bar->value() == bar->maximum())
        return pageCount();
    const int step = std::max(1, pageStep());
    return std::clamp((verticalScrollBar()->value() + step / 3) / step + 1, 1, pageCount());
}

void ReportPageView::showPage(int page) {
    if (page >= 1)
        verticalScrollBar()->setValue((page - 1) * pageStep());
}

void ReportPageView::scrollContentsBy(int, int) {
    viewport()->update();
    emit currentPageChanged(currentPage());
}

void ReportPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScale();
}

const QImage& ReportPageView::pageImage(int index) {
    auto it = m_cache.find(index);
    if (it != m_cache.end())
        return *it;
    if (m_cache.size() >= kMaxCachedPages)
        m_cache.clear();
    QImage image(pagePixels(), QImage::Format_RGB32);
    image.fill(Qt::white);
    // The image's resolution makes point sizes come out at the zoom's scale.
    const int dotsPerMeter = qRound(m_pxPerMm * 1000);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        paintPage(painter, pages().pages[index], m_pxPerMm);
    }
    return *m_cache.insert(index, image);
}

void ReportPageView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), QColor(128, 128, 128));
    const QSize size = pagePixels();
    const int left =
        std::max(kGap, (viewport()->width() - size.width()) / 2) - horizontalScrollBar()->value();
    const int top = kGap - verticalScrollBar()->value();
    const int step = pageStep();
    const QRect dirty = event->rect();
    const int first = std::max(0, (dirty.top() - top) / step);
    for (int i = first; i < pageCount(); ++i) {
        const QRect target(left, top + i * step, size.width(), size.height());
        if (target.top() > dirty.bottom())
            break;
        if (!target.intersects(dirty))
            continue;
        painter.fillRect(target.translated(3, 3), QColor(64, 64, 64)); // shadow
        painter.drawImage(target.topLeft(), pageImage(i));
    }
}

ReportPreviewDialog::Hooks& ReportPreviewDialog::hooks() {
    static Hooks h{
        [](QWidget* parent, const QString& suggested) {
            return QFileDialog::getSaveFileName(parent, QStringLiteral("Сохранить в PDF"), suggested,
                                                QStringLiteral("PDF (*.pdf)"));
        },
        [](QPrinter& printer, QWidget* parent) {
            QPrintDialog dialog(&printer, parent);
            dialog.setWindowTitle(QStringLiteral("Печать"));
            return dialog.exec() == QDialog::Accepted;
        },
        [](QWidget* parent, const QString& message) {
            QMessageBox::critical(parent, QStringLiteral("Ошибка"), message);
        },
    };
    return h;
}

ReportPreviewDialog::ReportPreviewDialog(ReportPages pages, PreviewZoom zoom, QWidget* parent)
    : ReportPreviewDialog(std::make_unique<FixedPages>(std::move(pages)), zoom, parent) {}

ReportPreviewDialog::ReportPreviewDialog(std::unique_ptr<PageSource> source, PreviewZoom zoom,
                                         QWidget* parent)
    : QDialog(parent), m_source(std::move(source)) {
    const QString title = m_source->pages().title;
    setWindowTitle(title.isEmpty() ? QStringLiteral("Предварительный просмотр")
                                   : QStringLiteral("Предварительный просмотр: %1").arg(title));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    setSizeGripEnabled(true);

    auto* printButton = new QPushButton(QStringLiteral("Печать"), this);
    printButton->setObjectName(QStringLiteral("printButton"));
    auto* pdfButton = new QPushButton(QStringLiteral("Сохранить в PDF"), this);
    pdfButton->setObjectName(QStringLiteral("pdfButton"));
    auto* widthButton = new QPushButton(QStringLiteral("По ширине"), this);
    widthButton->setObjectName(QStringLiteral("pageWidthButton"));
    auto* wholeButton = new QPushButton(QStringLiteral("Страница целиком"), this);
    wholeButton->setObjectName(QStringLiteral("wholePageButton"));
    auto* closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("pageLabel"));
    auto navigationButton = [this](const char* name, const QString& caption, const QString& tip) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        b->setFixedWidth(32);
        return b;
    };
    auto* firstButton = navigationButton("firstPageButton", QStringLiteral("|<"),
                                         QStringLiteral("Первая страница (Ctrl+Home)"));
    auto* previousButton = navigationButton("previousPageButton", QStringLiteral("<"),
                                            QStringLiteral("Предыдущая страница (PgUp)"));
    auto* nextButton =
        navigationButton("nextPageButton", QStringLiteral(">"), QStringLiteral("Следующая страница (PgDn)"));
    auto* lastButton = navigationButton("lastPageButton", QStringLiteral(">|"),
                                        QStringLiteral("Последняя страница (Ctrl+End)"));
    m_pageNumberEdit = new QLineEdit(this);
    m_pageNumberEdit->setObjectName(QStringLiteral("pageNumberEdit"));
    m_pageNumberEdit->setToolTip(QStringLiteral("Номер страницы: введите и нажмите Enter"));
    m_pageNumberEdit->setValidator(new QIntValidator(1, 999999, m_pageNumberEdit));
    m_pageNumberEdit->setFixedWidth(56);
    m_pageNumberEdit->setAlignment(Qt::AlignRight);
    for (QPushButton* b : {printButton, pdfButton, widthButton, wholeButton, closeButton, firstButton,
                           previousButton, nextButton, lastButton})
        b->setAutoDefault(false);

    m_view = new ReportPageView(*m_source, this);
    m_view->setZoom(zoom);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printButton);
    buttons->addWidget(pdfButton);
    buttons->addSpacing(16);
    buttons->addWidget(widthButton);
    buttons->addWidget(wholeButton);
    buttons->addSpacing(16);
    buttons->addWidget(firstButton);
    buttons->addWidget(previousButton);
    buttons->addWidget(m_pageNumberEdit);
    buttons->addWidget(nextButton);
    buttons->addWidget(lastButton);
    buttons->addSpacing(8);
    buttons->addWidget(m_pageLabel);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(m_view, 1);

    connect(printButton, &QPushButton::clicked, this, [this] { print(); });
    connect(pdfButton, &QPushButton::clicked, this, [this] { saveAsPdf(); });
    connect(widthButton, &QPushButton::clicked, this, [this] { m_view->setZoom(PreviewZoom::PageWidth); });
    connect(wholeButton, &QPushButton::clicked, this, [this] { m_view->setZoom(PreviewZoom::WholePage); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_view, &ReportPageView::currentPageChanged, this, &ReportPreviewDialog::updatePageLabel);
    connect(firstButton, &QPushButton::clicked, this, &ReportPreviewDialog::showFirstPage);
    connect(previousButton, &QPushButton::clicked, this, &ReportPreviewDialog::showPreviousPage);
    connect(nextButton, &QPushButton::clicked, this, &ReportPreviewDialog::showNextPage);
    connect(lastButton, &QPushButton::clicked, this, &ReportPreviewDialog::showLastPage);
    connect(m_pageNumberEdit, &QLineEdit::returnPressed, this,
            [this] { showPage(m_pageNumberEdit->text().toInt()); });
    // The page keys work wherever the focus is in the window, without a click into the pages.
    const std::pair<QKeySequence, void (ReportPreviewDialog::*)()> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Home), &ReportPreviewDialog::showFirstPage},
        {QKeySequence(Qt::CTRL | Qt::Key_End), &ReportPreviewDialog::showLastPage},
        {QKeySequence(Qt::Key_PageUp), &ReportPreviewDialog::showPreviousPage},
        {QKeySequence(Qt::Key_PageDown), &ReportPreviewDialog::showNextPage}};
    for (const auto& [key, move] : keys) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, move);
    }
    updatePageLabel(m_view->currentPage());

    resize(900, 700);
    setWindowState(Qt::WindowMaximized);

    // The rest of the report is laid out in short slices between the window's own events.
    m_loader = new QTimer(this);
    m_loader->setInterval(0);
    connect(m_loader, &QTimer::timeout, this, &ReportPreviewDialog::loadMore);
    if (!m_source->isDone())
        m_loader->start();
}

void ReportPreviewDialog::loadMore() {
    const int before = m_source->readyPages();
    try {
        m_source->more();
    } catch (const std::exception& e) {
        // The report stops here: what is laid out stays in sight, and the cause is shown here, as
        // no exception may leave a slot that Qt's timer calls.
        markInterrupted();
        const auto* dbError = dynamic_cast<const DbError*>(&e);
        showError(QStringLiteral("Отчет прерван: его строки перестали поступать.\n\n") +
                  (dbError ? dbError->message : QString::fromUtf8(e.what())));
        return;
    } catch (...) {
        markInterrupted();
        showError(QStringLiteral("Отчет прерван: его строки перестали поступать."));
        return;
    }
    if (m_source->isDone())
        m_loader->stop();
    if (m_source->readyPages() != before || m_source->isDone()) {
        m_view->pagesAdded();
        updatePageLabel(m_view->currentPage());
    }
}

void ReportPreviewDialog::markInterrupted() {
    m_interrupted = true;
    m_loader->stop();
    m_view->pagesAdded();
    updatePageLabel(m_view->currentPage());
}

bool ReportPreviewDialog::refuseIfInterrupted() {
    if (!m_interrupted)
        return false;
    showError(QStringLiteral("Отчет прерван: прочитаны не все его строки, итоги неверны. Такой отчет нельзя "
                             "напечатать или сохранить; откройте отчет заново."));
    return true;
}

void ReportPreviewDialog::finishLoading() {
    // An interrupted report is not laid out any further: its source would end it as if whole.
    if (m_source->isDone() || m_interrupted)
        return;
    m_loader->stop();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        ~Restore() { QGuiApplication::restoreOverrideCursor(); }
    } restore;
    try {
        m_source->finishAll();
    } catch (...) {
        markInterrupted();
        throw;
    }
    m_view->pagesAdded();
    updatePageLabel(m_view->currentPage());
}

const ReportPages& ReportPreviewDialog::pages() {
    finishLoading();
    return m_source->pages();
}

void ReportPreviewDialog::showPage(int page) {
    // A page beyond those laid out so far waits for the rest of the report.
    if (page > m_view->pageCount())
        finishLoading();
    page = std::clamp(page, 1, std::max(1, m_view->pageCount()));
    m_view->showPage(page);
    updatePageLabel(m_view->currentPage());
}

void ReportPreviewDialog::showFirstPage() {
    showPage(1);
}

void ReportPreviewDialog::showPreviousPage() {
    showPage(m_view->currentPage() - 1);
}

void ReportPreviewDialog::showNextPage() {
    showPage(m_view->currentPage() + 1);
}

void ReportPreviewDialog::showLastPage() {
    finishLoading();
    showPage(m_view->pageCount());
}

void ReportPreviewDialog::updatePageLabel(int page) {
    if (!m_pageNumberEdit->hasFocus())
        m_pageNumberEdit->setText(QString::number(page));
    // While the report is still being laid out the count is followed by an ellipsis.
    QString text = QStringLiteral("Страница %1 из %2").arg(page).arg(m_view->pageCount());
    if (m_interrupted)
        text += QStringLiteral(" — отчет прерван");
    else if (!m_source->isDone())
        text += QStringLiteral(" …");
    m_pageLabel->setText(text);
}

void ReportPreviewDialog::showError(const QString& message) {
    if (hooks().showError)
        hooks().showError(this, message);
}

bool ReportPreviewDialog::print() {
    const ReportPages& all = pages();
    if (refuseIfInterrupted())
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(all.title);
    printer.setPageOrientation(all.orientation);
    printer.setFromTo(1, all.pageCount());
    if (!hooks().choosePrinter || !hooks().choosePrinter(printer, this))
        return false;
    int first = 1;
    int last = all.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage();
        last = std::max(first, printer.toPage());
    }
    if (!paintReport(all, printer, first, last)) {
        showError(QStringLiteral("Не удалось напечатать отчет."));
        return false;
    }
    return true;
}

bool ReportPreviewDialog::saveAsPdf() {
    const ReportPages& all = pages();
    if (refuseIfInterrupted())
        return false;
    QString suggested = all.title.trimmed();
    suggested.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    // A title ending in a dot ("Декабрь 2026 г.") gets no second one before the suffix.
    while (suggested.endsWith(u'.'))
        suggested.chop(1);
    if (suggested.isEmpty())
        suggested = QStringLiteral("report");
    // In the documents folder, as the workbooks are (the home folder where there is none).
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString path = QDir(folder).filePath(suggested + QStringLiteral(".pdf"));
    QString fileName = hooks().chooseSaveFile ? hooks().chooseSaveFile(this, path) : QString();
    if (fileName.isEmpty())
        return false;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".pdf");
    QString error;
    if (!writeReportPdf(all, fileName, &error)) {
        showError(error);
        return false;
    }
    return true;
}

} // namespace reportengine
