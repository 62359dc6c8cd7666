// Pages of a report that may still be in the making.
#include "reportengine/ReportPageSource.h"

namespace reportengine {

LayoutFeed::LayoutFeed(const ReportDefinition& report, const ReportDataSource& data,
                       std::function<bool()> fetch)
    : m_run(report, data), m_fetch(std::move(fetch)) {}

const ReportPages& LayoutFeed::pages() const {
    return const_cast<LayoutRun&>(m_run).pages();
}

int LayoutFeed::readyPages() const {
    return m_run.completePages();
}

void LayoutFeed::more() {
    if (m_done)
        return;
    const bool rowsLeft = m_fetch();
    m_run.addRows();
    if (!rowsLeft) {
        m_run.finish();
        m_done = true;
    }
}

} // namespace reportengine
