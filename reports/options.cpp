#include "reports/options.h"

#include <algorithm>

#include "model/dictionary.h"
#include "model/globals.h"
#include "runtime/text.h"

namespace reports {

ReportInputs inputsFromGlobals(bool wide)
{
    ReportInputs in;
    in.wide = wide;
    const std::string order = rt::clip(Glo.ReportOrder.view());
    const bool pictures = Glo.IncludePictures == 1, newPage = Glo.NewPageEveryItem == 1;
    in.catalog = {order, rt::clip(Glo.Category.view()), rt::clip(Glo.Location.view()), Glo.LimitByDate == 1,
                  Glo.StartDate.get(), newPage, pictures};
    in.custom = {rt::clip(Glo.CustomReportName.view()), order, Glo.LimitCategory.str(), Glo.LimitType.str(),
                 Glo.LimitLocation.str(), Glo.LimitBoxNumber.str(), Glo.IncludeMemos == 1, pictures, newPage};
    in.assetNumber = MAS.ASSETNUMBER.get();
    in.copies = std::max<int>(1, Glo.FormCopies);
    return in;
}

}  // namespace reports
