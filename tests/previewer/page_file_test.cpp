#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>

#include "previewer/page_file.h"
#include "previewer/sample_pages.h"
#include "tests/support/test_support.h"

using namespace previewer;

namespace {

// Every kind of item, with the awkward values: a text with "?", line breaks and non-ASCII
// letters, a font name with blanks, a path with "?", "%" and blanks, negative positions.
Page awkwardPage()
{
    Page p;
    p.header = {11000, 8500, Orientation::Landscape};
    TextItem t;
    t.x = -20;
    t.y = 300;
    t.w = 4000;
    t.h = 200;
    t.font = "Times New Roman";
    t.size = 1050;
    t.style = STYLE_BOLD | STYLE_UNDERLINE;
    t.align = Align::Right;
    t.valign = VAlign::Bottom;
    t.color = 0x123abc;
    t.text = "Wert? 12 % ß\nzweite Zeile end ";
    p.items.push_back(t);
    p.items.push_back(LineItem{0, 10, 11000, 10, 0, 0xff0000, Dash::DashDot});
    BoxItem b{100, 200, 300, 400, 15, std::nullopt, 0x00ff00, 50, Dash::Dot};
    p.items.push_back(b);
    p.items.push_back(CheckItem{1, 2, 3, 4, true, 7, 0x0000ff});
    p.items.push_back(PictureItem{5, 6, 700, 800, PictureFit::Stretch, "/tmp/my pics/?PP?/100%.jpg"});
    p.items.push_back(PictureItem{0, 0, 1, 1, PictureFit::Keep, "-"});
    TextItem empty;
    p.items.push_back(empty);
    return p;
}

}  // namespace

TEST(PageFile, RoundTripsEveryItemAndFindsNoTokenOutsideTexts)
{
    Page p = awkwardPage();
    std::string bytes = encodePage(p);
    Page back = decodePage(bytes);
    EXPECT_TRUE(back.complete);
    EXPECT_EQ(back.header, p.header);
    ASSERT_EQ(back.items.size(), p.items.size());
    for (std::size_t i = 0; i < p.items.size(); ++i)
        EXPECT_TRUE(back.items[i] == p.items[i]) << "item " << i;

    // The path holds "?PP?", the texts hold "?": none of it may reach the bytes outside a text.
    EXPECT_EQ(bytes.find(kPageTotalToken), std::string::npos);
    EXPECT_EQ(bytes.find("?PP?"), std::string::npos);

    testing_support::TempHome home;
    std::string path = home.file("p.opg");
    ASSERT_TRUE(writePageFile(path, p));
    EXPECT_EQ(readPageFile(path).items.size(), p.items.size());
    EXPECT_EQ(readPageHeader(path), p.header);
    EXPECT_FALSE(readPageHeader(home.file("missing.opg")).valid());
    EXPECT_TRUE(readPageFile(home.file("missing.opg")).items.empty());
}

// A text item's line holds its numbers (clamped to the file's limits), its style's letters in
// their order ("-" for none) and its alignment's two letters, whatever the combination, and reads
// back as it was (clamped).
TEST(PageFile, EveryStyleAlignmentAndExtremeNumberIsWrittenInItsWordsAndReadBack)
{
    const std::pair<Align, char> aligns[] = {{Align::Left, 'l'}, {Align::Center, 'c'}, {Align::Right, 'r'}};
    const std::pair<VAlign, char> valigns[] = {{VAlign::Top, 't'}, {VAlign::Middle, 'm'}, {VAlign::Bottom, 'b'}};
    const struct {
        int x, y, w, h, size;
        const char *words, *text;  // as written; the text of "x" as kept (none at a size no page holds)
    } boxes[] = {{-20, 300, 4000, 200, 1050, "-20 300 4000 200 Arial 1050", "1:x"},
                 {INT_MIN, INT_MAX, INT_MAX, -5, 0, "-100000000 100000000 100000000 0 Arial 1", "1:x"},
                 {0, 0, 0, 0, INT_MAX, "0 0 0 0 Arial 100000000", "0:"}};
    for (const auto &box : boxes)
        for (unsigned style = 0; style < 16; ++style)
            for (const auto &[align, a] : aligns)
                for (const auto &[valign, v] : valigns) {
                    Page p;
                    p.header = {8500, 11000, Orientation::Portrait};
                    TextItem t;
                    t.x = box.x, t.y = box.y, t.w = box.w, t.h = box.h, t.size = box.size;
                    t.style = style, t.align = align, t.valign = valign, t.color = 0xa0b1c2;
                    t.text = "x";
                    p.items.push_back(t);
                    std::string letters;
                    for (const auto &[bit, letter] : {std::pair{STYLE_BOLD, 'b'}, std::pair{STYLE_ITALIC, 'i'},
                                                      std::pair{STYLE_UNDERLINE, 'u'}, std::pair{STYLE_STRIKEOUT, 's'}})
                        if (style & bit)
                            letters += letter;
                    const std::string line = std::string("text ") + box.words + " " +
                                             (letters.empty() ? "-" : letters) + " " + a + v + " a0b1c2 " + box.text + "\n";
                    const std::string bytes = encodePage(p);
                    ASSERT_NE(bytes.find("\n" + line), std::string::npos) << line << "in\n" << bytes;
                    const Page back = decodePage(bytes);
                    ASSERT_EQ(back.items.size(), 1u) << line;
                    const TextItem &r = std::get<TextItem>(back.items[0]);
                    EXPECT_EQ(r.style, style) << line;
                    EXPECT_EQ(r.align, align) << line;
                    EXPECT_EQ(r.valign, valign) << line;
                    EXPECT_EQ(r.x, std::clamp(box.x, -100000000, 100000000)) << line;
                    EXPECT_EQ(r.w, std::clamp(box.w, 0, 100000000)) << line;
                }
}

// A page file holds exactly the page's encoding, numbers and colours in their fixed form, and
// replaces a longer file whole; where the page cannot be stored whole (a folder in the way, a
// full disk, a read-only disk) the write says so.
TEST(PageFile, WrittenFileIsTheEncodingAndAFailedWriteSaysSo)
{
    Page p = awkwardPage();
    const std::string bytes = encodePage(p);
    EXPECT_NE(bytes.find("\ntext -20 300 4000 200 Times%20New%20Roman 1050 bu rb 123abc 31:Wert?"), std::string::npos);
    EXPECT_NE(bytes.find("\nline 0 10 11000 10 0 ff0000 dashdot\n"), std::string::npos);
    EXPECT_NE(bytes.find("\nbox 100 200 300 400 15 - 00ff00 50 dot\n"), std::string::npos);
    EXPECT_NE(bytes.find("\ncheck 1 2 3 4 1 7 0000ff\n"), std::string::npos);
    EXPECT_TRUE(bytes.ends_with("\nend 7\n"));

    testing_support::TempHome home;
    const std::string path = home.file("p.opg");
    Page longer = p;
    for (int i = 0; i < 50; ++i)
        longer.items.push_back(LineItem{i, i, i, i, 1, 0, Dash::Solid});
    ASSERT_TRUE(writePageFile(path, longer));
    ASSERT_TRUE(writePageFile(path, p));
    EXPECT_TRUE(testing_support::readBytes(path) == bytes);
    EXPECT_TRUE(readPageFile(path).complete);

    EXPECT_FALSE(writePageFile(home.path(), p));  // a folder where the file belongs
    EXPECT_TRUE(readPageFile(home.path()).items.empty());
    EXPECT_FALSE(readPageFile(home.path()).header.valid());

    // Real small and read-only disks where the test may mount them (root only).
    const std::string small = home.file("small"), locked = home.file("locked");
    ASSERT_EQ(::mkdir(small.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(locked.c_str(), 0700), 0);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    std::shared_ptr<void> unmount(nullptr, [&](void *) {
        ::umount2(small.c_str(), MNT_DETACH);
        ::umount2(locked.c_str(), MNT_DETACH);
    });
    ASSERT_EQ(::mount("tmpfs", locked.c_str(), "tmpfs", MS_RDONLY, "size=64k"), 0);
    Page big;
    big.header = {8500, 11000, Orientation::Portrait};
    TextItem line;
    line.text = std::string(200, 'x');
    big.items.assign(400, line);  // about 100 KB
    EXPECT_TRUE(writePageFile(small + "/fits.opg", p));
    EXPECT_FALSE(writePageFile(small + "/full.opg", big));
    EXPECT_FALSE(writePageFile(locked + "/p.opg", p));
    EXPECT_FALSE(std::filesystem::exists(locked + "/p.opg"));
}

TEST(PageFile, CutOrDamagedFileKeepsTheItemsBeforeTheDamage)
{
    Page p = awkwardPage();
    std::string bytes = encodePage(p);
    // Every cut: never more items than the prefix holds whole, always the same first items, and
    // complete only when nothing is missing.
    std::size_t lastCount = 0;
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
        Page cut = decodePage(std::string_view(bytes).substr(0, n));
        ASSERT_GE(cut.items.size(), lastCount) << n;
        lastCount = cut.items.size();
        for (std::size_t i = 0; i < cut.items.size(); ++i)
            ASSERT_TRUE(cut.items[i] == p.items[i]) << n;
        EXPECT_EQ(cut.complete, n == bytes.size()) << n;
    }
    // A text length that runs past the end of the file is a cut, not a read beyond it.
    std::string longer = bytes;
    std::string len = std::to_string(std::get<TextItem>(p.items[0]).text.size()) + ":";
    longer.replace(longer.find(len), len.size(), "9999:");
    EXPECT_TRUE(decodePage(longer).items.empty());

    // Damage in the third item: the first two stay, nothing after is taken.
    std::string damaged = bytes;
    std::size_t box = damaged.find("\nbox ");
    damaged[box + 6] = 'x';
    Page d = decodePage(damaged);
    EXPECT_EQ(d.items.size(), 2u);
    EXPECT_FALSE(d.complete);

    // A damaged header leaves no page at all.
    std::string header = bytes;
    header[3] = 'X';
    Page h = decodePage(header);
    EXPECT_FALSE(h.header.valid());
    EXPECT_TRUE(h.items.empty());

    // Garbage of every kind ends without a fault.
    unsigned seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::string junk = bytes;
        for (int k = 0; k < 4; ++k) {
            seed = seed * 1103515245u + 12345u;
            junk[(seed >> 8) % junk.size()] = static_cast<char>(seed >> 24);
        }
        Page j = decodePage(junk);
        EXPECT_LE(j.items.size(), p.items.size());
    }
}

TEST(PageFile, TextGridPlacesTextsByScaledPosition)
{
    Page p;
    p.header = {5000, 6600, Orientation::Portrait};  // 200 columns: scale 0.0400
    auto text = [&](int x, int y, std::string s, Align a = Align::Left, int w = 0) {
        TextItem t;
        t.x = x;
        t.y = y;
        t.w = w;
        t.align = a;
        t.text = std::move(s);
        p.items.push_back(t);
    };
    text(2500, 100, "hundred");
    text(12, 200, "one");
    text(38, 300, "two");
    text(0, 400, "ABCDEFGH");
    text(125, 400, "xy  ");  // column 5: overwrites "EF", its trailing blanks do not
    text(4250, 500, "late");  // column 170 first in the file, column 1 after it: both stay
    text(0, 500, "early");
    text(4975, 600, "cut here");  // column 199: only "cu" fits
    text(1000, 700, "123.45", Align::Right, 1000);  // right edge at column 80
    text(0, 6700, "below the last row");
    text(0, 800, "two\nlines");  // the second line one line height (10 points) further down

    std::vector<std::string> rows = textGrid(p, 66);
    ASSERT_EQ(rows.size(), 66u);
    EXPECT_EQ(rows[0], std::string(99, ' ') + "hundred");
    EXPECT_EQ(rows[1], "one");
    EXPECT_EQ(rows[2], " two");
    EXPECT_EQ(rows[3], "ABCDxyGH");
    EXPECT_EQ(rows[4].substr(0, 5), "early");
    EXPECT_EQ(rows[4].substr(169), "late");
    EXPECT_EQ(rows[5], std::string(198, ' ') + "cu");
    EXPECT_EQ(rows[6], std::string(74, ' ') + "123.45");
    EXPECT_EQ(rows[7], "two");
    EXPECT_EQ(rows[8], "");
    EXPECT_EQ(rows[9], "lines");
    for (std::size_t r = 10; r < rows.size(); ++r)
        EXPECT_EQ(rows[r], "") << r;

    // A page without a readable header gives blank rows.
    EXPECT_EQ(textGrid(Page{}, 3), std::vector<std::string>(3, ""));
}

TEST(PageFile, SamplePagesCarryTheTokenOnce)
{
    testing_support::TempHome home;
    std::vector<std::string> paths = writeSamplePages(home.path(), 2, true);
    ASSERT_EQ(paths.size(), 2u);
    Page p = readPageFile(paths[1]);
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.header.orientation, Orientation::Landscape);
    std::ifstream in(paths[1], std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t at = bytes.find(kPageTotalToken);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(bytes.find(kPageTotalToken, at + 1), std::string::npos);
}

// A text item holds no more than its page can show, whether the page is written or read: a
// report page with a text of megabytes is neither laid out whole nor stored whole.
TEST(PageFile, ATextItemIsCutToWhatThePageCanShow)
{
    const PageHeader letter{8500, 11000, Orientation::Portrait};
    const std::size_t at10 = textItemLimit(letter, 1000);
    EXPECT_GT(at10, 30000u);                              // every character a 10-point page holds
    EXPECT_LT(at10, 200000u);
    EXPECT_GT(textItemLimit(letter, 600), at10);          // smaller print, more text
    EXPECT_EQ(textItemLimit(letter, 1), textItemLimit(letter, 100));  // below a point counts as one
    EXPECT_GT(textItemLimit({17000, 11000, Orientation::Landscape}, 1000), at10);

    for (const std::string &unit : {std::string("word "), std::string("\xC3\xA9"), std::string("\xE2\x82\xAC")}) {
        std::string huge;
        while (huge.size() < 3'000'000)
            huge += unit;
        Page page;
        page.header = letter;
        TextItem big;
        big.size = 1000;
        big.text = huge;
        TextItem after;
        after.text = "after";
        page.items = {big, after};
        const std::string bytes = encodePage(page);
        EXPECT_LT(bytes.size(), at10 + 1000);
        Page back = decodePage(bytes);
        ASSERT_TRUE(back.complete);
        ASSERT_EQ(back.items.size(), 2u);
        const std::string cut = std::get<TextItem>(back.items[0]).text;
        EXPECT_LE(cut.size(), at10);
        EXPECT_GT(cut.size(), at10 - 4);
        EXPECT_TRUE(huge.compare(0, cut.size(), cut) == 0);  // a prefix, cut between characters
        EXPECT_EQ(cut.size() % unit.size(), 0u);
        EXPECT_EQ(std::get<TextItem>(back.items[1]).text, "after");

        // A file written by something else with the whole text in it: read cut, the rest read on.
        std::string raw = bytes;
        const std::string lengthAndText = std::to_string(cut.size()) + ":" + cut;
        raw.replace(raw.find(lengthAndText), lengthAndText.size(), std::to_string(huge.size()) + ":" + huge);
        back = decodePage(raw);
        ASSERT_TRUE(back.complete);
        EXPECT_EQ(std::get<TextItem>(back.items[0]).text.size(), cut.size());
        EXPECT_TRUE(std::get<TextItem>(back.items[0]).text == cut);
        EXPECT_EQ(std::get<TextItem>(back.items[1]).text, "after");
    }
}
