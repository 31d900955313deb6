// The Home Inventory Report of a sample client with memos drawn to PDF, portrait and wide, and
// the client list, each page on its paper. With ORVANE_SAMPLE_PDF_DIR set the PDFs are kept there to be looked at.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QImage>
#include <QPainter>

#include "reports/data_forms.h"
#include "reports/layout_kit.h"
#include "tests/reports/report_fixture.h"

using namespace reports;

TEST_F(ReportTest, SampleReportsDrawToPdfPortraitAndWide)
{
    addCategory("ART", "Art, paintings and prints");
    addCategory("ELEC", "Electronics");
    addCategory("JEWEL", "Jewelry");
    std::string longMemo;
    for (int i = 0; i < 120; ++i)
        longMemo += "Appraised in 2019 by the county guild; the frame was restored and the canvas cleaned. ";
    addItem("ART", "Oil painting of the harbour at dusk, signed", 1, 1250000, "Bought at the Lakeview auction, 1998.",
            "Painting");
    addItem("ART", "Set of four botanical lithographs", 4, 17550, longMemo, "Print");
    addItem("elec", "Television, 55 inch", 1, 89999, "", "Video");
    addItem("ELEC", "Stereo receiver", 2, 45000, "Serial plate on the back.", "Audio");
    for (int i = 0; i < 40; ++i)
        addItem("JEWEL", "Ring " + std::to_string(i + 1), 1 + i % 3, 99999 + i * 1000, i % 5 ? "" : "Insured.",
                "Rings");
    addItem("MISSING", "Item of a category that is gone", 3, 1, "");
    addClient("B2", "Brown", "", "", 72000, "Prefers calls after six; the spare key is with the neighbour.");
    for (int report = 0; report < 3; ++report) {
        const bool wide = report == 1;
        const ReportDefinition def = report == 2 ? clientListDefinition({true, true, false, 0}) : valuationDefinition(wide);
        const char *names[] = {"valuation.pdf", "valuation_wide.pdf", "client_list.pdf"};
        const Result r = run(def, withMemos(true), 80000, 5000000);
        QStringList sizes = drawToPdf(r.pages, names[report]);
        ASSERT_EQ(sizes.size(), static_cast<int>(r.pages.size()));
        EXPECT_EQ(sizes.front(), wide ? "792x612" : "612x792");
    }
}

// The seven reports of one sample client drawn to PDF: the category and location inventories
// and the insurance report in both layouts, and the item information of an item with four
// pictures (small JPEGs made here) and a long memo.
TEST_F(ReportTest, ItemReportsDrawToPdfWithTheirPictures)
{
    addCategory("ART", "Art, paintings and prints");
    addCategory("ELEC", "Electronics");
    addLocation("Living Room", "Front room, ground floor");
    rt::clearRecord(dict::UserFieldsDef, &USF);
    USF.TITLEUSERFIELD1 = "Insurer";
    USF.TITLEUSERFIELD2 = "Policy";
    ASSERT_EQ(UserFields.add(), 0);
    std::string longMemo;
    for (int i = 0; i < 60; ++i)
        longMemo += "Appraised in 2019 by the county guild; the frame was restored and the canvas cleaned. ";
    addItem("ART", "Set of four botanical lithographs", 4, 17550, "", "Print");
    addItem("elec", "Television, 55 inch", 1, 89999, "Wall mounted.", "Video");
    addItem("ELEC", "Stereo receiver", 2, 45000, "", "Audio");
    const QSize sizes[] = {{800, 600}, {300, 900}, {1200, 300}, {640, 640}};
    const Qt::GlobalColor colours[] = {Qt::darkBlue, Qt::darkGreen, Qt::darkRed, Qt::darkYellow};
    std::string paths[4];
    for (int i = 0; i < 4; ++i) {
        QImage image(sizes[i], QImage::Format_RGB32);
        image.fill(colours[i]);
        for (int y = 0; y < image.height(); y += 40)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(255, 255, 255));
        paths[i] = home.file("pic" + std::to_string(i + 1) + ".jpg");
        ASSERT_TRUE(image.save(QString::fromStdString(paths[i]), "JPEG"));
    }
    rt::clearRecord(dict::MasterInventoryDef, &MAS);
    MAS.ASSETNUMBER = 77;
    MAS.STATUS = "Have";
    MAS.CATEGORY = "ART";
    MAS.TYPE = "Painting";
    MAS.LOCATION = "Living Room";
    MAS.BOXNUMBER = "Wall 2";
    MAS.DESCRIPTION = "Oil painting of the harbour at dusk, signed";
    MAS.MANUFACTURER = "J. Whitcombe";
    MAS.SERIALNUMBER = "HW-1887-03";
    MAS.MODELNUMBER = "Canvas 24x36";
    MAS.PURCHASEDFROM = "Lakeview Auctions";
    MAS.HOWPURCHASED = "Auction";
    MAS.CONDITION = "Good";
    MAS.COLOR = "Blue";
    MAS.QUANTITY = 1;
    MAS.DATEPURCHASED = 72000;
    MAS.DATEENTERED = 80000;
    MAS.YEARORIGIN = 1887;
    ASSERT_TRUE(MAS.MARKETVALUE.setCents(1250000));
    ASSERT_TRUE(MAS.ORIGINALCOST.setCents(800000));
    ASSERT_TRUE(MAS.REPLACEMENTCOST.setCents(1500000));
    ASSERT_TRUE(MAS.APPRAISEDVALUE.setCents(1300000));
    MAS.APPRAISED = 1;
    MAS.SIGNED = 1;
    MAS.INSURED = 1;
    MAS.HEIR = "Margaret Smith";
    MAS.USERFIELD1 = "Acme Mutual";
    MAS.USERFIELD2 = "PL-20391";
    MAS.IMAGE = paths[0];
    MAS.IMAGE2 = paths[1];
    MAS.RECEIPTIMAGE = paths[2];
    MAS.WARRANTYIMAGE = paths[3];
    MAS.MEMO = longMemo;
    ASSERT_EQ(MasterInventory.add(), 0);
    Glo.Category = "Art";
    Glo.Location = "living room";
    struct Sample {
        const char *file;
        ReportDefinition def;
        bool wide;
    };
    const Sample samples[] = {
        {"category.pdf", selectionDefinition(Selection::Category, false), false},
        {"category_wide.pdf", selectionDefinition(Selection::Category, true), true},
        {"location.pdf", selectionDefinition(Selection::Location, false), false},
        {"location_wide.pdf", selectionDefinition(Selection::Location, true), true},
        {"insurance.pdf", insuranceDefinition(false), false},
        {"insurance_wide.pdf", insuranceDefinition(true), true},
        {"item_information.pdf", itemInformationDefinition(77), false},
    };
    for (const Sample &s : samples) {
        const Result r = run(s.def, withMemos(true), 80000, 5000000);
        QStringList pageSizes = drawToPdf(r.pages, s.file);
        ASSERT_EQ(pageSizes.size(), static_cast<int>(r.pages.size())) << s.file;
        EXPECT_EQ(pageSizes.front(), s.wide ? "792x612" : "612x792") << s.file;
    }
}

// A text longer than its column ends at the column's edge: a description of 60 W's in a
// 3-inch column leaves the next column's place blank, drawn as the PDF draws it; a number
// too wide for its column prints smaller and whole.
TEST_F(ReportTest, ATextLongerThanItsColumnEndsAtTheColumnsEdge)
{
    ReportLayout l;
    l.bands = {Band{"detail", 300, {kit::field("d", 0, 0, 3000, "@s60"), kit::field("n", 4000, 0, 600, "@n-14", previewer::Align::Right)}, false}};
    std::vector<previewer::Page> pages;
    ReportWriter w(l, [&](const previewer::Page &p, int) {
        pages.push_back(p);
        return true;
    });
    w.print("detail", Values{{"d", Value::of(std::string(60, 'W'))}, {"n", Value::whole(-2147483647)}});
    w.finish();
    ASSERT_EQ(pages.size(), 1u);
    // 100 dots per inch: a thousandth of an inch is 0.1 dot.
    QImage image(850, 1100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        previewer::renderPage(painter, pages[0], 0.1);
    }
    const int top = (l.page.top) / 10, bottom = (l.page.top + 300) / 10;
    auto inked = [&](int fromX, int toX) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = fromX; x < toX; ++x)
                n += qGray(image.pixel(x, y)) < 128;
        return n;
    };
    const int left = l.page.left / 10;
    EXPECT_GT(inked(left, left + 300), 100);
    EXPECT_EQ(inked(left + 302, left + 400), 0);  // the column ends at 300 dots
    EXPECT_GT(inked(left + 400, left + 460), 10);  // the number, whole, right-aligned in its column
    EXPECT_EQ(inked(left + 461, 850), 0);
    if (const char *keep = std::getenv("ORVANE_SAMPLE_PDF_DIR"))
        image.save(QString::fromStdString(std::string(keep) + "/clipped.png"));
}

// The four blank forms drawn to PDF: one letter page each, whatever the categories.
TEST_F(ReportTest, DataFormsDrawToOneLetterPageEach)
{
    for (int form = 0; form < 4; ++form) {
        const Result r = run(dataFormDefinition(form, 3), {}, 80000, 5000000);
        EXPECT_EQ(r.pages.size(), 1u);
        EXPECT_EQ(drawToPdf(r.pages, "form" + std::to_string(form) + ".pdf"), QStringList{"612x792"});
    }
}
