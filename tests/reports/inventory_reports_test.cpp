// The category and location inventories, the insurance report and the item information report
// on report rows and page text; the selection protocol and the order of the questions through
// the frame with scripted answers and a fake picker.
#include <gtest/gtest.h>

#include <QImage>
#include <functional>

#include "previewer/page_file.h"
#include "reports/frame.h"
#include "reports/item_reports.h"
#include "runtime/gui.h"
#include "tests/reports/report_fixture.h"

using namespace reports;

namespace {

class InventoryReportsTest : public ReportTest {
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        rt::bindRequestGlobals(&Glo.Request, &Glo.Response);
        old_ = setReportOutput([] { return std::make_unique<NoOutput>(); });
    }
    void TearDown() override
    {
        setReportOutput(old_);
        ReportTest::TearDown();
    }
    // An item with every field the test sets through `fill`.
    void addFull(const std::function<void(MasterInventoryBuffer &)> &fill)
    {
        rt::clearRecord(dict::MasterInventoryDef, &MAS);
        MAS.MEMO.clear();
        MAS.ASSETNUMBER = ++asset_;
        MAS.STATUS = "Have";
        fill(MAS);
        ASSERT_EQ(MasterInventory.add(), 0);
    }
    // A picker that answers as told and notes when it was called.
    void fakePicker(const char *name, bool ok, const char *choice)
    {
        std::string pick = choice;
        rt::registerProcedure(name, [this, ok, pick, name] {
            steps.push_back(name);
            Glo.SelectionCancelled = ok ? 0 : 1;
            if (ok)
                (std::string(name) == "GetCategory" ? Glo.Category : Glo.Location) = pick;
        });
    }

    testing_support::ScriptedMessages messages;
    std::vector<std::string> steps;
    OutputFactory old_;
};

TEST_F(InventoryReportsTest, CancelledPickerAsksNothingMoreAndAPresetShowsNoPicker)
{
    closeAll();
    for (bool wide : {false, true}) {
        for (Selection by : {Selection::Category, Selection::Location}) {
            const char *picker = by == Selection::Category ? "GetCategory" : "GetLocation";
            fakePicker(picker, false, "");
            Glo.SelectionPreset = 0;
            steps.clear();
            messages.clear();
            rt::setResponse(1);
            EXPECT_EQ(runReport(selectionDefinition(by, wide)), 2);
            EXPECT_EQ(steps, std::vector<std::string>{picker});
            EXPECT_TRUE(messages.shown().empty());
            EXPECT_EQ(Glo.Response, 2);
            EXPECT_FALSE(MasterInventory.isOpen());

            // Preset by a browse: the picker stays shut, the global's choice is reported.
            Glo.SelectionPreset = 1;
            steps.clear();
            messages.clear();
            messages.answer(rt::BUTTON_NO);      // memos
            messages.answer(rt::BUTTON_CANCEL);  // preview
            runReport(selectionDefinition(by, wide));
            EXPECT_TRUE(steps.empty());
            ASSERT_EQ(messages.shown().size(), 2u);
        }
    }
}

TEST_F(InventoryReportsTest, QuestionsComeAsPickerMemoPreviewAndTheChoiceIsReportedCaseBlind)
{
    addCategory("Kitchen", "Kitchen and pantry");
    addItem("kitchen", "Mixing bowls", 4, 250, "Blue glaze.");
    addItem("KITCHEN", "Tea towels", 4, 250);
    addItem("Garage", "Lawn mower", 1, 30000);
    closeAll();
    fakePicker("GetCategory", true, "Kitchen");
    Glo.SelectionPreset = 0;
    rt::registerProcedure("GetLocation", [] { FAIL() << "the category report asked for a location"; });
    messages.answer(rt::BUTTON_YES);  // memos
    messages.answer(rt::BUTTON_YES);  // preview
    EXPECT_EQ(runReport(selectionDefinition(Selection::Category, false)), 2);  // left the preview
    ASSERT_EQ(steps, std::vector<std::string>{"GetCategory"});
    ASSERT_GE(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[0].text, "Do you wish to include the inventory memos if any?");
    EXPECT_EQ(messages.shown()[0].title, "Include Memo");
    EXPECT_EQ(messages.shown()[0].defaultButton, rt::BUTTON_NO);
    EXPECT_EQ(messages.shown()[1].title, "Preview");

    int details = 0, memos = 0, headers = 0;
    std::string count, value;
    for (const ReportRow &r : printed_rows::rows()) {
        details += r.band == "detail";
        memos += r.band == "memo";
        headers += r.band == "group header";
        if (r.band == "grand totals") {
            count = r.text("count");
            value = r.text("value");
        }
        EXPECT_NE(r.band, "group footer");
    }
    EXPECT_EQ(details, 2);
    EXPECT_EQ(memos, 1);
    EXPECT_EQ(headers, 1);
    EXPECT_EQ(count, "2");
    EXPECT_EQ(value, "$20.00");
}

TEST_F(InventoryReportsTest, LocationReportsListOneRoomInBoxOrderWithItsDescription)
{
    addLocation("Living Room", "Front of the house");
    for (const char *box : {"B-2", "B-1"})
        addFull([box](MasterInventoryBuffer &m) {
            m.LOCATION = "living room";
            m.BOXNUMBER = box;
            m.CATEGORY = "Books";
            m.DESCRIPTION = std::string("Box ") + box;
            m.QUANTITY = 12345;
            (void)m.MARKETVALUE.setCents(99999);
        });
    addFull([](MasterInventoryBuffer &m) { m.LOCATION = "Garage"; });
    Glo.Location = "Living Room";
    for (bool wide : {false, true}) {
        Result r = run(selectionDefinition(Selection::Location, wide), withMemos(false));
        auto details = r.band("detail");
        ASSERT_EQ(details.size(), 2u);
        EXPECT_EQ(details[0]->text("MAS:BOXNUMBER"), "B-1");
        EXPECT_EQ(details[0]->text("MAS:QUANTITY"), "12,345");
        ASSERT_EQ(r.band("group header").size(), 1u);
        EXPECT_EQ(r.band("group header")[0]->text("LCT:DESCRIPTION"), "Front of the house");
        EXPECT_EQ(r.band("grand totals")[0]->text("value"), "$24,689,753.10");
        EXPECT_EQ(details[0]->text("MAS:CATEGORY"), wide ? "Books" : "");
        EXPECT_EQ(r.allText().find('#'), std::string::npos);
    }
}

TEST_F(InventoryReportsTest, InsuranceTotalsMultiplyByQuantityAndStartFromZeroPerCategory)
{
    addCategory("ART", "Art");
    addCategory("TOOLS", "Tools");
    auto item = [this](const char *cat, int qty, std::int64_t value, std::int64_t original, std::int64_t replace,
                       std::int32_t purchased) {
        addFull([=](MasterInventoryBuffer &m) {
            m.CATEGORY = cat;
            m.DESCRIPTION = std::string("Item of ") + cat;
            m.QUANTITY = qty;
            (void)m.MARKETVALUE.setCents(value);
            (void)m.ORIGINALCOST.setCents(original);
            (void)m.REPLACEMENTCOST.setCents(replace);
            m.DATEPURCHASED = purchased;
        });
    };
    item("ART", 3, 1000, 1200, 800, 0);
    item("TOOLS", 1, 500, 100, 700, 80000);
    item("tools", 2, 50, 50, 50, 80000);
    std::string grandTexts[2];
    for (bool wide : {false, true}) {
        Result r = run(insuranceDefinition(wide));
        auto footers = r.band("group footer");
        ASSERT_EQ(footers.size(), 2u);
        EXPECT_EQ(footers[0]->text("value"), "30.00");
        EXPECT_EQ(footers[0]->text("originalCost"), "36.00");
        EXPECT_EQ(footers[0]->text("replacementCost"), "24.00");
        EXPECT_EQ(footers[0]->text("count"), "1");
        EXPECT_EQ(footers[1]->text("CAT:CATEGORY"), "TOOLS");
        EXPECT_EQ(footers[1]->text("value"), "6.00");
        EXPECT_EQ(footers[1]->text("originalCost"), "2.00");
        EXPECT_EQ(footers[1]->text("replacementCost"), "8.00");
        EXPECT_EQ(footers[1]->text("count"), "2");
        auto grand = r.band("grand totals");
        ASSERT_EQ(grand.size(), 1u);
        EXPECT_EQ(grand[0]->text("value"), "36.00");
        EXPECT_EQ(grand[0]->text("originalCost"), "38.00");
        EXPECT_EQ(grand[0]->text("replacementCost"), "32.00");
        EXPECT_EQ(grand[0]->text("count"), "3");
        // The detail shows the per-piece amounts, and no date when there is none.
        auto details = r.band("detail");
        EXPECT_EQ(details[0]->text("MAS:MARKETVALUE"), "10.00");
        EXPECT_EQ(details[0]->text("MAS:DATEPURCHASED"), "");
        EXPECT_NE(details[1]->text("MAS:DATEPURCHASED"), "");
        if (wide)
            EXPECT_EQ(details[0]->text("ExtendedValue"), "30.00");
        for (const char *t : {"value", "originalCost", "replacementCost", "count"})
            grandTexts[wide] += grand[0]->text(t) + "|";
        const std::string page = r.pageText(0);
        for (const char *s : {"Insurance Report", "Rplcmnt", "Cost (ea)", "Purchased", "Grand totals all categories:",
                              "Total values all categories:", "Number of items this category:"})
            EXPECT_NE(page.find(s), std::string::npos) << s << (wide ? " wide" : "");
    }
    EXPECT_EQ(grandTexts[0], grandTexts[1]);
}

TEST(PictureFit, PicturesFitTheSquareKeepingTheirProportions)
{
    EXPECT_EQ(fitToSquare(QSize(800, 600), 4000), QSize(4000, 3000));
    EXPECT_EQ(fitToSquare(QSize(8000, 2000), 4000), QSize(4000, 1000));
    EXPECT_EQ(fitToSquare(QSize(300, 1200), 4000), QSize(1000, 4000));
    EXPECT_FALSE(fitToSquare(QSize(), 4000));
    EXPECT_FALSE(fitToSquare(QSize(0, 600), 4000));
    EXPECT_FALSE(fitToSquare(QSize(800, 0), 4000));
}

TEST_F(InventoryReportsTest, ItemInformationPrintsEveryFieldItsMemoAndItsPictures)
{
    const std::string picture = home.file("wide.png");
    ASSERT_TRUE(QImage(800, 200, QImage::Format_RGB32).save(QString::fromStdString(picture)));
    rt::clearRecord(dict::UserFieldsDef, &USF);
    USF.TITLEUSERFIELD1 = "Insurer";
    USF.TITLEUSERFIELD2 = "";
    ASSERT_EQ(UserFields.add(), 0);
    addFull([&](MasterInventoryBuffer &m) {
        m.DESCRIPTION = "Grandfather clock";
        m.CATEGORY = "Furniture";
        m.QUANTITY = 10000;
        m.YEARORIGIN = 1887;
        (void)m.TOTALWEIGHT.setCents(12345);
        m.TOTALNUMBER = 1234567890;
        m.SIGNED = 1;
        m.USERFIELD1 = "Acme Mutual";
        m.USERFIELD2 = "No title";
        m.IMAGE = picture;
        m.RECEIPTIMAGE = home.file("gone.jpg");
        m.MEMO = "Wound weekly.";
    });
    const std::int32_t asset = MAS.ASSETNUMBER.get();
    Result r = run(itemInformationDefinition(asset));
    const std::string text = r.allText();
    for (const char *label :
         {"Complete Item Information", "Description:", "Asset number:", "Manufacturer:", "Status:", "Category:",
          "Serial number:", "Type:", "Model number:", "Location:", "Color:", "Box number:", "Condition:",
          "Date purchased:", "Quantity:", "Purchased from:", "Original cost:", "How purchased:", "Replacement cost:",
          "Date entered:", "Market value:", "Engraved", "Appraised", "Warranty", "Insured", "Business Use",
          "Family Heirloom", "Signed", "Limited Edition", "Heir:", "Appraisal date:", "Appraised value:",
          "Warranty expiration:", "Appraiser:", "Asking price:", "Subject:", "Carat wt.", "Total wt.",
          "Star/Artist/Author:", "CoStar/Artist/Author:", "Artist:", "Year of origin:", "Edition number:",
          "Total pieces:", "Price sold:", "MSRP:", "Memos or notes on file:", "Path to image 1:", "Path to receipt:",
          "* * *   End Of Report   * * *", "Insurer", "Acme Mutual", "No title", "Wound weekly."})
        EXPECT_NE(text.find(label), std::string::npos) << label;
    EXPECT_EQ(text.find("Path to image 2:"), std::string::npos);
    EXPECT_EQ(text.find("Path to warranty:"), std::string::npos);

    const ReportRow &detail = *r.band("detail").at(0);
    EXPECT_EQ(detail.text("MAS:YEARORIGIN"), "1887");
    EXPECT_EQ(detail.text("MAS:QUANTITY"), "10,000");
    EXPECT_EQ(detail.text("MAS:TOTALWEIGHT"), "123.45");
    EXPECT_EQ(detail.text("MAS:TOTALNUMBER"), "1,234,567,890");
    EXPECT_EQ(detail.text("MAS:SIGNED"), "[X] Signed");
    EXPECT_EQ(detail.text("MAS:ENGRAVED"), "[ ] Engraved");
    EXPECT_EQ(text.find('#'), std::string::npos);

    // Bands in order; the missing receipt prints its band with an empty area.
    std::vector<std::string> order;
    for (const ReportRow &row : r.rows)
        if (row.band != "page heading" && row.band != "page footer")
            order.push_back(row.band);
    EXPECT_EQ(order, (std::vector<std::string>{"detail", "memo", "picture 1", "receipt", "end of report"}));
    std::vector<previewer::PictureItem> drawn;
    for (const previewer::Page &p : r.pages)
        for (const previewer::Item &i : p.items)
            if (const auto *pic = std::get_if<previewer::PictureItem>(&i))
                drawn.push_back(*pic);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].path, picture);
    EXPECT_EQ(drawn[0].w, 4000);
    EXPECT_EQ(drawn[0].h, 1000);
    const ReportRow &receipt = *r.band("receipt").at(0);
    EXPECT_EQ(receipt.text("MAS:RECEIPTIMAGE"), home.file("gone.jpg"));
    EXPECT_EQ(receipt.height, 230 + 120);

    // An item of asset number 0 is not found: the page heading and footer only.
    Result none = run(itemInformationDefinition(0));
    ASSERT_EQ(none.pages.size(), 1u);
    for (const ReportRow &row : none.rows)
        EXPECT_TRUE(row.band == "page heading" || row.band == "page footer") << row.band;
    EXPECT_NE(none.pageText(0).find("Complete Item Information"), std::string::npos);
}

}  // namespace
