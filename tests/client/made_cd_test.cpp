// The client program over a folder that the professional program's Make CD wrote: everything
// shows, and the folder is left as it was but for the client's INI file.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <cstdlib>
#include <cstring>

#include "client/client.h"
#include "previewer/page_render.h"
#include "reports/frame.h"
#include "reports/report_table.h"
#include "core/client_cd.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "model/client_files.h"
#include "model/default_rows.h"
#include "runtime/browse_window.h"
#include "runtime/gui.h"
#include "runtime/paths.h"
#include "runtime/window.h"
#include "tests/reports/page_checks.h"
#include "tests/reports/printed_rows.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/test_support.h"

using testing_support::find;
using testing_support::onNextModal;
using testing_support::pump;

namespace {

// Every file below the folder with a checksum of its bytes.
std::map<QString, QByteArray> tree(const std::string &root)
{
    std::map<QString, QByteArray> out;
    const QDir base(QString::fromStdString(root));
    QDirIterator it(base.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        f.open(QIODevice::ReadOnly);
        out[base.relativeFilePath(f.fileName())] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    return out;
}

void addOne(rt::RecordFile &f)
{
    std::vector<unsigned char> keep(f.def().recordSize);
    std::memcpy(keep.data(), f.record(), keep.size());
    ASSERT_EQ(f.create(), 0) << f.name;
    ASSERT_EQ(f.open(rt::mode::ReadWriteDenyNone), 0);
    std::memcpy(f.record(), keep.data(), keep.size());
    ASSERT_EQ(f.add(), 0);
    f.close();
}

// The professional program's side: a producer, a client with every status among its items and
// one item with all four pictures, and the CD folder written for it.
// With `everyList`, every item is appraised, promised to the heir, packed in box B7 of the attic and
// has a picture, a receipt and a warranty: each list report has an item of every status to keep out.
std::string makeCd(const testing_support::TempHome &home, bool withUpperCaseHave = false, bool everyList = false)
{
    testing_support::startProgram(home);
    const std::string primary = home.path();
    rt::clearRecord(dict::MainSystemFileDef, &MSY);
    MSY.NAME = "Harbour Inventories";
    MSY.EMAILADDRESS = "desk@harbour.example";
    MSY.PATHPRIMARYRESIDENCE = primary;
    MSY.PATHTOCD = home.file("Temp/");
    addOne(MainSystemFile);
    BuildSharedFileNames(primary);
    QORClients.name = rt::joinPath(primary, "qorclnt.tps");
    rt::clearRecord(dict::QORClientsDef, &QOC);
    QOC.IDCODE = "A1";
    QOC.LASTNAME = "Okafor";
    QOC.FIRSTNAME = "Ada";
    QOC.ADDRESS1 = "12 Quay Road";
    QOC.HOMEPHONE = "5550001234";
    QOC.EMAIL = "ada@okafor.example";
    addOne(QORClients);
    CAT.CATEGORY = "Furniture";
    addOne(Category);
    nameClientFiles(clientFolder(primary, "A1"));
    rt::makeFolder(clientFolder(primary, "A1"));
    LCT.LOCATION = "Attic";
    addOne(Location);
    BOX.LOCATION = "Attic";
    BOX.BOXNUMBER = "B7";
    addOne(BoxNumber);
    HEI.NAME = "Chidi";
    addOne(Heirs);
    USF.TITLEUSERFIELD1 = "Insurer";
    addOne(UserFields);

    const QSize sizes[] = {{300, 150}, {400, 400}, {100, 200}, {1000, 100}};
    for (int i = 0; i < 4; ++i)
        QImage(sizes[i], QImage::Format_RGB32).save(QString::fromStdString(home.file("pic" + std::to_string(i) + ".jpg")));
    EXPECT_EQ(MasterInventory.create(), 0);
    EXPECT_EQ(MasterInventory.open(rt::mode::ReadWriteDenyNone), 0);
    const char *statuses[] = {"Have", "Sell", "Want", "Sold", "Info", "HAVE"};
    for (int i = 0; i < (withUpperCaseHave ? 6 : 5); ++i) {
        rt::clearRecord(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&MAS));
        MAS.ASSETNUMBER = i + 1;
        MAS.STATUS = statuses[i];
        MAS.CATEGORY = "Furniture";
        MAS.LOCATION = "Attic";
        MAS.DESCRIPTION = std::string("Chair ") + statuses[i];
        MAS.QUANTITY = 2;
        MAS.MARKETVALUE.setCents(1050);
        MAS.HEIR = i == 0 ? "Chidi" : "";
        if (everyList) {
            MAS.APPRAISED = 1;
            MAS.HEIR = i % 2 ? "chidi" : "Chidi";
            MAS.BOXNUMBER = "B7";
            MAS.IMAGE = home.file("pic1.jpg");
            MAS.RECEIPTIMAGE = home.file("pic2.jpg");
            MAS.WARRANTY = 1;
        }
        if (i == 0) {
            MAS.IMAGE = home.file("pic0.jpg");
            MAS.IMAGE2 = home.file("pic1.jpg");
            MAS.RECEIPTIMAGE = home.file("pic2.jpg");
            MAS.WARRANTYIMAGE = home.file("pic3.jpg");
        }
        EXPECT_EQ(MasterInventory.add(), 0);
    }
    MasterInventory.close();
    Glo.ActiveClientID = "A1";
    Glo.ActiveClientText = "Okafor";

    // The program files come from the build folder: the real client program and its libraries.
    const std::string program = rt::withSlash(ORVANE_BUILD_DIR);
    const std::string folder = prepareClientCdFolder(program);
    EXPECT_FALSE(folder.empty());
    ClientCdOutcome out = writeClientCd(folder, program, [](const std::string &) {});
    EXPECT_TRUE(out.complete()) << (out.missing.empty() ? "" : out.missing[0]);
    EXPECT_TRUE(rt::fileExists(folder + "marlotte"));
    EXPECT_TRUE(rt::fileExists(folder + "help/index.html"));
    EXPECT_EQ(out.items, withUpperCaseHave ? 6 : 5);
    EXPECT_EQ(out.pictures, everyList ? 4 + 2 * ((withUpperCaseHave ? 6 : 5) - 1) : 4);
    testing_support::stopProgram();
    return folder;
}

TEST(MadeCd, OpensWithItsFilesUnchanged)
{
    testing_support::TempHome home;
    testing_support::ScriptedMessages box;
    const std::string folder = makeCd(home);
    const auto before = tree(folder);
    box.clear();
    if (const char *keep = std::getenv("ORVANE_CD_KEEP"); keep && *keep) {
        // A copy to start the copied program on by hand.
        QDir().mkpath(keep);
        for (const auto &[name, sum] : before) {
            QDir().mkpath(QFileInfo(QString(keep) + "/" + name).absolutePath());
            QFile::copy(QString::fromStdString(folder) + name, QString(keep) + "/" + name);
        }
    }

    ::setenv("MARLOTTE_FOLDER", folder.c_str(), 1);
    client::startProgram();
    ASSERT_NE(client::openFrame(), nullptr);
    EXPECT_EQ(CSF.NAME.str(), "Harbour Inventories");
    auto open = [](const char *procedure, const char *word) -> rt::BrowseWindow * {
        Glo.MenuSelect = word;
        Glo.MenuCategory = word;
        rt::runProcedure(procedure);
        pump(10);
        for (rt::WindowProcedure *w : rt::startedWindows())
            if (w->procedureName() == procedure)
                return static_cast<rt::BrowseWindow *>(w);
        return nullptr;
    };
    rt::BrowseWindow *browses[] = {open("BrowseOrvaneMasterSpec", "Furniture"),
                                   open("BrowseOrvaneMasterLocation", "Attic"), open("BrowseOrvaneMaster", "")};
    for (rt::BrowseWindow *b : browses) {
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->findChild<QLabel *>("Number of items")->text(), "5");
        EXPECT_EQ(b->findChild<QLabel *>("Value of items")->text(), "42.00");  // Have and Sell, 2 x 10.50 each
        for (int t = 0; t < b->tabs()->count(); ++t) {
            b->tabs()->setCurrentIndex(t);
            pump();
        }
        b->tabs()->setCurrentIndex(0);
        pump();
    }
    browses[2]->browse()->setCurrentRow(0);
    bool seen = false;
    onNextModal([&](QWidget *v) {
        seen = true;
        auto *tabs = v->findChild<QTabWidget *>("sheet");
        for (int t = 0; t < tabs->count(); ++t) {
            tabs->setCurrentIndex(t);
            pump();
        }
        for (const char *name : {"IMAGE picture", "IMAGE2 picture", "RECEIPTIMAGE picture", "WARRANTYIMAGE picture"})
            EXPECT_FALSE(v->findChild<QLabel *>(name)->isHidden()) << name;
        EXPECT_EQ(v->findChild<QLabel *>("Title 1")->text(), "Insurer");
        find<QPushButton>(v, "Close")->click();
    });
    browses[2]->changeButton()->click();
    EXPECT_TRUE(seen);
    rt::runProcedure("ReportFormat");
    pump(10);
    for (rt::WindowProcedure *w : rt::startedWindows())
        if (w->procedureName() == "ReportFormat")
            find<QRadioButton>(w, "Landscape")->click();
    client::closeFrame();
    pump(20);
    client::endProgram();
    ::unsetenv("MARLOTTE_FOLDER");
    EXPECT_TRUE(box.shown().empty()) << box.shown()[0].text;

    auto after = tree(folder);
    ASSERT_EQ(after.count("marlotte.INI"), 1u);
    after.erase("marlotte.INI");
    EXPECT_EQ(after, before);
}

// The output of the runs: the previews asked for and the rows printed, nothing sent.
struct CountingOutput : printed_rows::RowsOutput {
    static inline int previews = 0;
    int printerCopies() override { return 1; }
    int preview(std::vector<std::string> &, previewer::PreviewReport &) override { return ++previews, 2; }
    void handleCopies(std::vector<std::string> &, int, bool) override {}
    int send(const std::vector<std::string> &, int) override { return 0; }
};

// With ORVANE_SAMPLE_PDF_DIR set, each previewed run is drawn to <procedure>.pdf there to be
// looked at.
struct PdfOutput : CountingOutput {
    static inline std::string name;
    int preview(std::vector<std::string> &pages, previewer::PreviewReport &report) override
    {
        if (const char *dir = std::getenv("ORVANE_SAMPLE_PDF_DIR"); dir && *dir && !name.empty()) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(std::string(dir) + "/" + name + ".pdf"));
            EXPECT_EQ(previewer::printPageFiles(printer, pages), static_cast<int>(pages.size())) << name;
        }
        return CountingOutput::preview(pages, report);
    }
};

std::string textOf(const std::vector<reports::ReportRow> &rows, const std::string &band, const char *control)
{
    for (const reports::ReportRow &r : rows)
        if (r.band == band)
            return r.text(control);
    return "<no " + band + ">";
}

std::vector<std::string> listed(const std::vector<reports::ReportRow> &rows)
{
    std::vector<std::string> out;
    for (const reports::ReportRow &r : rows)
        if (r.band == "detail")
            out.push_back(r.text("MAS:DESCRIPTION"));
    return out;
}

// A copy of the folder's data files (not the program) to break one of them in.
std::string copyData(const std::string &folder, const std::string &to)
{
    QDir().mkpath(QString::fromStdString(to));
    for (const QString &name : QDir(QString::fromStdString(folder)).entryList({"*.tps", "Pic*", "*.INI"}, QDir::Files))
        QFile::copy(QString::fromStdString(folder) + name, QString::fromStdString(to) + "/" + name);
    return to;
}

TEST(MadeCd, PrintsItsSevenReportsOverTheItemsTheClientHas)
{
    testing_support::TempHome home;
    testing_support::ScriptedMessages box;
    const std::string folder = makeCd(home, true);
    const auto before = tree(folder);
    printed_rows::forget();
    auto output = reports::setReportOutput([] { return std::make_unique<CountingOutput>(); });
    ::setenv("MARLOTTE_FOLDER", folder.c_str(), 1);
    client::startProgram();
    client::nameDataFiles();
    box.clear();

    // The six list reports, each run in full (category and location chosen as a browse would).
    struct Case {
        const char *procedure;
        bool wide;
    };
    const Case lists[] = {{"PrintInventoryValuation", false}, {"PrintInventoryValuationWide", true},
                          {"PrintCategoryInventory", false},  {"PrintCategoryInventoryWide", true},
                          {"PrintLocationInventory", false},  {"PrintLocationInventoryWide", true}};
    for (const Case &c : lists) {
        SCOPED_TRACE(c.procedure);
        Glo.Category = "Furniture";
        Glo.Location = "Attic";
        Glo.SelectionPreset = 1;
        const int previews = CountingOutput::previews;
        rt::runProcedure(c.procedure);
        EXPECT_EQ(CountingOutput::previews, previews + 1);
        const auto &rows = printed_rows::rows();
        // The client's heading from the client system record: all five lines, a blank one kept.
        EXPECT_EQ(textOf(rows, "page heading", "NameLine"), "Ada Okafor");
        EXPECT_EQ(textOf(rows, "page heading", "AddressLine"), "12 Quay Road");
        EXPECT_EQ(textOf(rows, "page heading", "CityLine"), "");
        EXPECT_EQ(textOf(rows, "page footer", "PhoneLine"), "(555) 000-1234");
        EXPECT_EQ(textOf(rows, "page footer", "EmailLine"), "email: ada@okafor.example");
        // Only what the client has or sells, "HAVE" too; the totals over those alone.
        EXPECT_EQ(listed(rows), (std::vector<std::string>{"Chair Have", "Chair Sell", "Chair HAVE"}));
        EXPECT_EQ(textOf(rows, "grand totals", "count"), "3");
        EXPECT_NE(textOf(rows, "grand totals", "value").find("63.00"), std::string::npos);
    }

    // The item information report prints the item it is given, a sold one too, under the
    // client's own user-field titles.
    for (int asset : {4, 1}) {
        MAS.ASSETNUMBER = asset;
        rt::runProcedure("PrintItemInformation");
        const auto &rows = printed_rows::rows();
        EXPECT_EQ(listed(rows), std::vector<std::string>{asset == 4 ? "Chair Sold" : "Chair Have"});
        EXPECT_EQ(textOf(rows, "detail", "USF:TITLEUSERFIELD1"), "Insurer");
        EXPECT_EQ(textOf(rows, "page heading", "NameLine"), "Ada Okafor");
    }
    // Its pictures are the folder's, by their bare names.
    std::size_t pictures = 0;
    for (const reports::ReportRow &r : printed_rows::rows())
        if (r.band == "picture 1" || r.band == "picture 2" || r.band == "receipt" || r.band == "warranty") {
            ++pictures;
            EXPECT_EQ(r.text(r.band == "picture 1" ? "MAS:IMAGE" : r.band == "picture 2" ? "MAS:IMAGE2"
                             : r.band == "receipt"  ? "MAS:RECEIPTIMAGE"
                                                    : "MAS:WARRANTYIMAGE").rfind("Pic", 0),
                      0u);
        }
    EXPECT_EQ(pictures, 4u);
    EXPECT_TRUE(box.sawText("Do you wish to PREVIEW this Report?"));
    for (const rt::MessageRequest &m : box.shown())
        EXPECT_TRUE(m.title == "Preview" || m.title == "Include Memo") << m.text;

    // A client system file without its record, and a folder without its categories: the message,
    // no preview, nothing created.
    struct Broken {
        const char *file, *procedure, *message;
    };
    const Broken broken[] = {
        {"clntsys.tps", "PrintInventoryValuation", "Error reading client system file"},
        {"clntsys.tps", "PrintItemInformation", "Error reading client system file"},
        {"qorcat.tps", "PrintCategoryInventory", "could not be opened"},
        {"qorcat.tps", "PrintInventoryValuationWide", "could not be opened"},
    };
    for (const Broken &b : broken) {
        SCOPED_TRACE(std::string(b.procedure) + " " + b.file);
        const std::string copy = copyData(folder, home.file(std::string("broken-") + b.procedure));
        QFile::remove(QString::fromStdString(copy + "/" + b.file));
        if (std::string(b.file) == "clntsys.tps") {
            ClientSystemFileRecord record;
            std::string memo;
            rt::RecordFile empty(dict::ClientSystemFileDef, &record, &memo);
            empty.name = copy + "/" + b.file;
            ASSERT_EQ(empty.create(), 0);
        }
        // The previewer's display strings are the folder's own.
        QFile ini(QString::fromStdString(copy + "/VURDRPTS.INI"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[DISPLAY STRINGS 2.0]\nAskPrvwDialogText=Look at it first?\n");
        ini.close();
        const auto unbroken = tree(copy);
        ::setenv("MARLOTTE_FOLDER", copy.c_str(), 1);
        client::startProgram();
        client::nameDataFiles();
        box.clear();
        Glo.Category = "Furniture";
        Glo.SelectionPreset = 1;
        MAS.ASSETNUMBER = 1;
        const int previews = CountingOutput::previews;
        rt::runProcedure(b.procedure);
        EXPECT_EQ(CountingOutput::previews, previews);
        EXPECT_EQ(Glo.Response, 2);
        bool seen = false;
        for (const rt::MessageRequest &m : box.shown())
            seen = seen || m.text.find(b.message) != std::string::npos;
        EXPECT_TRUE(seen) << (box.shown().empty() ? "no message" : box.shown().back().text);
        EXPECT_TRUE(box.sawText("Look at it first?"));
        EXPECT_EQ(tree(copy), unbroken);
        for (rt::RecordFile *f : {&ClientSystemFile, &Category, &Location, &MasterInventory})
            EXPECT_FALSE(f->isOpen()) << f->name;
    }
    client::endProgram();
    ::unsetenv("MARLOTTE_FOLDER");
    reports::setReportOutput(output);
    printed_rows::forget();
    // Nothing in the folder changed.
    EXPECT_EQ(tree(folder), before);
}

// The client's insurance, appraised, inheritance, packing, picture, receipt and warranty
// reports: the items the client has or sells, the client's heading, pictures only from the
// folder, and the folder left as it was.
TEST(MadeCd, PrintsItsTwelveListsOverTheItemsTheClientHas)
{
    testing_support::TempHome home;
    testing_support::ScriptedMessages box;
    const std::string folder = makeCd(home, true, true);
    // The picture of the item for sale is missing from the folder: its line, an empty area.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(folder + "Pic00005.jpg")));
    const auto before = tree(folder);
    auto output = reports::setReportOutput([] { return std::make_unique<PdfOutput>(); });
    printed_rows::forget();
    ::setenv("MARLOTTE_FOLDER", folder.c_str(), 1);
    client::startProgram();
    client::nameDataFiles();
    box.clear();

    // The packing list asks for its box in the shared picker: the attic's box B7, or cancelled.
    auto pickBox = [](bool cancel) {
        onNextModal([cancel](QWidget *w) {
            EXPECT_EQ(w->windowTitle(), "Select Location and Box");
            auto *locations = find<QComboBox>(w, "Location");
            auto *boxes = find<QComboBox>(w, "Box number");
            locations->setCurrentIndex(locations->findText("Attic"));
            boxes->setCurrentIndex(boxes->findText("B7"));
            find<QPushButton>(w, cancel ? "Cancel" : "OK")->click();
        });
    };
    const std::vector<std::string> haveAndSell{"Chair Have", "Chair Sell", "Chair HAVE"};
    struct Case {
        const char *procedure;
        const char *title;     // a text of the page heading
        const char *countBand; // the band holding the count of the items listed
    };
    const Case cases[] = {
        {"PrintInsuranceReport", "Insurance", "grand totals"},
        {"PrintInsuranceReportWide", "Insurance", "grand totals"},
        {"PrintAppraisedItems", "Appraised", "grand totals"},
        {"PrintAppraisedItemsWide", "Appraised", "grand totals"},
        {"PrintInheritanceReport", "", ""},
        {"PrintInheritanceReportWide", "", ""},
        {"PrintBoxPackingList", "Box Packing List", "totals"},
        {"PrintBoxPackingListWide", "Box Packing List", "totals"},
        {"PrintPictureList", "Home Inventory Picture List", "total"},
        {"PrintPictureListWide", "Home Inventory Picture List", "total"},
        {"PrintReceiptList", "Home Inventory Receipt List", "total"},
        {"PrintReceiptListWide", "Home Inventory Receipt List", "total"},
        {"PrintWarrantyList", "Home Inventory Warranty List", "total"},
        {"PrintWarrantyListWide", "Home Inventory Warranty List", "total"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.procedure);
        const bool packing = std::string(c.procedure).starts_with("PrintBoxPackingList");
        if (packing)
            pickBox(false);
        // The pictures asked for: the lines and pictures two to a page.
        const bool lists = std::string(c.procedure).ends_with("List") || std::string(c.procedure).ends_with("ListWide");
        if (lists && !packing) {
            box.answer(rt::BUTTON_YES);
            box.answer(rt::BUTTON_YES);
        }
        PdfOutput::name = c.procedure;
        const int previews = CountingOutput::previews;
        box.clear();
        rt::runProcedure(c.procedure);
        PdfOutput::name.clear();
        EXPECT_EQ(CountingOutput::previews, previews + 1);
        const auto &rows = printed_rows::rows();
        EXPECT_EQ(textOf(rows, "page heading", "NameLine"), "Ada Okafor");
        EXPECT_EQ(textOf(rows, "page heading", "AddressLine"), "12 Quay Road");
        EXPECT_EQ(textOf(rows, "page footer", "PhoneLine"), "(555) 000-1234");
        EXPECT_EQ(textOf(rows, "page footer", "EmailLine"), "email: ada@okafor.example");
        // "Want", "Sold" and "Info" items are in none of them.
        EXPECT_EQ(listed(rows), haveAndSell);
        if (*c.countBand)
            EXPECT_EQ(textOf(rows, c.countBand, "count"), "3");
        // The picture lists line shows the folder's name of the file; nothing outside it is read.
        for (const reports::ReportRow &r : rows)
            if (r.band == "picture" && !r.text("picture").empty())
                EXPECT_EQ(QFileInfo(QString::fromStdString(r.text("picture"))).absolutePath().toStdString(),
                          QDir(QString::fromStdString(folder)).absolutePath().toStdString());
        for (const rt::MessageRequest &m : box.shown())
            EXPECT_TRUE(m.title == "Preview" || m.title.starts_with("Include")) << m.title << ": " << m.text;
        for (rt::RecordFile *f : {&ClientSystemFile, &Category, &Location, &BoxNumber, &Heirs, &MasterInventory})
            EXPECT_FALSE(f->isOpen()) << f->name;
    }
    // The heirs written "Chidi" and "chidi" are one heir: one group, one page.
    rt::runProcedure("PrintInheritanceReport");
    int groups = 0;
    for (const reports::ReportRow &r : printed_rows::rows())
        groups += r.band == "group header";
    EXPECT_EQ(groups, 1);

    // The picture lists with the pictures asked for: the folder's pictures, by their bare names.
    box.answer(rt::BUTTON_YES);
    box.answer(rt::BUTTON_YES);
    rt::runProcedure("PrintPictureList");
    int pictured = 0, found = 0;
    for (const reports::ReportRow &r : printed_rows::rows())
        if (r.band == "picture") {
            // The missing one leaves its area empty.
            ++pictured;
            if (r.text("picture").empty())
                continue;
            EXPECT_TRUE(QFileInfo(QString::fromStdString(r.text("picture"))).fileName().startsWith("Pic"));
            found += QFileInfo::exists(QString::fromStdString(r.text("picture")));
        }
    EXPECT_EQ(pictured, 3);
    EXPECT_EQ(found, 2);
    EXPECT_EQ(listed(printed_rows::rows()), haveAndSell);

    // The picker cancelled: response 2, no preview, no file opened or left open.
    pickBox(true);
    const int previews = CountingOutput::previews;
    box.clear();
    rt::runProcedure("PrintBoxPackingList");
    EXPECT_EQ(Glo.Response, 2);
    EXPECT_EQ(CountingOutput::previews, previews);
    EXPECT_TRUE(box.shown().empty()) << box.shown()[0].text;
    for (rt::RecordFile *f : {&ClientSystemFile, &Category, &Location, &BoxNumber, &Heirs, &MasterInventory})
        EXPECT_FALSE(f->isOpen()) << f->name;

    client::endProgram();
    ::unsetenv("MARLOTTE_FOLDER");
    reports::setReportOutput(output);
    printed_rows::forget();
    // Nothing in the folder changed but the client's INI file, where the picker keeps its place.
    auto after = tree(folder);
    after.erase("marlotte.INI");
    EXPECT_TRUE(after == before);
}

// The previews' pages as the printer would be sent them (and drawn as PdfOutput draws them).
struct PageOutput : PdfOutput {
    static inline std::vector<previewer::Page> pages;
    int preview(std::vector<std::string> &queue, previewer::PreviewReport &report) override
    {
        pages.clear();
        for (const std::string &path : queue)
            pages.push_back(previewer::readPageFile(path));
        return PdfOutput::preview(queue, report);
    }
};

// The client program started over a made folder whose items carry the default categories,
// types and rooms, several to a category, with long descriptions, pictures and memos of every
// length (some of 2,000 characters, some under items with pictures).
void startOverDefaultVocabulary(const std::string &folder)
{
    ::setenv("MARLOTTE_FOLDER", folder.c_str(), 1);
    client::startProgram();
    client::nameDataFiles();
    for (rt::RecordFile *f : {&Category, &Location, &MasterInventory})
        ASSERT_EQ(f->open(rt::mode::ReadWriteDenyNone), 0) << f->name;
    MAS.ASSETNUMBER = 1;
    ASSERT_EQ(MasterInventory.get(*dict::MasterInventoryDef.key("ASSETKEY")), 0);
    const std::string pictures[] = {MAS.IMAGE.str(), MAS.RECEIPTIMAGE.str(), MAS.WARRANTYIMAGE.str()};
    for (const defaults::CategoryRow &c : defaults::categories()) {
        rt::clearRecord(dict::CategoryDef, &CAT);
        CAT.CATEGORY = c.category;
        CAT.DESCRIPTION = c.description;
        (void)Category.add();  // "Furniture" is there already
    }
    const auto rooms = defaults::rooms();
    for (const defaults::RoomRow &r : rooms) {
        rt::clearRecord(dict::LocationDef, &LCT);
        LCT.LOCATION = r.location;
        LCT.DESCRIPTION = r.description;
        ASSERT_EQ(Location.add(), 0);
    }
    std::int32_t asset = 100;
    auto add = [&](const char *category, const char *type) {
        const std::size_t i = static_cast<std::size_t>(asset - 100);
        rt::clearRecord(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&MAS));
        MAS.ASSETNUMBER = asset++;
        MAS.STATUS = "Have";
        MAS.CATEGORY = category;
        MAS.TYPE = type;
        const bool boxed = i % 9 == 0 || std::string_view(category) == "Holiday Decorations";
        MAS.LOCATION = boxed ? "Attic" : rooms[i % rooms.size()].location;
        MAS.BOXNUMBER = boxed ? "B7" : "";
        MAS.DESCRIPTION = i % 2 ? "Set of twelve hand-painted Limoges dessert plates with gilt rim"
                                : "Carved walnut mantel clock, Holmberg piece";
        MAS.MODELNUMBER = "MX-" + std::to_string(4000 + i) + "-LONGMODEL";
        MAS.SERIALNUMBER = "SN-2026-" + std::to_string(100000 + i);
        MAS.QUANTITY = 1 + static_cast<std::int32_t>(i % 4);
        (void)MAS.MARKETVALUE.setCents(12550 * static_cast<std::int64_t>(i + 1));
        MAS.APPRAISED = i % 3 == 0 ? 1 : 0;
        MAS.APPRAISER = "Lakeview Appraisal Guild";
        MAS.HEIR = i % 3 == 0 ? "Thomas Whitcombe-Hargreaves the Younger" : "";
        MAS.IMAGE = i % 5 == 0 ? pictures[0] : "";
        MAS.RECEIPTIMAGE = i % 5 == 0 ? pictures[1] : "";
        MAS.WARRANTY = i % 4 == 0 ? 1 : 0;
        MAS.WARRANTYIMAGE = i % 8 == 0 ? pictures[2] : "";
        MAS.MEMO = i % 7 == 0    ? "Kept in the original box with its papers; the insurer has a copy of the appraisal."
                   : i % 10 == 5 ? page_checks::longMemo(2000)
                   : i % 6 == 2  ? page_checks::longMemo(400)
                                 : "";
        ASSERT_EQ(MasterInventory.add(), 0);
    };
    for (const defaults::CategoryRow &c : defaults::categories()) {
        if (c.types.empty())
            add(c.category, "Other");
        for (const defaults::TypeRow &t : c.types)
            add(c.category, t.type);
    }
    add("Holiday Decorations", "Lights");
    for (rt::RecordFile *f : {&Category, &Location, &MasterInventory})
        f->close();
}

// One printed run of a client report: its procedure, rows and pages.
struct ClientRun {
    std::string procedure;
    std::vector<reports::ReportRow> rows;
    std::vector<previewer::Page> pages;
};

// Every report the client program offers, in both layouts, previewed, with its question (the
// memos or the pictures) answered `yes`; each run drawn to a PDF named after `sample` when
// ORVANE_SAMPLE_PDF_DIR is set. PageOutput must be the report output.
std::vector<ClientRun> printEveryClientReport(testing_support::ScriptedMessages &box, bool yes, const std::string &sample)
{
    std::vector<ClientRun> out;
    for (const reports::ReportEntry &e : reports::reportTable()) {
        if (!e.definition || !e.offered(model::Program::Client))
            continue;
        for (const char *procedure : {e.portrait, e.wide}) {
            if (!procedure)
                continue;
            SCOPED_TRACE(procedure);
            const std::string name = procedure;
            Glo.Category = "Holiday Decor";
            Glo.Location = "Attic";
            Glo.BoxNumber = "B7";
            Glo.SelectionPreset = 1;
            MAS.ASSETNUMBER = 101;
            if (name.starts_with("PrintBoxPackingList"))
                onNextModal([](QWidget *w) {
                    auto *locations = find<QComboBox>(w, "Location");
                    auto *boxes = find<QComboBox>(w, "Box number");
                    locations->setCurrentIndex(locations->findText("Attic"));
                    boxes->setCurrentIndex(boxes->findText("B7"));
                    find<QPushButton>(w, "OK")->click();
                });
            // The preview, and the memos or the pictures where the report asks for them (a
            // selection report asks before its preview question).
            const reports::ReportDefinition d = e.definition(reports::ReportInputs{});
            const int answer = yes ? rt::BUTTON_YES : rt::BUTTON_NO;
            if (!d.questions.empty() && d.questionsBeforePreview)
                box.answer(answer);
            box.answer(rt::BUTTON_YES);
            if (!d.questions.empty() && !d.questionsBeforePreview)
                box.answer(answer);
            PageOutput::pages.clear();
            PdfOutput::name = sample + name;
            rt::runProcedure(name);
            PdfOutput::name.clear();
            EXPECT_FALSE(PageOutput::pages.empty());
            out.push_back({name, printed_rows::rows(), PageOutput::pages});
        }
    }
    return out;
}

// A client folder over the default vocabulary, long memos and pictures, that the client
// program runs on with its reports printed to pages; the program ended and the output put back
// when it goes.
struct DefaultVocabularyCd {
    testing_support::TempHome home;
    testing_support::ScriptedMessages box;
    reports::OutputFactory output;
    DefaultVocabularyCd()
    {
        const std::string folder = makeCd(home, true, true);
        output = reports::setReportOutput([] { return std::make_unique<PageOutput>(); });
        printed_rows::forget();
        startOverDefaultVocabulary(folder);
    }
    ~DefaultVocabularyCd()
    {
        client::endProgram();
        ::unsetenv("MARLOTTE_FOLDER");
        reports::setReportOutput(output);
        printed_rows::forget();
    }
    std::vector<ClientRun> print(bool yes, const std::string &sample) { return printEveryClientReport(box, yes, sample); }
};

// The client program's reports in both layouts over a client whose items carry the default
// categories, types and rooms, long descriptions and pictures: no page without a band, and
// every text whole in its box, legible and apart from the next column.
TEST(MadeCd, EveryClientReportTextsFitTheirColumnsAndNoBlankPage)
{
    DefaultVocabularyCd cd;

    int printed = 0, shrunk = 0;
    for (const ClientRun &run : cd.print(true, "default_vocabulary_")) {
        SCOPED_TRACE(run.procedure);
        ++printed;
        for (int page : page_checks::pagesWithoutABand(run.rows, static_cast<int>(run.pages.size())))
            ADD_FAILURE() << "page " << page << " of " << run.pages.size() << " holds no band";
        for (std::size_t p = 0; p < run.pages.size(); ++p)
            page_checks::expectTextsFitTheirColumns(run.pages[p], "page " + std::to_string(p + 1) + ": ", &shrunk);
    }
    EXPECT_EQ(printed, 21);  // ten pairs and the item information
    EXPECT_GT(shrunk, 0);
}

// A memo too long for the room left at a page's foot went whole to the next page, away from its
// item (the inventory with memos). In every client report, both layouts, memos and pictures on
// and off: no page begins with an item's memo or first picture while its line stands on an
// earlier page, unless it is the rest of a memo that began under its line there.
TEST(MadeCd, MemoAndPictureKeptWithItsItemInEveryClientReport)
{
    DefaultVocabularyCd cd;
    int memosRunOver = 0, printed = 0;
    for (bool yes : {false, true})
        for (const ClientRun &run : cd.print(yes, yes ? "memos_and_pictures_" : "")) {
            // One item as a form: its memo and each picture are sections under their own captions.
            if (run.procedure == "PrintItemInformation")
                continue;
            ++printed;
            const page_checks::ItemPaging paging = page_checks::itemPaging(run.rows);
            for (const std::string &away : paging.away)
                ADD_FAILURE() << run.procedure << (yes ? " with memos or pictures: " : ": ") << away;
            memosRunOver += paging.memosRunOver;
        }
    EXPECT_EQ(printed, 40);
    // The folder's memos reach what is checked: memos longer than the room left at a page's foot.
    EXPECT_GT(memosRunOver, 3);
}

// A category's heading stood at the foot of a page and its items on the next under none (the
// portrait inventory, the portrait appraised items, the wide insurance report). In every client
// report, both layouts, memos and pictures on and off, no page ends with a group header.
TEST(MadeCd, GroupHeaderNeverEndsAPageInEveryClientReport)
{
    DefaultVocabularyCd cd;
    int headers = 0;
    for (bool yes : {false, true})
        for (const ClientRun &run : cd.print(yes, "")) {
            for (int page : page_checks::pagesEndingWithAGroupHeader(run.rows))
                ADD_FAILURE() << run.procedure << (yes ? " with memos or pictures" : "") << ": page " << page << " of "
                              << run.pages.size() << " ends with a group header";
            for (const reports::ReportRow &row : run.rows)
                headers += row.band == "group header";
        }
    EXPECT_GT(headers, 50);
}

// The client's box packing, picture, receipt and warranty lists printed a rule with the phone
// at the left and the e-mail at the right. Like the appraised and inheritance reports, their
// footer is a box 7250 wide and 408 high at 125 (portrait) or 1375 (wide) from the body's edge,
// the phone line over the e-mail line, centred.
TEST(MadeCd, FooterBoxOfEveryClientListHoldsThePhoneOverTheEmailCentred)
{
    DefaultVocabularyCd cd;
    int lists = 0;
    for (bool yes : {false, true})
        for (const ClientRun &run : cd.print(yes, "")) {
            const char *boxed[] = {"PrintAppraisedItems", "PrintInheritanceReport", "PrintBoxPackingList",
                                   "PrintPictureList",    "PrintReceiptList",       "PrintWarrantyList"};
            if (std::none_of(std::begin(boxed), std::end(boxed),
                             [&](const char *name) { return run.procedure.starts_with(name); }))
                continue;
            ++lists;
            const bool wide = run.procedure.ends_with("Wide");
            for (std::size_t p = 0; p < run.pages.size(); ++p)
                page_checks::expectFooterBox(run.pages[p], wide ? 7500 : 10000, 500 + (wide ? 1375 : 125), 7250,
                                             "(555) 000-1234", "email: ada@okafor.example",
                                             run.procedure + ", page " + std::to_string(p + 1) + ": ");
        }
    EXPECT_EQ(lists, 24);
}

}  // namespace
