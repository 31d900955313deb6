// The custom report engine on report rows: the orders and limits, the cells and totals under
// their columns, the optional bands, the definition read by its name, and the refusals; the
// twelve-column pages drawn to PDF.
#include <gtest/gtest.h>

#include <QImage>

#include "model/user_fields.h"
#include "runtime/gui.h"
#include "runtime/picture.h"
#include "reports/custom_fields.h"
#include "reports/custom_report.h"
#include "tests/reports/report_fixture.h"

using namespace reports;

namespace {

class CustomReport : public ReportTest {
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        CustomReportSetups.name = home.file(dict::CustomReportSetupsDef.diskName);
        ASSERT_EQ(CustomReportSetups.create(), 0);
        ASSERT_EQ(CustomReportSetups.open(rt::mode::ReadWriteDenyNone), 0);
        titles({"Room", "", "", ""});
    }
    void TearDown() override
    {
        CustomReportSetups.close();
        ReportTest::TearDown();
    }
    void titles(const std::array<std::string, 4> &t)
    {
        UserFields.close();
        ASSERT_EQ(UserFields.create(), 0);
        ASSERT_EQ(UserFields.open(rt::mode::ReadWriteDenyNone), 0);
        model::putDefaultTitles(USF);
        USF.TITLEUSERFIELD1 = t[0];
        USF.TITLEUSERFIELD2 = t[1];
        USF.TITLEUSERFIELD3 = t[2];
        USF.TITLEUSERFIELD4 = t[3];
        ASSERT_EQ(UserFields.add(), 0);
        reportFieldList().clear();
        BuildReportFieldList();
    }
    void define(const std::string &name, const std::vector<std::string> &columns, const char *orientation = "Portrait")
    {
        rt::clearRecord(dict::CustomReportSetupsDef, &CRS);
        CRS.REPORTNAME = name;
        CRS.ORIENTATION = orientation;
        const std::array fields{&CRS.FIELD1, &CRS.FIELD2, &CRS.FIELD3, &CRS.FIELD4,  &CRS.FIELD5,  &CRS.FIELD6,
                                &CRS.FIELD7, &CRS.FIELD8, &CRS.FIELD9, &CRS.FIELD10, &CRS.FIELD11, &CRS.FIELD12};
        for (std::size_t i = 0; i < columns.size(); ++i)
            *fields[i] = columns[i];
        ASSERT_EQ(CustomReportSetups.add(), 0);
    }
    // A run of the named definition with these options; no rows when the run was refused.
    Result print(const std::string &name, bool wide = false, const std::string &order = "Asset",
                 std::array<const char *, 4> limits = {"", "", "", ""}, bool memos = false, bool pictures = false,
                 bool newPage = false)
    {
        const ReportDefinition d = customReportDefinition(
            wide, {name, order, limits[0], limits[1], limits[2], limits[3], memos, pictures, newPage});
        Heading h;
        refused = !d.heading(h);
        if (refused)
            return {};
        return run(d);
    }
    static const RowText *find(const ReportRow &row, const std::string &control)
    {
        for (const RowText &t : row.texts)
            if (t.control == control)
                return &t;
        return nullptr;
    }
    bool refused = false;
};

using Texts = std::vector<std::string>;

TEST_F(CustomReport, OrdersAndLimitsChooseTheRowsCaseBlind)
{
    define("Plain", {"Asset", "Description Short"});
    struct I {
        const char *description, *category, *type, *location, *box;
    };
    const I items[] = {{"Toaster", "KITCHEN", "Small", "Pantry", "B2"},     {"Armchair", "Furniture", "Seat", "Den", ""},
                       {"Blender", "Kitchen", "Small", "Kitchen", "B1"},   {"Couch", "Furniture", "Seat", "Attic", "b1"},
                       {"Dishes", "kitchen", "Tableware", "Attic", "B1"}};
    for (const I &i : items)
        addItemWith([&](auto &) {
            MAS.DESCRIPTION = i.description;
            MAS.CATEGORY = i.category;
            MAS.TYPE = i.type;
            MAS.LOCATION = i.location;
            MAS.BOXNUMBER = i.box;
        });
    struct Case {
        const char *order;
        std::array<const char *, 4> limits;
        Texts assets;
    } cases[] = {
        {"Asset", {"", "", "", ""}, {"1", "2", "3", "4", "5"}},
        {"Description", {"", "", "", ""}, {"2", "3", "4", "5", "1"}},
        // Category, then type: Furniture (Seat), then the kitchen items however written.
        {"Category", {"", "", "", ""}, {"2", "4", "1", "3", "5"}},
        // Location, then box.
        {"Location", {"", "", "", ""}, {"4", "5", "2", "3", "1"}},
        {"Asset", {"Kitchen", "", "", ""}, {"1", "3", "5"}},
        {"Asset", {"Kitchen", "SMALL", "", ""}, {"1", "3"}},
        {"Asset", {"", "", "attic", ""}, {"4", "5"}},
        {"Location", {"", "", "", "B1"}, {"4", "5", "3"}},
        {"Asset", {"kitchen", "", "ATTIC", "b1"}, {"5"}},
    };
    for (const Case &c : cases) {
        const Result r = print("Plain", false, c.order, c.limits);
        EXPECT_EQ(r.texts("detail", "Column1"), c.assets) << c.order << " " << c.limits[0] << c.limits[1] << c.limits[2] << c.limits[3];
        ASSERT_EQ(r.band("totals").size(), 1u);
        EXPECT_EQ(r.band("totals")[0]->text("count"), std::to_string(c.assets.size()));
    }
    // No item within the limits: no row, and the totals band once with none listed.
    const Result none = print("Plain", false, "Asset", {"Garage", "", "", ""});
    EXPECT_TRUE(none.band("detail").empty());
    ASSERT_EQ(none.band("totals").size(), 1u);
    EXPECT_EQ(none.band("totals")[0]->text("count"), "0");
}

TEST_F(CustomReport, CellsStandUnderTheirHeadersAndTotalsUnderTheirColumns)
{
    // "Ghost" is a title of another client's user field: it takes no room and leaves no gap.
    define("Money", {"Asset", "", "Insured", "Ghost", "Quantity", "Orig Cost", "Extended Cost", "Market Value",
                     "Extended MV", "App Value", "Room", "Date Purchased"},
           "Landscape");
    addItemWith([](auto &) {
        MAS.QUANTITY = 3;
        MAS.INSURED = 1;
        ASSERT_TRUE(MAS.ORIGINALCOST.setCents(1000));
        ASSERT_TRUE(MAS.MARKETVALUE.setCents(2550));
        MAS.USERFIELD1 = "Master bedroom";
        MAS.DATEPURCHASED = 73000;
    });
    addItemWith([](auto &) {
        MAS.QUANTITY = 1000;
        ASSERT_TRUE(MAS.MARKETVALUE.setCents(9999999));    // 99,999.99
        ASSERT_TRUE(MAS.APPRAISEDVALUE.setCents(999999999));  // 9,999,999.99
    });
    const Result r = print("Money", true);
    ASSERT_EQ(r.band("detail").size(), 2u);
    const ReportRow &first = *r.band("detail")[0];
    struct Cell {
        std::string control, first, second;
    } cells[] = {{"Column1", "1", "2"},
                 {"Column2", "X", ""},
                 {"Column3", "3", "1000"},
                 {"Column4", "10.00", "0.00"},
                 {"Column5", "30.00", "0.00"},
                 {"Column6", "25.50", "99,999.99"},
                 {"Column7", "76.50", "99,999,990.00"},
                 {"Column8", "0.00", "9,999,999.99"},
                 {"Column9", "Master bedroom", ""},
                 {"Column10", rt::formatDate("@d1", 73000), ""}};
    for (const Cell &c : cells) {
        EXPECT_EQ(first.text(c.control), c.first) << c.control;
        EXPECT_EQ(r.band("detail")[1]->text(c.control), c.second) << c.control;
    }
    // Side by side from the left edge: Asset 0.5, Insured 0.5, Quantity 0.5, then the money;
    // a text ("Room") starts a small gap into its column.
    const int left = find(first, "Column1")->x;
    const int starts[] = {0, 500, 1000, 1500, 2200, 2900, 3600, 4300, 5040, 7500};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(find(first, "Column" + std::to_string(i + 1))->x - left, starts[i]) << i;

    ASSERT_EQ(r.band("totals").size(), 1u);
    const ReportRow &totals = *r.band("totals")[0];
    struct Total {
        const char *name, *text;
        int columnEnd;  // the right edge of the column it stands under
    } totalsWanted[] = {{"quantity", "1,003", 1500},
                        {"cost", "30.00", 2200},
                        {"extended cost", "30.00", 2900},
                        {"market value", "100,000,066.50", 3600},
                        {"extended market value", "100,000,066.50", 4300}};
    for (const Total &t : totalsWanted) {
        const RowText *text = find(totals, t.name);
        ASSERT_NE(text, nullptr) << t.name;
        EXPECT_EQ(text->text, t.text) << t.name;
        EXPECT_EQ(text->x + text->w - left, t.columnEnd) << t.name;
    }
    EXPECT_EQ(totals.text("count"), "2");
    EXPECT_TRUE(find(totals, "replacement cost") == nullptr);
    for (const ReportRow &row : r.rows)
        for (const RowText &t : row.texts)
            EXPECT_EQ(t.text.find('#'), std::string::npos) << t.control << " " << t.text;
}

TEST_F(CustomReport, MemoPictureAndNewPageBandsOnlyWhenAskedAndPresent)
{
    define("Bands", {"Asset", "Description Long"});
    const std::string wide = home.file("wide.png"), bad = home.file("bad.png");
    ASSERT_TRUE(QImage(800, 200, QImage::Format_RGB32).save(QString::fromStdString(wide)));
    {
        std::FILE *f = std::fopen(bad.c_str(), "wb");
        std::fputs("not a picture", f);
        std::fclose(f);
    }
    addItemWith([&](auto &) {
        MAS.MEMO = "Bought in Rome.";
        MAS.IMAGE = wide;
    });
    addItemWith([&](auto &) { MAS.IMAGE = bad; });
    addItemWith([](auto &) {});
    struct Case {
        bool memos, pictures, newPage;
        std::size_t memoBands, pictureBands;
        int pages;
    } cases[] = {{false, false, false, 0, 0, 1}, {true, false, false, 1, 0, 1}, {false, true, false, 0, 2, 1},
                 {true, true, true, 1, 2, 4}};
    for (const Case &c : cases) {
        const Result r = print("Bands", false, "Asset", {"", "", "", ""}, c.memos, c.pictures, c.newPage);
        EXPECT_EQ(r.band("memo").size(), c.memoBands);
        ASSERT_EQ(r.band("picture").size(), c.pictureBands);
        EXPECT_EQ(static_cast<int>(r.pages.size()), c.pages) << c.memos << c.pictures << c.newPage;
        if (c.memoBands)
            EXPECT_EQ(r.band("memo")[0]->text("MAS:MEMO"), "Bought in Rome.");
        if (c.pictureBands) {
            // 800 by 200 fills the square's width; a file that is no picture keeps its path only.
            const RowText *pic = find(*r.band("picture")[0], "picture");
            ASSERT_NE(pic, nullptr);
            EXPECT_EQ(pic->w, 4000);
            EXPECT_EQ(pic->h, 1000);
            EXPECT_EQ(r.band("picture")[1]->text("MAS:IMAGE"), bad);
            EXPECT_EQ(find(*r.band("picture")[1], "picture"), nullptr);
        }
        if (c.newPage)
            for (std::size_t i = 0; i < 3; ++i)
                EXPECT_EQ(r.band("detail")[i]->page, static_cast<int>(i) + 1);
    }
}

// Limits that match none of the client's items (Category "Jewelry" in the "Den") printed the
// heading alone: the totals band prints once, with blank totals and no item listed. A client
// without items still gets no totals band.
TEST_F(CustomReport, CustomNoMatchTotalsPrintOnceWithBlankTotalsAndNoItemListed)
{
    define("Den jewelry", {"Category", "Location", "Description Short", "Quantity", "Market Value"});
    const std::array<const char *, 4> limits = {"Jewelry", "", "Den", ""};
    for (bool wide : {false, true})
        EXPECT_TRUE(print("Den jewelry", wide, "Asset", limits).band("totals").empty()) << "a client without items";
    addItemWith([](MasterInventoryBuffer &m) {
        m.CATEGORY = "Jewelry";
        m.LOCATION = "Master Bedroom";
        (void)m.MARKETVALUE.setCents(250000);
    });
    addItemWith([](MasterInventoryBuffer &m) {
        m.CATEGORY = "Art";
        m.LOCATION = "Den";
        (void)m.MARKETVALUE.setCents(99900);
    });
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "wide" : "portrait");
        const Result r = print("Den jewelry", wide, "Asset", limits);
        EXPECT_TRUE(r.band("detail").empty());
        ASSERT_EQ(r.band("totals").size(), 1u);
        const ReportRow &totals = *r.band("totals")[0];
        EXPECT_EQ(totals.text("count"), "0");
        EXPECT_EQ(totals.text("Number of items listed:"), "Number of items listed:");
        for (const char *total : {"quantity", "market value"})
            EXPECT_EQ(rt::trim(totals.text(total)), "") << total;
        EXPECT_EQ(r.pages.size(), 1u);
    }
}

// The print job and the PDF were titled "Custom Report" whatever the definition printed: they
// carry the definition's name that heads the page, in the preview and printed straight away.
TEST_F(CustomReport, JobAndPdfTitleAreTheDefinitionsName)
{
    define("Kitchen appliances for the insurer", {"Asset", "Description Short"});
    addItem("Kitchen", "Kettle", 1, 100);
    struct Titles : NoOutput {
        std::vector<std::string> *seen;
        int preview(std::vector<std::string> &, previewer::PreviewReport &r) override
        {
            seen->push_back("preview " + r.title.toStdString());
            return 2;
        }
        int send(const std::vector<std::string> &q, int c, const previewer::PreviewReport &r) override
        {
            seen->push_back("send " + r.title.toStdString());
            return NoOutput::send(q, c);
        }
    };
    std::vector<std::string> seen;
    const OutputFactory old = setReportOutput([&seen] {
        auto out = std::make_unique<Titles>();
        out->seen = &seen;
        return out;
    });
    rt::bindRequestGlobals(&Glo.Request, &Glo.Response);
    testing_support::ScriptedMessages messages;
    CustomOptions o;
    o.reportName = "kitchen appliances for the insurer";
    for (bool wide : {false, true})
        for (int answer : {rt::BUTTON_YES, rt::BUTTON_NO}) {
            messages.answer(answer);
            runReport(customReportDefinition(wide, o));
        }
    setReportOutput(old);
    const std::string name = "Kitchen appliances for the insurer";
    EXPECT_EQ(seen, (std::vector<std::string>{"preview " + name, "send " + name, "preview " + name, "send " + name}));
}

TEST_F(CustomReport, TheDefinitionIsReadByNameAndRefusedWhenMissingOrTooWide)
{
    define("Short", {"Asset"});
    define("Long", {"Asset", "Description Long", "Room"});
    addItemWith([](auto &) { MAS.USERFIELD1 = "Den"; });
    // The look-up left "Long" in the buffer; the run prints "Short".
    rt::clearRecord(dict::CustomReportSetupsDef, &CRS);
    CRS.REPORTNAME = "Long";
    CRS.FIELD2 = "Description Long";
    Result r = print("Short");
    ASSERT_EQ(r.band("detail").size(), 1u);
    EXPECT_EQ(r.band("detail")[0]->texts.size(), 1u);

    // 0.5 + 3.2 + 2.5 + 1.3 = 7.5 fits upright exactly.
    define("Full", {"Asset", "Description Long", "Room", "Model #"});
    EXPECT_EQ(print("Full").band("detail").size(), 1u);
    EXPECT_FALSE(refused);
    // Saved while "Notes" counted 0 (another client's title), too wide for this one.
    define("Notes", {"Asset", "Description Long", "Room", "Notes"});
    titles({"Room", "Notes", "", ""});
    struct Case {
        const char *name;
        bool wide;
        const char *message, *title;
    } cases[] = {{"Notes", false, "The report you have configured is too wide|please make adjustments accordingly",
                  "Report Error"},
                 {"Notes", true, nullptr, nullptr},
                 {"Missing", false, "Error reading report properties", "File Error"}};
    for (const Case &c : cases) {
        testing_support::ScriptedMessages messages;
        r = print(c.name, c.wide);
        EXPECT_EQ(refused, c.message != nullptr) << c.name;
        if (!c.message) {
            EXPECT_TRUE(messages.shown().empty());
            EXPECT_EQ(r.band("detail")[0]->text("Column3"), "Den");
            EXPECT_EQ(r.band("detail")[0]->text("Column4"), "");
            continue;
        }
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].text, c.message);
        EXPECT_EQ(messages.shown()[0].title, c.title);
        EXPECT_GE(messages.beeps(), 1);
    }
}

TEST_F(CustomReport, TwelveColumnsDrawToPdfInsideThePage)
{
    // 7.5 and 9.7 inches.
    define("Upright", {"Asset", "Description Short", "Quantity", "Orig Cost", "Extended Cost", "Extended MV",
                       "Insured", "Signed", "Appraised", "Engraved", "Warranty", "Yr Org"});
    define("Sideways",
           {"Asset", "Description Short", "Model #", "Serial #", "Yr Org", "Quantity", "Orig Cost", "Extended Cost",
            "Market Value", "Extended MV", "App Value", "Date Purchased"},
           "Landscape");
    for (int i = 0; i < 60; ++i)
        addItemWith([i](auto &) {
            MAS.DESCRIPTION = "A long description of item number " + std::to_string(i + 1) + " that is cut";
            MAS.QUANTITY = 1 + i % 4;
            MAS.CATEGORY = i % 2 ? "Jewelry and watches" : "Electronics";
            MAS.MODELNUMBER = "MODEL-NUMBER-" + std::to_string(i);
            MAS.SERIALNUMBER = "SN-000000000" + std::to_string(i);
            MAS.CONDITION = "Excellent";
            MAS.INSURED = i % 2;
            MAS.APPRAISED = 1;
            MAS.WARRANTY = i % 5 == 0;
            MAS.ENGRAVED = i % 7 == 0;
            MAS.SIGNED = i % 3 == 0;
            MAS.YEARORIGIN = 1900 + i;
            MAS.DATEPURCHASED = 70000 + i;
            MAS.USERFIELD1 = "Upstairs bedroom closet";
            ASSERT_TRUE(MAS.ORIGINALCOST.setCents(9999999 - i));
            ASSERT_TRUE(MAS.MARKETVALUE.setCents(1234567 + i * 1000));
            ASSERT_TRUE(MAS.APPRAISEDVALUE.setCents(999999999));
        });
    for (const bool wide : {false, true}) {
        CustomOptions o;
        o.reportName = wide ? "Sideways" : "Upright";
        const ReportDefinition d = customReportDefinition(wide, o);
        Heading h;
        ASSERT_TRUE(d.heading(h));
        const Result r = run(d, {}, 80000, 5000000);
        const int width = wide ? 10000 : 7500;
        const int left = r.layout.page.left;
        // Every control inside the page body, and no two texts of a row over each other.
        for (const ReportRow &row : r.rows) {
            for (const RowText &t : row.texts) {
                EXPECT_GE(t.x, left) << row.band << " " << t.control;
                EXPECT_LE(t.x + t.w, left + width) << row.band << " " << t.control;
                if (row.band == "detail" || row.band == "totals")
                    EXPECT_EQ(t.text.find('#'), std::string::npos) << t.control;
            }
            for (std::size_t i = 0; i < row.texts.size(); ++i)
                for (std::size_t j = i + 1; j < row.texts.size(); ++j) {
                    const RowText &a = row.texts[i], &b = row.texts[j];
                    const bool overlap = a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
                    EXPECT_FALSE(overlap) << row.band << " " << a.control << " " << b.control;
                }
        }
        for (const Control &c : r.layout.header.controls)
            EXPECT_LE(c.x + c.w, width) << c.text;
        const QStringList sizes = drawToPdf(r.pages, wide ? "custom_wide.pdf" : "custom.pdf");
        ASSERT_EQ(sizes.size(), static_cast<int>(r.pages.size()));
        EXPECT_EQ(sizes.front(), wide ? "792x612" : "612x792");
    }
}

}  // namespace
