// Every built report of one fixed sample client (long texts, the largest amounts the fields
// hold, totals past a billion) printed to page items: every text with its place, size and
// font, every line, box, check and picture. The files under golden/snapshots are the pages as
// they print; a layout change shows as a diff there. ORVANE_WRITE_GOLDEN=1 writes them anew.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <fstream>
#include <sstream>

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
        for (auto [loc, desc] : {std::pair{"Living Room", "Front room, ground floor"},
                                 std::pair{"Garage", "Detached"}}) {
            rt::clearRecord(dict::LocationDef, &LCT);
            LCT.LOCATION = loc;
            LCT.DESCRIPTION = desc;
            ASSERT_EQ(Location.add(), 0);
        }
        for (auto [loc, box, desc] : {std::tuple{"Garage", "G-1", "Drill bits"}, std::tuple{"Garage", "G-2", "Paint"}}) {
            rt::clearRecord(dict::BoxNumberDef, &BOX);
            BOX.LOCATION = loc;
            BOX.BOXNUMBER = box;
            BOX.DESCRIPTION = desc;
            ASSERT_EQ(BoxNumber.add(), 0);
        }
        for (auto [cat, type, desc] : {std::tuple{"ART", "Painting", "Oil and acrylic"},
                                       std::tuple{"TOOLS", "Power", "Drills and saws"}}) {
            rt::clearRecord(dict::TypeDef, &TYP);
            TYP.CATEGORY = cat;
            TYP.TYPE = type;
            TYP.DESCRIPTION = desc;
            ASSERT_EQ(Type.add(), 0);
        }
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
        const std::string text = dump(r);
        if (std::getenv("ORVANE_WRITE_GOLDEN")) {
            std::ofstream(snapshotPath(name)) << text;
            return;
        }
        std::ifstream in(snapshotPath(name));
        ASSERT_TRUE(in) << snapshotPath(name);
        std::stringstream golden;
        golden << in.rdbuf();
        EXPECT_EQ(text, golden.str()) << name;
    }
};

TEST_F(SnapshotTest, EveryBuiltReportPrintsItsSnapshot)
{
    Glo.Category = "tools";
    Glo.Location = "Garage";
    struct Case {
        const char *name;
        ReportDefinition def;
    };
    const Case cases[] = {
        {"valuation", valuationDefinition(false)},
        {"valuation_wide", valuationDefinition(true)},
        {"category", selectionDefinition(Selection::Category, false)},
        {"category_wide", selectionDefinition(Selection::Category, true)},
        {"location", selectionDefinition(Selection::Location, false)},
        {"location_wide", selectionDefinition(Selection::Location, true)},
        {"insurance", insuranceDefinition(false)},
        {"insurance_wide", insuranceDefinition(true)},
        {"item_information", itemInformationDefinition(3)},
        {"location_box_list", locationBoxListDefinition()},
        {"category_types_list", categoryTypesListDefinition()},
        {"manufacturer_list", manufacturerListDefinition()},
        {"vendor_list", vendorListDefinition()},
    };
    for (const Case &c : cases)
        expectSnapshot(c.name, run(c.def, withMemos(true)));
    clientListOptions() = ClientListOptions{true, true, false, 0};
    expectSnapshot("client_list", run(clientListDefinition(), withMemos(true)));
    clientListOptions() = ClientListOptions{};
}
