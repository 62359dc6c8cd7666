// Preview window of a laid-out report: pages on screen, printing, saving as PDF.
#pragma once

#include "reportengine/ReportLayout.h"
#include "reportengine/ReportPageSource.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <QHash>
#include <QImage>

#include <functional>

class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QTimer;

namespace reportengine {

class ReportDataSource;

enum class PreviewZoom {
    PageWidth, // a page fills the window's width
    WholePage  // a whole page shows in the window
};

// The pages one below the other on a grey background. Only the pages in sight are painted, each
// into an image kept while the zoom stays the same, so even a long report opens at once. Pages
// that are still being laid out join the view as they become ready.
class ReportPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReportPageView(const PageSource& source, QWidget* parent = nullptr);

    // More pages are ready: the scroll range grows, the page in sight stays.
    void pagesAdded();
    int pageCount() const { return m_source.readyPages(); }

    void setZoom(PreviewZoom zoom);
    PreviewZoom zoom() const { return m_zoom; }
    double pxPerMm() const { return m_pxPerMm; }
    int currentPage() const; // 1-based: the page at the top of the view
    void showPage(int page);

signals:
    void currentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    const PageSource& m_source;
    PreviewZoom m_zoom = PreviewZoom::PageWidth;
    double m_pxPerMm = 1;
    QHash<int, QImage> m_cache;

    QSize pagePixels() const;
    int pageStep() const; // page height plus the gap, in pixels
    const ReportPages& pages() const { return m_source.pages(); }
    void updateScale();
    void updateScrollRange();
    const QImage& pageImage(int index);
};

class ReportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportPreviewDialog(ReportPages pages, PreviewZoom zoom = PreviewZoom::PageWidth,
                                 QWidget* parent = nullptr);
    // A report still being laid out: the window shows the first pages at once and lays out the
    // rest while the user looks at them.
    explicit ReportPreviewDialog(std::unique_ptr<PageSource> source,
                                 PreviewZoom zoom = PreviewZoom::PageWidth, QWidget* parent = nullptr);

    // All pages of the report; lays out the rest first if need be.
    const ReportPages& pages();
    bool isComplete() const { return m_source->isDone(); }
    // Whether reading the report's rows failed on the way (a lost session, say): the pages shown
    // are not the whole report, and it is neither printed nor saved.
    bool isInterrupted() const { return m_interrupted; }
    // Lays out the rest of the report now.
    void finishLoading();
    ReportPageView* pageView() const { return m_view; }

    // Page navigation: the first, previous, next and last page, or the page of that number
    // (within the report; pages not laid out yet are laid out first).
    void showPage(int page);
    void showFirstPage();
    void showPreviousPage();
    void showNextPage();
    void showLastPage();

    // "Печать": chooses a printer and prints the chosen pages. False when cancelled or failed, or
    // refused for an interrupted report.
    bool print();
    // "Сохранить в PDF": asks for a file name and writes the report there. False when cancelled or
    // failed, or refused for an interrupted report.
    bool saveAsPdf();

    // The standard dialogs the window uses; the program or a test may replace them.
    struct Hooks {
        std::function<QString(QWidget* parent, const QString& suggestedName)> chooseSaveFile;
        std::function<bool(QPrinter& printer, QWidget* parent)> choosePrinter;
        std::function<void(QWidget* parent, const QString& message)> showError;
    };
    static Hooks& hooks();

private:
    std::unique_ptr<PageSource> m_source;
    ReportPageView* m_view = nullptr;
    QLabel* m_pageLabel = nullptr;
    QLineEdit* m_pageNumberEdit = nullptr;
    QTimer* m_loader = nullptr;
    bool m_interrupted = false;

    void loadMore();
    // Notes that the report stopped short of its last row; called while the failure passes on.
    void markInterrupted();
    // Shows the refusal and returns true for an interrupted report.
    bool refuseIfInterrupted();

    void showError(const QString& message);
    void updatePageLabel(int page);
};

} // namespace reportengine
