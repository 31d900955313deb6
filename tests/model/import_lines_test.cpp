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

    // A decimal comma is no number here either, never a hundred times the amount.
    for (const char *text : {"39,95", "1234,56", "1,2"}) {
        EXPECT_FALSE(toAmount(text, 7, cents)) << text;
        EXPECT_EQ(cents, 0) << text;
    }
    EXPECT_TRUE(toAmount("1,234.50", 7, cents));
    EXPECT_EQ(cents, 123450);

    std::int32_t q = -1;
    EXPECT_FALSE(toWhole("2.5", q));  // never rounded to 3
    EXPECT_EQ(q, 0);
    EXPECT_FALSE(toWhole("1.01", q));
    EXPECT_TRUE(toWhole("2.00", q));
    EXPECT_EQ(q, 2);
    EXPECT_TRUE(toWhole("1,200", q));
    EXPECT_EQ(q, 1200);
    EXPECT_FALSE(toWhole("3000000000", q));
    EXPECT_EQ(q, 0);
    EXPECT_FALSE(toWhole("two", q));
    EXPECT_EQ(q, 0);
}

// A file is judged before anything is added: NULs make it no text, unless it is UTF-16 with its
// byte-order mark; the verdict is the same however the file is read in pieces.
TEST(ImportLines, TellsTextFromOtherBytes)
{
    auto utf16le = [](std::string_view ascii) {
        std::string s;
        for (char c : ascii)
            s += std::string{c, '\0'};
        return s;
    };
    std::string noise;
    std::uint32_t x = 12345;
    for (int i = 0; i < 20000; ++i) {
        x = x * 1103515245u + 12345u;
        noise += static_cast<char>(x >> 24);
    }
    const std::string be = std::string("\xFE\xFF", 2) + std::string({'\0', 'A', '\0', ','});
    const struct {
        const char *name;
        std::string bytes;
        TextCheck::Verdict verdict;
        const char *says;
    } cases[] = {
        {"plain", "Lamp,Den,1\r\n", TextCheck::Text, nullptr},
        {"empty", "", TextCheck::Text, nullptr},
        {"UTF-16 with its mark", "\xFF\xFE" + utf16le("Lamp,Den,1\r\n"), TextCheck::Text, nullptr},
        {"UTF-16 big-endian with its mark", be, TextCheck::Text, nullptr},
        {"UTF-16 without a mark", utf16le("Lamp,Den,1\r\nChair,Porch,2\r\n"), TextCheck::Utf16WithoutMark,
         "Unicode (UTF-16) text without a byte-order mark"},
        {"random bytes", noise, TextCheck::NotText, "It is not a text file: it holds NUL bytes."},
        {"one NUL far on", std::string(100000, 'a') + '\0', TextCheck::NotText, "holds NUL bytes"},
    };
    for (const auto &c : cases) {
        TextCheck whole, pieces;
        whole.feed(c.bytes);
        for (std::size_t at = 0; at < c.bytes.size(); at += 1000)
            pieces.feed(std::string_view(c.bytes).substr(at, 1000));
        EXPECT_EQ(whole.verdict(), c.verdict) << c.name;
        EXPECT_EQ(pieces.verdict(), c.verdict) << c.name;
        const std::string refusal = textRefusal(whole.verdict(), "items.csv");
        EXPECT_EQ(refusal.empty(), c.says == nullptr) << c.name;
        if (c.says)
            EXPECT_NE(refusal.find(c.says), std::string::npos) << c.name << ": " << refusal;
    }
    EXPECT_TRUE(controlFree("Lamp\tDen, caf\xC3\xA9 \xE2\x82\xAC"));
    for (const char *bad : {"Lamp\x01", "a\x7F", "a\xC2\x85" "b", "\x1B[0m"})
        EXPECT_FALSE(controlFree(bad)) << bad;
    EXPECT_FALSE(controlFree(std::string("Lamp\0Den", 8)));
}

std::string describe(const std::vector<Record> &records)
{
    static const char *kinds[] = {"line", "blank", "long", "control", "unclosed"};
    std::string s;
    for (const Record &r : records)
        s += std::to_string(r.first) + (r.last != r.first ? "-" + std::to_string(r.last) : "") + " " +
             kinds[r.kind] + (r.text.empty() ? "" : " [" + r.text + "]") + "; ";
    return s;
}

// Lines into records: a quoted text may hold line breaks (read as blanks) and makes one record;
// a quote that is never closed, or whose "closing" quote does not end its column, refuses only
// its own line, and the lines after it are read as records again.
TEST(ImportLines, JoinsQuotedLineBreaksAndRefusesUnclosedQuotes)
{
    const std::string longLine(1001, 'x');
    const std::string half(600, 'y');
    const struct {
        const char *name;
        std::vector<std::string> lines;
        Format format;
        std::string records;
    } cases[] = {
        {"one record each", {"Lamp,Den,1", "", "Chair,Porch,2"}, Format::Comma,
         "1 line [Lamp,Den,1]; 2 blank; 3 line [Chair,Porch,2]; "},
        {"a description over two lines", {"1,\"Stand mixer", "with bowl\",2,39.95", "Desk,Office,1"}, Format::Comma,
         "1-2 line [1,\"Stand mixer with bowl\",2,39.95]; 3 line [Desk,Office,1]; "},
        {"over three lines, an empty one among them", {"\"a", "", "b\" ,1"}, Format::Comma, "1-3 line [\"a  b\" ,1]; "},
        {"a doubled quote stays open", {"x,\"a\"\"", "b\"", "c"}, Format::Comma, "1-2 line [x,\"a\"\" b\"]; 3 line [c]; "},
        {"unclosed at the end of the file", {"Chair,\"Oak,5", "Table,Pine,3"}, Format::Comma,
         "1 unclosed; 2 line [Table,Pine,3]; "},
        {"a later quote that ends no column", {"Chair,\"Oak,5", "Desk,\"Walnut, old\",2"}, Format::Comma,
         "1 unclosed; 2 line [Desk,\"Walnut, old\",2]; "},
        {"too long to be one record", {"a,\"" + half, half, "b,2"}, Format::Comma,
         "1 unclosed; 2 line [" + half + "]; 3 line [b,2]; "},
        {"a control character inside the quote", {"a,\"b", "c\x01\",1", "d\",2"}, Format::Comma,
         "1 unclosed; 2 control; 3 line [d\",2]; "},
        {"lines refused whole", {longLine, std::string("Lamp\0Den", 8), "   "}, Format::Comma,
         "1 long; 2 control; 3 blank; "},
        {"an inch mark opens nothing", {"32\" TV,Den,1"}, Format::Comma, "1 line [32\" TV,Den,1]; "},
        {"a quote after the 30th comma", {std::string(30, ',') + "\"open", "next"}, Format::Comma,
         "1 line [" + std::string(30, ',') + "\"open]; 2 line [next]; "},
        {"tabs know no quotes", {"Lamp\t\"Den", "Chair\t1"}, Format::Tab, "1 line [Lamp\t\"Den]; 2 line [Chair\t1]; "},
    };
    for (const auto &c : cases) {
        RecordReader reader(c.format);
        std::vector<Record> got;
        Record r;
        std::int64_t n = 0;
        for (const std::string &l : c.lines) {
            reader.push(++n, l);
            while (reader.pop(r))
                got.push_back(r);
        }
        reader.finish();
        while (reader.pop(r))
            got.push_back(r);
        EXPECT_TRUE(reader.empty()) << c.name;
        EXPECT_EQ(describe(got), c.records) << c.name;
    }
}

}  // namespace
