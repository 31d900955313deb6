// Golden page text of the client list and the reference lists on seeded data.
#include <gtest/gtest.h>

#include "tests/reports/report_fixture.h"

using namespace reports;

namespace {

std::string goldenPath(const std::string &name) { return std::string(ORVANE_GOLDEN_DIR) + "/" + name + ".txt"; }

class ListsTest : public ReportTest {
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        addClient("B7", "Brown", "", "", 72000, "Prefers calls after six.");
        addClient("C3", "Carter", "Ann", "ann@carter.test", 74000);
        addLocation("Attic", "Top floor");
        addLocation("Garage", "Detached");
        addBox("Attic", "A-1", "Winter clothes");
        addBox("attic", "A-2", "Books");
        addBox("Cellar", "C-1", "Never printed");
        addCategory("ART", "Art and pictures");
        addCategory("TOOLS", "");
        addType("ART", "Painting", "Oil and acrylic");
        addType("ART", "Print", "Lithographs");
        addType("tools", "Power", "Drills");
        rt::clearRecord(dict::ManufacturersDef, &MAN);
        MAN.MANUFACTURER = "Acme";
        MAN.ADDRESS1 = "5 Industry Way";
        MAN.ADDRESS2 = "Dayton, OH";
        MAN.PHONE = "9375550111";
        ASSERT_EQ(Manufacturers.add(), 0);
        MAN.MANUFACTURER = "Bolt & Co";
        MAN.ADDRESS1 = "";
        MAN.ADDRESS2 = "";
        MAN.PHONE = "";
        ASSERT_EQ(Manufacturers.add(), 0);
        rt::clearRecord(dict::VendorsDef, &VEN);
        VEN.VENDOR = "Corner Store";
        VEN.ADDRESS1 = "9 Market St";
        VEN.PHONE = "2175550199";
        ASSERT_EQ(Vendors.add(), 0);
    }
    void expectGolden(const std::string &name, const Result &r)
    {
        std::string text;
        for (std::size_t i = 0; i < r.pages.size(); ++i)
            text += "=== page " + std::to_string(i + 1) + "\n" + r.pageText(i);
        expectGoldenFile(goldenPath(name), text);
    }
};

}  // namespace

TEST_F(ListsTest, ClientList)
{
    expectGolden("client_list", run(clientListDefinition({})));
    Result r = run(clientListDefinition({true, true, false, 73000}));
    expectGolden("client_list_options", r);
    // Carter was updated after the client date.
    EXPECT_EQ(r.band("totals").at(0)->text("count"), "2");
    EXPECT_EQ(run(clientListDefinition({false, false, true, 0})).band("email").size(), 2u);
}

TEST_F(ListsTest, ReferenceLists)
{
    expectGolden("location_box_list", run(locationBoxListDefinition()));
    expectGolden("category_types_list", run(categoryTypesListDefinition()));
    expectGolden("manufacturer_list", run(manufacturerListDefinition()));
    expectGolden("vendor_list", run(vendorListDefinition()));
}

TEST_F(ListsTest, SecondaryResidenceHeadsTheListsAndAMissingOneLeavesItsLinesEmpty)
{
    rt::clearRecord(dict::SecondaryResidenceDef, &SEC);
    SEC.RESIDENCENAME = "Lake House";
    SEC.ADDRESS = "77 Shore Drive";
    SEC.CSZ = "Lakeview, MI 49946";
    SEC.PHONE = "(906) 555-0177";
    ASSERT_EQ(SecondaryResidence.add(), 0);
    MainSystemFile.setFileOrder();
    ASSERT_EQ(MainSystemFile.next(), 0);
    MSY.ACTIVERESIDENCE = "Secondary";
    MSY.SECONDARYRESIDENCE = "lake house";
    ASSERT_EQ(MainSystemFile.put(), 0);
    testing_support::ScriptedMessages messages;
    std::string t = run(vendorListDefinition()).pageText(0);
    EXPECT_NE(t.find("77 Shore Drive"), std::string::npos) << t;
    EXPECT_NE(t.find("(906) 555-0177"), std::string::npos) << t;
    EXPECT_TRUE(messages.shown().empty());

    MSY.SECONDARYRESIDENCE = "Nowhere";
    ASSERT_EQ(MainSystemFile.put(), 0);
    t = run(vendorListDefinition()).pageText(0);
    EXPECT_TRUE(messages.sawText("Error reading Secondary Residence file"));
    EXPECT_EQ(t.find("1 Main Street"), std::string::npos);
    EXPECT_NE(t.find("Orvane Appraisals"), std::string::npos);

    // A blank active residence is the primary one.
    MSY.ACTIVERESIDENCE = "";
    ASSERT_EQ(MainSystemFile.put(), 0);
    EXPECT_NE(run(vendorListDefinition()).pageText(0).find("1 Main Street"), std::string::npos);
}
