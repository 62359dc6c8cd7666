// Pages of a report that may still be in the making.
#include "reportengine/ReportPageSource.h"

namespace reportengine {

LayoutFeed::LayoutFeed(const ReportDefinition& report, const ReportDataSource& data,
                       std::function<bool()> fetch)
    : run_(report, data), fetch_(std::move(fetch)) {}

const ReportPages& LayoutFeed::pages() const {
    return const_cast<LayoutRun&>(run_).pages();
}

int LayoutFeed::readyPages() const {
    return run_.completePages();
}

void LayoutFeed::more() {
    if (done_)
        return;
    const bool rowsLeft = fetch_();
    run_.addRows();
    if (!rowsLeft) {
        run_.finish();
        done_ = true;
    }
}

} // namespace reportengine
