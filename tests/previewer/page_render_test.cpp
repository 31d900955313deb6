#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "previewer/page_render.h"
#include "previewer/sample_pages.h"
#include "runtime/paths.h"
#include "tests/previewer/pdf_pages.h"
#include "tests/support/test_support.h"

using namespace previewer;

namespace {

QImage draw(const Page &page)
{
    QImage img(page.header.width, page.header.height, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    renderPage(p, page, 1.0);
    return img;
}

bool dark(QRgb c) { return qGray(c) < 128; }

}  // namespace

TEST(PageRender, DrawsItemsAndLeavesUnreadablePicturesEmpty)
{
    testing_support::TempHome home;
    QImage blue(10, 10, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    std::string picture = home.file("blue.png");
    ASSERT_TRUE(blue.save(QString::fromStdString(picture)));
    std::string broken = home.file("broken.png");
    {
        QFile f(QString::fromStdString(broken));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x89PNG\r\n\x1a\n not really");
    }

    Page page;
    page.header = {1000, 1000, Orientation::Portrait};
    page.items.push_back(BoxItem{100, 100, 200, 200, 0, std::nullopt, 0xff0000, 0, Dash::Solid});
    page.items.push_back(LineItem{0, 900, 1000, 900, 10, 0, Dash::Solid});
    page.items.push_back(PictureItem{500, 500, 200, 100, PictureFit::Stretch, picture});
    page.items.push_back(PictureItem{500, 700, 200, 100, PictureFit::Keep, picture});  // square: 100 wide, centred
    page.items.push_back(PictureItem{500, 100, 200, 200, PictureFit::Stretch, home.file("missing.png")});
    page.items.push_back(PictureItem{700, 100, 200, 200, PictureFit::Stretch, broken});
    TextItem t;
    t.x = 50;
    t.y = 400;
    t.size = 1000;  // "MMMM" is about 460 wide and 140 high
    t.text = "MMMM";
    page.items.push_back(t);

    QImage img = draw(page);
    EXPECT_EQ(img.pixelColor(200, 200), QColor(Qt::red));
    EXPECT_TRUE(dark(img.pixel(500, 900)));
    EXPECT_EQ(img.pixelColor(600, 550), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(600, 750), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(530, 750), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(600, 200), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(800, 200), QColor(Qt::white));
    int inked = 0;
    for (int x = 50; x < 500; ++x)
        for (int y = 400; y < 560; ++y)
            inked += dark(img.pixel(x, y));
    EXPECT_GT(inked, 1000);

    // Arial is drawn as its metric twin, and widths scale with the size.
    EXPECT_EQ(QFontInfo(pageFont(t, 96)).family(), "Liberation Sans");
    TextItem small = t;
    small.size = 500;
    EXPECT_NEAR(textWidth(t), 2 * textWidth(small), textWidth(t) * 0.01);
    small.text = "iiii";
    EXPECT_LT(textWidth(small) * 2, textWidth(t) / 2);

    // A page file that cannot be read draws nothing.
    QImage blank(10, 10, QImage::Format_RGB32);
    QPainter p(&blank);
    EXPECT_FALSE(renderPageFile(p, home.file("missing.opg"), 1.0));
}

// A text ends at its box's edges, whichever way the width is found; a text inside its box is
// drawn whole.
TEST(PageRender, TextsStopAtTheirBoxEdgesAndFitTextsAreWhole)
{
    struct Case {
        const char *text;
        int extra;  // the box's width beside the text's own: negative cuts it
        Align align;
    };
    const Case cases[] = {
        {"MMMM", -160, Align::Left},   {"MMMM", -10, Align::Left},      {"MMMM", 2, Align::Left},
        {"MMMM", 2, Align::Right},     {"AVAVAVAV", 1, Align::Left},    {"\xc3\x89\xc3\x89\xc3\x89", -60, Align::Left},
        {"\xc3\x89\xc3\x89\xc3\x89", 2, Align::Left}, {"MM\nMMMMMMMM", -100, Align::Left},
    };
    for (const Case &c : cases) {
        TextItem t;
        t.x = 50;
        t.y = 300;
        t.size = 1000;
        t.text = c.text;
        const int natural = static_cast<int>(std::ceil(textWidth(t)));
        t.w = natural + c.extra;
        t.h = 150;
        t.align = c.align;
        Page page;
        page.header = {1200, 1000, Orientation::Portrait};
        page.items.push_back(t);
        QImage img = draw(page);
        int beyond = 0, lastInk = 0;
        for (int x = 0; x < img.width(); ++x)
            for (int y = 0; y < img.height(); ++y)
                if (dark(img.pixel(x, y))) {
                    beyond += x > t.x + t.w + 1;
                    lastInk = std::max(lastInk, x);
                }
        EXPECT_EQ(beyond, 0) << c.text << " in " << t.w;
        if (c.extra > 0)  // whole: its last letter reaches the box's end
            EXPECT_GE(lastInk, t.x + t.w - 30) << c.text << " in " << t.w;
    }
}

TEST(PageRender, PrintsToPdfOnThePaperOfEachPage)
{
    testing_support::TempHome home;
    ASSERT_EQ(rt::makeFolder(home.path() + "tall"), 0);
    ASSERT_EQ(rt::makeFolder(home.path() + "wide"), 0);
    std::vector<std::string> tall = writeSamplePages(home.path() + "tall", 3);
    std::vector<std::string> wide = writeSamplePages(home.path() + "wide", 2, true);
    ASSERT_EQ(tall.size(), 3u);

    QString pdf = QString::fromStdString(home.file("tall.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        EXPECT_EQ(printPageFiles(printer, tall), 3);
    }
    EXPECT_EQ(testing_support::pdfPageSizes(pdf), QStringList({"612x792", "612x792", "612x792"}));

    // A wide report goes on landscape paper; a damaged page in the middle still takes its sheet.
    QFile::resize(QString::fromStdString(wide[1]), 5);
    wide.push_back(wide[0]);
    pdf = QString::fromStdString(home.file("wide.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        EXPECT_EQ(printPageFiles(printer, wide), 3);
    }
    EXPECT_EQ(testing_support::pdfPageSizes(pdf), QStringList({"792x612", "792x612", "792x612"}));
}
