#include "reports/options.h"

#include "model/globals.h"
#include "runtime/text.h"

namespace reports {

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
