// Every built report of one fixed sample client (long texts, the largest amounts the fields
// hold, totals past a billion) printed to page items: every text with its place, size and
// font, every line, box, check and picture. The files under golden/snapshots are the pages as
// they print; a layout change shows as a diff there. ORVANE_WRITE_GOLDEN=1 writes them anew.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include "previewer/page_render.h"
#include "runtime/picture.h"
#include "tests/reports/report_fixture.h"

using namespace reports;

namespace {

std::string snapshotPath(const std::string &name)
{
    return std::string(ORVANE_GOLDEN_DIR) + "/snapshots/" + name + ".txt";
}

const char *alignName(previewer::Align a)
{
    return a == previewer::Align::Right ? "R" : a == previewer::Align::Center ? "C" : "L";
}

struct ItemDump {
    std::ostream &out;
    void operator()(const previewer::TextItem &t) const
    {
        out << "text " << t.x << ',' << t.y << ' ' << t.w << 'x' << t.h << ' ' << t.size << ' ' << t.style << ' '
            << alignName(t.align) << " |" << t.text << "|\n";
    }
    void operator()(const previewer::LineItem &l) const
    {
        out << "line " << l.x1 << ',' << l.y1 << ' ' << l.x2 << ',' << l.y2 << " pen " << l.pen << '\n';
    }
    void operator()(const previewer::BoxItem &b) const
    {
        out << "box " << b.x << ',' << b.y << ' ' << b.w << 'x' << b.h << '\n';
    }
    void operator()(const previewer::CheckItem &c) const
    {
        out << "check " << c.x << ',' << c.y << ' ' << c.w << 'x' << c.h << (c.checked ? " on" : " off") << '\n';
    }
    void operator()(const previewer::PictureItem &p) const
    {
        out << "picture " << p.x << ',' << p.y << ' ' << p.w << 'x' << p.h << ' ' << p.path << '\n';
    }
};

std::pair<int, int> placeOf(const previewer::LineItem &l) { return {l.x1, l.y1}; }
template <typename T>
std::pair<int, int> placeOf(const T &t)
{
    return {t.x, t.y};
}

// Every built report of the sample, named as its snapshot; `rowsRead` marks those whose
// printed rows are read for texts that meet and numbers that do not fit.
struct BuiltReport {
    std::string name;
    ReportDefinition def;
    bool rowsRead;
};

std::vector<BuiltReport> builtReports()
{
    std::vector<BuiltReport> out;
    for (bool wide : {false, true}) {
        const std::string w = wide ? "_wide" : "";
        out.push_back({"valuation" + w, valuationDefinition(wide), true});
        out.push_back({"category" + w, selectionDefinition(Selection::Category, wide), true});
        out.push_back({"location" + w, selectionDefinition(Selection::Location, wide), true});
        out.push_back({"insurance" + w, insuranceDefinition(wide), true});
    }
    out.push_back({"item_information", itemInformationDefinition(3), true});
    out.push_back({"client_list", clientListDefinition({}), true});
    out.push_back({"location_box_list", locationBoxListDefinition(), false});
    out.push_back({"category_types_list", categoryTypesListDefinition(), false});
    out.push_back({"manufacturer_list", manufacturerListDefinition(), true});
    out.push_back({"vendor_list", vendorListDefinition(), false});
    return out;
}

}  // namespace

class SnapshotTest : public ReportTest {
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        addClient("B7", "Brown", "", "", 72000, "Prefers calls after six.");
        addClient("C3", "Carter-Wellington-Smythe", "Annabelle-Josephine", "annabelle.josephine@carter.test", 74000);
        addCategory("ART", "Art, paintings and prints");
        addCategory("ELEC", "Electronics");
        addCategory("TOOLS", "Tools and hardware of every kind, hand and power, for the garage");
        addLocation("Living Room", "Front room, ground floor");
        addLocation("Garage", "Detached");
        addBox("Garage", "G-1", "Drill bits");
        addBox("Garage", "G-2", "Paint");
        addType("ART", "Painting", "Oil and acrylic");
        addType("TOOLS", "Power", "Drills and saws");
        rt::clearRecord(dict::ManufacturersDef, &MAN);
        MAN.MANUFACTURER = "Acme Tool Works Intl";
        MAN.ADDRESS1 = "5 Industry Way, Building 12, Suite 400";
        MAN.ADDRESS2 = "Dayton, OH 45402, United States of Am";
        MAN.PHONE = "9375550111";
        ASSERT_EQ(Manufacturers.add(), 0);
        rt::clearRecord(dict::VendorsDef, &VEN);
        VEN.VENDOR = "Corner Store";
        VEN.ADDRESS1 = "9 Market St";
        VEN.PHONE = "2175550199";
        ASSERT_EQ(Vendors.add(), 0);
        rt::clearRecord(dict::UserFieldsDef, &USF);
        USF.TITLEUSERFIELD1 = "Insurer policy holder";
        USF.TITLEUSERFIELD2 = "Policy";
        ASSERT_EQ(UserFields.add(), 0);

        addItem("ART", "Oil painting of the harbour at dusk, signed", 1, 1250000, "Bought at auction, 1998.",
                "Painting");
        addItem("elec", "Television, 55 inch", 2, 89999, "", "Video");
        // The widest item the fields hold: every text at its length, the largest amounts.
        addItem("TOOLS", std::string(60, 'W'), 100, 9999999, "", "TTTTTTTTTTTTTTTTTTTT");
        widest();
        // Quantities that take the totals past a billion.
        addItem("TOOLS", "Box of screws, sold by the piece", 10000, 9999999, "", "Power");
        addItem("TOOLS", "Box of nails", 2147483647, 9999999, "", "Power");
        addItem("MISSING", "Item of a category that is gone", 3, 1, "");
    }
    // Fills every field of the item just added to the longest text and the largest amount.
    void widest()
    {
        rt::clearRecord(dict::MasterInventoryDef, &MAS);
        MAS.ASSETNUMBER = asset_;
        ASSERT_EQ(MasterInventory.get(*dict::MasterInventoryDef.key("ASSETKEY")), 0);
        const std::string w20(20, 'W');
        MAS.SERIALNUMBER = "SN-12345678901234567";
        MAS.MODELNUMBER = "MODEL-12345678901234";
        MAS.MANUFACTURER = w20;
        MAS.LOCATION = "Garage";
        MAS.BOXNUMBER = "BOX-1234567890123456";
        MAS.COLOR = w20;
        MAS.CONDITION = "Excellent!";
        MAS.PURCHASEDFROM = w20;
        MAS.HOWPURCHASED = "Credit card";
        MAS.EDITIONNUMBER = w20;
        MAS.HEIR = std::string(40, 'H');
        MAS.APPRAISER = std::string(25, 'A');
        MAS.ARTIST = std::string(30, 'R');
        MAS.SUBJECT = std::string(30, 'S');
        MAS.STARARTISTAUTHOR = std::string(40, 'S');
        MAS.COSTARARTISTAUTHOR = std::string(40, 'C');
        MAS.USERFIELD1 = std::string(30, 'U');
        MAS.USERFIELD2 = std::string(30, 'V');
        MAS.DATEPURCHASED = 80000;
        MAS.DATEENTERED = 80001;
        MAS.APPRAISALDATE = 80002;
        MAS.WARRANTYEXPIRATION = 80003;
        MAS.YEARORIGIN = 1999;
        MAS.TOTALNUMBER = 2147483647;
        ASSERT_TRUE(MAS.ORIGINALCOST.setCents(9999999));
        ASSERT_TRUE(MAS.REPLACEMENTCOST.setCents(9999999));
        ASSERT_TRUE(MAS.MSRP.setCents(9999999));
        ASSERT_TRUE(MAS.ASKINGPRICE.setCents(9999999));
        ASSERT_TRUE(MAS.PRICESOLD.setCents(9999999));
        ASSERT_TRUE(MAS.APPRAISEDVALUE.setCents(999999999));
        ASSERT_TRUE(MAS.CARATWEIGHT.setCents(99999));
        ASSERT_TRUE(MAS.TOTALWEIGHT.setCents(99999));
        MAS.ENGRAVED = 1;
        MAS.LIMITEDEDITION = 1;
        MAS.IMAGE = "/nowhere/" + std::string(100, 'p') + ".jpg";
        MAS.MEMO = "A memo of the widest item.";
        ASSERT_EQ(MasterInventory.put(), 0);
    }

    std::string dump(const Result &r)
    {
        std::ostringstream out;
        for (std::size_t i = 0; i < r.pages.size(); ++i) {
            out << "=== page " << i + 1 << '\n';
            // In the order of their places: the order a page holds its items in draws nothing
            // differently where nothing overlaps.
            std::vector<std::tuple<int, int, std::string>> lines;
            for (const previewer::Item &item : r.pages[i].items) {
                std::ostringstream line;
                std::visit(ItemDump{line}, item);
                const auto [x, y] = std::visit([](const auto &v) { return placeOf(v); }, item);
                lines.emplace_back(y, x, line.str());
            }
            std::sort(lines.begin(), lines.end());
            for (const auto &l : lines)
                out << std::get<2>(l);
        }
        return out.str();
    }
    void expectSnapshot(const std::string &name, const Result &r)
    {
        // ORVANE_SAMPLE_PDF_DIR keeps the pages as a PDF there, to be looked at.
        if (std::getenv("ORVANE_SAMPLE_PDF_DIR"))
            drawToPdf(r.pages, "sample_" + name + ".pdf");
        expectGoldenFile(snapshotPath(name), dump(r));
    }
};

TEST_F(SnapshotTest, EveryBuiltReportPrintsItsSnapshot)
{
    Glo.Category = "tools";
    Glo.Location = "Garage";
    for (const BuiltReport &b : builtReports())
        expectSnapshot(b.name, run(b.name == "client_list" ? clientListDefinition({true, true, false, 0}) : b.def,
                                   withMemos(true)));
}

namespace {

bool showsText(const Control &c)
{
    return c.visible && c.kind != ControlKind::Line && c.kind != ControlKind::DoubleLine && c.kind != ControlKind::Box;
}

bool meet(int x1, int w1, int x2, int w2) { return x1 < x2 + w2 && x2 < x1 + w1; }

double widthOf(const Control &c, const std::string &text, int size)
{
    previewer::TextItem t;
    t.font = c.font;
    t.size = size;
    t.style = c.style;
    t.text = text;
    return previewer::textWidth(t);
}

// The widest text a number control shows of the sample's range: an item's amount field its
// whole DEC range (negative), an extended value 9,999,999.99, a total 999,999,999.99.
std::string widestAmount(const Control &c)
{
    rt::Picture pic = rt::Picture::parse(c.picture);
    if (pic.kind != rt::Picture::Number || pic.places != 2)
        return {};
    std::int64_t units = 99999999999;  // 999,999,999.99
    if (c.name == "ExtendedValue") {
        units = 999999999;
    } else if (c.name.rfind("MAS:", 0) == 0) {
        const int i = dict::MasterInventoryDef.fieldIndex(c.name);
        if (i < 0)
            return {};
        const rt::FieldDef &f = dict::MasterInventoryDef.fields[static_cast<std::size_t>(i)];
        units = 1;
        for (int d = 0; d < f.digits; ++d)
            units *= 10;
        units = -(units - 1);
    }
    return rt::formatNumber(pic, units, 2);
}

}  // namespace

// Every band of every built report, both layouts: no two controls meet, every fixed text
// (headings, labels) fits its control whole, and every amount of the sample's range fits its
// control at its own size.
TEST(ReportLayouts, ControlsNeverMeetAndTextsAndAmountsFitTheirControls)
{
    for (const BuiltReport &report : builtReports()) {
        const ReportLayout layout = report.def.layout({});
        std::vector<const Band *> bands = {&layout.header, &layout.footer};
        for (const Band &b : layout.bands)
            bands.push_back(&b);
        for (const Band *b : bands) {
            const std::string where = report.name + ", " + b->name;
            for (std::size_t i = 0; i < b->controls.size(); ++i) {
                const Control &c = b->controls[i];
                if (!showsText(c))
                    continue;
                EXPECT_LE(c.x + c.w, layout.page.width) << where << ": " << c.name << c.text;
                EXPECT_LE(c.y + c.h, b->height) << where << ": " << c.name << c.text;
                for (std::size_t j = i + 1; j < b->controls.size(); ++j) {
                    const Control &o = b->controls[j];
                    if (showsText(o) && meet(c.x, c.w, o.x, o.w) && meet(c.y, c.h, o.y, o.h))
                        ADD_FAILURE() << where << ": " << c.name << c.text << " meets " << o.name << o.text;
                }
                if (c.kind == ControlKind::String)
                    EXPECT_LE(widthOf(c, c.text, c.size), c.w) << where << ": " << c.text;
                if (c.kind == ControlKind::Field) {
                    const std::string amount = widestAmount(c);
                    if (!amount.empty())
                        EXPECT_LE(widthOf(c, amount, c.size), c.w - kNumberMargin) << where << ": " << c.name << " " << amount;
                }
            }
        }
    }
}

// The sample's reports as printed: no two texts of one row meet, and a number wider than its
// control (a quantity of two billion, a total past a billion) printed smaller so that it fits.
TEST_F(SnapshotTest, PrintedRowsKeepTheirTextsApartAndNumbersWhole)
{
    Glo.Category = "tools";
    Glo.Location = "Garage";
    int shrunk = 0;
    for (const auto &[name, def, rowsRead] : builtReports()) {
        if (!rowsRead)
            continue;
        const Result r = run(def, withMemos(true));
        ASSERT_FALSE(r.rows.empty()) << name;
        for (const ReportRow &row : r.rows) {
            for (std::size_t i = 0; i < row.texts.size(); ++i) {
                const RowText &t = row.texts[i];
                for (std::size_t j = i + 1; j < row.texts.size(); ++j) {
                    const RowText &o = row.texts[j];
                    if (!t.text.empty() && !o.text.empty() && meet(t.x, t.w, o.x, o.w) && meet(t.y, t.h, o.y, o.h))
                        ADD_FAILURE() << name << ", " << row.band << ": " << t.control << " meets " << o.control;
                }
                const bool number = !t.text.empty() && t.text.find_first_not_of("0123456789,.-$") == std::string::npos &&
                                    t.text.find_first_of("0123456789") != std::string::npos;
                if (!number || t.w <= 0)
                    continue;
                previewer::TextItem item;
                item.size = t.size;
                item.text = t.text;
                item.style = previewer::STYLE_BOLD;  // the widest the text can print in
                EXPECT_LE(previewer::textWidth(item), t.w) << name << ", " << row.band << ": " << t.control << " " << t.text;
                shrunk += t.size < 1000;
            }
        }
    }
    EXPECT_GT(shrunk, 0);
}
