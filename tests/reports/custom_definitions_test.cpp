// Custom report definitions: the field list, the width check of the definition form, the
// definitions file through its look-up, and the options window's own choices.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <cstdlib>

#include "model/managers.h"
#include "model/user_fields.h"
#include "reports/custom_fields.h"
#include "reports/custom_report.h"
#include "runtime/gui.h"
#include "runtime/window.h"
#include "tests/reports/report_fixture.h"
#include "tests/support/gui_support.h"

using testing_support::find;

namespace {

class CustomDefinitions : public ReportTest {
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        CustomReportSetups.name = home.file(dict::CustomReportSetupsDef.diskName);
        ASSERT_EQ(CustomReportSetups.create(), 0);
        addCategory("Kitchen", "Kitchen things");
        closeAll();
        DictionaryInit();
        registerReportProcedures();
        titles({"Room", "", "Color", "room"});
    }
    void TearDown() override
    {
        for (rt::WindowProcedure *w : rt::startedWindows())
            w->requestClose();
        testing_support::pump(20);
        DictionaryKill();
        CustomReportSetups.close();
        ReportTest::TearDown();
    }
    void titles(const std::array<std::string, 4> &t)
    {
        model::putDefaultTitles(USF);
        USF.TITLEUSERFIELD1 = t[0];
        USF.TITLEUSERFIELD2 = t[1];
        USF.TITLEUSERFIELD3 = t[2];
        USF.TITLEUSERFIELD4 = t[3];
        reports::reportFieldList().clear();
        BuildReportFieldList();
    }
    // Opens the definition form for a request and lets `act` work in it before it closes.
    int runForm(int request, const std::function<void(QWidget *)> &act)
    {
        if (act)
            testing_support::onNextModal(act);
        if (Access::CustomReportSetups->open() != 0) {
            ADD_FAILURE() << "definitions file";
            return -1;
        }
        // A change or delete works on the record the browse has read.
        if (request != rt::InsertRecord)
            EXPECT_EQ(Access::CustomReportSetups->fetch(*dict::CustomReportSetupsDef.key("REPORTNAMEKEY")), 0);
        const int r = rt::callWithRequest("UpdateCustomReportSetups", request);
        Access::CustomReportSetups->close();
        return r;
    }
    static void choose(QWidget *form, int column, const char *name)
    {
        auto *c = form->findChild<QComboBox *>("FIELD" + QString::number(column));
        ASSERT_NE(c, nullptr);
        c->setCurrentIndex(c->findText(name));
        emit c->activated(c->currentIndex());
    }
    static void ok(QWidget *form) { find<QPushButton>(form, "OK")->click(); }
    long definitions() const
    {
        rt::RecordFile f(dict::CustomReportSetupsDef, nullptr);
        f.name = CustomReportSetups.name;
        return f.open(rt::mode::ReadOnlyDenyNone) == 0 ? f.records() : -1;
    }

    // With ORVANE_SAMPLE_PDF_DIR set, a window is kept there as a picture to be looked at.
    static void keepPicture(QWidget *w, const char *name)
    {
        if (const char *keep = std::getenv("ORVANE_SAMPLE_PDF_DIR")) {
            w->show();
            testing_support::pump(20);
            w->grab().save(QString::fromStdString(std::string(keep) + "/" + name + ".png"));
        }
    }

    testing_support::ScriptedMessages box;
};

}  // namespace

TEST_F(CustomDefinitions, FieldListHoldsTheFixedRowsAndNewTitlesInNameOrder)
{
    const auto &list = reports::reportFieldList();
    // "Color" repeats a fixed name and "room" the first title: neither adds a row; the blank adds none.
    ASSERT_EQ(list.size(), 46u);
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_LT(rt::compareNoCase(list[i - 1].name, list[i].name), 0) << list[i].name;
    struct Row {
        const char *name, *header;
        int tenths;
    } rows[] = {{"Asset", "Asset", 5},          {"Co-Star", "C0-Star", 25}, {"Description Long", "Description", 32},
                {"Extended MV", "Ext MV", 7},   {"Room", "Room", 25},       {"Yr Org", "Yr Org", 6},
                {"Color", "Color", 13}};
    for (const Row &r : rows) {
        const reports::ReportField *f = reports::findReportField(r.name);
        ASSERT_NE(f, nullptr) << r.name;
        EXPECT_EQ(f->header, r.header);
        EXPECT_EQ(f->tenths, r.tenths) << r.name;
    }
    EXPECT_EQ(reports::findReportField("Nickname"), nullptr);
}

TEST_F(CustomDefinitions, FormChecksTheWidthInTenthsAndTheOrientationDecides)
{
    struct Case {
        std::vector<const char *> columns;  // blanks leave a column empty
        bool landscape;
        const char *shown;
        bool accepted;
    } cases[] = {
        // 3.2 + 2.5 + 0.7 + 0.5 + 0.6: exactly the page
        {{"Description Long", "Heir", "", "Condition", "Asset", "Yr Org"}, false, "7.5", true},
        {{"Description Long", "Heir", "Condition", "Asset", "Asset", "Asset"}, false, "7.9", false},
        {{"Description Long", "Heir", "Condition", "Asset", "Asset", "Asset"}, true, "7.9", true},
        {{"Star", "Co-Star", "Heir", "Description Short", "Condition", "Asset"}, true, "10.0", true},
        {{"Star", "Co-Star", "Heir", "Description Short", "Condition", "Yr Org"}, true, "10.1", false},
        {{}, false, "0.0", true},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(n);
        box.clear();
        const std::string name = "Report " + std::to_string(n++);
        QString shown;
        bool stayedOpen = false;
        runForm(rt::InsertRecord, [&](QWidget *form) {
            find<QLineEdit>(form, "REPORTNAME")->setText(QString::fromStdString(name));
            if (c.landscape)
                find<QRadioButton>(form, "Landscape")->setChecked(true);
            int i = 1;
            for (const char *col : c.columns)
                choose(form, i++, col);
            shown = form->findChild<QLabel *>("CurrentWidth")->text();
            ok(form);
            stayedOpen = form->isVisible();
            if (stayedOpen)
                find<QPushButton>(form, "Cancel")->click();
        });
        EXPECT_EQ(shown.toStdString(), c.shown);
        EXPECT_EQ(stayedOpen, !c.accepted);
        if (!c.accepted) {
            ASSERT_FALSE(box.shown().empty());
            EXPECT_EQ(box.shown()[0].text, "The report you have configured is too wide|please make adjustments accordingly");
            EXPECT_EQ(box.shown()[0].title, "Report Error");
        }
    }
    EXPECT_EQ(definitions(), 4);
}

TEST_F(CustomDefinitions, DefinitionsAreAddedChangedLookedUpAndDeleted)
{
    runForm(rt::InsertRecord, [&](QWidget *form) {
        find<QLineEdit>(form, "REPORTNAME")->setText("Insurer");
        choose(form, 1, "Asset");
        choose(form, 3, "Market Value");
        keepPicture(form, "custom_definition_form");
        ok(form);
    });
    ASSERT_EQ(definitions(), 1);
    // A change keeps a column of a title the client lacks and clears another.
    ASSERT_EQ(Access::CustomReportSetups->open(), 0);
    ASSERT_EQ(Access::CustomReportSetups->useFile(), 0);
    CRS.REPORTNAME = "Insurer";
    ASSERT_EQ(CustomReportSetups.get(*dict::CustomReportSetupsDef.key("REPORTNAMEKEY")), 0);
    CRS.FIELD2 = "Nickname";
    ASSERT_EQ(CustomReportSetups.put(), 0);
    EXPECT_EQ(reports::configuredTenths(CRS), 12);
    Access::CustomReportSetups->close();
    QString width;
    runForm(rt::ChangeRecord, [&](QWidget *form) {
        width = form->findChild<QLabel *>("CurrentWidth")->text();
        EXPECT_EQ(form->findChild<QComboBox *>("FIELD2")->currentText(), "Nickname");
        find<QPushButton>(form, "Clear1")->click();
        ok(form);
    });
    EXPECT_EQ(width, "1.2");
    ASSERT_EQ(CustomReportSetups.open(rt::mode::ReadOnlyDenyNone), 0);
    CRS.REPORTNAME = "insurer";
    ASSERT_EQ(CustomReportSetups.get(*dict::CustomReportSetupsDef.key("REPORTNAMEKEY")), 0);
    EXPECT_EQ(rt::clip(CRS.FIELD1.view()), "");
    EXPECT_EQ(rt::clip(CRS.FIELD2.view()), "Nickname");
    CustomReportSetups.close();

    // The look-up, asked to select, leaves the chosen definition in the buffer.
    testing_support::onNextModal([](QWidget *w) {
        keepPicture(w, "custom_lookup");
        find<QPushButton>(w, "&Select")->click();
    });
    rt::clearRecord(dict::CustomReportSetupsDef, &CRS);
    ASSERT_EQ(Access::CustomReportSetups->open(), 0);
    EXPECT_EQ(rt::callWithRequest("LookupReportName", rt::SelectRecord), rt::RequestCompleted);
    EXPECT_EQ(rt::clip(CRS.REPORTNAME.view()), "Insurer");
    Access::CustomReportSetups->close();

    // A delete asks only its question.
    EXPECT_EQ(runForm(rt::DeleteRecord, {}), rt::RequestCompleted);
    EXPECT_EQ(definitions(), 0);
}

TEST_F(CustomDefinitions, OptionsWindowsKeepTheirOwnChoicesAndPrintTheNamedDefinition)
{
    for (const char *def : {"Upright", "Sideways"}) {
        runForm(rt::InsertRecord, [def](QWidget *form) {
            find<QLineEdit>(form, "REPORTNAME")->setText(def);
            if (std::string(def) == "Sideways")
                find<QRadioButton>(form, "Landscape")->setChecked(true);
            choose(form, 1, "Asset");
            ok(form);
        });
    }
    openAll();
    addItemWith([](auto &) {
        MAS.CATEGORY = "Kitchen";
        MAS.LOCATION = "Pantry";
        MAS.MEMO = "Dented lid.";
    });
    addItemWith([](auto &) {
        MAS.CATEGORY = "Garage";
        MAS.LOCATION = "Attic";
    });
    addItemWith([](auto &) {
        MAS.CATEGORY = "Kitchen";
        MAS.LOCATION = "Attic";
    });
    closeAll();
    const reports::OutputFactory old = reports::setReportOutput([] { return std::make_unique<NoOutput>(); });
    // What each run printed (previewed): wide or not, the items' assets, the memos.
    std::vector<std::string> printed;
    auto ran = [&printed] {
        std::string assets;
        int right = 0, memos = 0;
        for (const reports::ReportRow &r : printed_rows::rows()) {
            if (r.band == "detail")
                assets += "[" + r.text("Column1") + "]";
            memos += r.band == "memo";
            for (const reports::RowText &t : r.texts)
                right = std::max(right, t.x + t.w);
        }
        printed.push_back((right > 8500 ? "wide " : "portrait ") + assets + (memos ? " memos" : ""));
    };
    auto open = [] {
        rt::runProcedure("ReportDesignOptions");
        const auto w = rt::startedWindows();
        return w.isEmpty() ? nullptr : w.back();
    };
    rt::WindowProcedure *first = open();
    rt::WindowProcedure *second = open();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first, second);
    keepPicture(first, "custom_report_options");
    find<QRadioButton>(first, "Order Category")->setChecked(true);
    find<QCheckBox>(first, "Include Memos")->setChecked(true);
    auto *category = first->findChild<QComboBox *>("Category");
    category->setCurrentIndex(category->findText("Kitchen"));
    emit category->activated(category->currentIndex());
    find<QRadioButton>(second, "Order Location")->setChecked(true);

    // No name: nothing printed.
    find<QPushButton>(second, "OK")->click();
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].text, "Please select the report you wish to print");
    EXPECT_EQ(box.shown()[0].title, "Data Error");
    EXPECT_TRUE(printed.empty());

    // The name typed is read again at OK, whatever the buffer holds by then.
    auto *name = first->findChild<QLineEdit *>("ReportName");
    name->setText("Sideways");
    emit name->editingFinished();
    rt::clearRecord(dict::CustomReportSetupsDef, &CRS);
    CRS.REPORTNAME = "Upright";
    CRS.ORIENTATION = "Portrait";
    find<QPushButton>(first, "OK")->click();
    ran();
    auto *name2 = second->findChild<QLineEdit *>("ReportName");
    name2->setText("upright");
    emit name2->editingFinished();
    find<QPushButton>(second, "OK")->click();
    ran();
    reports::setReportOutput(old);
    EXPECT_EQ(printed, (std::vector<std::string>{"wide [1][3] memos", "portrait [2][3][1]"}));
}
