#include "model/valuation.h"

#include <gtest/gtest.h>

#include <climits>

#include "runtime/errors.h"
#include "tests/support/test_support.h"

namespace {

class Valuation : public ::testing::Test {
protected:
    void SetUp() override
    {
        MasterInventory.name = home.file("qormas.tps");
        ASSERT_EQ(MasterInventory.create(), 0);
        ASSERT_EQ(MasterInventory.open(rt::mode::ReadWriteDenyNone), 0);
    }
    void TearDown() override { MasterInventory.close(); }
    void add(const char *category, const char *status, std::int32_t quantity, std::int64_t cents)
    {
        rt::clearRecord(dict::MasterInventoryDef, &MAS);
        MAS.CATEGORY = category;
        MAS.STATUS = status;
        MAS.QUANTITY = quantity;
        ASSERT_TRUE(MAS.MARKETVALUE.setCents(cents));
        ASSERT_EQ(MasterInventory.add(), 0);
    }
    testing_support::TempHome home;
};

}  // namespace

TEST_F(Valuation, OnlyOwnedItemsAreValuedButEveryItemCounts)
{
    for (const char *s : {"Have", "HAVE", "sell", "Sell  "})
        EXPECT_TRUE(valuation::owned(s)) << s;
    for (const char *s : {"Want", "Sold", "Info", "", "Hav"})
        EXPECT_FALSE(valuation::owned(s)) << s;

    add("Art", "Have", 2, 1050);
    add("Art", "hAVE", 1, 100);    // imported in odd case
    add("Art", "SELL", 3, 200);
    add("Art", "Want", 1, 10000);
    add("Art", "Sold", 1, 20000);
    add("Art", "Info", 1, 30000);
    add("Art", "Have", 0, 99999);  // quantity 0 counts and adds nothing
    valuation::Totals t;
    ASSERT_EQ(valuation::totals(rt::View(MasterInventory), t), 0);
    EXPECT_EQ(t.count, 7);
    EXPECT_EQ(t.cents, 2100 + 100 + 600);

    MasterInventoryRecord item{};
    item.QUANTITY = 0;
    item.MARKETVALUE.setCents(9999999);
    EXPECT_EQ(valuation::extendedValue(item), 0);
    item.QUANTITY = INT32_MAX;
    EXPECT_EQ(valuation::extendedValue(item), std::int64_t{INT32_MAX} * 9999999);
    std::int64_t cents = 7;
    EXPECT_FALSE(valuation::extendedValue(INT64_MAX / 2, 3, cents));
    EXPECT_EQ(cents, 7);
    EXPECT_TRUE(valuation::extendedValue(-2, 150, cents));
    EXPECT_EQ(cents, -300);
}

TEST_F(Valuation, TotalsStayExactFarAboveTheFieldsAndNeverWrap)
{
    // 2,000 pieces at 99,999.99 are worth 199,999,980.00; three such items far exceed what a
    // 9.2 field holds.
    for (int i = 0; i < 3; ++i)
        add("Art", "Have", 2000, 9999999);
    add("Art", "Have", 1, 1);
    valuation::Totals t;
    ASSERT_EQ(valuation::totals(rt::View(MasterInventory), t), 0);
    EXPECT_EQ(t.cents, 3 * 19999998000LL + 1);

    // Past 64 bits the total is an error, not a wrapped or rounded value.
    rt::Transaction tx({&MasterInventory});
    ASSERT_EQ(tx.begin(), 0);
    for (int i = 0; i < 440; ++i)
        add("Art", "Have", INT32_MAX, 9999999);
    ASSERT_EQ(tx.commit(), 0);
    EXPECT_EQ(valuation::totals(rt::View(MasterInventory), t), rt::err::DriverError);
    EXPECT_EQ(rt::errorCode(), rt::err::DriverError);
    EXPECT_EQ(t.cents, 0);
}

TEST_F(Valuation, GroupTotalsBreakOnTheCategoryCaseBlind)
{
    add("Kitchen", "Have", 3, 1050);
    add("Art", "Have", 1, 99900);
    add("KITCHEN", "Sell", 2, 500);
    add("kitchen", "Want", 1, 10000);
    add("Den", "Info", 1, 700);
    std::vector<valuation::GroupTotals> g;
    rt::View items(MasterInventory, dict::MasterInventoryDef.key("CATEGORYKEY"));
    ASSERT_EQ(valuation::groupTotals(items, "CATEGORY", g), 0);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[0].group, "Art");
    EXPECT_EQ(g[0].totals.cents, 99900);
    EXPECT_EQ(g[1].group, "Den");
    EXPECT_EQ(g[1].totals.count, 1);
    EXPECT_EQ(g[1].totals.cents, 0);
    EXPECT_TRUE(rt::equalNoCase(g[2].group, "kitchen"));
    EXPECT_EQ(g[2].totals.count, 3);
    EXPECT_EQ(g[2].totals.cents, 3150 + 1000);
}

TEST_F(Valuation, TotalsAdjustedRowByRowEqualFreshTotals)
{
    add("Art", "Have", 2, 1050);
    add("Art", "Want", 1, 10000);
    valuation::Totals kept;
    ASSERT_EQ(valuation::totals(rt::View(MasterInventory), kept), 0);
    auto copy = [] { return MAS; };
    auto fresh = [] {
        valuation::Totals t;
        EXPECT_EQ(valuation::totals(rt::View(MasterInventory), t), 0);
        return t;
    };
    const rt::TableDef &def = dict::MasterInventoryDef;
    // A new owned row, a row that becomes owned, a row whose quantity changes, a deleted row.
    add("Art", "sell", 3, 200);
    ASSERT_TRUE(valuation::adjust(def, kept, nullptr, &MAS));
    ASSERT_EQ(MasterInventory.getPosition(2), 0);
    MasterInventoryBuffer before = copy();
    MAS.STATUS = "HAVE";
    ASSERT_EQ(MasterInventory.put(), 0);
    ASSERT_TRUE(valuation::adjust(def, kept, &before, &MAS));
    ASSERT_EQ(MasterInventory.getPosition(1), 0);
    before = copy();
    MAS.QUANTITY = 5;
    ASSERT_EQ(MasterInventory.put(), 0);
    ASSERT_TRUE(valuation::adjust(def, kept, &before, &MAS));
    ASSERT_EQ(MasterInventory.getPosition(3), 0);
    before = copy();
    ASSERT_EQ(MasterInventory.del(), 0);
    ASSERT_TRUE(valuation::adjust(def, kept, &before, nullptr));
    valuation::Totals t = fresh();
    EXPECT_EQ(kept.count, t.count);
    EXPECT_EQ(kept.cents, t.cents);
    EXPECT_EQ(kept.cents, 5 * 1050 + 10000);
    // A total that would leave 64 bits is refused and left as it was.
    valuation::Totals full{1, INT64_MAX - 5};
    MAS.STATUS = "Have";
    MAS.QUANTITY = 1;
    MAS.MARKETVALUE.setCents(10);
    EXPECT_FALSE(valuation::adjust(def, full, nullptr, &MAS));
    EXPECT_EQ(full.cents, INT64_MAX - 5);
    EXPECT_EQ(full.count, 1);
}
