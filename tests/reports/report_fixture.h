// Record files of one client in a temporary home, seeded row by row, and the report rows and
// pages of a run read back without a window.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/dictionary.h"
#include "model/globals.h"
#include "reports/reports.h"
#include "runtime/errors.h"
#include "tests/support/test_support.h"

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
        reports::ReportFrame::keepRowsOfRuns(true);  // the tests read the rows of their runs
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
        reports::ReportFrame::keepRowsOfRuns(false);
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

    // The run's rows and pages, read without the frame.
    struct Result {
        std::vector<reports::ReportRow> rows;
        std::vector<previewer::Page> pages;
        std::vector<const reports::ReportRow *> band(const std::string &name) const
        {
            std::vector<const reports::ReportRow *> out;
            for (const auto &r : rows)
                if (r.band == name)
                    out.push_back(&r);
            return out;
        }
        std::string pageText(std::size_t i) const
        {
            std::string s;
            for (const std::string &l : previewer::textGrid(pages.at(i), 66, 120))
                s += l + "\n";
            return s;
        }
    };
    Result run(const reports::ReportDefinition &d, reports::RunChoices choices = {})
    {
        Result r;
        reports::Heading h;
        if (d.heading)
            d.heading(h);
        reports::ReportWriter w(d.layout(choices), [&r](const previewer::Page &p, int) {
            r.pages.push_back(p);
            return true;
        });
        w.setPageValues(reports::runPageValues(d, choices, h, 73000, 1));
        reports::runWithoutFrame(d, choices, w);
        r.rows = w.rows();
        return r;
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
