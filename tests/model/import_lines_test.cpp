// The splitting and cleaning of import lines, and the conversion of their numbers.
#include <gtest/gtest.h>

#include "model/import_lines.h"

using namespace importing;

namespace {

struct SplitCase {
    const char *name;
    std::string line;
    Format format;
    std::vector<Column> expected;
};

std::string describe(const std::vector<Column> &cols)
{
    std::string s;
    for (const Column &c : cols)
        s += std::to_string(c.number) + "[" + c.text + "] ";
    return s;
}

TEST(ImportLines, SplitsAsTheWizardShowsAndTheImportStores)
{
    std::string commas35 = "a";
    for (int i = 2; i <= 36; ++i)
        commas35 += "," + std::string(1, static_cast<char>('a' + (i % 26)));
    std::vector<Column> first30;
    for (int i = 1; i <= 30; ++i)
        first30.push_back({i, std::string(1, static_cast<char>('a' + (i == 1 ? 0 : i % 26)))});
    const std::string longText(75, 'x');
    const std::string accents = std::string(59, 'a') + "\xC3\xA9" + "zz";  // é across byte 60

    const SplitCase cases[] = {
        {"quoted comma", "Lamp,\"Brass, old\",3", Format::Comma, {{1, "Lamp"}, {2, "\"Brass, old\""}, {3, "3"}}},
        {"leading comma", ",Chair", Format::Comma, {{2, "Chair"}}},
        {"two leading commas", ",,Chair", Format::Comma, {{2, ""}, {3, "Chair"}}},
        {"trailing comma", "Table,", Format::Comma, {{1, "Table"}, {2, ""}}},
        {"35 commas", commas35, Format::Comma, first30},
        {"over 60", longText + ",b", Format::Comma, {{1, std::string(60, 'x')}, {2, "b"}}},
        {"cut at a character", accents, Format::Comma, {{1, std::string(59, 'a')}}},
        {"tab line without tabs", "Lamp, brass" + longText, Format::Tab, {{1, ("Lamp, brass" + longText).substr(0, 60)}}},
        {"tabs", "Lamp\t\"x\ty\"\t3   ", Format::Tab, {{1, "Lamp"}, {2, "\"x"}, {3, "y\""}, {4, "3"}}},
        {"inch mark", "32\" TV,Den,100", Format::Comma, {{1, "32\" TV"}, {2, "Den"}, {3, "100"}}},
        {"inch mark in a quoted text", "\"32\"\" TV, big\",Den", Format::Comma, {{1, "\"32\"\" TV, big\""}, {2, "Den"}}},
        {"quote after blanks opens", "Lamp,  \"Kitchen, main\",2", Format::Comma,
         {{1, "Lamp"}, {2, "  \"Kitchen, main\""}, {3, "2"}}},
        {"unclosed quote runs to the end", "\"Lamp,Den", Format::Comma, {{1, "\"Lamp,Den"}}},
        {"trailing blanks ignored", "A,B   ", Format::Comma, {{1, "A"}, {2, "B"}}},
    };
    for (const SplitCase &c : cases) {
        std::vector<Column> got = splitLine(c.line, c.format);
        EXPECT_EQ(describe(got), describe(c.expected)) << c.name;
    }
}

TEST(ImportLines, CleansQuotesAndBlanks)
{
    const std::pair<const char *, const char *> cases[] = {
        {"\"Lamp\"", "Lamp"},
        {" \"Kitchen\"", "Kitchen"},  // would never match the room's browse with its blank
        {"  Big    red  chair  ", "Big red chair"},
        {"32\" TV", "32 TV"},
        {"\"\"", ""},
        {"   ", ""},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(deleteQuotes(in), out) << in;
}

TEST(ImportLines, ReadsTextAsUtf8OrWindows1252)
{
    EXPECT_EQ(lineText("\xEF\xBB\xBFLamp,Den", true), "Lamp,Den");
    EXPECT_EQ(lineText("\xEF\xBB\xBFLamp", false), "\xEF\xBB\xBFLamp");  // only the file's start
    EXPECT_EQ(lineText("Caf\xC3\xA9", false), "Caf\xC3\xA9");
    EXPECT_EQ(lineText("Caf\xE9 \x80", false), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_FALSE(validUtf8("\xC0\xAF"));      // overlong
    EXPECT_FALSE(validUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(validUtf8("ab\xC3"));        // cut short
    EXPECT_TRUE(validUtf8("\xF0\x9F\x93\xBA TV"));
}

TEST(ImportLines, ConvertsNumbersOrRefusesThem)
{
    std::int64_t cents = -1;
    EXPECT_TRUE(toAmount("$1,234.50", 7, cents));
    EXPECT_EQ(cents, 123450);
    EXPECT_TRUE(toAmount("", 7, cents));
    EXPECT_EQ(cents, 0);
    EXPECT_TRUE(toAmount("99999.99", 7, cents));
    EXPECT_EQ(cents, 9999999);
    EXPECT_FALSE(toAmount("100000.00", 7, cents));  // one cent past the field, never wrapped
    EXPECT_EQ(cents, 0);
    EXPECT_FALSE(toAmount("about 12", 7, cents));
    EXPECT_EQ(cents, 0);
    EXPECT_FALSE(toAmount("99999999999999999999", 7, cents));

    std::int32_t q = -1;
    EXPECT_TRUE(toWhole("1,200", q));
    EXPECT_EQ(q, 1200);
    EXPECT_FALSE(toWhole("3000000000", q));
    EXPECT_EQ(q, 0);
    EXPECT_FALSE(toWhole("two", q));
    EXPECT_EQ(q, 0);
}

}  // namespace
