// The catalog: its options window (defaults, the date check, the order it runs, its own
// choices beside another options window) and its rows (limits, groups, totals, packed detail
// lines that lose nothing, memo, pictures), and the three orders drawn to PDF.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <set>

#include "model/managers.h"
#include "previewer/page_render.h"
#include "reports/catalog.h"
#include "runtime/gui.h"
#include "runtime/picture.h"
#include "runtime/window.h"
#include "tests/reports/report_fixture.h"
#include "tests/support/gui_support.h"

using namespace reports;
using testing_support::find;

namespace {

class CatalogTest : public ReportTest {
protected:
    // An item of a category and location, entered on a day, worth `cents` a piece.
    void add(const char *category, const char *location, const char *description, int quantity, std::int64_t cents,
             std::int32_t entered = 80000, const std::function<void()> &more = {})
    {
        rt::clearRecord(dict::MasterInventoryDef, &MAS);
        MAS.MEMO.clear();
        MAS.ASSETNUMBER = ++asset_;
        MAS.STATUS = "Have";
        MAS.CATEGORY = category;
        MAS.LOCATION = location;
        MAS.DESCRIPTION = description;
        MAS.QUANTITY = quantity;
        MAS.HOWPURCHASED = "???";
        MAS.DATEENTERED = entered;
        ASSERT_TRUE(MAS.MARKETVALUE.setCents(cents));
        if (more)
            more();
        ASSERT_EQ(MasterInventory.add(), 0);
    }
    Result catalog(CatalogOrder order, const CatalogOptions &o) { return run(catalogDefinition(order, o)); }
    std::string picture(const char *name, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        for (int y = 0; y < image.height(); y += 20)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(255, 255, 255));
        const std::string path = home.file(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path), "JPEG"));
        return path;
    }
};

// Limits: category and location case-blind, both together, the start date kept and the day
// before left out, an item without an entry date left out under the date limit.
TEST_F(CatalogTest, LimitsCompareCaseBlindAndKeepTheStartDate)
{
    add("Kitchen", "Pantry", "Kettle", 1, 1000, 80000);
    add("KITCHEN", "pantry", "Toaster", 1, 2000, 79999);
    add("Garage", "Pantry", "Drill", 1, 3000, 80001);
    add("kitchen ", "Cellar", "Mixer", 1, 4000, 0);
    struct Case {
        CatalogOptions o;
        std::vector<std::string> printed;
    };
    CatalogOptions byCategory, both, byDate, byLocation;
    byCategory.category = "kitchen";
    byLocation.location = "PANTRY";
    both.category = "Kitchen", both.location = "pantry";
    byDate.limitByDate = true, byDate.startDate = 80000;
    CatalogOptions dateOff = byDate;
    dateOff.limitByDate = false;  // a date without the tick limits nothing
    const Case cases[] = {{byCategory, {"Kettle", "Mixer", "Toaster"}},
                          {byLocation, {"Drill", "Kettle", "Toaster"}},
                          {both, {"Kettle", "Toaster"}},
                          {byDate, {"Drill", "Kettle"}},
                          {dateOff, {"Drill", "Kettle", "Mixer", "Toaster"}}};
    for (const Case &c : cases) {
        Result r = catalog(CatalogOrder::Description, c.o);
        EXPECT_EQ(r.texts("item", "MAS:DESCRIPTION"), c.printed) << c.o.category << "/" << c.o.location;
        // Left-out items add to no total.
        EXPECT_EQ(r.texts("grand totals", "count"), std::vector<std::string>{std::to_string(c.printed.size())});
    }
}

// Groups: a footer only for a group that printed items, keys compared case-blind so mixed case
// makes one group; grand totals in every order, 0 when every item is left out, none without
// items; a new page after every item and after every footer when asked.
TEST_F(CatalogTest, GroupFootersOnlyForPrintedGroupsAndGrandTotalsInEveryOrder)
{
    addCategory("Kitchen", "Kitchen things");
    addLocation("Pantry", "Pantry");
    {
        Result none = catalog(CatalogOrder::Description, {});
        EXPECT_TRUE(none.band("grand totals").empty());
    }
    add("Kitchen", "Pantry", "Kettle", 2, 1050);
    add("KITCHEN", "Cellar", "Toaster", 1, 2000);
    add("Garage", "Cellar", "Drill", 3, 3000);
    CatalogOptions pantry;
    pantry.location = "Pantry";
    Result r = catalog(CatalogOrder::Category, pantry);
    EXPECT_EQ(r.texts("group footer", "CAT:CATEGORY"), std::vector<std::string>{"Kitchen"});
    EXPECT_EQ(r.texts("group footer", "count"), std::vector<std::string>{"1"});
    EXPECT_EQ(r.texts("grand totals", "value"), std::vector<std::string>{"$21.00"});

    Result all = catalog(CatalogOrder::Category, {});
    EXPECT_EQ(all.texts("group footer", "CAT:CATEGORY"), (std::vector<std::string>{"Garage", "Kitchen"}));
    EXPECT_EQ(all.texts("group footer", "value"), (std::vector<std::string>{"90.00", "41.00"}));
    EXPECT_EQ(all.band("grand totals").at(0)->text("value"), "$131.00");

    Result byLocation = catalog(CatalogOrder::Location, {});
    EXPECT_EQ(byLocation.texts("group footer", "LCT:LOCATION"), (std::vector<std::string>{"Cellar", "Pantry"}));
    Result desc = catalog(CatalogOrder::Description, {});
    EXPECT_TRUE(desc.band("group footer").empty());
    EXPECT_EQ(desc.texts("grand totals", "count"), std::vector<std::string>{"3"});
    EXPECT_EQ(desc.texts("grand totals", "value"), std::vector<std::string>{"$131.00"});

    CatalogOptions nothing;
    nothing.category = "Attic";
    for (CatalogOrder o : {CatalogOrder::Description, CatalogOrder::Category, CatalogOrder::Location}) {
        Result z = catalog(o, nothing);
        EXPECT_TRUE(z.band("item").empty());
        EXPECT_TRUE(z.band("group footer").empty());
        EXPECT_EQ(z.texts("grand totals", "count"), std::vector<std::string>{"0"});
        EXPECT_EQ(z.texts("grand totals", "value"), std::vector<std::string>{"$0.00"});
    }

    CatalogOptions newPage;
    newPage.newPageEveryItem = true;
    Result paged = catalog(CatalogOrder::Category, newPage);
    std::vector<int> pages;
    for (const ReportRow *row : paged.band("item"))
        pages.push_back(row->page);
    // Garage's one item, its footer on the next page, then Kitchen's two items.
    EXPECT_EQ(pages, (std::vector<int>{1, 3, 4}));
    // Each footer ends its page too: the grand totals start a page of their own.
    EXPECT_GT(paged.band("grand totals").at(0)->page, paged.band("group footer").back()->page);
}

// An item with every field at full length prints every character of every entry, in order,
// each line within the body; a plain item packs as the catalog always did.
TEST_F(CatalogTest, DetailLinesLoseNoTextAndStayWithinTheBody)
{
    rt::clearRecord(dict::UserFieldsDef, &USF);
    USF.TITLEUSERFIELD1 = "Insurer";
    USF.TITLEUSERFIELD3 = "Policy Holder Name";
    ASSERT_EQ(UserFields.add(), 0);
    add("Kitchen", "Pantry", "Only a description", 1, 0, 80000, [] {
        MAS.HOWPURCHASED = "";
    });
    std::vector<std::string> expected;
    add("Kitchen", "Pantry", "Everything", 2147483647, 999999, 80000, [&] {
        const rt::TableDef &d = dict::MasterInventoryDef;
        auto fill = [&](const char *field) {
            const int i = d.fieldIndex(std::string("MAS:") + field);
            const int n = d.fields[static_cast<std::size_t>(i)].size;
            std::string s;
            for (int k = 0; k < n; ++k)
                s += static_cast<char>('A' + (k + i) % 26);
            return s;
        };
        MAS.ASSETNUMBER = 42;
        for (const char *f : {"SERIALNUMBER", "MODELNUMBER", "MANUFACTURER", "TYPE", "BOXNUMBER", "COLOR", "CONDITION",
                              "SUBJECT", "STARARTISTAUTHOR", "COSTARARTISTAUTHOR", "PURCHASEDFROM", "HOWPURCHASED",
                              "APPRAISER", "HEIR", "ARTIST", "EDITIONNUMBER", "USERFIELD1", "USERFIELD2", "USERFIELD3",
                              "USERFIELD4"})
            ASSERT_TRUE(rt::setFieldText(d.fields[static_cast<std::size_t>(d.fieldIndex(std::string("MAS:") + f))], &MAS, fill(f))) << f;
        MAS.SERIALNUMBER = std::string(20, 'W');
        MAS.COSTARARTISTAUTHOR = std::string(40, 'W');
        MAS.DATEPURCHASED = 80000;
        MAS.APPRAISALDATE = 80001;
        MAS.WARRANTYEXPIRATION = 80002;
        ASSERT_TRUE(MAS.ORIGINALCOST.setCents(-9999999));
        ASSERT_TRUE(MAS.REPLACEMENTCOST.setCents(9999999));
        ASSERT_TRUE(MAS.MSRP.setCents(9999999));
        ASSERT_TRUE(MAS.APPRAISEDVALUE.setCents(999999999));
        ASSERT_TRUE(MAS.CARATWEIGHT.setCents(99999));
        ASSERT_TRUE(MAS.TOTALWEIGHT.setCents(-99999));
        MAS.YEARORIGIN = 1887;
        MAS.TOTALNUMBER = -2147483647;
        for (rt::Byte *b : {&MAS.INSURED, &MAS.BUSINESSUSE, &MAS.APPRAISED, &MAS.FAMILYHEIRLOOM, &MAS.ENGRAVED,
                            &MAS.SIGNED, &MAS.LIMITEDEDITION, &MAS.WARRANTY})
            *b = 1;
        expected = {"Asset #: 0000042",
                    "Serial #: " + std::string(20, 'W'),
                    "Model #: " + rt::clip(MAS.MODELNUMBER.view()),
                    "MFG: " + rt::clip(MAS.MANUFACTURER.view()),
                    "Type: " + rt::clip(MAS.TYPE.view()),
                    "Box #: " + rt::clip(MAS.BOXNUMBER.view()),
                    "Color: " + rt::clip(MAS.COLOR.view()),
                    "Condition: " + rt::clip(MAS.CONDITION.view()),
                    "Subject: " + rt::clip(MAS.SUBJECT.view()),
                    "Star/Artist/Author: " + rt::clip(MAS.STARARTISTAUTHOR.view()),
                    "CoStar/Artist/Author: " + std::string(40, 'W'),
                    "Date Purchased: " + rt::formatDate("@d1", 80000),
                    "Purchased From: " + rt::clip(MAS.PURCHASEDFROM.view()),
                    "How Purchased: " + rt::clip(MAS.HOWPURCHASED.view()),
                    "Quantity: 2,147,483,647",
                    "Cost: -$99,999.99",
                    "Replacement Cost: $99,999.99",
                    "MSRP: $99,999.99",
                    "Market Value: $9,999.99",
                    "Carat Weight: 999.99",
                    "Total Weight: -999.99",
                    "Insured: Yes",
                    "Business Use: Yes",
                    "Appraised: Yes",
                    "Appraisal Date: " + rt::formatDate("@d1", 80001),
                    "Appraised Value: $9,999,999.99",
                    "Appraiser: " + rt::clip(MAS.APPRAISER.view()),
                    "Family Heirloom: Yes",
                    "Engraved: Yes",
                    "Heir: " + rt::clip(MAS.HEIR.view()),
                    "Artist: " + rt::clip(MAS.ARTIST.view()),
                    "Signed: Yes",
                    "Year Orgin: 1887",
                    "Limited Edition: Yes",
                    "Edition #: " + rt::clip(MAS.EDITIONNUMBER.view()),
                    "Total Made: -2,147,483,647",
                    "Warranty: Yes",
                    "Warranty Exp: " + rt::formatDate("@d1", 80002),
                    "Insurer: " + rt::clip(MAS.USERFIELD1.view()),
                    ": " + rt::clip(MAS.USERFIELD2.view()),
                    "Policy Holder Name: " + rt::clip(MAS.USERFIELD3.view()),
                    ": " + rt::clip(MAS.USERFIELD4.view())};
    });
    Result r = catalog(CatalogOrder::Description, {});
    std::vector<std::string> lines[2];
    int item = -1;
    for (const ReportRow &row : r.rows) {
        if (row.band == "item")
            ++item;
        if (row.band == "detail line") {
            const std::string line = row.text("DetailLine");
            EXPECT_EQ(line.find('\n'), std::string::npos) << "wrapped: " << line;
            previewer::TextItem t;
            t.text = line;
            EXPECT_LE(previewer::textWidth(t), 7500) << line;
            lines[item].push_back(line);
        }
    }
    // Description order: "Everything" first.
    std::string joined;
    for (const std::string &l : lines[0])
        joined += (joined.empty() ? "" : "     ") + l;
    std::string want;
    for (const std::string &e : expected)
        want += (want.empty() ? "" : "     ") + e;
    EXPECT_EQ(joined, want);
    EXPECT_GT(lines[0].size(), 8u);
    EXPECT_EQ(lines[1], std::vector<std::string>{"Asset #: 0000001     How Purchased:     Quantity: 1"});
}

// The memo only when it is not blank; four pictures in two bands side by side, each inside
// its band; a missing picture leaves its place empty and the item goes on; pictures off: none.
// The last item of a page printed its lines there and its picture on top of the next page,
// above the next item's lines. Whatever the room left, an item's first picture band stands on
// the page of its item line: the item starts the next page when both do not fit.
TEST_F(CatalogTest, PictureStaysWithItsItemOnOnePage)
{
    const std::string square = picture("square.jpg", {500, 500});
    int moved = 0;
    for (int before = 0; before < 40; before += 3) {
        SCOPED_TRACE(std::to_string(before) + " items before");
        ASSERT_EQ(MasterInventory.close(), 0);
        ASSERT_EQ(MasterInventory.create(), 0);
        ASSERT_EQ(MasterInventory.open(rt::mode::ReadWriteDenyNone), 0);
        for (int i = 0; i < before; ++i)
            add("Art", "Hall", ("A plain item " + std::to_string(100 + i)).c_str(), 1, 100);
        add("Art", "Hall", "B with its picture", 1, 100, 80000, [&] {
            MAS.MEMO = "Bought at the estate sale; the frame was regilded in the spring.";
            MAS.IMAGE = square;
        });
        add("Art", "Hall", "C after it", 1, 100);
        for (CatalogOrder order : {CatalogOrder::Description, CatalogOrder::Category}) {
            const Result r = catalog(order, {});
            const ReportRow *item = nullptr;
            for (const ReportRow &row : r.rows) {
                if (row.band == "item")
                    item = &row;
                if (row.band == "pictures") {
                    ASSERT_NE(item, nullptr);
                    EXPECT_EQ(row.page, item->page) << "the picture left its item";
                    moved += item->page > 1 && item->y == r.layout.page.top;
                }
            }
        }
    }
    EXPECT_GT(moved, 0) << "no item had to move for its picture";
}

TEST_F(CatalogTest, MemoWhenNotBlankAndPicturesFittedIntoTheirBands)
{
    const std::string wide = picture("wide.jpg", {1200, 300}), tall = picture("tall.jpg", {300, 900}),
                      square = picture("square.jpg", {500, 500});
    add("Art", "Hall", "A four pictures", 1, 100, 80000, [&] {
        MAS.MEMO = "Restored in 2019.";
        MAS.IMAGE = wide;
        MAS.IMAGE2 = tall;
        MAS.RECEIPTIMAGE = square;
        MAS.WARRANTYIMAGE = wide;
    });
    add("Art", "Hall", "B a missing one", 1, 100, 80000, [&] {
        MAS.MEMO = "   ";
        MAS.IMAGE = home.file("gone.jpg");
        MAS.IMAGE2 = square;
    });
    add("Art", "Hall", "C only missing", 1, 100, 80000, [&] { MAS.WARRANTYIMAGE = home.file("gone.jpg"); });
    Result r = catalog(CatalogOrder::Description, {});
    EXPECT_EQ(r.texts("memo", "MAS:MEMO"), std::vector<std::string>{"Restored in 2019."});
    std::vector<std::string> seen;
    for (const char *band : {"pictures", "receipt and warranty"})
        for (const ReportRow *row : r.band(band)) {
            for (const RowText &t : row->texts) {
                seen.push_back(std::string(band) + " " + t.control + " " + std::to_string(t.w) + "x" +
                               std::to_string(t.h));
                EXPECT_LE(t.y + t.h, row->y + row->height) << band;
                EXPECT_LE(t.x + t.w, 500 + 7500) << band;
            }
        }
    EXPECT_EQ(seen, (std::vector<std::string>{"pictures MAS:IMAGE 3000x750", "pictures MAS:IMAGE2 1000x3000",
                                              "pictures MAS:IMAGE2 3000x3000",
                                              "receipt and warranty MAS:RECEIPTIMAGE 3000x3000",
                                              "receipt and warranty MAS:WARRANTYIMAGE 3000x750"}));
    // The item with only a missing picture prints an empty band and the spacer, and goes on.
    EXPECT_EQ(r.band("picture spacer").size(), 3u);
    EXPECT_EQ(r.band("separator").size(), 3u);
    CatalogOptions off;
    off.includePictures = false;
    Result none = catalog(CatalogOrder::Description, off);
    EXPECT_TRUE(none.band("pictures").empty());
    EXPECT_TRUE(none.band("receipt and warranty").empty());
    EXPECT_TRUE(none.band("picture spacer").empty());
}

// The options window, through the procedures as the menus start it.
class CatalogWindowTest : public CatalogTest {
protected:
    void SetUp() override
    {
        CatalogTest::SetUp();
        CustomReportSetups.name = home.file(dict::CustomReportSetupsDef.diskName);
        ASSERT_EQ(CustomReportSetups.create(), 0);
        addCategory("Kitchen", "Kitchen things");
        addCategory("Garage", "Garage things");
        addLocation("Pantry", "Pantry");
        closeAll();
        DictionaryInit();
        registerReportProcedures();
        old_ = setReportOutput([] { return std::make_unique<NoOutput>(); });
    }
    void TearDown() override
    {
        setReportOutput(old_);
        for (rt::WindowProcedure *w : rt::startedWindows())
            w->requestClose();
        testing_support::pump(20);
        DictionaryKill();
        CustomReportSetups.close();
        CatalogTest::TearDown();
    }
    rt::WindowProcedure *open(const char *procedure)
    {
        rt::runProcedure(procedure);
        const auto w = rt::startedWindows();
        return w.isEmpty() ? nullptr : w.back();
    }
    static void choose(QWidget *w, const char *list, const char *text)
    {
        auto *c = find<QComboBox>(w, list);
        c->setCurrentIndex(c->findText(text));
        emit c->activated(c->currentIndex());
    }
    // What the catalog the window started printed (previewed): its order as its group footers
    // show it, its items, a page to each item, its pictures.
    static std::string printed()
    {
        std::string order = "Description", items;
        std::set<int> pages;
        bool pictures = false;
        for (const ReportRow &r : printed_rows::rows()) {
            if (r.band == "item") {
                items += "[" + r.text("MAS:DESCRIPTION") + "]";
                pages.insert(r.page);
            }
            if (r.band == "group footer")
                order = r.text("CAT:CATEGORY").empty() ? "Location" : "Category";
            pictures = pictures || r.band == "pictures";
        }
        return order + " " + items + " " + std::to_string(pages.size()) + (pictures ? " pictures" : "");
    }
    testing_support::ScriptedMessages box;
    OutputFactory old_;
};

TEST_F(CatalogWindowTest, DefaultsDateCheckOrdersAndAWindowOfItsOwn)
{
    // Whatever an earlier window left, each opening shows the defaults.
    Glo.ReportOrder = "Category";
    Glo.IncludePictures = 0;
    Glo.Category = "Garage";
    rt::WindowProcedure *w = open("ReportCatalogOptions");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Catalog Report Options");
    EXPECT_TRUE(find<QRadioButton>(w, "Order Description")->isChecked());
    EXPECT_TRUE(find<QCheckBox>(w, "Include Pictures")->isChecked());
    EXPECT_FALSE(find<QCheckBox>(w, "Limit By Date")->isChecked());
    EXPECT_FALSE(find<QCheckBox>(w, "Start New Page Every Item")->isChecked());
    EXPECT_EQ(find<QComboBox>(w, "Category")->currentText(), "");
    EXPECT_EQ(find<QComboBox>(w, "Location")->currentText(), "");
    EXPECT_EQ(find<QLineEdit>(w, "StartDate")->text(), "");
    if (const char *keep = std::getenv("ORVANE_SAMPLE_PDF_DIR")) {
        w->adjustSize();
        w->grab().save(QString::fromStdString(std::string(keep) + "/catalog_options.png"));
    }

    openAll();
    add("Kitchen", "Pantry", "Toaster", 1, 100, 80200);
    add("Kitchen", "Hall", "Kettle", 1, 100, 70000);
    add("Garage", "Pantry", "Drill", 1, 100, 80200, [this] { MAS.IMAGE = picture("drill.jpg", {40, 30}); });
    closeAll();

    // "Limit By Date" without a date: the message, and the window stays.
    find<QCheckBox>(w, "Limit By Date")->setChecked(true);
    find<QPushButton>(w, "OK")->click();
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].text, "You must enter the date to start if you select to limit by date");
    EXPECT_EQ(box.shown()[0].title, "Data Error");
    EXPECT_EQ(box.shown()[0].buttons, rt::BUTTON_RETRY);
    EXPECT_TRUE(printed_rows::rows().empty());
    EXPECT_TRUE(rt::startedWindows().contains(w));

    // The calendar's date; a calendar cancelled later keeps it.
    bool pick = true;
    rt::registerProcedure("SelectDate", [&pick] {
        Glo.DatePicked = pick ? 1 : 0;
        if (pick)
            Glo.SelectedDate = 80123;
    });
    find<QPushButton>(w, "Calendar")->click();
    pick = false;
    find<QPushButton>(w, "Calendar")->click();
    EXPECT_EQ(find<QLineEdit>(w, "StartDate")->text().toStdString(), rt::formatDate("@d1", 80123));

    // A second options window (the custom reports') opened and changed meanwhile changes
    // nothing in this one.
    choose(w, "Category", "Kitchen");
    find<QRadioButton>(w, "Order Location")->setChecked(true);
    find<QCheckBox>(w, "Include Pictures")->setChecked(false);
    rt::WindowProcedure *custom = open("ReportDesignOptions");
    ASSERT_NE(custom, nullptr);
    find<QRadioButton>(custom, "Order Category")->setChecked(true);
    find<QCheckBox>(custom, "Include Pictures")->setChecked(true);
    choose(custom, "Category", "Garage");
    Glo.ReportOrder = "Asset";
    Glo.IncludePictures = 1;
    Glo.Category = "Garage";
    find<QPushButton>(w, "OK")->click();
    EXPECT_EQ(printed(), "Location [Toaster] 1");

    // Each order prints its own catalog; a cleared list limits nothing; a page to each item.
    for (auto [order, want] : {std::pair{"Category", "Category [Drill][Toaster][Kettle] 3 pictures"},
                               {"Description", "Description [Drill][Kettle][Toaster] 3 pictures"}}) {
        rt::WindowProcedure *x = open("ReportCatalogOptions");
        choose(x, "Location", "Pantry");
        find<QPushButton>(x, "Clear Location")->click();
        find<QRadioButton>(x, (std::string("Order ") + order).c_str())->setChecked(true);
        find<QCheckBox>(x, "Start New Page Every Item")->setChecked(true);
        find<QPushButton>(x, "OK")->click();
        EXPECT_EQ(printed(), want);
    }
}

// The three orders of a sample client with pictures and long texts drawn to PDF; with
// ORVANE_SAMPLE_PDF_DIR set they are kept there to be looked at.
TEST_F(CatalogTest, TheThreeCatalogsDrawToPdf)
{
    addCategory("Art", "Art");
    addLocation("Hall", "Hall");
    rt::clearRecord(dict::UserFieldsDef, &USF);
    USF.TITLEUSERFIELD1 = "Insurer";
    ASSERT_EQ(UserFields.add(), 0);
    const std::string pics[4] = {picture("p1.jpg", {800, 600}), picture("p2.jpg", {300, 900}),
                                 picture("p3.jpg", {1200, 300}), picture("p4.jpg", {640, 640})};
    std::string memo;
    for (int i = 0; i < 12; ++i)
        memo += "Appraised in 2019 by the county guild; the frame was restored and the canvas cleaned. ";
    for (int i = 0; i < 6; ++i)
        add(i % 2 ? "Art" : "kitchen", i % 3 ? "Hall" : "Den",
            ("Oil painting of the harbour at dusk number " + std::to_string(i)).c_str(), 1 + i, 125000 + i, 80000,
            [&, i] {
                MAS.SERIALNUMBER = "HW-1887-0" + std::to_string(i);
                MAS.MANUFACTURER = "Whitcombe & Sons Fine Art";
                MAS.STARARTISTAUTHOR = "Jonathan Whitcombe the Elder of Bristol";
                MAS.COSTARARTISTAUTHOR = std::string(40, 'W');
                MAS.APPRAISER = "County Guild of Appraisers";
                ASSERT_TRUE(MAS.APPRAISEDVALUE.setCents(999999999));
                MAS.INSURED = 1;
                MAS.USERFIELD1 = "Acme Mutual Insurance Company";
                MAS.MEMO = memo;
                MAS.IMAGE = pics[0];
                MAS.IMAGE2 = pics[1];
                if (i % 2 == 0) {
                    MAS.RECEIPTIMAGE = pics[2];
                    MAS.WARRANTYIMAGE = pics[3];
                }
            });
    const std::pair<CatalogOrder, const char *> orders[] = {{CatalogOrder::Description, "catalog_description.pdf"},
                                                           {CatalogOrder::Category, "catalog_category.pdf"},
                                                           {CatalogOrder::Location, "catalog_location.pdf"}};
    for (const auto &[order, file] : orders) {
        const Result r = run(catalogDefinition(order, {}), {}, 80000, 5000000);
        // No two texts of a row meet.
        for (const ReportRow &row : r.rows)
            for (std::size_t a = 0; a < row.texts.size(); ++a)
                for (std::size_t b = a + 1; b < row.texts.size(); ++b) {
                    const RowText &x = row.texts[a], &y = row.texts[b];
                    const bool meet = x.x < y.x + y.w && y.x < x.x + x.w && x.y < y.y + y.h && y.y < x.y + x.h;
                    EXPECT_FALSE(meet && x.w && y.w && x.h && y.h) << file << " " << row.band << " " << x.control
                                                                   << " / " << y.control;
                }
        EXPECT_EQ(drawToPdf(r.pages, file).size(), static_cast<int>(r.pages.size()));
    }
}

}  // namespace
