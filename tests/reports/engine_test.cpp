// The report engine on report rows and page text: pagination, text blocks, groups and totals,
// over the Home Inventory Report and over plain layouts.
#include "reports/engine.h"

#include <gtest/gtest.h>

#include "previewer/display_strings.h"
#include "reports/item_reports.h"
#include "reports/layout_kit.h"
#include "reports/report_strings.h"
#include "runtime/ini.h"
#include "reports/run.h"
#include "tests/reports/report_fixture.h"

using namespace reports;

namespace {

// A layout of a 1000-high area with a heading and a footer that show the page number.
ReportLayout smallLayout()
{
    ReportLayout l;
    l.page.top = 1000;
    l.page.height = 1000;
    l.header = Band{"head", 300, {kit::text(0, 0, 1000, "Head"), kit::field("Page", 2000, 0, 500, "@n4")}, false};
    l.footer = Band{"foot", 200, {kit::text(0, 0, 1000, "Foot")}, false};
    l.bands = {Band{"row", 250, {kit::field("n", 0, 0, 1000, "@n9")}, false},
               Band{"breaking", 250, {kit::text(0, 0, 500, "B")}, true},
               Band{"memo", 100, {kit::block("text", 0, 0, 2000)}, false}};
    return l;
}

struct Pages {
    std::vector<previewer::Page> pages;
    PageSink sink()
    {
        return [this](const previewer::Page &p, int) {
            pages.push_back(p);
            return true;
        };
    }
};

// Fixed-width letters make the line breaks predictable.
double fixedWidth(const previewer::TextItem &t) { return 50.0 * previewer::decodeUtf8(t.text).size(); }

}  // namespace

TEST(ReportEngine, BandsThatFitStayAndTheNextMovesWholeWithHeadingAndFooterOnEveryPage)
{
    Pages out;
    ReportWriter w(smallLayout(), out.sink());
    for (int i = 1; i <= 4; ++i)  // 4 x 250 fills the area exactly
        w.print("row", Values{{"n", Value::whole(i)}});
    w.print("row", Values{{"n", Value::whole(5)}});
    w.print("breaking");
    w.print("row", Values{{"n", Value::whole(6)}});
    EXPECT_FALSE(w.print("no such band"));
    w.finish();
    ASSERT_EQ(w.pages(), 3);
    ASSERT_EQ(out.pages.size(), 3u);
    std::vector<int> pageOf;
    for (const ReportRow &r : w.rows())
        if (r.band == "row")
            pageOf.push_back(r.page);
    EXPECT_EQ(pageOf, (std::vector<int>{1, 1, 1, 1, 2, 3}));
    int heads = 0, feet = 0;
    for (const ReportRow &r : w.rows()) {
        if (r.band == "head") {
            ++heads;
            EXPECT_EQ(r.text("Page"), std::to_string(r.page));
        }
        feet += r.band == "foot";
    }
    EXPECT_EQ(heads, 3);
    EXPECT_EQ(feet, 3);
    // The footer goes under the area, the heading at its place on the paper.
    EXPECT_EQ(w.rows().front().y, 500);
}

// A band that shows nothing (a spacer, a page break, a picture that could not be read) at the
// end of a page opened a page of its own that held nothing but the heading and the footer:
// after a full page, after a page break already asked for, and one after the other.
TEST(ReportEngine, NoBlankPageFromABandThatShowsNothingAtAPagesEnd)
{
    ReportLayout l = smallLayout();
    l.bands.push_back(Band{"spacer", 100, {}, false});
    l.bands.push_back(Band{"page break", 100, {}, true});
    Control hidden = kit::text(0, 0, 500, "hidden");
    hidden.visible = false;
    l.bands.push_back(Band{"empty picture", 400, {hidden}, false});
    struct Case {
        const char *what;
        std::vector<std::string> bands;  // "row" prints a number
        int pages;
    };
    const Case cases[] = {
        {"a page break after a full page", {"row", "row", "row", "row", "page break", "row"}, 2},
        {"a spacer after a full page", {"row", "row", "row", "row", "spacer", "row"}, 2},
        {"an empty picture, then a page break", {"row", "row", "row", "empty picture", "page break", "row"}, 2},
        {"a page break after a break asked for", {"row", "breaking", "page break", "row"}, 2},
        {"two page breaks", {"row", "page break", "page break", "spacer", "row"}, 2},
        {"a page break last", {"row", "row", "row", "row", "page break"}, 1},
    };
    for (const Case &c : cases) {
        Pages out;
        ReportWriter w(l, out.sink());
        int n = 0;
        for (const std::string &b : c.bands)
            w.print(b, Values{{"n", Value::whole(++n)}});
        w.finish();
        EXPECT_EQ(w.pages(), c.pages) << c.what;
        std::vector<bool> held(static_cast<std::size_t>(w.pages()) + 1, false);
        for (const ReportRow &r : w.rows())
            if (r.band == "row" || r.band == "breaking")
                held[static_cast<std::size_t>(r.page)] = true;
        for (int p = 1; p <= w.pages(); ++p)
            EXPECT_TRUE(held[static_cast<std::size_t>(p)]) << c.what << ": page " << p << " holds no band";
    }
}

TEST(ReportEngine, EmptyRunGivesOnePageAndOverridesLastOnePrint)
{
    Pages out;
    ReportWriter w(smallLayout(), out.sink());
    w.finish();
    w.finish();
    EXPECT_EQ(out.pages.size(), 1u);
    EXPECT_TRUE(out.pages[0].complete);

    // Page numbers past 999 print whole under "@n4".
    Pages many;
    ReportWriter w1(smallLayout(), many.sink());
    w1.keepRows(false);
    for (int i = 0; i < 4 * 1000 + 1; ++i)
        w1.print("row", Values{{"n", Value::whole(i)}});
    w1.finish();
    ASSERT_EQ(many.pages.size(), 1001u);
    EXPECT_TRUE(w1.rows().empty());
    std::string last;
    for (const std::string &line : previewer::textGrid(many.pages.back(), 66, 120))
        last += line + "\n";
    EXPECT_NE(last.find("Head"), std::string::npos) << last;
    EXPECT_NE(last.find("1001"), std::string::npos) << last;

    ReportLayout l = smallLayout();
    l.bands[0].controls[0].name = "n";
    Pages out2;
    ReportWriter w2(l, out2.sink());
    w2.print("row", Values{{"n", Value::whole(1)}}, {Override{"n", 700, {}, {}, {}, {}, {}}});
    w2.print("row", Values{{"n", Value::whole(2)}}, {Override{"n", {}, {}, {}, {}, {}, false}});
    w2.print("row", Values{{"n", Value::whole(3)}});
    const auto &rows = w2.rows();
    EXPECT_EQ(rows[1].texts.at(0).x, 500 + 700);
    EXPECT_TRUE(rows[2].texts.empty());
    EXPECT_EQ(rows[3].texts.at(0).x, 500);
}

TEST(ReportEngine, TextBlockWrapsGrowsItsBandAndSplitsAcrossPages)
{
    // 2000 wide at 50 a letter: 40 letters a line.
    const std::vector<std::string> lines =
        wrapText("aaaa bbbb cccc\n\nxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", 400, {}, fixedWidth);
    EXPECT_EQ(lines, (std::vector<std::string>{"aaaa", "bbbb", "cccc", "", "xxxxxxxx", "xxxxxxxx", "xxxxxxxx",
                                               "xxxxxxxx", "xxxxxxxx", "xxxxxxxx", "xx"}));
    EXPECT_TRUE(wrapText("   \n ", 400, {}, fixedWidth).empty());

    Pages out;
    ReportWriter w(smallLayout(), out.sink());
    w.setMeasure(fixedWidth);
    std::string memo;
    for (int i = 0; memo.size() < 32000; ++i)
        memo += "word" + std::to_string(i) + " ";
    memo += "THE-END";
    w.print("row", Values{{"n", Value::whole(1)}});
    w.print("memo", Values{{"text", Value::of(memo)}});
    w.print("row", Values{{"n", Value::whole(2)}});
    w.finish();
    const int lh = lineHeight(1000);
    std::string joined;
    int memoPages = 0;
    for (const ReportRow &r : w.rows()) {
        if (r.band != "memo")
            continue;
        ++memoPages;
        for (const RowText &t : r.texts) {
            EXPECT_LE(t.y + lh, 2000) << "a line below the area on page " << r.page;
            joined += t.text + " ";
        }
    }
    EXPECT_GT(memoPages, 10);
    EXPECT_EQ(rt::trim(joined), rt::trim(memo));
    // The first part went onto the first page under the row; the band after the memo follows
    // its last line.
    EXPECT_EQ(w.rows()[2].page, 1);
    const ReportRow &lastRow = w.rows()[w.rows().size() - 2];
    EXPECT_EQ(lastRow.band, "row");
    EXPECT_EQ(lastRow.page, w.pages());
}

TEST(ReportEngine, ValuesPrintThroughTheirPictures)
{
    EXPECT_EQ(formatValue("@n4", Value::year(1999)), "1999");
    EXPECT_EQ(formatValue("@n4", Value::whole(1999)), "####");
    EXPECT_EQ(formatValue("@n9.2", Value::cents(2450)), "24.50");
    EXPECT_EQ(formatValue("@n$27.2", Value::cents(INT64_MAX)), "$92,233,720,368,547,758.07");
    // Too wide for its picture: never wrong digits.
    EXPECT_EQ(formatValue("@n5", Value::whole(123456)).find_first_not_of('#'), std::string::npos);
    EXPECT_EQ(formatValue("@s5", Value::of("abcdefgh")), "abcde");
    EXPECT_EQ(formatValue("@p(###) ###-####p", Value::of("2175550123")), "(217) 555-0123");
}

// ---- the Home Inventory Report ---------------------------------------------------------------

TEST_F(ReportTest, EmptyClientGivesOnePageWithTheHeadingOnly)
{
    Result r = run(valuationDefinition(false), withMemos(true));
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_TRUE(r.band("detail").empty());
    EXPECT_TRUE(r.band("group header").empty());
    EXPECT_TRUE(r.band("group footer").empty());
    EXPECT_TRUE(r.band("grand totals").empty());
    const std::string text = r.pageText(0);
    EXPECT_NE(text.find("Home Inventory Report"), std::string::npos) << text;
    EXPECT_NE(text.find("John Smith"), std::string::npos) << text;
    EXPECT_NE(text.find("Page:"), std::string::npos) << text;
    EXPECT_NE(text.find("(217) 555-0123"), std::string::npos) << text;
    EXPECT_NE(text.find("email: john@smith.test"), std::string::npos) << text;
}

TEST_F(ReportTest, TwoHundredItemsCarryHeadingFooterAndPageNumberOnEveryPage)
{
    addCategory("ART", "Art and pictures");
    for (int i = 0; i < 200; ++i)
        addItem("ART", "Painting " + std::to_string(i), 1, 100);
    for (bool wide : {false, true}) {
        Result r = run(valuationDefinition(wide));
        ASSERT_GE(r.pages.size(), 4u);
        EXPECT_EQ(r.band("detail").size(), 200u);
        EXPECT_EQ(r.band("page heading").size(), r.pages.size());
        EXPECT_EQ(r.band("page footer").size(), r.pages.size());
        for (const auto *h : r.band("page heading"))
            EXPECT_EQ(h->text("Page"), std::to_string(h->page));
        for (std::size_t i = 0; i < r.pages.size(); ++i) {
            EXPECT_EQ(r.pages[i].header.orientation,
                      wide ? previewer::Orientation::Landscape : previewer::Orientation::Portrait);
            const std::string t = r.pageText(i);
            EXPECT_NE(t.find("Home Inventory Report"), std::string::npos);
            EXPECT_NE(t.find("Page:"), std::string::npos);
            EXPECT_NE(t.find("email: john@smith.test"), std::string::npos) << "footer of page " << i + 1;
        }
        // Every detail lies inside the body area.
        const int bottom = wide ? 1508 + 6000 : 1508 + 8483;
        for (const auto *d : r.band("detail"))
            EXPECT_LE(d->y + 190, bottom);
        EXPECT_EQ(r.band("grand totals").at(0)->text("count"), "200");
    }
}

TEST_F(ReportTest, GroupsBreakCaseBlindWithTotalsResetAndAGrandTotalOfTheirSum)
{
    addCategory("A", "Category A");
    addCategory("B", "Category B");
    addItem("A", "first", 2, 1000);
    addItem("a", "second", 3, 150);  // the same category in another case
    addItem("B", "third", 1, 99999);
    Result r = run(valuationDefinition(false));
    auto headers = r.band("group header");
    auto footers = r.band("group footer");
    ASSERT_EQ(headers.size(), 2u);
    ASSERT_EQ(footers.size(), 2u);
    EXPECT_EQ(headers[0]->text("CAT:DESCRIPTION"), "Category A");
    EXPECT_EQ(footers[0]->text("CAT:CATEGORY"), "A");
    // The example: 2 and 3 pieces at 10.00 and 1.50 are 2 items worth 24.50.
    EXPECT_EQ(footers[0]->text("count"), "2");
    EXPECT_EQ(footers[0]->text("value"), "24.50");
    EXPECT_EQ(footers[1]->text("CAT:CATEGORY"), "B");
    EXPECT_EQ(footers[1]->text("count"), "1");
    EXPECT_EQ(footers[1]->text("value"), "999.99");
    auto grand = r.band("grand totals");
    ASSERT_EQ(grand.size(), 1u);
    EXPECT_EQ(grand[0]->text("count"), "3");
    EXPECT_EQ(grand[0]->text("value"), "$1,024.49");
    // Order: header A, 2 details, footer A, header B, detail, footer B, grand totals.
    std::vector<std::string> order;
    for (const auto &row : r.rows)
        if (row.band != "page heading" && row.band != "page footer")
            order.push_back(row.band);
    EXPECT_EQ(order, (std::vector<std::string>{"group header", "detail", "detail", "group footer", "group header",
                                               "detail", "group footer", "grand totals"}));
}

TEST_F(ReportTest, MissingCategoryPrintsABlankHeaderAndTheWideExtendedValueIsWhatTheTotalsAdd)
{
    addItem("GONE", "orphan", 4, 250);
    Result r = run(valuationDefinition(true));
    auto headers = r.band("group header");
    ASSERT_EQ(headers.size(), 1u);
    EXPECT_EQ(headers[0]->text("CAT:DESCRIPTION"), "");
    auto details = r.band("detail");
    ASSERT_EQ(details.size(), 1u);
    EXPECT_EQ(details[0]->text("ExtendedValue"), "10.00");
    EXPECT_EQ(r.band("group footer").at(0)->text("value"), "10.00");
    EXPECT_EQ(r.band("group footer").at(0)->text("CAT:CATEGORY"), "GONE");
}

TEST_F(ReportTest, MemosPrintOnlyWhenAskedForAndNotEmpty)
{
    addCategory("ART", "Art");
    addItem("ART", "with memo", 1, 100, "Bought in Paris, 1999.");
    addItem("ART", "blank memo", 1, 100, "   ");
    addItem("ART", "no memo", 1, 100);
    EXPECT_TRUE(run(valuationDefinition(false), withMemos(false)).band("memo").empty());
    Result r = run(valuationDefinition(false), withMemos(true));
    auto memos = r.band("memo");
    ASSERT_EQ(memos.size(), 1u);
    EXPECT_EQ(memos[0]->text("MAS:MEMO"), "Bought in Paris, 1999.");
    // The memo follows its item's detail.
    for (std::size_t i = 1; i < r.rows.size(); ++i) {
        if (r.rows[i].band == "memo") {
            EXPECT_EQ(r.rows[i - 1].text("MAS:DESCRIPTION"), "with memo");
        }
    }
}

TEST_F(ReportTest, ALongMemoSplitsAcrossPagesAndEnds)
{
    addCategory("ART", "Art");
    std::string memo;
    for (int i = 0; memo.size() < 31990; ++i)
        memo += "line" + std::to_string(i) + " ";
    memo = memo.substr(0, 31990) + " END";
    addItem("ART", "long memo", 1, 100, memo);
    addItem("ART", "after", 1, 100);
    Result r = run(valuationDefinition(false), withMemos(true));
    auto memos = r.band("memo");
    ASSERT_GT(memos.size(), 1u);
    std::string joined;
    for (const auto *m : memos)
        joined += m->text("MAS:MEMO") + "\n";
    EXPECT_NE(joined.find("END"), std::string::npos);
    EXPECT_EQ(memos.back()->page, r.band("detail").back()->page);
    EXPECT_EQ(r.band("detail").back()->text("MAS:DESCRIPTION"), "after");
    EXPECT_EQ(r.band("page heading").size(), r.pages.size());
}

TEST_F(ReportTest, ChildRowsFollowTheirParentCaseBlind)
{
    addLocation("Attic", "");
    addLocation("Garage", "");
    addBox("ATTIC", "Box 1", "");  // differs in case only: still the attic's
    addBox("ATTIC", "Box 2", "");
    Result r = run(locationBoxListDefinition());
    auto footers = r.band("group footer");
    ASSERT_EQ(footers.size(), 2u);
    EXPECT_EQ(footers[0]->text("count"), "2");
    EXPECT_EQ(footers[1]->text("LCT:LOCATION"), "Garage");
    EXPECT_EQ(footers[1]->text("count"), "0");
    EXPECT_EQ(r.band("detail").size(), 2u);
}

TEST(ReportStrings, DefaultsEntriesOfTheIniFileAndTheirLimits)
{
    testing_support::TempHome home;
    ReportStrings s = ReportPreviewGlue("Do you wish to PREVIEW this Report?", "Preview", "", "VURDRPTS.INI");
    EXPECT_EQ(s.askPrvwDialogText, "Do you wish to PREVIEW this Report?");
    EXPECT_EQ(s.askPrvwDialogTitle, "Preview");
    EXPECT_EQ(s.progWinTitlePrvw, "Generating Report");
    EXPECT_EQ(s.cancelPrvwPartialText, "Report Cancellation Requested!||Preview Report generated so far?");

    rt::IniFile ini(previewer::displayStringsPath("VURDRPTS.INI"));
    ini.write("DISPLAY STRINGS 2.0", "ProgWinTitlePrnt", "Druck");
    ini.write("DISPLAY STRINGS 2.0", "CancelAreYouSureText", std::string(100, 'x'));
    ini.write("DISPLAY STRINGS 2.0", "CancelPrvwPartialText", std::string(200, 'y'));
    rt::IniFile(previewer::displayStringsPath("WIN.INI")).write("DISPLAY STRINGS 2.0", "ProgWinPctText", "% fertig");
    s = ReportPreviewGlue("Q", "T", "", "VURDRPTS.INI");
    EXPECT_EQ(s.progWinTitlePrnt, "Druck");
    EXPECT_EQ(s.cancelAreYouSureText, std::string(63, 'x'));
    EXPECT_EQ(s.cancelPrvwPartialText, std::string(127, 'y'));
    EXPECT_EQ(s.progWinPctText, "% Completed");
    // A blank name reads the profile file.
    EXPECT_EQ(ReportPreviewGlue("Q", "T", "", " ").progWinPctText, "% fertig");
}

// What the later reports build on: a totals band whenever a row was read (zero when every row
// was left out, none when nothing was read); a number wider than its control prints smaller,
// a text too wide shrinks to the smallest legible size and ends after its last whole
// character; a double rule; a picture box that ends with its band.
TEST(ReportEngine, TotalsBandShrunkNumbersDoubleRuleAndPictureBox)
{
    ReportLayout l = smallLayout();
    l.bands.push_back(Band{"totals", 250, {kit::field("count", 0, 0, 500, "@n13"), kit::field("sum", 600, 0, 500, "@n26.2")}, false});
    Control twice = kit::doubleRule(0, 10, 1000);
    Control pic;
    pic.kind = ControlKind::Picture;
    pic.name = "pic";
    pic.x = 0, pic.y = 100, pic.w = 900, pic.h = 0;
    Control tall = pic;
    tall.name = "tall";
    tall.x = 1000, tall.h = 5000;
    l.bands.push_back(Band{"ruled", 400, {twice, pic, tall}, false});

    ReportSpec spec;
    spec.accept = [](const rt::ViewRow &) { return false; };
    spec.totals = {{"count", TotalSpec::When::ItemPrinted, {}},
                   {"sum", TotalSpec::When::ItemPrinted, [](const rt::ViewRow &) { return 100; }}};
    spec.totalsBand = "totals";
    for (int read : {0, 2}) {
        Pages out;
        ReportWriter w(l, out.sink());
        ReportRun run(spec, w);
        for (int i = 0; i < read; ++i)
            run.item(rt::ViewRow{});
        run.finish();
        int totals = 0;
        for (const ReportRow &r : w.rows())
            if (r.band == "totals") {
                ++totals;
                EXPECT_EQ(r.text("count"), "0");
                EXPECT_EQ(r.text("sum"), "0.00");
            }
        EXPECT_EQ(totals, read ? 1 : 0);
    }

    Pages out;
    ReportWriter w(l, out.sink());
    // Every character 100 wide at 10 points, in proportion to the size.
    w.setMeasure([](const previewer::TextItem &t) { return 10.0 * t.size / 100 * previewer::decodeUtf8(t.text).size(); });
    w.print("totals", Values{{"count", Value::whole(1234)}, {"sum", Value::cents(123456789)}});
    w.print("row", Values{{"n", Value::of("A text far wider than its row")}});
    w.print("ruled", Values{{"pic", Value::of("/p.png")}, {"tall", Value::of("/t.png")}});
    w.finish();
    const ReportRow &totals = w.rows().at(1);
    ASSERT_EQ(totals.band, "totals");
    EXPECT_EQ(totals.texts[0].size, 1000);  // "1,234" is 500 wide: it fits
    EXPECT_EQ(totals.texts[1].text, "1,234,567.89");
    EXPECT_LE(totals.texts[1].size * 12 / 100 * 10, 500 - kNumberMargin);
    EXPECT_GT(totals.texts[1].size, 300);
    // At 7 points a character is 70 wide: 14 of them fill the row's 1000.
    EXPECT_EQ(w.rows().at(2).texts[0].size, kSmallestText);
    EXPECT_EQ(w.rows().at(2).texts[0].text, "A text far wid");
    std::vector<previewer::LineItem> lines;
    std::vector<previewer::PictureItem> pictures;
    for (const previewer::Item &item : out.pages.at(0).items) {
        if (auto *line = std::get_if<previewer::LineItem>(&item); line && line->x2 - line->x1 == 1000)
            lines.push_back(*line);
        if (auto *p = std::get_if<previewer::PictureItem>(&item))
            pictures.push_back(*p);
    }
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].y1 - lines[0].y1, kDoubleLineGap);
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].h, 300);  // the band's free height under the control
    EXPECT_EQ(pictures[1].h, 300);  // never past the band
    EXPECT_EQ(pictures[0].fit, previewer::PictureFit::Keep);
}

// A column finds its field once for each table and name: read from one table and then another,
// each read takes its own table's field, or none where the table has no field of that name.
TEST(ReportEngine, AColumnReadFromTwoTablesOrRenamedTakesTheFieldItNamesThere)
{
    rt::clearRecord(dict::MasterInventoryDef, &MAS);
    rt::clearRecord(dict::CategoryDef, &CAT);
    MAS.DESCRIPTION = "A lamp";
    MAS.SERIALNUMBER = "SN-1";
    CAT.DESCRIPTION = "Lighting";
    const Column description{0, 1000, "Description", {}, "DESCRIPTION", "@s30"};
    const Column serial{0, 1000, "Serial", {}, "SERIALNUMBER", "@s20"};
    const struct {
        const rt::TableDef &def;
        const void *record;
        const char *description, *serial;
    } reads[] = {{dict::MasterInventoryDef, &MAS, "A lamp", "SN-1"},
                 {dict::CategoryDef, &CAT, "Lighting", ""},
                 {dict::MasterInventoryDef, &MAS, "A lamp", "SN-1"},
                 {dict::CategoryDef, &CAT, "Lighting", ""}};
    for (const auto &r : reads) {
        EXPECT_EQ(cellValue(description, r.def, r.record).text, r.description) << r.def.label;
        EXPECT_EQ(cellValue(serial, r.def, r.record).text, r.serial) << r.def.label;
    }
    // A copy given another field reads that field, not the none its original found last.
    Column renamed = serial;
    renamed.field = "DESCRIPTION";
    EXPECT_EQ(cellValue(renamed, dict::CategoryDef, &CAT).text, "Lighting");
}

// The widths of the fonts' letters are kept for the session, from writers that measure in those
// fonts only: a writer measuring its own way (every letter 200 wide here) that took the fonts'
// narrow letters would let its text run past its column.
TEST(ReportEngine, AWriterMeasuringItsOwnWayIsNotGivenTheFontsWidths)
{
    auto printed = [](bool ownMeasure) {
        ReportLayout l;
        Control c = kit::field("t", 0, 0, 1000, {});
        c.size = 1037;  // a size of its own: no other test leaves its widths
        l.bands = {Band{"row", 250, {c}, false}};
        ReportWriter w(l, [](const previewer::Page &, int) { return true; });
        if (ownMeasure)
            w.setMeasure([](const previewer::TextItem &t) { return 200.0 * previewer::decodeUtf8(t.text).size(); });
        w.print("row", Values{{"t", Value::of("iiiiiiii")}});
        const RowText &t = w.rows().at(1).texts.at(0);
        return std::make_pair(t.text, t.size);
    };
    EXPECT_EQ(printed(false), std::make_pair(std::string("iiiiiiii"), 1037));
    const auto [text, size] = printed(true);
    EXPECT_TRUE(size < 1037 || text.size() < 8) << text << " at " << size;
    EXPECT_EQ(printed(false), std::make_pair(std::string("iiiiiiii"), 1037));
}

// A report's columns built at run time, as a custom report builds them: laid side by side, a
// computed extended value, a flag, a cut text, a user field by its title, and a quantity chosen
// twice whose total counts twice and prints under the second column.
TEST_F(ReportTest, ColumnsBuiltAtRunTimeMakeHeadingsCellsAndTotals)
{
    addCategory("ART", "Art");
    addItem("ART", "A very long description of a painting", 3, 1000);
    MAS.INSURED = 1;
    MAS.USERFIELD2 = "Policy 77";
    ASSERT_TRUE(MAS.ORIGINALCOST.setCents(250));
    ASSERT_EQ(MasterInventory.put(), 0);
    addItem("ART", "Vase", 2, 50);

    std::vector<Column> columns(7);
    const auto R = previewer::Align::Right;
    columns[0] = Column{0, 1200, "Short", {}, "MAS:DESCRIPTION", "@s20", previewer::Align::Left, CellKind::Cut, "Short", 10};
    columns[1] = Column{0, 700, "Quantity", {}, "MAS:QUANTITY", "@n9", R, CellKind::Field, "Quantity1", 0, "quantity", TotalOf::Cell};
    columns[2] = Column{0, 900, "Orig Cost", {}, "MAS:ORIGINALCOST", "@n9.2", R, CellKind::Field, {}, 0, "cost"};
    columns[3] = Column{0, 900, "Extended MV", {}, "MAS:MARKETVALUE", "@n9.2", R, CellKind::Extended, "ExtendedMV", 0, "extended"};
    columns[4] = Column{0, 500, "Insured", {}, "MAS:INSURED", {}, previewer::Align::Left, CellKind::Flag, "Insured"};
    columns[5] = Column{0, 1200, "Policy", {}, "Policy", "@s30", previewer::Align::Left, CellKind::UserField, "UserPolicy"};
    columns[6] = Column{0, 700, "Quantity", {}, "MAS:QUANTITY", "@n9", R, CellKind::Field, "Quantity2", 0, "quantity", TotalOf::Cell};
    columns[6].totalPicture = "@n9";
    placeSideBySide(columns);
    EXPECT_EQ(columns[1].x, 1200);
    EXPECT_EQ(columns[6].x, 1200 + 700 + 900 + 900 + 500 + 1200);

    std::vector<Control> headings = columnHeadings(columns);
    ASSERT_EQ(headings.size(), 7u);
    EXPECT_EQ(headings[3].text, "Extended MV");
    EXPECT_EQ(headings[3].x, columns[3].x);

    UserTitles titles{"Insurer", "Policy", "", ""};
    rt::clearRecord(dict::MasterInventoryDef, &MAS);
    MAS.ASSETNUMBER = 1;
    ASSERT_EQ(MasterInventory.get(*dict::MasterInventoryDef.key("ASSETKEY")), 0);
    const Values v = cellValues(columns, dict::MasterInventoryDef, &MAS, &titles);
    EXPECT_EQ(v.find("Short")->text, "A very lon");
    EXPECT_EQ(formatValue("@n9.2", *v.find("ExtendedMV")), "30.00");
    EXPECT_EQ(v.find("Insured")->text, "X");
    EXPECT_EQ(v.find("UserPolicy")->text, "Policy 77");
    UserTitles none{"Insurer", "", "", ""};
    EXPECT_EQ(cellValues(columns, dict::MasterInventoryDef, &MAS, &none).find("UserPolicy")->text, "");

    std::vector<Control> totals = totalFields(columns, 100, "@n-15.2", 0, {});
    ASSERT_EQ(totals.size(), 3u);
    for (const Control &t : totals) {
        const Column *under = findColumn(columns, t.name == "quantity" ? "Quantity2" : t.name == "cost" ? "MAS:ORIGINALCOST" : "ExtendedMV");
        ASSERT_NE(under, nullptr) << t.name;
        EXPECT_EQ(t.x + t.w, under->x + under->w) << t.name;
        EXPECT_GE(t.w, kTotalWidth);
    }
    // Cost and extended value would meet on one line: the second goes a line down.
    EXPECT_NE(totals[1].y, totals[0].y);

    ReportLayout l;
    l.header = pageHeading(l.page.width, "Custom", columns);
    l.bands = {Band{"detail", 190, columnFields(columns), false}, Band{"totals", 600, totals, false}};
    ReportSpec s;
    s.totals = columnTotals(columns, dict::MasterInventoryDef);
    s.totalsBand = "totals";
    s.printItem = [&](const rt::ViewRow &row, ReportRun &run) {
        run.print("detail", cellValues(columns, dict::MasterInventoryDef, row.record.data(), &titles));
    };
    ReportWriter w(l, [](const previewer::Page &, int) { return true; });
    ReportRun run(s, w);
    rt::View items(MasterInventory, dict::MasterInventoryDef.key("ASSETKEY"));
    std::vector<rt::ViewRow> rows;
    ASSERT_EQ(items.read(10, rows), 0);
    ASSERT_EQ(rows.size(), 2u);
    for (const rt::ViewRow &r : rows)
        run.item(r);
    run.finish();
    const ReportRow *t = nullptr;
    for (const ReportRow &r : w.rows())
        if (r.band == "totals")
            t = &r;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->text("quantity"), "10");         // 3 + 2, twice
    EXPECT_EQ(t->text("cost"), "7.50");           // 3 x 2.50
    EXPECT_EQ(t->text("extended"), "31.00");      // 3 x 10.00 + 2 x 0.50
}
