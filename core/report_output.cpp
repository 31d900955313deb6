#include "core/report_output.h"

#include <QPrinter>
#include <algorithm>

#include "core/previewer_binding.h"
#include "previewer/preview_window.h"
#include "reports/frame.h"
#include "runtime/gui.h"
#include "runtime/window.h"

namespace {

// The calls of a report run into the four entry points, with the arguments every report of the
// program passes.
class ModuleOutput : public reports::ReportOutput {
public:
    explicit ModuleOutput(const PreviewerEntries &e) : e_(e) {}
    int preview(std::vector<std::string> &queue, previewer::PreviewReport &report) override
    {
        return e_.printPreview(&queue, 100, 0, &report, 0, 0, 1, 0, 1, 0, "", "", "", "VURDRPTS.INI");
    }
    void handleCopies(std::vector<std::string> &queue, int copies, bool collate) override
    {
        // The module reads collation from the printer, as it would after its own print dialog.
        QPrinter &p = previewer::previewPrinter();
        const bool was = p.collateCopies();
        p.setCollateCopies(collate);
        e_.handleCopies(&queue, static_cast<std::int16_t>(std::clamp(copies, 1, 32767)));
        p.setCollateCopies(was);
    }
    int send(const std::vector<std::string> &queue, int copyCount) override
    {
        return send(queue, copyCount, previewer::PreviewReport{});
    }
    int send(const std::vector<std::string> &queue, int copyCount, const previewer::PreviewReport &report) override
    {
        return previewer::printReport(queue, copyCount, report, rt::modalParent());
    }

private:
    const PreviewerEntries &e_;
};

}  // namespace

void useBoundPreviewer()
{
    reports::setReportOutput([]() -> std::unique_ptr<reports::ReportOutput> {
        const PreviewerEntries *e = previewerEntries();
        if (!e)
            return nullptr;
        return std::make_unique<ModuleOutput>(*e);
    });
}
