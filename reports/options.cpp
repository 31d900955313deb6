#include "reports/options.h"

#include "model/globals.h"
#include "runtime/text.h"

namespace reports {

void publishOptions(const ReportOptions &o)
{
    Glo.ReportOrder = o.reportOrder;
    Glo.IncludePictures = o.includePictures ? 1 : 0;
    Glo.IncludeMemos = o.includeMemos ? 1 : 0;
    Glo.NewPageEveryItem = o.newPageEveryItem ? 1 : 0;
    Glo.Category = o.category;
}

ReportOptions runningOptions()
{
    ReportOptions o;
    o.reportOrder = rt::clip(Glo.ReportOrder.view());
    o.includePictures = Glo.IncludePictures == 1;
    o.includeMemos = Glo.IncludeMemos == 1;
    o.newPageEveryItem = Glo.NewPageEveryItem == 1;
    o.category = rt::clip(Glo.Category.view());
    return o;
}

}  // namespace reports
