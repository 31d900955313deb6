// The printed lists of the reference tables: locations with their boxes, categories with their
// types (a parent row and its child rows), and the manufacturers and vendors.
#include "model/dictionary.h"
#include "reports/columns.h"
#include "reports/list_layouts.h"
#include "reports/reports.h"
#include "runtime/text.h"

namespace reports {

using namespace kit;

namespace {

constexpr const char *kPhone = "@p(###) ###-####pb";
constexpr int kArea = 8483;

// A child's key and its description.
std::vector<Column> childColumns(const char *heading, const std::string &keyField, const std::string &prefix)
{
    return {{0, 2000, heading, {}, keyField, "@s20"}, {2100, 5000, "Description", {}, prefix + "DESCRIPTION", "@s60"}};
}

// The name, the two address lines under one heading, and the phone. The manufacturer list
// heads its first column "Vendor" too.
std::vector<Column> flatColumns(const std::string &nameField, const std::string &prefix)
{
    Column address{1550, 2400, "Address", {}, prefix + "ADDRESS1", "@s40"};
    address.headingWidth = 4800;
    return {{0, 1500, "Vendor", {}, nameField, "@s20"},
            address,
            {4000, 2400, {}, {}, prefix + "ADDRESS2", "@s40"},
            {6450, 1050, "Phone", {}, prefix + "PHONE", kPhone}};
}

// A list of parents, each a group of its own, with its children printed under it and counted.
ReportDefinition parentChildList(const char *titleText, const char *childHeading, std::vector<rt::RecordFile *> files,
                                 rt::RecordFile &parent, const char *parentLabel, const char *parentKey,
                                 rt::RecordFile &child, const char *childKey, const char *link,
                                 const char *headerField, const char *headerPicture, const char *countLabel,
                                 const char *keyField, const char *childField, const char *childPrefix)
{
    ReportDefinition d;
    d.title = titleText;
    d.files = std::move(files);
    d.primary = &parent;
    d.primaryLabel = parentLabel;
    d.view = [&parent, parentKey] { return rt::View(parent, parent.def().key(parentKey)); };
    d.heading = residenceHeading();
    const std::string prefix = childPrefix;
    d.layout = [=](const RunChoices &) {
        const std::vector<Column> columns = childColumns(childHeading, prefix + childField, prefix);
        ReportLayout l = listLayout(titleText, columns, kArea);
        l.bands = {Band{"group header", 300, {field(headerField, 0, 40, 5000, headerPicture, Align::Left, kBold),
                                             rule(0, 250, 7500)}, false},
                   Band{"detail", 190, columnFields(columns), false},
                   Band{"group footer", 420, {rule(0, 30, 7500), text(0, 100, 1800, countLabel),
                                              field(keyField, 1900, 100, 2000, "@s20"),
                                              field("count", 4000, 100, 1200, "@n9", Align::Right)}, false}};
        return l;
    };
    const std::string parentPrefix = std::string(parent.def().prefix) + ":";
    const std::string keyName = keyField;
    d.spec = [=, &parent, &child](const RunChoices &) {
        ReportSpec s;
        s.grouped = true;
        const int linkField = parent.def().fieldIndex(link);
        s.group.key = [&parent, linkField](const rt::ViewRow &row) {
            return rt::fieldText(parent.def().fields[linkField], row.record.data());
        };
        s.group.open = [&parent, parentPrefix, keyName](const std::string &key, const rt::ViewRow &row) {
            Values v;
            for (const rt::FieldDef &f : parent.def().fields)
                v.set(parentPrefix + f.name, Value::of(rt::fieldText(f, row.record.data())));
            v.set(keyName, Value::of(key));
            return v;
        };
        s.group.header = "group header";
        s.group.footer = "group footer";
        s.totals = {{"count", TotalSpec::When::Manual, {}}};
        s.printItem = [&parent, &child, linkField, childKey, link,
                       columns = childColumns(childHeading, prefix + childField, prefix)](const rt::ViewRow &row,
                                                                                         ReportRun &run) {
            // The children of the parent compare the way the key compares: case-blind.
            const std::string value = rt::fieldText(parent.def().fields[linkField], row.record.data());
            rt::View children(child, child.def().key(childKey), {rt::Condition::equals(child.def(), link, value)});
            std::vector<rt::ViewRow> rows;
            children.read(100, rows);
            while (!rows.empty()) {
                for (const rt::ViewRow &c : rows) {
                    run.print("detail", cellValues(columns, child.def(), c.record.data()));
                    run.add("count");
                }
                if (rows.size() < 100)
                    break;
                rt::ViewRow last = rows.back();
                children.readAfter(last, 100, rows);
            }
        };
        return s;
    };
    return d;
}

ReportDefinition flatList(const char *titleText, std::vector<rt::RecordFile *> files, rt::RecordFile &file,
                          const char *label, const char *key, const char *nameField, const char *countLabel)
{
    ReportDefinition d;
    d.title = titleText;
    d.files = std::move(files);
    d.primary = &file;
    d.primaryLabel = label;
    d.view = [&file, key] { return rt::View(file, file.def().key(key)); };
    d.heading = residenceHeading();
    const std::string p = std::string(file.def().prefix) + ":";
    const std::string name = p + nameField;
    d.layout = [=](const RunChoices &) {
        const std::vector<Column> columns = flatColumns(name, p);
        ReportLayout l = listLayout(titleText, columns, kArea);
        l.bands = {Band{"detail", 190, columnFields(columns), false},
                   Band{"totals", 420, {rule(0, 30, 7500), text(0, 100, 2400, countLabel),
                                        field("count", 2500, 100, 1200, "@n9", Align::Right)}, false}};
        return l;
    };
    d.spec = [&file, columns = flatColumns(name, p)](const RunChoices &) {
        ReportSpec s;
        // The totals band, once after the last row, whenever a row was read.
        s.totalsBand = "totals";
        s.totals = {{"count", TotalSpec::When::ItemPrinted, {}}};
        s.printItem = [&file, columns](const rt::ViewRow &row, ReportRun &run) {
            run.print("detail", cellValues(columns, file.def(), row.record.data()));
        };
        return s;
    };
    return d;
}

}  // namespace

ReportDefinition locationBoxListDefinition()
{
    return parentChildList("Location & Box List", "Box Number",
                           {&BoxNumber, &Location, &MainSystemFile, &SecondaryResidence}, Location, "Location",
                           "LOCATIONKEY", BoxNumber, "BOXKEY", "LOCATION", "LCT:LOCATION", "@s20", "Number of boxes:",
                           "LCT:LOCATION", "BOXNUMBER", "BOX:");
}

ReportDefinition categoryTypesListDefinition()
{
    return parentChildList("Category & Types List", "Type", {&Category, &MainSystemFile, &SecondaryResidence, &Type},
                           Category, "Category", "CATEGORYKEY", Type, "CATEGORYTYPEKEY", "CATEGORY",
                           "CAT:DESCRIPTION", "@s60", "Number of types:", "CAT:CATEGORY", "TYPE", "TYP:");
}

ReportDefinition manufacturerListDefinition()
{
    return flatList("Manufacturer List", {&MainSystemFile, &Manufacturers, &SecondaryResidence}, Manufacturers,
                    "Manufacturers", "MANUFACTURERKEY", "MANUFACTURER", "Number of manufacturers:");
}

ReportDefinition vendorListDefinition()
{
    return flatList("Vendor List", {&MainSystemFile, &SecondaryResidence, &Vendors}, Vendors, "Vendors", "VENDORKEY",
                    "VENDOR", "Number of vendors:");
}

}  // namespace reports
