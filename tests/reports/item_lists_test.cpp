// The appraised items report, the inheritance report, the box packing list and the picture,
// receipt and warranty lists on report rows, both layouts of each; the packing list's picker
// cancelled through the frame.
#include <gtest/gtest.h>

#include <QImage>

#include "reports/item_lists.h"
#include "runtime/gui.h"
#include "tests/reports/report_fixture.h"

using namespace reports;

namespace {

class ItemListsTest : public ReportTest {
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        Heirs.name = home.file(Heirs.def().diskName);
        ASSERT_EQ(Heirs.create(), 0);
        rt::bindRequestGlobals(&Glo.Request, &Glo.Response);
        old_ = setReportOutput([] { return std::make_unique<NoOutput>(); });
    }
    void TearDown() override
    {
        setReportOutput(old_);
        Heirs.close();
        ReportTest::TearDown();
    }
    // Every text of every row stays within its control and no two texts of a row overlap.
    static void expectNoOverprint(const Result &r, const std::string &what)
    {
        for (const ReportRow &row : r.rows)
            for (std::size_t i = 0; i < row.texts.size(); ++i)
                for (std::size_t j = i + 1; j < row.texts.size(); ++j) {
                    const RowText &a = row.texts[i], &b = row.texts[j];
                    if (a.text.empty() || b.text.empty() || a.w == 0 || b.w == 0 || a.y != b.y)
                        continue;
                    EXPECT_TRUE(a.x + a.w <= b.x || b.x + b.w <= a.x)
                        << what << ": " << row.band << " " << a.control << " meets " << b.control;
                }
    }

    testing_support::ScriptedMessages messages;
    OutputFactory old_;
};

TEST_F(ItemListsTest, AppraisedItemsByCategoryWithTheirValuesAndTheAppraisedValueShownOnlyWide)
{
    addCategory("ART", "Art works");
    addItemWith([](MasterInventoryBuffer &m) {
        m.CATEGORY = "ART";
        m.QUANTITY = 4;
        (void)m.MARKETVALUE.setCents(250);
        m.APPRAISED = 1;
        m.APPRAISALDATE = 80000;
        m.APPRAISER = "Hale & Sons";
        (void)m.APPRAISEDVALUE.setCents(50000);
    });
    addItemWith([](MasterInventoryBuffer &m) {
        m.CATEGORY = "art";
        m.QUANTITY = 4;
        (void)m.MARKETVALUE.setCents(250);
        m.APPRAISED = 1;
    });
    addItemWith([](MasterInventoryBuffer &m) {  // not appraised: in no line and no total
        m.CATEGORY = "ART";
        m.QUANTITY = 7;
        (void)m.MARKETVALUE.setCents(99900);
    });
    addItemWith([](MasterInventoryBuffer &m) {  // a category not on file, and the widest values
        m.CATEGORY = "ZZZ";
        m.QUANTITY = 10000;
        (void)m.MARKETVALUE.setCents(9999999);
        m.APPRAISED = 1;
        (void)m.APPRAISEDVALUE.setCents(999999999);
    });
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "wide" : "portrait");
        Result r = run(appraisedDefinition(wide));
        EXPECT_EQ(r.texts("group header", "CAT:DESCRIPTION"), (std::vector<std::string>{"Art works", ""}));
        EXPECT_EQ(r.texts("group footer", "CAT:CATEGORY"), (std::vector<std::string>{"ART", "ZZZ"}));
        EXPECT_EQ(r.texts("group footer", "count"), (std::vector<std::string>{"2", "1"}));
        EXPECT_EQ(r.texts("group footer", "value"), (std::vector<std::string>{"20.00", "999,999,900.00"}));
        EXPECT_EQ(r.texts("grand totals", "count"), std::vector<std::string>{"3"});
        EXPECT_EQ(r.texts("grand totals", "value"), std::vector<std::string>{"$999,999,920.00"});
        EXPECT_EQ(r.texts("detail", "MAS:QUANTITY"), (std::vector<std::string>{"4", "4", "10,000"}));
        EXPECT_EQ(r.texts("detail", "MAS:APPRAISER"), (std::vector<std::string>{"Hale & Sons", "", ""}));
        const std::vector<std::string> dates = r.texts("detail", "MAS:APPRAISALDATE");
        ASSERT_EQ(dates.size(), 3u);
        EXPECT_EQ(dates[0], formatValue("@d1", Value::date(80000)));
        EXPECT_EQ(dates[1], "");
        EXPECT_EQ(r.texts("detail", "MAS:APPRAISEDVALUE"),
                  (wide ? std::vector<std::string>{"500.00", "0.00", "9,999,999.99"} : std::vector<std::string>{"", "", ""}));
        const std::string text = r.allText();
        EXPECT_EQ(text.find('#'), std::string::npos);
        EXPECT_NE(text.find("Appraised Items Report"), std::string::npos);
        expectNoOverprint(r, "appraised");
    }
    // No appraised item: the page heading only.
    ASSERT_EQ(MasterInventory.close(), 0);
    ASSERT_EQ(MasterInventory.create(), 0);
    ASSERT_EQ(MasterInventory.open(rt::mode::ReadWriteDenyNone), 0);
    addItemWith([](MasterInventoryBuffer &m) { m.CATEGORY = "ART"; });
    Result none = run(appraisedDefinition(false));
    for (const ReportRow &row : none.rows)
        EXPECT_TRUE(row.band == "page heading" || row.band == "page footer") << row.band;
}

// The appraised items and inheritance reports close each page with a box (at 125 portrait,
// 1375 wide; 7250 by 408) holding the phone line over the e-mail line, both centred: not the
// other reports' rule with the phone left and the e-mail right.
TEST_F(ItemListsTest, AppraisedAndHeirsFooterIsABoxWithThePhoneOverTheEmailCentred)
{
    for (bool heirs : {false, true})
        for (bool wide : {false, true}) {
            SCOPED_TRACE(std::string(heirs ? "heirs" : "appraised") + (wide ? " wide" : " portrait"));
            const Result r = run(heirs ? inheritanceDefinition(wide) : appraisedDefinition(wide));
            ASSERT_EQ(r.pages.size(), 1u);
            const int top = r.layout.page.footerTop, left = r.layout.page.left + (wide ? 1375 : 125);
            std::vector<previewer::BoxItem> boxes;
            std::vector<previewer::TextItem> lines;
            for (const previewer::Item &item : r.pages[0].items) {
                if (const auto *b = std::get_if<previewer::BoxItem>(&item); b && b->y >= top)
                    boxes.push_back(*b);
                if (const auto *t = std::get_if<previewer::TextItem>(&item); t && t->y >= top)
                    lines.push_back(*t);
                if (const auto *l = std::get_if<previewer::LineItem>(&item)) {
                    EXPECT_LT(l->y1, top) << "a rule in the footer";
                }
            }
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(std::tuple(boxes[0].x, boxes[0].w, boxes[0].h), std::tuple(left, 7250, 408));
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_EQ(lines[0].text, "(217) 555-0123");
            EXPECT_EQ(lines[1].text, "email: john@smith.test");
            for (const previewer::TextItem &t : lines) {
                EXPECT_EQ(t.align, previewer::Align::Center);
                EXPECT_EQ(t.x - left, left + 7250 - (t.x + t.w)) << "not centred in the box";
                EXPECT_GE(t.y, boxes[0].y);
                EXPECT_LE(t.y + t.h, boxes[0].y + boxes[0].h);
            }
            EXPECT_LE(lines[0].y + lines[0].h, lines[1].y) << "the e-mail line is not under the phone line";
        }
}

TEST_F(ItemListsTest, InheritanceGroupsAnHeirCaseBlindOneHeirToAPageAndTheGrandTotalsOnTheirOwn)
{
    auto heir = [this](const char *name, const char *category, int qty, int cents) {
        addItemWith([&](MasterInventoryBuffer &m) {
            m.HEIR = name;
            m.CATEGORY = category;
            m.QUANTITY = qty;
            (void)m.MARKETVALUE.setCents(cents);
        });
    };
    heir("mary smith", "Books", 1, 1000);
    heir("Mary Smith", "Art", 3, 500);
    heir("John Doe", "Tools", 2, 750);
    heir("", "Art", 9, 9900);  // no heir: not listed
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "wide" : "portrait");
        Result r = run(inheritanceDefinition(wide));
        // The heir is printed as the group's first item (category order) spells it.
        EXPECT_EQ(r.texts("group header", "MAS:HEIR"), (std::vector<std::string>{"John Doe", "Mary Smith"}));
        EXPECT_EQ(r.texts("group footer", "MAS:HEIR"), (std::vector<std::string>{"John Doe", "Mary Smith"}));
        EXPECT_EQ(r.texts("group footer", "count"), (std::vector<std::string>{"1", "2"}));
        EXPECT_EQ(r.texts("group footer", "value"), (std::vector<std::string>{"15.00", "25.00"}));
        EXPECT_EQ(r.texts("grand totals", "value"), std::vector<std::string>{"$40.00"});
        EXPECT_EQ(r.texts("detail", "MAS:CATEGORY"),
                  (wide ? std::vector<std::string>{"Tools", "Art", "Books"} : std::vector<std::string>{"", "", ""}));
        std::vector<int> pages;
        for (const char *band : {"group header", "group footer", "grand totals"})
            for (const ReportRow *row : r.band(band))
                pages.push_back(row->page);
        EXPECT_EQ(pages, (std::vector<int>{1, 2, 1, 2, 3}));
        EXPECT_NE(r.allText().find("Inheritance Report"), std::string::npos);
        expectNoOverprint(r, "inheritance");
    }
}

TEST_F(ItemListsTest, PackingListTakesTheChosenBoxOfTheChosenLocationOnly)
{
    addLocation("Garage", "Garage of the house");
    addLocation("Attic", "Attic of the house");
    addBox("Garage", "1", "Paint and brushes");
    auto item = [this](const char *loc, const char *box, int qty, int cents) {
        addItemWith([&](MasterInventoryBuffer &m) {
            m.LOCATION = loc;
            m.BOXNUMBER = box;
            m.QUANTITY = qty;
            (void)m.MARKETVALUE.setCents(cents);
        });
    };
    item("Garage", "1", 1, 1000);
    item("GARAGE", "1", 2, 500);
    item("garage ", "1 ", 1, 250);
    item("Attic", "1", 5, 100000);
    item("Garage", "2", 5, 100000);
    item("Garage", "", 5, 100000);
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "wide" : "portrait");
        Glo.Location = "Garage";
        Glo.BoxNumber = "1";
        Result r = run(packingListDefinition(wide));
        EXPECT_EQ(r.texts("detail", "MAS:DESCRIPTION"), (std::vector<std::string>{"Item 1", "Item 2", "Item 3"}));
        EXPECT_EQ(r.texts("totals", "count"), std::vector<std::string>{"3"});
        EXPECT_EQ(r.texts("totals", "value"), std::vector<std::string>{"$22.50"});
        const std::string heading = r.pageText(0);
        EXPECT_NE(heading.find("Paint and brushes"), std::string::npos);
        EXPECT_NE(heading.find("Box Packing List"), std::string::npos);
        EXPECT_EQ(r.texts("detail", "MAS:SERIALNUMBER").size(), 3u);
        expectNoOverprint(r, "packing");

        // A box with nothing in it: its heading, no totals.
        Glo.Location = "Attic";
        Glo.BoxNumber = "7";
        Result empty = run(packingListDefinition(wide));
        EXPECT_TRUE(empty.band("detail").empty());
        EXPECT_TRUE(empty.band("totals").empty());
        EXPECT_NE(empty.pageText(0).find("Attic"), std::string::npos);
    }

    // The picker cancelled: the report ends with response 2, asks nothing and opens nothing.
    closeAll();
    int asked = 0;
    rt::registerProcedure("GetLocationBox", [&asked] {
        ++asked;
        Glo.SelectionCancelled = 1;
    });
    for (bool wide : {false, true}) {
        messages.clear();
        rt::setResponse(1);
        EXPECT_EQ(runReport(packingListDefinition(wide)), 2);
        EXPECT_EQ(Glo.Response, 2);
        EXPECT_TRUE(messages.shown().empty());
        for (rt::RecordFile *f : {&BoxNumber, &QORClients, &Location, &MainSystemFile, &MasterInventory})
            EXPECT_FALSE(f->isOpen()) << f->name;
    }
    EXPECT_EQ(asked, 2);
}

TEST_F(ItemListsTest, FileListsListItemsWithAFileAndFitEachPictureIntoItsBandTwoToAPage)
{
    const std::string landscape = home.file("landscape.png"), portrait = home.file("portrait.png"),
                      square = home.file("square.png"), missing = home.file("gone.jpg");
    ASSERT_TRUE(QImage(800, 400, QImage::Format_RGB32).save(QString::fromStdString(landscape)));
    ASSERT_TRUE(QImage(800, 1600, QImage::Format_RGB32).save(QString::fromStdString(portrait)));
    ASSERT_TRUE(QImage(500, 500, QImage::Format_RGB32).save(QString::fromStdString(square)));
    auto item = [this](const std::string &image, const std::string &other, int warranty) {
        addItemWith([&](MasterInventoryBuffer &m) {
            m.CATEGORY = "Art";
            m.IMAGE = image;
            m.RECEIPTIMAGE = other;
            m.WARRANTYIMAGE = other;
            m.WARRANTY = static_cast<std::uint8_t>(warranty);
            m.WARRANTYEXPIRATION = warranty ? 80000 : 0;
        });
    };
    item(landscape, "", 0);         // Item 1
    item(portrait, portrait, 1);    // Item 2
    item(missing, missing, 0);      // Item 3
    item("", "", 1);                // Item 4: a warranty without a file
    item(square, square, 0);        // Item 5
    item("", "", 0);                // Item 6: nothing
    struct Case {
        FileList member;
        std::vector<std::string> listed;
    };
    const Case cases[] = {{FileList::Picture, {"Item 1", "Item 2", "Item 3", "Item 5"}},
                          {FileList::Receipt, {"Item 2", "Item 3", "Item 5"}},
                          {FileList::Warranty, {"Item 2", "Item 3", "Item 4", "Item 5"}}};
    for (const Case &c : cases)
        for (bool wide : {false, true})
            for (bool pictures : {false, true}) {
                SCOPED_TRACE(std::to_string(static_cast<int>(c.member)) + (wide ? " wide" : " portrait") +
                             (pictures ? " with pictures" : ""));
                RunChoices choices;
                choices.switches["IncludePictures"] = pictures;
                Result r = run(fileListDefinition(c.member, wide), choices);
                EXPECT_EQ(r.texts("detail", "MAS:DESCRIPTION"), c.listed);
                EXPECT_EQ(r.texts("total", "count"), std::vector<std::string>{std::to_string(c.listed.size())});
                expectNoOverprint(r, "file list");
                const QSize box = fileListPictureBox(wide);
                // Every listed item with a file has its picture band; the missing file's is empty.
                const std::size_t withFile = c.listed.size() - (c.member == FileList::Warranty ? 1 : 0);
                const auto bands = r.band("picture");
                ASSERT_EQ(bands.size(), pictures ? withFile : 0u);
                int empty = 0;
                for (const ReportRow *b : bands) {
                    const RowText *pic = nullptr;
                    for (const RowText &t : b->texts)
                        if (t.control == "picture")
                            pic = &t;
                    if (!pic) {
                        ++empty;
                        continue;
                    }
                    EXPECT_LE(pic->w, box.width());
                    EXPECT_LE(pic->h, box.height());
                    EXPECT_LE(pic->y - b->y + pic->h, b->height) << "the picture leaves its band";
                    if (pic->text == landscape)
                        EXPECT_EQ(QSize(pic->w, pic->h), wide ? QSize(3500, 1750) : QSize(4000, 2000));
                    if (pic->text == portrait)
                        EXPECT_EQ(QSize(pic->w, pic->h), QSize(box.height() / 2, box.height()));
                    if (pic->text == square)
                        EXPECT_EQ(QSize(pic->w, pic->h), QSize(box.height(), box.height()));
                }
                EXPECT_EQ(empty, pictures ? 1 : 0);
                // Two pictures to a page: a page break after every second.
                EXPECT_EQ(r.band("page break").size(), pictures ? withFile / 2 : 0u);
                for (const ReportRow *b : r.band("picture"))
                    EXPECT_LE(b->y + b->height, fileListDefinition(c.member, wide).layout({}).page.bottom());
                if (c.member == FileList::Warranty) {
                    const std::vector<std::string> expiry = r.texts("detail", "MAS:WARRANTYEXPIRATION");
                    EXPECT_EQ(expiry, (std::vector<std::string>{formatValue("@d1", Value::date(80000)), "",
                                                                formatValue("@d1", Value::date(80000)), ""}));
                    EXPECT_EQ(r.texts("detail", "MAS:WARRANTYIMAGE")[2], "");
                }
            }

    // Through the frame: each member asks its own question, default No; Yes prints the pictures.
    closeAll();
    struct Asked {
        FileList member;
        const char *text, *title;
    };
    for (const Asked &a : {Asked{FileList::Picture, "Do you wish to include the pictures?", "Include pictures"},
                           Asked{FileList::Receipt, "Do you wish to include the receipts?", "Include Receipts"},
                           Asked{FileList::Warranty, "Do you wish to include the warranties?", "Include Warranties"}}) {
        messages.clear();
        messages.answer(rt::BUTTON_YES);  // preview
        messages.answer(rt::BUTTON_YES);  // the pictures
        runReport(fileListDefinition(a.member, false));
        ASSERT_EQ(messages.shown().size(), 2u) << a.title;
        EXPECT_EQ(messages.shown()[1].text, a.text);
        EXPECT_EQ(messages.shown()[1].title, a.title);
        EXPECT_EQ(messages.shown()[1].defaultButton, rt::BUTTON_NO);
        int pictures = 0;
        for (const ReportRow &row : printed_rows::rows())
            pictures += row.band == "picture";
        EXPECT_EQ(pictures, a.member == FileList::Picture ? 4 : 3) << a.title;
    }
    openAll();

    // Items but none listed: the total band with 0; no items: no total band.
    ASSERT_EQ(MasterInventory.close(), 0);
    ASSERT_EQ(MasterInventory.create(), 0);
    ASSERT_EQ(MasterInventory.open(rt::mode::ReadWriteDenyNone), 0);
    for (bool wide : {false, true})
        EXPECT_TRUE(run(fileListDefinition(FileList::Receipt, wide)).band("total").empty());
    item("", "", 0);
    for (bool wide : {false, true})
        EXPECT_EQ(run(fileListDefinition(FileList::Receipt, wide)).texts("total", "count"),
                  std::vector<std::string>{"0"});
}

// A warranty's picture that did not fit under its line went to the next page alone, away
// from its line: with any number of warranties without a file between two with one, each
// picture stands on the page of its line.
TEST_F(ItemListsTest, PictureStaysWithItsItemLineInTheFileLists)
{
    const std::string square = home.file("square.png");
    ASSERT_TRUE(QImage(500, 500, QImage::Format_RGB32).save(QString::fromStdString(square)));
    for (int plain = 0; plain < 8; ++plain) {
        ASSERT_EQ(MasterInventory.close(), 0);
        ASSERT_EQ(MasterInventory.create(), 0);
        ASSERT_EQ(MasterInventory.open(rt::mode::ReadWriteDenyNone), 0);
        for (int i = 0; i < plain + 2; ++i)
            addItemWith([&](MasterInventoryBuffer &m) {
                m.CATEGORY = "Art";
                m.WARRANTY = 1;
                m.WARRANTYIMAGE = i == 0 || i == plain + 1 ? square : "";
            });
        RunChoices choices;
        choices.switches["IncludePictures"] = true;
        for (bool wide : {false, true}) {
            const Result r = run(fileListDefinition(FileList::Warranty, wide), choices);
            const ReportRow *line = nullptr;
            for (const ReportRow &row : r.rows) {
                if (row.band == "detail")
                    line = &row;
                if (row.band == "picture") {
                    ASSERT_NE(line, nullptr);
                    EXPECT_EQ(row.page, line->page) << plain << " lines between, " << (wide ? "wide" : "portrait");
                }
            }
        }
    }
}

// The twelve lists of one sample client drawn to PDF, pictures included: a portrait, a landscape,
// a square and a missing picture, long descriptions and paths, heirs and a box. With
// ORVANE_SAMPLE_PDF_DIR set the PDFs are kept there to be looked at.
TEST_F(ItemListsTest, TheTwelveListsDrawToPdfWithTheirPictures)
{
    addCategory("ART", "Art, paintings and prints");
    addCategory("ELEC", "Electronics");
    addLocation("Garage", "Detached garage");
    addBox("Garage", "1", "Paint, brushes and the good ladder hooks");
    const QSize sizes[] = {{600, 900}, {1200, 800}, {700, 700}};
    const Qt::GlobalColor colours[] = {Qt::darkBlue, Qt::darkGreen, Qt::darkRed};
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        QImage image(sizes[i], QImage::Format_RGB32);
        image.fill(colours[i]);
        for (int y = 0; y < image.height(); y += 40)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(255, 255, 255));
        paths.push_back(home.file("photograph_of_the_item_number_" + std::to_string(i + 1) + "_taken_for_the_file.jpg"));
        ASSERT_TRUE(image.save(QString::fromStdString(paths.back()), "JPEG"));
    }
    paths.push_back(home.file("missing_picture.jpg"));
    const char *heirs[] = {"Margaret Smith", "margaret smith", "Thomas Whitcombe-Hargreaves the Younger", ""};
    for (int i = 0; i < 10; ++i)
        addItemWith([&](MasterInventoryBuffer &m) {
            m.CATEGORY = i % 2 ? "ART" : "elec";
            m.TYPE = i % 2 ? "Painting" : "Audio";
            m.DESCRIPTION = i == 0 ? std::string(60, 'W') : "Oil painting of the harbour at dusk, signed, number " + std::to_string(i);
            m.MODELNUMBER = "Canvas 24x36 long model";
            m.SERIALNUMBER = "HW-1887-03-0000000" + std::to_string(i);
            m.LOCATION = i < 5 ? "GARAGE" : "Living Room";
            m.BOXNUMBER = i < 5 ? "1" : "";
            m.QUANTITY = i == 1 ? 10000 : 1 + i;
            (void)m.MARKETVALUE.setCents(i == 1 ? 9999999 : 12550 * (i + 1));
            m.APPRAISED = i % 3 ? 1 : 0;
            m.APPRAISALDATE = i % 2 ? 80000 + i : 0;
            m.APPRAISER = "Lakeview Appraisal Guild of Fine Art";
            (void)m.APPRAISEDVALUE.setCents(i == 1 ? 999999999 : 130000);
            m.HEIR = heirs[i % 4];
            m.IMAGE = i < 8 ? paths[static_cast<std::size_t>(i % 4)] : "";
            m.RECEIPTIMAGE = i < 4 ? paths[static_cast<std::size_t>(3 - i)] : "";
            m.WARRANTY = i % 2 ? 1 : 0;
            m.WARRANTYIMAGE = i < 3 ? paths[static_cast<std::size_t>(i)] : "";
            m.WARRANTYEXPIRATION = i % 2 ? 81000 : 0;
        });
    Glo.Location = "Garage";
    Glo.BoxNumber = "1";
    struct Sample {
        const char *file;
        ReportDefinition def;
    };
    const Sample samples[] = {
        {"appraised", appraisedDefinition(false)},        {"appraised_wide", appraisedDefinition(true)},
        {"inheritance", inheritanceDefinition(false)},    {"inheritance_wide", inheritanceDefinition(true)},
        {"packing", packingListDefinition(false)},        {"packing_wide", packingListDefinition(true)},
        {"pictures", fileListDefinition(FileList::Picture, false)},
        {"pictures_wide", fileListDefinition(FileList::Picture, true)},
        {"receipts", fileListDefinition(FileList::Receipt, false)},
        {"receipts_wide", fileListDefinition(FileList::Receipt, true)},
        {"warranties", fileListDefinition(FileList::Warranty, false)},
        {"warranties_wide", fileListDefinition(FileList::Warranty, true)},
    };
    RunChoices choices;
    choices.switches["IncludePictures"] = true;
    for (const Sample &s : samples) {
        SCOPED_TRACE(s.file);
        const bool wide = std::string(s.file).ends_with("_wide");
        const Result r = run(s.def, choices, 80000, 5000000);
        QStringList pageSizes = drawToPdf(r.pages, std::string("list_") + s.file + ".pdf");
        ASSERT_EQ(pageSizes.size(), static_cast<int>(r.pages.size()));
        EXPECT_EQ(pageSizes.front(), wide ? "792x612" : "612x792");
        expectNoOverprint(r, s.file);
        for (const ReportRow &row : r.rows)
            EXPECT_EQ(row.text("count").find('#'), std::string::npos);
    }
}

TEST(FitIntoBox, KeepsProportionsWithinBothSidesAndRefusesAnInvalidSize)
{
    struct Case {
        QSize natural, box;
        std::optional<QSize> fitted;
    };
    const Case cases[] = {{{800, 400}, {4000, 2700}, QSize(4000, 2000)},
                          {{8000, 16000}, {4000, 2700}, QSize(1350, 2700)},
                          {{800, 600}, {4000, 2700}, QSize(3600, 2700)},
                          {{800, 400}, {3500, 2425}, QSize(3500, 1750)},
                          {{1, 1}, {3500, 2425}, QSize(2425, 2425)},
                          {{0, 0}, {4000, 2700}, std::nullopt},
                          {{800, 0}, {4000, 2700}, std::nullopt},
                          {{-1, -1}, {4000, 2700}, std::nullopt}};
    for (const Case &c : cases)
        EXPECT_EQ(fitIntoBox(c.natural, c.box), c.fitted) << c.natural.width() << "x" << c.natural.height();
}

}  // namespace
