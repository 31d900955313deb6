#include "reports/reports.h"
#include "runtime/gui.h"

namespace reports {

void runWithoutFrame(const ReportDefinition &definition, const RunChoices &choices, ReportWriter &writer)
{
    ReportSpec spec = definition.spec(choices);
    ReportRun run(spec, writer);
    rt::View view = reportView(definition);
    std::vector<rt::ViewRow> rows;
    view.read(25, rows);
    while (!rows.empty()) {
        for (const rt::ViewRow &r : rows)
            run.item(r);
        if (rows.size() < 25)
            break;
        rt::ViewRow last = rows.back();
        view.readAfter(last, 25, rows);
    }
    run.finish();
}

}  // namespace reports
