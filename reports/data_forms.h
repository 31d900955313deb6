// The blank data-input forms and their options window.
#pragma once

#include "reports/frame.h"

// "Input Data Forms options": how many copies, and a button per form.
void DataFormsOptions();

namespace reports {
// The form of that index (clothing, electronics, furniture, miscellaneous) printing `copies`.
ReportDefinition dataFormDefinition(int which, int copies);
}  // namespace reports
