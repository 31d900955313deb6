// The report engine on report rows and page text: pagination, text blocks, groups and totals,
// over the Home Inventory Report and over plain layouts.
#include "reports/engine.h"

#include <gtest/gtest.h>

#include "previewer/display_strings.h"
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
    rt::clearRecord(dict::LocationDef, &LCT);
    LCT.LOCATION = "Attic";
    ASSERT_EQ(Location.add(), 0);
    LCT.LOCATION = "Garage";
    ASSERT_EQ(Location.add(), 0);
    for (const char *b : {"Box 1", "Box 2"}) {
        rt::clearRecord(dict::BoxNumberDef, &BOX);
        BOX.LOCATION = "ATTIC";  // differs in case only: still the attic's
        BOX.BOXNUMBER = b;
        ASSERT_EQ(BoxNumber.add(), 0);
    }
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
