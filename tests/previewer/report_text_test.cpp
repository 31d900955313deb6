#include <gtest/gtest.h>

#include <fstream>

#include "previewer/report_text.h"
#include "previewer/sample_pages.h"
#include "tests/support/test_support.h"

using namespace previewer;

namespace {

std::string slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The file split at CR LF; every line must end with one.
std::vector<std::string> crlfLines(const std::string &bytes)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < bytes.size()) {
        std::size_t end = bytes.find("\r\n", from);
        if (end == std::string::npos) {
            ADD_FAILURE() << "last line without CR LF";
            break;
        }
        lines.push_back(bytes.substr(from, end - from));
        from = end + 2;
    }
    return lines;
}

// A page with texts on `rows` rows of a 66-row grid (11 inches: one row per 1/6 inch).
std::string textPage(const std::string &path, std::vector<std::pair<int, std::string>> rows)
{
    Page p;
    p.header = {8500, 11000, Orientation::Portrait};
    for (auto &[row, text] : rows) {
        TextItem t;
        t.x = 0;
        t.y = row * 11000 / 66;
        t.text = text;
        p.items.push_back(t);
    }
    writePageFile(path, p);
    return path;
}

}  // namespace

TEST(ReportText, FixedModeWritesEveryRowOfEveryPage)
{
    testing_support::TempHome home;
    std::vector<std::string> pages = {
        textPage(home.file("1.opg"), {{1, "first"}, {10, "   ten "}}),
        home.file("missing.opg"),
        textPage(home.file("3.opg"), {{66, "last row"}, {70, "below the page"}}),
    };
    std::string out = home.file("REPORT.TXT");
    {
        std::ofstream old(out);
        old << "old contents that must go\n";
    }
    std::vector<int> seen;
    ASSERT_TRUE(writeReportText(pages, 66, out, [&](int n) { seen.push_back(n); }));
    EXPECT_EQ(seen, std::vector<int>({1, 2, 3}));
    std::vector<std::string> lines = crlfLines(slurp(out));
    ASSERT_EQ(lines.size(), 198u);
    EXPECT_EQ(lines[0], "first");
    EXPECT_EQ(lines[9], "   ten");  // leading blanks kept, trailing ones not
    for (int i = 66; i < 132; ++i)
        EXPECT_EQ(lines[i], "") << i;  // the unreadable page is a page of blank rows
    EXPECT_EQ(lines[197], "last row");
    EXPECT_EQ(lines[1], "");
}

TEST(ReportText, AutomaticModeKeepsOnlyRowsWithText)
{
    testing_support::TempHome home;
    Page blank;
    blank.header = {8500, 11000, Orientation::Portrait};
    writePageFile(home.file("blank.opg"), blank);
    std::vector<std::string> pages = {
        textPage(home.file("1.opg"), {{3, "c"}, {1, "a"}, {2, "b"}}),
        home.file("blank.opg"),
        home.file("missing.opg"),
        textPage(home.file("2.opg"), {{20, "d"}}),
    };
    std::string out = home.file("auto.txt");
    ASSERT_TRUE(writeReportText(pages, 0, out));
    EXPECT_EQ(slurp(out), "a\r\nb\r\nc\r\nd\r\n");
    // Nothing chosen: the file is made and left empty.
    ASSERT_TRUE(writeReportText({}, 0, out));
    EXPECT_EQ(slurp(out), "");
    // A file that cannot be made is reported.
    EXPECT_FALSE(writeReportText(pages, 0, home.file("no-folder/x.txt")));
    EXPECT_FALSE(writeReportText(pages, 0, home.path()));

    EXPECT_TRUE(textMode(-3).automatic);
    EXPECT_EQ(textMode(0).rows, 150);
    EXPECT_EQ(textMode(40000).rows, 32767);
    EXPECT_FALSE(textMode(66).automatic);
}

TEST(ReportText, TargetOfferAndTip)
{
    EXPECT_TRUE(textOutputOffered(0, 0, "REPORT.TXT"));
    EXPECT_FALSE(textOutputOffered(1, 0, "REPORT.TXT"));
    EXPECT_FALSE(textOutputOffered(0, 1, "REPORT.TXT"));
    EXPECT_FALSE(textOutputOffered(0, 0, "   "));
    EXPECT_EQ(textOutputTip("TEXT File Output", "REPORT.TXT   "), "TEXT File Output: REPORT.TXT");
    EXPECT_EQ(textOutputTip("TEXT File Output", "~REPORT.TXT"), "TEXT File Output: REPORT.TXT?");
    TextOutputTarget t = textOutputTarget("~  REPORT.TXT ");
    EXPECT_TRUE(t.ask);
    EXPECT_EQ(t.name, "REPORT.TXT");
    // A long path is trimmed, never cut.
    std::string longName = "/home/someone/" + std::string(300, 'r') + ".txt";
    EXPECT_EQ(textOutputTarget("  " + longName + "  ").name, longName);
    EXPECT_FALSE(textOutputTarget(longName).ask);
}
