// Record files of one client in a temporary home, seeded row by row, and the report rows and
// pages of a run read back without a window or drawn to a PDF.
#pragma once

#include <gtest/gtest.h>

#include <QPrinter>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/program.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "previewer/page_render.h"
#include "reports/reports.h"
#include "runtime/errors.h"
#include "tests/previewer/pdf_pages.h"
#include "tests/reports/printed_rows.h"
#include "tests/support/test_support.h"

// Pages go nowhere: the preview is left without printing. The rows printed are kept to be read.
class NoOutput : public printed_rows::RowsOutput {
public:
    int printerCopies() override { return 1; }
    int preview(std::vector<std::string> &, previewer::PreviewReport &) override { return 2; }
    void handleCopies(std::vector<std::string> &, int, bool) override {}
    int send(const std::vector<std::string> &q, int) override { return static_cast<int>(q.size()); }
};

class ReportTest : public ::testing::Test {
protected:
    std::vector<rt::RecordFile *> files()
    {
        return {&Category, &Type, &MasterInventory, &Location, &BoxNumber, &QORClients, &MainSystemFile,
                &SecondaryResidence, &Manufacturers, &Vendors, &UserFields};
    }
    void SetUp() override
    {
        dict::resetGlobals();
        resetProgramGlobals();
        installProfessionalEdition();
        printed_rows::forget();  // the tests read the rows of their own runs
        for (rt::RecordFile *f : files()) {
            f->name = home.file(f->def().diskName);
            ASSERT_EQ(f->create(), 0) << f->name;
        }
        openAll();
        rt::clearRecord(dict::MainSystemFileDef, &MSY);
        MSY.NAME = "Orvane Appraisals";
        MSY.ADDRESS = "1 Main Street";
        MSY.CSZ = "Springfield, IL 62701";
        MSY.PHONE = "(217) 555-0100";
        MSY.EMAILADDRESS = "office@orvane.test";
        MSY.PRINTADDRESSLINE = 1;
        MSY.PRINTPHONELINE = 1;
        MSY.PRINTEMAILADDRESSLINE = 1;
        MSY.ACTIVERESIDENCE = "Primary";
        MSY.REPORTFORMAT = "Portrait";
        ASSERT_EQ(MainSystemFile.add(), 0);
        addClient("A1", "Smith", "John", "john@smith.test", 0);
        Glo.ActiveClientID = "A1";
    }
    void TearDown() override
    {
        closeAll();
        printed_rows::forget();
    }
    void openAll()
    {
        for (rt::RecordFile *f : files()) {
            if (!f->isOpen()) {
                ASSERT_EQ(f->open(rt::mode::ReadWriteDenyNone), 0);
            }
        }
    }
    void closeAll()
    {
        for (rt::RecordFile *f : files())
            f->close();
    }

    void addClient(const char *id, const char *last, const char *first, const char *email, std::int32_t updated,
                   const std::string &notes = {})
    {
        rt::clearRecord(dict::QORClientsDef, &QOC);
        QOC.NOTES.clear();
        QOC.IDCODE = id;
        QOC.LASTNAME = last;
        QOC.FIRSTNAME = first;
        QOC.ADDRESS1 = "12 Elm Road";
        QOC.CSZ = "Springfield, IL 62702";
        QOC.HOMEPHONE = "2175550123";
        QOC.EMAIL = email;
        QOC.DATELASTUPDATE = updated;
        QOC.NOTES = notes;
        ASSERT_EQ(QORClients.add(), 0);
    }
    void addCategory(const char *code, const char *description)
    {
        rt::clearRecord(dict::CategoryDef, &CAT);
        CAT.CATEGORY = code;
        CAT.DESCRIPTION = description;
        ASSERT_EQ(Category.add(), 0);
    }
    void addLocation(const char *code, const std::string &description)
    {
        rt::clearRecord(dict::LocationDef, &LCT);
        LCT.LOCATION = code;
        LCT.DESCRIPTION = description;
        ASSERT_EQ(Location.add(), 0);
    }
    void addBox(const char *location, const char *box, const char *description)
    {
        rt::clearRecord(dict::BoxNumberDef, &BOX);
        BOX.LOCATION = location;
        BOX.BOXNUMBER = box;
        BOX.DESCRIPTION = description;
        ASSERT_EQ(BoxNumber.add(), 0);
    }
    void addType(const char *category, const char *type, const char *description)
    {
        rt::clearRecord(dict::TypeDef, &TYP);
        TYP.CATEGORY = category;
        TYP.TYPE = type;
        TYP.DESCRIPTION = description;
        ASSERT_EQ(Type.add(), 0);
    }
    void addItem(const char *category, const std::string &description, std::int32_t quantity, std::int64_t cents,
                 const std::string &memo = {}, const char *type = "General")
    {
        rt::clearRecord(dict::MasterInventoryDef, &MAS);
        MAS.MEMO.clear();
        MAS.ASSETNUMBER = ++asset_;
        MAS.STATUS = "Have";
        MAS.CATEGORY = category;
        MAS.TYPE = type;
        MAS.DESCRIPTION = description;
        MAS.QUANTITY = quantity;
        MAS.MODELNUMBER = "M-" + std::to_string(asset_);
        MAS.SERIALNUMBER = "S" + std::to_string(1000 + asset_);
        MAS.LOCATION = "Living Room";
        ASSERT_TRUE(MAS.MARKETVALUE.setCents(cents));
        MAS.MEMO = memo;
        ASSERT_EQ(MasterInventory.add(), 0);
    }
    // An item of one piece named by its number, with whatever else `fill` sets.
    void addItemWith(const std::function<void(MasterInventoryBuffer &)> &fill)
    {
        rt::clearRecord(dict::MasterInventoryDef, &MAS);
        MAS.MEMO.clear();
        MAS.ASSETNUMBER = ++asset_;
        MAS.STATUS = "Have";
        MAS.QUANTITY = 1;
        MAS.DESCRIPTION = "Item " + std::to_string(asset_);
        fill(MAS);
        ASSERT_EQ(MasterInventory.add(), 0);
    }

    // The run's rows and pages, read without the frame.
    struct Result {
        std::vector<reports::ReportRow> rows;
        std::vector<previewer::Page> pages;
        reports::ReportLayout layout;
        std::vector<const reports::ReportRow *> band(const std::string &name) const
        {
            std::vector<const reports::ReportRow *> out;
            for (const auto &r : rows)
                if (r.band == name)
                    out.push_back(&r);
            return out;
        }
        std::vector<std::string> texts(const std::string &name, const std::string &control) const
        {
            std::vector<std::string> out;
            for (const reports::ReportRow *row : band(name))
                out.push_back(row->text(control));
            return out;
        }
        std::string pageText(std::size_t i) const
        {
            std::string s;
            for (const std::string &l : previewer::textGrid(pages.at(i), 66, 120))
                s += l + "\n";
            return s;
        }
        std::string allText() const
        {
            std::string s;
            for (std::size_t i = 0; i < pages.size(); ++i)
                s += pageText(i);
            return s;
        }
    };
    Result run(const reports::ReportDefinition &d, reports::RunChoices choices = {}, std::int32_t runDate = 73000,
               std::int32_t runTime = 1)
    {
        reports::RunRows ran = reports::runToRows(d, choices, runDate, runTime);
        return {std::move(ran.rows), std::move(ran.pages), std::move(ran.layout)};
    }
    // The pages printed to a PDF through their page files, as the printer is sent them; kept in
    // ORVANE_SAMPLE_PDF_DIR when it is set, to be looked at. The PDF's page sizes.
    QStringList drawToPdf(const std::vector<previewer::Page> &pages, const std::string &file)
    {
        previewer::PageFolder folder;
        std::vector<std::string> queue;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            queue.push_back(folder.pagePath(static_cast<int>(i) + 1));
            EXPECT_TRUE(previewer::writePageFile(queue.back(), pages[i])) << file;
        }
        const char *keep = std::getenv("ORVANE_SAMPLE_PDF_DIR");
        const std::string pdf = keep ? std::string(keep) + "/" + file : home.file(file);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        EXPECT_EQ(previewer::printPageFiles(printer, queue), static_cast<int>(queue.size())) << file;
        return testing_support::pdfPageSizes(QString::fromStdString(pdf));
    }
    // ORVANE_WRITE_GOLDEN=1 writes the golden file anew after a deliberate change of a layout.
    static void expectGoldenFile(const std::string &path, const std::string &text)
    {
        if (std::getenv("ORVANE_WRITE_GOLDEN")) {
            std::ofstream(path) << text;
            return;
        }
        std::ifstream in(path);
        ASSERT_TRUE(in) << path;
        std::stringstream golden;
        golden << in.rdbuf();
        EXPECT_EQ(text, golden.str()) << path;
    }
    reports::RunChoices withMemos(bool on)
    {
        reports::RunChoices c;
        c.switches["IncludeMemo"] = on;
        return c;
    }

    testing_support::TempHome home;
    int asset_ = 0;
};
