// "Home Inventory Catalog": every item of the active client with its item line, its recorded
// fields packed into text lines, its memo and its pictures, by description, category or
// location, with group totals (category and location) and grand totals.
#include <QString>
#include <algorithm>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/item_fields.h"
#include "model/user_fields.h"
#include "previewer/page_render.h"
#include "reports/catalog.h"
#include "reports/item_reports.h"
#include "reports/reports.h"
#include "runtime/image.h"
#include "runtime/picture.h"
#include "runtime/text.h"

namespace reports {

using namespace kit;

namespace {

constexpr int kWidth = 7500;
// The detail lines pack within the body, less a hair so that a full line never reaches its edge.
constexpr int kLineWidth = kWidth - 50;
// Every picture is shown as large as fits a 3-inch square; the two of a band side by side.
constexpr int kPictureSide = 3000;
constexpr int kPictureLeft = 208, kPictureRight = 3427;
constexpr int kPictureTop = 60;

const char *const kPictureFields[2][2] = {{"MAS:IMAGE", "MAS:IMAGE2"}, {"MAS:RECEIPTIMAGE", "MAS:WARRANTYIMAGE"}};

using EntryKind = model::ItemFieldKind;
struct Entry {
    const char *field;  // without its prefix
    const char *text;   // the leading text
    EntryKind kind = EntryKind::Text;
    const char *picture = nullptr;
    int user = 0;
};

// The entries in the order they are packed: the item fields that the catalog's lines print.
const std::vector<Entry> &entries()
{
    static const std::vector<Entry> e = [] {
        std::vector<Entry> v;
        for (const model::ItemField &f : model::itemFields())
            if (f.label || f.user)
                v.push_back({f.field, f.label, f.kind, f.labelPicture, f.user});
        return v;
    }();
    return e;
}

// The entries' fields, found once by name.
const std::vector<const rt::FieldDef *> &fields()
{
    static const std::vector<const rt::FieldDef *> f = [] {
        std::vector<const rt::FieldDef *> v;
        const rt::TableDef &def = dict::MasterInventoryDef;
        for (const Entry &e : entries())
            v.push_back(&def.fields[static_cast<std::size_t>(def.fieldIndex(std::string("MAS:") + e.field))]);
        return v;
    }();
    return f;
}

double measure(const std::string &s)
{
    previewer::TextItem t;
    t.text = s;
    return previewer::textWidth(t);
}

// No character of Arial 10 is wider than 150 thousandths of an inch (its widest, "@", is about
// 141): a line of fewer bytes than the width holds at that is known to fit without measuring.
bool fitsUnmeasured(std::size_t bytes, int width) { return bytes * 150 <= static_cast<std::size_t>(std::max(width, 0)); }

}  // namespace

std::vector<std::string> catalogDetailLines(const MasterInventoryRecord &item, const std::array<std::string, 4> &titles,
                                            int width)
{
    std::vector<std::string> out;
    std::string line;
    const auto &es = entries();
    for (std::size_t i = 0; i < es.size(); ++i) {
        const Entry &e = es[i];
        const Value v = fieldValue(*fields()[i], &item, e.picture ? e.picture : "");
        std::string lead = e.text ? e.text : "", value;
        switch (e.kind) {
        case EntryKind::Text:
            // How it was bought is told unless it is the unknown "???", even blank.
            if (std::string_view(e.field) == "HOWPURCHASED" ? rt::clip(v.text) == "???" : rt::clip(v.text).empty())
                continue;
            value = rt::clip(v.text);
            break;
        case EntryKind::User:
            if (rt::clip(v.text).empty())
                continue;
            lead = titles[static_cast<std::size_t>(e.user - 1)] + ": ";
            value = rt::clip(v.text);
            break;
        case EntryKind::Flag:
            if (v.number != 1)
                continue;
            break;
        case EntryKind::Number:
            if (v.number == 0)
                continue;
            value = rt::trim(formatValue(e.picture, v));
            break;
        case EntryKind::Date:
            if (v.number == 0)
                continue;
            value = rt::trim(formatValue(e.picture, v));
            break;
        }
        const std::string entry = lead + value;
        std::string joined = line.empty() ? entry : rt::clip(line) + "     " + entry;
        // An entry that would not fit starts the next line, so that no text is lost.
        if (!line.empty() && !fitsUnmeasured(joined.size(), width) && measure(rt::clip(joined)) > width) {
            out.push_back(rt::clip(line));
            joined = entry;
        }
        line = joined;
        if (rt::clip(line).size() > 75) {
            out.push_back(rt::clip(line));
            line.clear();
        }
    }
    if (!rt::clip(line).empty())
        out.push_back(rt::clip(line));
    return out;
}

bool catalogIncludes(const CatalogOptions &o, const MasterInventoryRecord &item)
{
    const rt::TableDef &def = dict::MasterInventoryDef;
    auto differs = [&](const std::string &limit, const char *field) {
        return !rt::clip(limit).empty() &&
               !rt::equalNoCase(rt::clipView(limit), rt::clip(fieldValue(def, &item, field).text));
    };
    if (differs(o.location, "MAS:LOCATION") || differs(o.category, "MAS:CATEGORY"))
        return false;
    return !(o.limitByDate && fieldValue(def, &item, "MAS:DATEENTERED", "@d1").number < o.startDate);
}

namespace {

std::vector<Column> catalogColumns()
{
    const auto R = Align::Right;
    return {{0, 1300, "Location", {}, "MAS:LOCATION", "@s20"},
            {1350, 1300, "Category", {}, "MAS:CATEGORY", "@s20"},
            {2700, 3000, "Description", {}, "MAS:DESCRIPTION", "@s60"},
            {5700, 700, "Quantity", {}, "MAS:QUANTITY", kQuantityPicture, R},
            valueColumn(6450, 1050)};
}

Band totals(std::string name, const std::string &groupLabel, const std::string &groupField, const std::string &count,
            const std::string &value, bool grand, bool named)
{
    Band b;
    b.name = std::move(name);
    int y = 40;
    if (grand) {
        b.controls.push_back(rule(0, 30, kWidth));
        b.controls.push_back(rule(0, 70, kWidth));
        y = 110;
    }
    if (named) {
        b.controls.push_back(text(0, y, 2600, groupLabel, kBold));
        if (!groupField.empty())
            b.controls.push_back(field(groupField, 2600, y, 2500, "@s20", Align::Left, kBold));
        y += 190;
    }
    b.controls.push_back(text(300, y, 3200, count));
    b.controls.push_back(field("count", 3500, y, 1500, kCountPicture, Align::Right));
    y += 190;
    b.controls.push_back(text(300, y, 3200, value));
    b.controls.push_back(field("value", kWidth - 3000, y, 3000, grand ? kGrandTotalPicture : kTotalPicture,
                               Align::Right, grand ? kBold : 0));
    y += 190;
    if (!grand) {
        b.controls.push_back(rule(0, y + 20, kWidth));
        y += 40;
    }
    b.height = y + 30;
    return b;
}

}  // namespace

ReportLayout catalogLayout(CatalogOrder order)
{
    ReportLayout l;
    const std::vector<Column> columns = catalogColumns();
    l.header = pageHeading(kWidth, "Home Inventory Catalog", columns);
    // The catalog's heading closes with a double rule.
    l.header.controls.back().kind = ControlKind::DoubleLine;
    l.header.height += kDoubleLineGap;
    // A box across the page.
    l.footer = boxPageFooter(0, kWidth);
    l.page = itemPage(false, l.header.height);

    Band item{"item", 210, columnFields(columns, 20), false};
    // The line is packed to fit the body: it prints as packed, blanks between entries kept.
    Band detail{"detail line", 190, {field("DetailLine", 0, 0, kWidth, "")}, false};
    Band memo{"memo", 230, {text(0, 20, 700, "Memo:", kBold), block("MAS:MEMO", 800, 20, 6500)}, false};
    memo.staysWithPrevious = true;
    l.bands = {item, detail, memo};
    for (int i = 0; i < 2; ++i) {
        Band p;
        p.name = i == 0 ? "pictures" : "receipt and warranty";
        p.height = kPictureTop + kPictureSide + 60;
        for (int side = 0; side < 2; ++side) {
            Control c;
            c.kind = ControlKind::Picture;
            c.name = kPictureFields[i][side];
            c.x = side == 0 ? kPictureLeft : kPictureRight;
            c.y = kPictureTop;
            c.w = c.h = kPictureSide;
            p.controls.push_back(c);
        }
        l.bands.push_back(p);
    }
    l.bands.push_back(Band{"picture spacer", 120, {}, false});
    l.bands.push_back(Band{"separator", 80, {rule(0, 40, kWidth)}, false});
    if (order == CatalogOrder::Category)
        l.bands.push_back(totals("group footer", "Totals for category:", "CAT:CATEGORY",
                                 "Number of items this category:", "Total value this category:", false, true));
    if (order == CatalogOrder::Location)
        l.bands.push_back(totals("group footer", "Totals for location:", "LCT:LOCATION",
                                 "Number of items this location:", "Total value this location:", false, true));
    const char *grandLabel = order == CatalogOrder::Category   ? "Grand totals all categories:"
                             : order == CatalogOrder::Location ? "Grand totals all locations:"
                                                               : "";
    l.bands.push_back(totals("grand totals", grandLabel, {}, "Total number of items listed:",
                             "Total value of home inventory:", true, order != CatalogOrder::Description));
    return l;
}

ReportSpec catalogSpec(CatalogOrder order, const CatalogOptions &options)
{
    ReportSpec s;
    s.accept = [options](const rt::ViewRow &row) { return catalogIncludes(options, recordOf<MasterInventoryRecord>(row)); };
    if (order != CatalogOrder::Description) {
        const bool byCategory = order == CatalogOrder::Category;
        s.grouped = true;
        s.group.key = [byCategory](const rt::ViewRow &row) {
            const auto &r = recordOf<MasterInventoryRecord>(row);
            return byCategory ? r.CATEGORY.str() : r.LOCATION.str();
        };
        // The footer shows the group as the reference file holds it, or the item's value when
        // the file has none of that name.
        s.group.open = [byCategory](const std::string &key, const rt::ViewRow &) {
            if (byCategory) {
                rt::clearRecord(dict::CategoryDef, &CAT);
                CAT.CATEGORY = key;
                std::string shown = key;
                if (Category.get(*dict::CategoryDef.key("CATEGORYKEY")) == 0)
                    shown = CAT.CATEGORY.str();
                return Values{{"CAT:CATEGORY", Value::of(shown)}};
            }
            rt::clearRecord(dict::LocationDef, &LCT);
            LCT.LOCATION = key;
            std::string shown = key;
            if (Location.get(*dict::LocationDef.key("LOCATIONKEY")) == 0)
                shown = LCT.LOCATION.str();
            return Values{{"LCT:LOCATION", Value::of(shown)}};
        };
        s.group.footer = "group footer";
        s.group.footerWhen = GroupSpec::Footer::WhenItems;
        s.group.footerEndsPage = options.newPageEveryItem;
    }
    s.totalsBand = "grand totals";
    s.totals = itemTotals(catalogColumns());
    s.printItem = [options, columns = catalogColumns()](const rt::ViewRow &row, ReportRun &run) {
        const auto &item = recordOf<MasterInventoryRecord>(row);
        ReportWriter &writer = run.writer();
        // The picture bands, each picture measured only now that it prints; one without a valid
        // size (missing, unreadable, empty) leaves its place empty and the band only as high
        // as the picture beside it.
        std::vector<std::pair<Band, Values>> pictures;
        for (int i = 0; options.includePictures && i < 2; ++i) {
            const std::string paths[2] = {
                rt::clip(fieldValue(dict::MasterInventoryDef, &item, kPictureFields[i][0]).text),
                rt::clip(fieldValue(dict::MasterInventoryDef, &item, kPictureFields[i][1]).text)};
            if (paths[0].empty() && paths[1].empty())
                continue;
            Band b = *writer.layout().band(i == 0 ? "pictures" : "receipt and warranty");
            Values values;
            int tallest = 0;
            for (int side = 0; side < 2; ++side) {
                Control &pic = b.controls[static_cast<std::size_t>(side)];
                std::optional<QSize> fit;
                if (!paths[side].empty())
                    fit = fitToSquare(rt::pictureSize(QString::fromStdString(paths[side])), kPictureSide);
                if (fit) {
                    pic.w = fit->width();
                    pic.h = fit->height();
                    tallest = std::max(tallest, pic.h);
                    values.set(pic.name, Value::of(paths[side]));
                } else {
                    pic.visible = false;
                    pic.h = 0;
                }
            }
            b.height = kPictureTop + tallest + 60;
            pictures.emplace_back(std::move(b), std::move(values));
        }
        const Values cells = cellValues(columns, dict::MasterInventoryDef, row.record.data());
        const std::vector<std::string> lines = catalogDetailLines(item, model::titlesOf(USF), kLineWidth);
        const bool memo = !rt::trim(row.memo).empty();
        const Values memoValues{{"MAS:MEMO", Value::of(row.memo)}};
        // The item's lines, its memo and its first picture stay on one page: when they do not fit
        // what is left of the page but a page holds them, the item starts the next one. Its memo
        // starts on the page of its lines in any case.
        const ReportLayout &l = writer.layout();
        writer.keepItemTogether(l.band("item")->height + static_cast<int>(lines.size()) * l.band("detail line")->height,
                                memo ? l.band("memo") : nullptr, memoValues,
                                pictures.empty() ? 0 : pictures.front().first.height);
        run.print("item", cells);
        for (const std::string &line : lines)
            run.print("detail line", Values{{"DetailLine", Value::of(line)}});
        if (memo) {
            // A memo too long for one page with them leaves its last line for the picture's.
            Band withPictures = *l.band("memo");
            withPictures.followerHeight = pictures.empty() ? 0 : pictures.front().first.height;
            writer.print(withPictures, memoValues);
        }
        for (const auto &[band, values] : pictures)
            writer.print(band, values);
        if (!pictures.empty())
            run.print("picture spacer");
        run.print("separator");
        if (options.newPageEveryItem)
            writer.breakPage();
    };
    return s;
}

ReportDefinition catalogDefinition(CatalogOrder order, const CatalogOptions &options)
{
    ReportDefinition d;
    d.title = "Home Inventory Catalog";
    d.files = {&Category, &QORClients};
    if (order == CatalogOrder::Location)
        d.files.push_back(&Location);
    for (rt::RecordFile *f : {&MainSystemFile, &MasterInventory, &UserFields})
        d.files.push_back(f);
    d.primary = &MasterInventory;
    d.primaryLabel = "MasterInventory";
    HeadingSource client = clientHeading();
    d.heading = [client](Heading &h) {
        if (!client(h))
            return false;
        // The client's titles of the user fields; none read leaves them blank.
        if (model::readTitlesRecord(UserFields, USF) != 0)
            rt::clearRecord(dict::UserFieldsDef, &USF);
        return true;
    };
    const char *key = order == CatalogOrder::Category   ? "CATEGORYKEY"
                      : order == CatalogOrder::Location ? "LOCATIONKEY"
                                                        : "DESCRIPTIONKEY";
    d.view = [key] { return rt::View(MasterInventory, dict::MasterInventoryDef.key(key)); };
    d.layout = [order](const RunChoices &) { return catalogLayout(order); };
    d.spec = [order, options](const RunChoices &) { return catalogSpec(order, options); };
    return d;
}

}  // namespace reports
