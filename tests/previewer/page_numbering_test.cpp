#include <gtest/gtest.h>

#include <fstream>

#include "previewer/page_file.h"
#include "previewer/page_numbering.h"
#include "previewer/sample_pages.h"
#include "tests/support/test_support.h"

using namespace previewer;

namespace {

std::string slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void spit(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string pageNumberText(const std::string &path)
{
    for (const Item &item : readPageFile(path).items)
        if (const auto *t = std::get_if<TextItem>(&item); t && t->text.rfind("Page:", 0) == 0)
            return t->text;
    return {};
}

}  // namespace

TEST(PageNumbering, WritesTheTotalIntoEveryPageAndKeepsTheFilesValid)
{
    testing_support::TempHome home;
    std::vector<std::string> queue = writeSamplePages(home.path(), 12);
    ASSERT_EQ(queue.size(), 12u);
    std::vector<std::size_t> sizes;
    for (const std::string &p : queue)
        sizes.push_back(slurp(p).size());

    // An unopenable entry in the middle: one message, the pages around it are still numbered.
    std::vector<std::string> withBad = queue;
    withBad.insert(withBad.begin() + 3, home.file("no-such-page.opg"));
    withBad.pop_back();
    testing_support::ScriptedMessages messages;
    assignPageOfPages(withBad);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "open error");
    EXPECT_EQ(messages.shown()[0].title, "");

    for (std::size_t i = 0; i + 1 < queue.size(); ++i) {
        EXPECT_EQ(slurp(queue[i]).size(), sizes[i]);
        EXPECT_TRUE(readPageFile(queue[i]).complete);
        EXPECT_EQ(pageNumberText(queue[i]), "Page: " + std::to_string(i + 1) + " of   12");
    }
    EXPECT_EQ(pageNumberText(queue.back()), "Page: 12 of ?PP?");
}

TEST(PageNumbering, BlindSearchFindsTheTokenAcrossWindowsButNotAtByteZero)
{
    testing_support::TempHome home;
    std::string path = home.file("raw");
    // Every start around the ends of the first and second windows (bytes 1-4096, 4094-8189).
    for (std::size_t at : {4090u, 4093u, 4094u, 4095u, 4096u, 4097u, 8185u, 8186u, 8187u, 8188u, 9000u}) {
        std::string bytes(at, 'x');
        bytes += "?PP?";
        bytes += std::string(50, 'y');
        spit(path, bytes);
        ASSERT_EQ(replaceFirstToken(path, "?PP?", "  12"), TokenResult::Replaced) << at;
        std::string after = slurp(path);
        EXPECT_EQ(after.size(), bytes.size());
        EXPECT_EQ(after.substr(at, 4), "  12") << at;
    }
    // At byte 0 the token stays; the next one is taken, and only the first of them.
    spit(path, "?PP? a ?PP? b ?PP?");
    EXPECT_EQ(replaceFirstToken(path, "?PP?", "   3"), TokenResult::Replaced);
    EXPECT_EQ(slurp(path), "?PP? a    3 b ?PP?");
    spit(path, "?PP?");
    EXPECT_EQ(replaceFirstToken(path, "?PP?", "   3"), TokenResult::NotFound);
    EXPECT_EQ(replaceFirstToken(home.path(), "?PP?", "   3"), TokenResult::OpenError);
}

TEST(PageNumbering, NoFalseHitsOutsideTheTexts)
{
    testing_support::TempHome home;
    Page p;
    p.header = {8500, 11000, Orientation::Portrait};
    for (const char *s : {"?P", "P?", "x?PP", "PP?", "?", "P?PP", "?P"}) {
        TextItem t;
        t.text = s;
        t.font = "?PP?";
        p.items.push_back(t);
    }
    p.items.push_back(PictureItem{0, 0, 10, 10, PictureFit::Keep, "/?PP?/?PP?.jpg"});
    std::string path = home.file("p.opg");
    ASSERT_TRUE(writePageFile(path, p));
    std::string before = slurp(path);
    EXPECT_EQ(replaceFirstToken(path, "?PP?", "   9"), TokenResult::NotFound);
    EXPECT_EQ(slurp(path), before);
}

TEST(PageNumbering, TotalsRightAlignedInFourCharacters)
{
    EXPECT_EQ(pageTotalText(7), "   7");
    EXPECT_EQ(pageTotalText(12), "  12");
    EXPECT_EQ(pageTotalText(999), " 999");
    EXPECT_EQ(pageTotalText(1000), "1000");
    EXPECT_EQ(pageTotalText(9999), "9999");
    EXPECT_EQ(pageTotalText(10000), "####");
}
