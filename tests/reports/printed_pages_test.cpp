// Every report of the table, the three catalogs and custom reports, in both layouts, with
// pictures and without, over a client whose items carry the default categories, types and
// rooms of a new data folder and long descriptions: the pages as printed, item by item. With
// ORVANE_SAMPLE_PDF_DIR set the pages are kept there as PDFs, to be looked at.
#include <gtest/gtest.h>

#include <QImage>

#include "model/default_rows.h"
#include "model/user_fields.h"
#include "reports/catalog.h"
#include "reports/custom_fields.h"
#include "reports/custom_report.h"
#include "reports/item_lists.h"
#include "reports/report_table.h"
#include "tests/reports/page_checks.h"
#include "tests/reports/report_fixture.h"

using namespace reports;

namespace {

class PrintedPages : public ReportTest {
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        for (rt::RecordFile *f : {&Heirs, &CustomReportSetups}) {
            f->name = home.file(f->def().diskName);
            ASSERT_EQ(f->create(), 0);
            ASSERT_EQ(f->open(rt::mode::ReadWriteDenyNone), 0);
        }
        model::putDefaultTitles(USF);
        ASSERT_EQ(UserFields.add(), 0);
        reportFieldList().clear();
        BuildReportFieldList();
    }
    void TearDown() override
    {
        Heirs.close();
        CustomReportSetups.close();
        ReportTest::TearDown();
    }

    // The default vocabulary and one item of every category and type, in the rooms in turn,
    // with descriptions of 40 and 60 characters; every fifth item with a picture and a receipt,
    // every third appraised and promised to an heir, the first room's in a box.
    void seedDefaultClient()
    {
        std::vector<std::string> pictures;
        for (int i = 0; i < 3; ++i) {
            QImage image(i == 0 ? QSize(600, 900) : i == 1 ? QSize(1200, 800) : QSize(700, 700), QImage::Format_RGB32);
            image.fill(i == 0 ? Qt::darkBlue : i == 1 ? Qt::darkGreen : Qt::darkRed);
            pictures.push_back(home.file("picture_of_an_item_kept_for_the_insurer_" + std::to_string(i) + ".jpg"));
            ASSERT_TRUE(image.save(QString::fromStdString(pictures.back()), "JPEG"));
        }
        for (const defaults::CategoryRow &c : defaults::categories()) {
            addCategory(c.category, c.description);
            for (const defaults::TypeRow &t : c.types)
                addType(c.category, t.type, t.description);
        }
        const auto rooms = defaults::rooms();
        for (const defaults::RoomRow &r : rooms)
            addLocation(r.location, r.description);
        addBox(rooms[0].location, "1", "Holiday lights, wreaths and the tree stand");
        for (const char *name : defaults::manufacturers()) {
            rt::clearRecord(dict::ManufacturersDef, &MAN);
            MAN.MANUFACTURER = name;
            MAN.ADDRESS1 = "1200 Commerce Park Drive, Building 4, Suite 210";
            MAN.ADDRESS2 = "Grand Rapids, MI 49503, United States";
            MAN.PHONE = "6165550142";
            ASSERT_EQ(Manufacturers.add(), 0);
        }
        for (const char *name : defaults::vendors()) {
            rt::clearRecord(dict::VendorsDef, &VEN);
            VEN.VENDOR = name;
            VEN.ADDRESS1 = "88 Market Street, Unit 3";
            VEN.ADDRESS2 = "Springfield, IL 62701";
            VEN.PHONE = "2175550199";
            ASSERT_EQ(Vendors.add(), 0);
        }
        const char *descriptions[] = {"Carved walnut mantel clock, Holmberg piece",
                                      "Set of twelve hand-painted Limoges dessert plates with gilt rim"};
        const char *heirs[] = {"Margaret Holmberg-Lindqvist", "Thomas Whitcombe-Hargreaves the Younger"};
        int n = 0;
        auto add = [&](const char *category, const char *type) {
            const std::size_t i = static_cast<std::size_t>(n++);
            const auto manufacturers = defaults::manufacturers();
            const auto vendors = defaults::vendors();
            addItemWith([&](MasterInventoryBuffer &m) {
                m.CATEGORY = category;
                m.TYPE = type;
                const bool boxed = i % rooms.size() == 0 || std::string_view(category) == "Holiday Decorations";
                m.LOCATION = boxed ? rooms[0].location : rooms[i % rooms.size()].location;
                m.BOXNUMBER = boxed ? "1" : "";
                m.DESCRIPTION = std::string(descriptions[i % 2]).substr(0, 60);
                m.MANUFACTURER = manufacturers[i % manufacturers.size()];
                m.PURCHASEDFROM = vendors[i % vendors.size()];
                m.MODELNUMBER = "MX-" + std::to_string(4000 + i) + "-LONGMODEL";
                m.SERIALNUMBER = "SN-2026-" + std::to_string(100000 + i);
                m.CONDITION = "Excellent";
                m.QUANTITY = 1 + static_cast<std::int32_t>(i % 4);
                (void)m.MARKETVALUE.setCents(12550 * static_cast<std::int64_t>(i + 1));
                (void)m.ORIGINALCOST.setCents(9900 * static_cast<std::int64_t>(i + 1));
                (void)m.REPLACEMENTCOST.setCents(15000 * static_cast<std::int64_t>(i + 1));
                m.APPRAISED = i % 3 == 0 ? 1 : 0;
                m.APPRAISALDATE = i % 3 == 0 ? 80000 : 0;
                m.APPRAISER = "Lakeview Appraisal Guild";
                (void)m.APPRAISEDVALUE.setCents(130000);
                m.HEIR = i % 3 == 0 ? heirs[i % 2] : "";
                const bool files = i % 5 == 0;
                m.IMAGE = files ? pictures[i % 3] : "";
                m.IMAGE2 = files && i % 2 ? pictures[(i + 1) % 3] : "";
                m.RECEIPTIMAGE = files ? pictures[(i + 2) % 3] : "";
                // Memos of every length, some under items with pictures: a short one, one of some
                // lines, and one of 2,000 characters that no page's foot holds whole.
                m.MEMO = i % 7 == 0    ? "Kept in the original box with its papers; the insurer has a copy of the appraisal."
                         : i % 10 == 5 ? page_checks::longMemo(2000)
                         : i % 6 == 2  ? page_checks::longMemo(400)
                                       : "";
            });
        };
        for (const defaults::CategoryRow &c : defaults::categories()) {
            if (c.types.empty())
                add(c.category, "Other");
            for (const defaults::TypeRow &t : c.types)
                add(c.category, t.type);
        }
        // The category as the home-inventory menu's button names it, packed in the box.
        add("Holiday Decorations", "Lights");
        // In the lists' order every fourth item has a warranty and every second of those its
        // file: the wide warranty list's second page then holds four lines and two pictures,
        // and its page break falls at the foot of a full page.
        std::vector<rt::ViewRow> rows;
        rt::View(MasterInventory, dict::MasterInventoryDef.key("CATEGORYKEY")).read(100000, rows);
        for (std::size_t k = 0; k < rows.size(); ++k) {
            MAS.ASSETNUMBER = recordOf<MasterInventoryRecord>(rows[k]).ASSETNUMBER.get();
            ASSERT_EQ(MasterInventory.get(*dict::MasterInventoryDef.key("ASSETKEY")), 0);
            MAS.WARRANTY = k % 4 == 0 ? 1 : 0;
            MAS.WARRANTYIMAGE = k % 8 == 0 ? pictures[k % 3] : "";
            MAS.WARRANTYEXPIRATION = k % 4 == 0 ? 81000 : 0;
            ASSERT_EQ(MasterInventory.put(), 0);
        }
        // The custom reports of each orientation, over those columns that print the vocabulary.
        defineCustom("Holiday and household", "Portrait",
                     {"Category", "Type", "Location", "Description Short", "Quantity", "Market Value", "Condition"});
        defineCustom("Holiday and household, wide", "Landscape",
                     {"Category", "Type", "Location", "Description Long", "Quantity", "Extended MV", "Box #"});
        defineCustom("Twelve columns by room", "Landscape",
                     {"Asset", "Location", "Box #", "Category", "Description Short", "Condition", "Quantity",
                      "Market Value", "Extended MV", "Insured", "Appraised", "Date Purchased"});
    }
    void defineCustom(const std::string &name, const char *orientation, const std::vector<std::string> &columns)
    {
        rt::clearRecord(dict::CustomReportSetupsDef, &CRS);
        CRS.REPORTNAME = name;
        CRS.ORIENTATION = orientation;
        const std::array fields{&CRS.FIELD1, &CRS.FIELD2, &CRS.FIELD3, &CRS.FIELD4,  &CRS.FIELD5,  &CRS.FIELD6,
                                &CRS.FIELD7, &CRS.FIELD8, &CRS.FIELD9, &CRS.FIELD10, &CRS.FIELD11, &CRS.FIELD12};
        for (std::size_t i = 0; i < columns.size(); ++i)
            *fields[i] = columns[i];
        ASSERT_EQ(CustomReportSetups.add(), 0);
    }

    // One printing of a report: how it is made and what it was asked.
    struct Printing {
        std::string name;
        std::function<ReportDefinition()> make;
        RunChoices choices;
        std::function<void()> before = [] {};
    };
    // Every report of the table with a definition (each layout of a pair), the three catalogs
    // and two custom reports, each with pictures and without.
    std::vector<Printing> everyPrinting()
    {
        std::vector<Printing> out;
        for (bool pictures : {false, true}) {
            RunChoices c;
            c.switches["IncludePictures"] = pictures;
            c.switches["IncludeMemo"] = pictures;
            const std::string with = pictures ? " with pictures" : "";
            for (const ReportEntry &e : reportTable()) {
                // The catalogs and the custom reports are printed below, with their options.
                if (!e.definition || e.id == Report::CustomReport || e.id == Report::CatalogByDescription ||
                    e.id == Report::CatalogByCategory || e.id == Report::CatalogByLocation)
                    continue;
                for (bool wide : {false, true}) {
                    if (wide && !e.pair())
                        continue;
                    out.push_back({std::string(wide ? e.wide : e.portrait) + with, [&e, wide] {
                                       ReportInputs in;
                                       in.wide = wide;
                                       in.assetNumber = 1;  // the item of "Complete Item Information"
                                       return e.definition(in);
                                   },
                                   c});
                }
            }
            for (CatalogOrder order : {CatalogOrder::Description, CatalogOrder::Category, CatalogOrder::Location}) {
                CatalogOptions o;
                o.includePictures = pictures;
                out.push_back({"catalog " + std::to_string(static_cast<int>(order)) + with,
                               [order, o] { return catalogDefinition(order, o); }, c});
            }
            for (bool wide : {false, true})
                out.push_back({std::string(wide ? "custom landscape" : "custom portrait") + with,
                               [wide, pictures] {
                                   CustomOptions o;
                                   o.reportName = wide ? "Holiday and household, wide" : "Holiday and household";
                                   o.order = "Category";
                                   o.memos = o.pictures = pictures;
                                   return customReportDefinition(wide, o);
                               },
                               c});
            out.push_back({"custom twelve columns" + with,
                           [pictures] {
                               CustomOptions o;
                               o.reportName = "Twelve columns by room";
                               o.order = "Location";
                               o.memos = o.pictures = pictures;
                               return customReportDefinition(true, o);
                           },
                           c});
        }
        return out;
    }
    // Prints one, its PDF kept when asked for.
    Result print(const Printing &p)
    {
        Glo.Category = "Holiday Decor";
        Glo.Location = defaults::rooms()[0].location;
        Glo.BoxNumber = "1";
        p.before();
        Result r = run(p.make(), p.choices, 80000, 5000000);
        if (std::getenv("ORVANE_SAMPLE_PDF_DIR")) {
            std::string file = "every_" + p.name + ".pdf";
            std::replace(file.begin(), file.end(), ' ', '_');
            drawToPdf(r.pages, file);
        }
        return r;
    }
};

}  // namespace

// A band that breaks the page after it and does not fit at the foot of a full page (the wide
// warranty list's page break after four lines and two pictures) opened a page of its own that
// held nothing but the heading and the footer. No page of any report may be without a band.
TEST_F(PrintedPages, NoBlankPageInAnyReportEitherLayoutWithOrWithoutPictures)
{
    seedDefaultClient();
    int pages = 0;
    for (const Printing &p : everyPrinting()) {
        const Result r = print(p);
        ASSERT_FALSE(r.pages.empty()) << p.name;
        pages += static_cast<int>(r.pages.size());
        // A page holds a band when a band other than the heading and the footer printed a
        // text on it.
        for (int page : page_checks::pagesWithoutABand(r.rows, static_cast<int>(r.pages.size())))
            ADD_FAILURE() << p.name << ": page " << page << " of " << r.pages.size() << " holds no band";
    }
    EXPECT_GT(pages, 100);
}

// A picture band that did not fit under its item's lines went to the top of the next page,
// away from them (the catalog's last item of a page, a list's line): in every report with
// pictures, each picture band stands on the page of the item line before it, unless the item's
// memo, too long for one page with them, runs on over the page before it.
TEST_F(PrintedPages, PictureStaysWithItsItemInEveryReportWithPictures)
{
    seedDefaultClient();
    int pictures = 0;
    for (const Printing &p : everyPrinting()) {
        if (!p.choices.on("IncludePictures"))
            continue;
        const Result r = print(p);
        const ReportRow *line = nullptr;
        bool memoRanOver = false;
        for (const ReportRow &row : r.rows) {
            if (row.band == "detail" || row.band == "item") {
                line = &row;
                memoRanOver = false;
            }
            if (row.band == "memo" && line && row.page != line->page)
                memoRanOver = true;
            if (row.band != "picture" && row.band != "pictures")
                continue;
            ++pictures;
            ASSERT_NE(line, nullptr) << p.name;
            if (!memoRanOver)
                EXPECT_EQ(row.page, line->page) << p.name << ": the picture of \"" << line->text("MAS:DESCRIPTION")
                                                << "\" left its line";
        }
    }
    EXPECT_GT(pictures, 100);
}

// The default category "Holiday Decorations" in the wide packing list, a 60-character
// description in the appraised and heirs reports and the room "Master Bedroom" at the page's
// right edge were clipped in the middle of a letter and ran into the next column. Every text of
// every page stands inside its box, apart from the text beside it, and no word shrinks past
// legible.
TEST_F(PrintedPages, TextsFitTheirColumnsInEveryReportApartFromTheirNeighbours)
{
    seedDefaultClient();
    int shrunk = 0;
    for (const Printing &p : everyPrinting()) {
        if (p.choices.on("IncludePictures"))
            continue;  // the same texts as without
        const Result r = print(p);
        for (std::size_t page = 0; page < r.pages.size(); ++page)
            page_checks::expectTextsFitTheirColumns(r.pages[page], p.name + ", page " + std::to_string(page + 1) + ": ",
                                                    &shrunk);
    }
    EXPECT_GT(shrunk, 0);
}

// A memo that did not fit under its item at a page's foot went whole to the next page, under the
// column headings with no item named (the wide Home Inventory Report with memos, a custom report
// of twelve columns with memos and pictures), and the item's picture went to a third page. In
// every report, both layouts, memos and pictures on and off: no page begins with an item's memo,
// first picture or line of fields while its line stands on an earlier page, unless its memo
// began under the line there and runs on over the page.
TEST_F(PrintedPages, MemoAndPictureKeptWithItsItemInEveryReportEitherLayout)
{
    seedDefaultClient();
    int memosRunOver = 0, memoAndPicture = 0;
    for (const Printing &p : everyPrinting()) {
        // One item as a form: its memo and each picture are sections of their own under their
        // captions, after a detail band that takes most of a page.
        if (p.name.starts_with("PrintItemInformation"))
            continue;
        const Result r = print(p);
        const page_checks::ItemPaging paging = page_checks::itemPaging(r.rows);
        for (const std::string &away : paging.away)
            ADD_FAILURE() << p.name << ": " << away;
        memosRunOver += paging.memosRunOver;
        memoAndPicture += paging.itemsWithMemoAndPicture;
    }
    // The client's memos reach what is checked: memos longer than the room left at a page's
    // foot, and items with a memo and a picture.
    EXPECT_GT(memosRunOver, 5);
    EXPECT_GT(memoAndPicture, 10);
}

// A category's heading stood at the foot of a page and its items on the next under none. In
// every report with groups, both layouts, memos and pictures on and off, no page ends with a
// group header.
TEST_F(PrintedPages, GroupHeaderNeverEndsAPageInAnyReportEitherLayout)
{
    seedDefaultClient();
    int headers = 0;
    for (const Printing &p : everyPrinting()) {
        const Result r = print(p);
        for (int page : page_checks::pagesEndingWithAGroupHeader(r.rows))
            ADD_FAILURE() << p.name << ": page " << page << " of " << r.pages.size() << " ends with a group header";
        for (const ReportRow &row : r.rows)
            headers += row.band == "group header";
    }
    EXPECT_GT(headers, 100);
}

// The box packing lists, the picture, receipt and warranty lists and the catalogs printed a
// rule with the phone at the left and the e-mail at the right. Their footer is the appraised
// and inheritance reports' box: 7250 wide and 408 high at 125 (portrait) or 1375 (wide) from
// the body's edge, the catalog's across the page, the phone line over the e-mail line, centred.
TEST_F(PrintedPages, FooterBoxOfTheListsAndCatalogsHoldsThePhoneOverTheEmailCentred)
{
    seedDefaultClient();
    const Report lists[] = {Report::AppraisedItems, Report::Inheritance, Report::BoxPackingList,
                            Report::PictureList,    Report::ReceiptList, Report::WarrantyList};
    int pages = 0;
    for (const Printing &p : everyPrinting()) {
        const ReportEntry *e = findReport(p.name.substr(0, p.name.find(' ')));
        const bool catalog = p.name.starts_with("catalog");
        if (!catalog && (!e || std::find(std::begin(lists), std::end(lists), e->id) == std::end(lists)))
            continue;
        const Result r = print(p);
        const PageGeometry &g = r.layout.page;
        const bool wide = g.orientation == previewer::Orientation::Landscape;
        const int x = g.left + (catalog ? 0 : wide ? 1375 : 125);
        const int w = catalog ? 7500 : 7250;
        for (std::size_t page = 0; page < r.pages.size(); ++page, ++pages)
            page_checks::expectFooterBox(r.pages[page], g.footerTop ? g.footerTop : g.bottom(), x, w,
                                         "(217) 555-0123", "email: john@smith.test",
                                         p.name + ", page " + std::to_string(page + 1) + ": ");
    }
    EXPECT_GT(pages, 100);
}
