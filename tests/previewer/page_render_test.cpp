#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>

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
