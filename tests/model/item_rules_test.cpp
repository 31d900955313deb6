// The checks of the item form's OK as plain functions over a record, with scripted answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <set>
#include <tuple>

#include "model/item_rules.h"
#include "runtime/text.h"

using namespace inventory;

namespace {

class ScriptedHost : public ItemOkHost {
public:
    std::vector<std::string> log;
    std::vector<rt::MessageRequest> shown;
    std::deque<int> answers;
    std::set<std::string> vendors, makers;  // upper case, as the keys compare

    void beep() override { log.push_back("beep"); }
    int ask(const rt::MessageRequest &m) override
    {
        log.push_back("ask " + m.title);
        shown.push_back(m);
        if (answers.empty())
            return m.defaultButton;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    void focus(ItemControl c) override { log.push_back("focus " + std::to_string(static_cast<int>(c))); }
    bool vendorExists(const std::string &n) override
    {
        log.push_back("find vendor " + n);
        return vendors.count(rt::upper(n)) > 0;
    }
    void addVendor(const std::string &n) override
    {
        log.push_back("add vendor " + n);
        vendors.insert(rt::upper(n));
    }
    bool manufacturerExists(const std::string &n) override
    {
        log.push_back("find maker " + n);
        return makers.count(rt::upper(n)) > 0;
    }
    void addManufacturer(const std::string &n) override
    {
        log.push_back("add maker " + n);
        makers.insert(rt::upper(n));
    }
    std::string focused() const
    {
        for (auto it = log.rbegin(); it != log.rend(); ++it)
            if (it->rfind("focus ", 0) == 0)
                return it->substr(6);
        return {};
    }
};

std::string control(ItemControl c) { return std::to_string(static_cast<int>(c)); }

// A complete item that passes every check without a question.
MasterInventoryRecord goodItem()
{
    MasterInventoryRecord m;
    rt::clearRecord(dict::MasterInventoryDef, &m);
    m.CATEGORY = "Furniture";
    m.LOCATION = "Den";
    m.QUANTITY = 1;
    m.MARKETVALUE.setCents(5000);
    return m;
}

const ItemSettings kNever{"Never", false};

}  // namespace

TEST(ItemOk, IncompleteAppraisalIsRefusedBeforeAnyOtherCheck)
{
    for (int missing = 0; missing < 3; ++missing) {
        MasterInventoryRecord m;
        rt::clearRecord(dict::MasterInventoryDef, &m);  // no category, no location either
        m.APPRAISED = 1;
        m.APPRAISALDATE = missing == 0 ? 0 : 80000;
        m.APPRAISEDVALUE.setCents(missing == 1 ? 0 : 100000);
        m.APPRAISER = missing == 2 ? "" : "Smith & Co";
        ScriptedHost host;
        EXPECT_FALSE(checkItemBeforeSave(m, true, {"Always", true}, host));
        ASSERT_EQ(host.shown.size(), 1u) << missing;
        EXPECT_EQ(host.shown[0].title, "Incomplete Data");
        EXPECT_EQ(host.shown[0].text, "Please enter the appraisal information for this item");
        EXPECT_EQ(host.shown[0].buttons, rt::BUTTON_RETRY);
        EXPECT_EQ(host.shown[0].icon, rt::Icon::Exclamation);
        EXPECT_EQ(host.log.front(), "beep");
        EXPECT_EQ(host.focused(), control(ItemControl::AppraisalDate));
    }
}

TEST(ItemOk, MarketValueFromTheAppraisalOrTheCost)
{
    ScriptedHost host;
    // An appraisal above the market value raises it; one below leaves it.
    MasterInventoryRecord m = goodItem();
    m.APPRAISED = 1;
    m.APPRAISALDATE = 80000;
    m.APPRAISER = "Lee";
    m.APPRAISEDVALUE.setCents(25000);
    m.MARKETVALUE.setCents(10000);
    EXPECT_TRUE(checkItemBeforeSave(m, false, kNever, host));
    EXPECT_EQ(m.MARKETVALUE.cents(), 25000);
    m.APPRAISEDVALUE.setCents(9000);
    EXPECT_TRUE(checkItemBeforeSave(m, false, kNever, host));
    EXPECT_EQ(m.MARKETVALUE.cents(), 25000);
    // An appraisal beyond what the market value holds is refused, never wrapped.
    m.APPRAISEDVALUE.setCents(12345678);
    EXPECT_FALSE(checkItemBeforeSave(m, false, kNever, host));
    EXPECT_EQ(m.MARKETVALUE.cents(), 25000);
    EXPECT_EQ(host.shown.back().title, "Invalid Entry");
    EXPECT_EQ(host.focused(), control(ItemControl::AppraisedValue));

    // Not appraised: market value 0 takes the original cost, and then nothing is asked.
    host = ScriptedHost();
    m = goodItem();
    m.MARKETVALUE.setCents(0);
    m.ORIGINALCOST.setCents(1000);
    EXPECT_TRUE(checkItemBeforeSave(m, false, kNever, host));
    EXPECT_EQ(m.MARKETVALUE.cents(), 1000);
    EXPECT_TRUE(host.shown.empty());

    // With no cost either, the question; Yes goes back to the market value, No saves.
    m.MARKETVALUE.setCents(0);
    m.ORIGINALCOST.setCents(0);
    host.answers = {rt::BUTTON_YES, rt::BUTTON_NO};
    EXPECT_FALSE(checkItemBeforeSave(m, false, kNever, host));
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].title, "Market Value Warning");
    EXPECT_EQ(host.shown[0].text,
              "You have not yet entered a market value for this item.||Do you wish to enter a market value now?");
    EXPECT_EQ(host.shown[0].buttons, rt::BUTTON_YES | rt::BUTTON_NO);
    EXPECT_EQ(host.shown[0].defaultButton, rt::BUTTON_YES);
    EXPECT_EQ(host.shown[0].icon, rt::Icon::Question);
    EXPECT_EQ(host.focused(), control(ItemControl::MarketValue));
    EXPECT_TRUE(checkItemBeforeSave(m, false, kNever, host));
}

TEST(ItemOk, ReplacementCostIsTheLargerOfMarketAndCost)
{
    ScriptedHost host;
    struct Case {
        std::int64_t market, cost, replacement, expected;
    } cases[] = {{2000, 1000, 0, 2000}, {1000, 1000, 0, 1000}, {1000, 3000, 0, 3000}, {1000, 3000, 700, 700}};
    for (const Case &c : cases) {
        MasterInventoryRecord m = goodItem();
        m.MARKETVALUE.setCents(c.market);
        m.ORIGINALCOST.setCents(c.cost);
        m.REPLACEMENTCOST.setCents(c.replacement);
        EXPECT_TRUE(checkItemBeforeSave(m, false, kNever, host));
        EXPECT_EQ(m.REPLACEMENTCOST.cents(), c.expected) << c.market << " " << c.cost;
    }
}

TEST(ItemOk, CategoryThenLocationThenExtendedValue)
{
    ScriptedHost host;
    MasterInventoryRecord m = goodItem();
    m.CATEGORY = "";
    m.LOCATION = "";
    EXPECT_FALSE(checkItemBeforeSave(m, false, kNever, host));
    EXPECT_EQ(host.shown.back().text, "You must enter the category for this item");
    EXPECT_EQ(host.shown.back().title, "Required Field");
    EXPECT_EQ(host.shown.back().buttons, rt::BUTTON_OK);
    EXPECT_EQ(host.focused(), control(ItemControl::Category));
    m.CATEGORY = "Art";
    EXPECT_FALSE(checkItemBeforeSave(m, false, kNever, host));
    EXPECT_EQ(host.shown.back().text, "You must enter the location for this item");
    EXPECT_EQ(host.focused(), control(ItemControl::Location));

    // 3 x 10.50 is 31.50; a product beyond 9,999,999.99 is refused rather than wrapped.
    m.QUANTITY = 3;
    m.MARKETVALUE.setCents(1050);
    EXPECT_EQ(extendedValue(m), 3150);
    m.QUANTITY = 99999;
    m.MARKETVALUE.setCents(9999999);
    EXPECT_EQ(extendedValue(m), 99999LL * 9999999LL);
    EXPECT_FALSE(extendedValueFits(extendedValue(m)));
    m.LOCATION = "Den";
    EXPECT_FALSE(checkItemBeforeSave(m, false, kNever, host));
    EXPECT_EQ(host.shown.back().title, "Invalid Entry");
    EXPECT_EQ(host.focused(), control(ItemControl::Quantity));
    m.QUANTITY = 100;
    EXPECT_TRUE(checkItemBeforeSave(m, false, kNever, host));
}

TEST(ItemOk, AutomaticAddingOfVendorsAndManufacturers)
{
    auto item = [] {
        MasterInventoryRecord m = goodItem();
        m.PURCHASEDFROM = "Acme Stores";
        m.MANUFACTURER = "Zeta";
        return m;
    };
    // Always: both added at once, no question.
    ScriptedHost host;
    MasterInventoryRecord m = item();
    EXPECT_TRUE(checkItemBeforeSave(m, true, {"Always", false}, host));
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ(host.vendors, (std::set<std::string>{"ACME STORES"}));
    EXPECT_EQ(host.makers, (std::set<std::string>{"ZETA"}));
    // Known in any case: never added twice.
    host.log.clear();
    EXPECT_TRUE(checkItemBeforeSave(m, true, {"Always", false}, host));
    m.PURCHASEDFROM = "ACME stores";
    EXPECT_TRUE(checkItemBeforeSave(m, true, {"Prompt", false}, host));
    for (const std::string &l : host.log)
        EXPECT_EQ(l.rfind("add", 0), std::string::npos) << l;

    // Prompt: a beep and a question each; No to the vendor does not stop the manufacturer.
    host = ScriptedHost();
    host.answers = {rt::BUTTON_NO, rt::BUTTON_YES};
    m = item();
    EXPECT_TRUE(checkItemBeforeSave(m, true, {"Prompt", false}, host));
    ASSERT_EQ(host.shown.size(), 2u);
    EXPECT_EQ(host.shown[0].text, "Would you like to add the vendor: Acme Stores|to the vendors file?");
    EXPECT_EQ(host.shown[1].text, "Would you like to add the manufacturer: |Zeta|to the manufacturers file?");
    for (const rt::MessageRequest &r : host.shown) {
        EXPECT_EQ(r.title, "Auto Add");
        EXPECT_EQ(r.buttons, rt::BUTTON_YES | rt::BUTTON_NO);
        EXPECT_EQ(r.defaultButton, rt::BUTTON_YES);
    }
    EXPECT_TRUE(host.vendors.empty());
    EXPECT_EQ(host.makers, (std::set<std::string>{"ZETA"}));
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "beep"), 2);

    // Never, a changed item, or blank names: nothing is even looked up.
    for (auto [settings, isNew, blank] : {std::tuple{ItemSettings{"Never", false}, true, false},
                                          std::tuple{ItemSettings{"Always", false}, false, false},
                                          std::tuple{ItemSettings{"Always", false}, true, true}}) {
        host = ScriptedHost();
        m = item();
        if (blank) {
            m.PURCHASEDFROM = "";
            m.MANUFACTURER = "";
        }
        EXPECT_TRUE(checkItemBeforeSave(m, isNew, settings, host));
        EXPECT_TRUE(host.log.empty());
    }
}

TEST(ItemRules, PrimingAndTheRememberedLocation)
{
    const std::int32_t today = 81000;
    MasterInventoryRecord m;
    const std::string last = "Den";
    rt::clearRecord(dict::MasterInventoryDef, &m);
    primeNewItem(m, Variant::All, "", last, today);
    EXPECT_EQ(m.STATUS.str(), "Have");
    EXPECT_EQ(m.QUANTITY.get(), 1);
    EXPECT_EQ(m.DATEENTERED.get(), today);
    EXPECT_EQ(m.HOWPURCHASED.str(), "???");
    EXPECT_EQ(m.LOCATION.str(), "Den");
    EXPECT_TRUE(m.CATEGORY.blank());

    // The kitchen form puts a new item in the kitchen, whatever was remembered.
    rt::clearRecord(dict::MasterInventoryDef, &m);
    primeNewItem(m, Variant::Category, "Kitchen", last, today);
    EXPECT_EQ(m.CATEGORY.str(), "Kitchen");
    EXPECT_EQ(m.LOCATION.str(), "Kitchen");
    primeNewItem(m, Variant::Category, "Art", last, today);
    EXPECT_EQ(m.CATEGORY.str(), "Art");
    EXPECT_EQ(m.LOCATION.str(), "Den");
    // The location form primes its own location whatever was remembered.
    primeNewItem(m, Variant::Location, "Garage", last, today);
    EXPECT_EQ(m.LOCATION.str(), "Garage");

    m.LOCATION = "Attic";
    EXPECT_EQ(locationToRemember(m, {"Never", true}), "Attic");
    EXPECT_EQ(locationToRemember(m, {"Never", false}), "");
}

TEST(ItemRules, ControlsLeftOutByCategory)
{
    HiddenControls food = hiddenForCategory("Food");
    EXPECT_EQ(food.tabs, (std::vector<std::string>{"Heirs / Appraisal", "Artist / Antique", "Receipt", "Warranty"}));
    EXPECT_TRUE(food.serial && food.model && food.weights && food.subject && !food.box);
    HiddenControls audio = hiddenForCategory("Audio");
    EXPECT_FALSE(audio.subject || audio.starArtist || audio.weights || !audio.tabs.empty());
    HiddenControls art = hiddenForCategory("Art");
    EXPECT_TRUE(art.subject && art.starArtist && art.weights && !art.serial && art.tabs.empty());
    // Categories are compared exactly: another spelling hides only the library fields.
    HiddenControls other = hiddenForCategory("FOOD");
    EXPECT_TRUE(other.subject && !other.serial && other.tabs.empty());
}
