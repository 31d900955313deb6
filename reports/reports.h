// The report procedures, reached by name through the registry.
#pragma once

#include <string>

#include "reports/frame.h"

// Registers every report procedure of this library by name.
void registerReportProcedures();

void PrintInventoryValuation();
void PrintInventoryValuationWide();
void ClientReportOptions();
void PrintClientList();
void PrintLocationBoxList();
void PrintCategoryTypesList();
void PrintManufacturerList();
void PrintVendorList();

namespace reports {

// The "Home Inventory Report" of a pair: its layout, its reading and the definition the frame runs.
ReportLayout valuationLayout(bool wide);
ReportSpec valuationSpec(bool wide, bool includeMemo);
ReportDefinition valuationDefinition(bool wide);

// The client list with its options (owned by the options window, read by the report).
struct ClientListOptions {
    bool includeAddress = false;
    bool includeMemos = false;
    bool limitEmail = false;
    std::int32_t clientDate = 0;
};
ClientListOptions &clientListOptions();
ReportDefinition clientListDefinition();

// The reference lists.
ReportDefinition locationBoxListDefinition();
ReportDefinition categoryTypesListDefinition();
ReportDefinition manufacturerListDefinition();
ReportDefinition vendorListDefinition();

// Runs a definition's reading without the frame: every row of its view through its spec into
// a writer, as the frame's timer would (tests and the benchmark).
void runWithoutFrame(const ReportDefinition &definition, const RunChoices &choices, ReportWriter &writer);

// One row of a view as the record it holds.
template <typename Record>
const Record &recordOf(const rt::ViewRow &row)
{
    return *reinterpret_cast<const Record *>(row.record.data());
}

}  // namespace reports
