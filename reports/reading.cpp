#include "reports/frame.h"

namespace reports {

ReportReading::ReportReading(const ReportDefinition &definition, const RunChoices &choices, ReportWriter &writer)
    : spec_(definition.spec(choices)), run_(spec_, writer), view_(reportView(definition)), reader_(view_)
{
}

int ReportReading::step(std::size_t rows, const std::function<void()> &afterRow)
{
    std::vector<rt::ViewRow> read;
    const int rc = reader_.next(rows, read);
    for (const rt::ViewRow &row : read) {
        run_.item(row);
        if (afterRow)
            afterRow();
    }
    ended_ = read.size() < rows;
    return rc;
}

RunRows runToRows(const ReportDefinition &definition, const RunChoices &choices, std::int32_t runDate,
                  std::int32_t runTime, PageSink sink, bool keepRows)
{
    RunRows out;
    Heading heading;
    if (definition.heading && !definition.heading(heading)) {
        out.headed = false;
        return out;
    }
    if (!sink)
        sink = [&out](const previewer::Page &p, int) {
            out.pages.push_back(p);
            return true;
        };
    ReportWriter writer(definition.layout(choices), std::move(sink));
    writer.keepRows(keepRows);
    writer.setPageValues(runPageValues(definition, choices, heading, runDate, runTime));
    ReportReading reading(definition, choices, writer);
    while (!reading.ended()) {
        const int rc = reading.step(kRowsPerStep);
        if (rc != 0 && rc != 33)
            break;
    }
    reading.finish();
    out.rows = writer.takeRows();
    out.pageCount = writer.pages();
    out.layout = writer.layout();
    return out;
}

}  // namespace reports
