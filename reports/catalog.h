// The catalog: every item of the active client with all that is recorded of it (its item line,
// its fields packed into text lines, its memo and its four pictures), by description, by
// category or by location, limited to a category, a location and items entered since a date.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "reports/frame.h"
#include "reports/options.h"

struct MasterInventoryRecord;

void ReportCatalogOptions();

namespace reports {

enum class CatalogOrder { Description, Category, Location };

// The packed detail lines of an item: each entry as label and value, added to the line unless
// the line would then be wider than `width` (thousandths of an inch, Arial 10), in which case
// it starts the next line; a line that has passed 75 characters ends after its entry. The
// user fields go under the client's `titles`.
std::vector<std::string> catalogDetailLines(const MasterInventoryRecord &item, const std::array<std::string, 4> &titles,
                                            int width);
// Whether the options let an item into the catalog (categories and locations compare
// case-blind and without trailing blanks, as their keys do).
bool catalogIncludes(const CatalogOptions &options, const MasterInventoryRecord &item);

ReportLayout catalogLayout(CatalogOrder order);
// The user fields print under the titles in the shared UserFields buffer (read at the start of a run).
ReportSpec catalogSpec(CatalogOrder order, const CatalogOptions &options);
ReportDefinition catalogDefinition(CatalogOrder order, const CatalogOptions &options);

}  // namespace reports
