// The report procedures, reached by name through the registry.
#pragma once

#include <string>

#include "reports/frame.h"
#include "reports/options.h"

// Registers by name every report procedure of the report table that the edition's program
// offers, as reports or windows.
void registerReportProcedures();

// The windows of the report table.
// "Home Inventory Reports Menu": a button for every report of the table that the program offers.
void ReportsMenu();
void ClientReportOptions();

namespace reports {

void registerReportProcedures(model::Program program);

// The "Home Inventory Report" of a pair: its layout, its reading and the definition the frame runs.
ReportLayout valuationLayout(bool wide);
ReportSpec valuationSpec(bool wide, bool includeMemo);
ReportDefinition valuationDefinition(bool wide);

// The inventory of one category or one location: the picker unless the caller preset the
// choice (Glo.SelectionPreset 1), then the memo question, then the preview question.
enum class Selection { Category, Location };
ReportLayout selectionLayout(Selection by, bool wide);
ReportSpec selectionSpec(Selection by, bool wide, bool includeMemo);
ReportDefinition selectionDefinition(Selection by, bool wide);

// The "Insurance Report": per category the three amounts times quantity ("count", "value",
// "originalCost", "replacementCost").
ReportLayout insuranceLayout(bool wide);
ReportSpec insuranceSpec(bool wide);
ReportDefinition insuranceDefinition(bool wide);

// "Complete Item Information" of the item with this asset number.
ReportLayout itemInformationLayout();
ReportSpec itemInformationSpec();
ReportDefinition itemInformationDefinition(std::int32_t assetNumber);

// The client list with the options of its window.
ReportDefinition clientListDefinition(const ClientListOptions &options);

// The reference lists.
ReportDefinition locationBoxListDefinition();
ReportDefinition categoryTypesListDefinition();
ReportDefinition manufacturerListDefinition();
ReportDefinition vendorListDefinition();

// One row of a view as the record it holds.
template <typename Record>
const Record &recordOf(const rt::ViewRow &row)
{
    return *reinterpret_cast<const Record *>(row.record.data());
}

}  // namespace reports
