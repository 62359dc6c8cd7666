// Pages of a report that may still be in the making: the preview shows the pages that are ready
// while the rest is laid out, and a PDF file is written page by page as they come.
#pragma once

#include "reportengine/ReportLayout.h"

#include <functional>

namespace reportengine {

class PageSource {
public:
    virtual ~PageSource() = default;
    // The pages so far; the first readyPages() of them do not change any more. Title, orientation
    // and page size are known from the start.
    virtual const ReportPages& pages() const = 0;
    virtual int readyPages() const = 0;
    virtual bool isDone() const = 0;
    // Does a short slice of the remaining work. May throw what the rows' source throws.
    virtual void more() = 0;
    // The caller has done with the first count pages (written them out): a source may drop their
    // contents to save memory. The pages stay, so pages() and readyPages() count them as before.
    virtual void releasePages(int count) { Q_UNUSED(count); }

    // Does all the remaining work.
    void finishAll() {
        while (!isDone())
            more();
    }
};

// Pages laid out before: nothing left to do. The pages are either handed over or, given by
// address, only looked at (the caller keeps them alive; nothing is copied).
class FixedPages : public PageSource {
public:
    explicit FixedPages(ReportPages pages) : m_owned(std::move(pages)), m_pages(m_owned) {}
    explicit FixedPages(const ReportPages* pages) : m_pages(*pages) {}
    const ReportPages& pages() const override { return m_pages; }
    int readyPages() const override { return m_pages.pageCount(); }
    bool isDone() const override { return true; }
    void more() override {}

private:
    ReportPages m_owned;
    const ReportPages& m_pages;
};

// A report laid out as its rows arrive. fetch brings the next batch of rows into the data source
// and returns false once the source has them all; both must outlive the feed.
class LayoutFeed : public PageSource {
public:
    LayoutFeed(const ReportDefinition& report, const ReportDataSource& data, std::function<bool()> fetch);

    const ReportPages& pages() const override;
    int readyPages() const override;
    bool isDone() const override { return m_done; }
    void more() override;
    void releasePages(int count) override { m_run.releasePages(count); }
    // The first row of the data source the layout may still read; the source may drop those before.
    int firstRowNeeded() const { return m_run.firstRowNeeded(); }
    // Once done: the pages, moved out of the feed.
    ReportPages takePages() { return std::move(m_run.pages()); }

private:
    LayoutRun m_run;
    std::function<bool()> m_fetch;
    bool m_done = false;
};

} // namespace reportengine
