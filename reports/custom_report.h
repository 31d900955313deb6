// Custom reports: the definitions the user designs and the options window that prints them.
#pragma once

// "Custom Report Options": a definition, its order and limits; OK prints it.
void ReportDesignOptions();
// "Browse the Custom Report Setups File": the definitions, with a select request a look-up.
void LookupReportName();
// The form of one definition.
void UpdateCustomReportSetups();

namespace reports {
struct ReportDefinition;
struct CustomOptions;
// The custom report as a report definition: the definition `options` names is read when the
// run starts.
ReportDefinition customReportDefinition(bool wide, const CustomOptions &options);
// The look-up and the form of the definitions (the options window and the report are in the
// report table).
void registerCustomReportProcedures();
}
