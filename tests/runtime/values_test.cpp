#include <gtest/gtest.h>

#include "runtime/dates.h"
#include "runtime/picture.h"
#include "runtime/record.h"
#include "runtime/values.h"

using namespace rt;

TEST(FixedString, CutsAtCharacterBoundaryAndPads)
{
    FixedString<5> s;
    s = "abc";
    EXPECT_EQ(std::string(s.raw()), "abc  ");
    EXPECT_EQ(s.str(), "abc");
    // "é" is two bytes: "abcdé" needs 6 bytes and must not be cut inside the character.
    s = "abcd\xC3\xA9";
    EXPECT_EQ(s.str(), "abcd");
    s = "ab\xC3\xA9x";  // exactly 5 bytes
    EXPECT_EQ(s.str(), "ab\xC3\xA9x");
    EXPECT_TRUE(s == "ab\xC3\xA9x   ");
    FixedString<8> wide;
    wide = "ab\xC3\xA9x";
    EXPECT_TRUE(wide == s);  // trailing blanks ignored across widths
    s = "";
    EXPECT_TRUE(s.blank());
}

TEST(Decimal, ExactHundredthsWithRangeChecks)
{
    Dec72 d;
    EXPECT_TRUE(d.setCents(9999999));
    EXPECT_EQ(d.cents(), 9999999);
    EXPECT_FALSE(d.setCents(10000000));  // 100,000.00 does not fit 7.2
    EXPECT_EQ(d.cents(), 9999999);       // refused value leaves the field as it was
    EXPECT_TRUE(d.setCents(-1050));
    EXPECT_EQ(d.cents(), -1050);
    Dec92 big;
    EXPECT_TRUE(big.setCents(99999999999LL / 100));
    EXPECT_FALSE(big.setCents(1000000000));
    Dec52 w;
    EXPECT_TRUE(w.setCents(99999));
    EXPECT_FALSE(w.setCents(100000));

    std::int64_t u = 0;
    EXPECT_TRUE(parseDecimal("1,234.5", 2, u));
    EXPECT_EQ(u, 123450);
    EXPECT_TRUE(parseDecimal("$10.50", 2, u));
    EXPECT_EQ(u, 1050);
    EXPECT_TRUE(parseDecimal("-3", 2, u));
    EXPECT_EQ(u, -300);
    EXPECT_TRUE(parseDecimal("0.125", 2, u));
    EXPECT_EQ(u, 13);  // third place rounds
    EXPECT_FALSE(parseDecimal("12a", 2, u));
}

// A comma groups thousands and nothing else: a decimal comma is refused, never stored scaled;
// the bound holds at every number of places, also where rounding carries into a new digit.
TEST(Decimal, ReadsAmountsAsPeopleTypeThem)
{
    struct Case {
        const char *text;
        int places;
        DecimalText read;
        std::int64_t units;
    };
    const Case cases[] = {
        {"1,234.50", 2, DecimalText::Number, 123450},
        {"$1,234,567.89", 2, DecimalText::Number, 123456789},
        {"-12,345", 0, DecimalText::Number, -12345},
        {"(1,000.00)", 2, DecimalText::Number, -100000},
        {"999,999,999,999,999,999", 0, DecimalText::Number, 999999999999999999},
        {"39,95", 2, DecimalText::NotANumber, 0},
        {"1234,56", 2, DecimalText::NotANumber, 0},
        {"1,2345", 2, DecimalText::NotANumber, 0},
        {"1234,567", 2, DecimalText::NotANumber, 0},
        {",123", 2, DecimalText::NotANumber, 0},
        {"1,", 2, DecimalText::NotANumber, 0},
        {"1,,234", 2, DecimalText::NotANumber, 0},
        {"1,234,5.00", 2, DecimalText::NotANumber, 0},
        {"0.99", 2, DecimalText::Number, 99},
        {"0.9999999999999999995", 18, DecimalText::TooLarge, 0},
        {"0.999999999999999999", 18, DecimalText::Number, 999999999999999999},
        {"9.995", 2, DecimalText::Number, 1000},
        {"1.5", 0, DecimalText::Number, 2},
    };
    for (const Case &c : cases) {
        std::int64_t u = 0;
        EXPECT_EQ(readDecimal(c.text, c.places, u), c.read) << c.text;
        if (c.read == DecimalText::Number)
            EXPECT_EQ(u, c.units) << c.text;
    }
}

TEST(Dates, DayNumbersAndRollOver)
{
    EXPECT_EQ(makeDate(1, 1, 1801), 4);
    EXPECT_EQ(dayOfWeek(4), 4);  // 1 January 1801 was a Thursday
    // 8 December 2026 is a Tuesday.
    EXPECT_EQ(dayOfWeek(makeDate(12, 8, 2026)), 2);
    EXPECT_EQ(dayOfWeek(makeDate(7, 4, 1976)), 0);  // a Sunday
    // A day past the month's end runs into the next month; month 13 into the next year.
    EXPECT_EQ(makeDate(1, 32, 2024), makeDate(2, 1, 2024));
    EXPECT_EQ(makeDate(13, 1, 2024), makeDate(1, 1, 2025));
    EXPECT_EQ(makeDate(2, 31, 2023), makeDate(3, 3, 2023));  // 31 January plus a month
    EXPECT_EQ(makeDate(2, 29, 2025), makeDate(3, 1, 2025));  // 29 February plus a year
    EXPECT_EQ(makeDate(1, 0, 2000), makeDate(12, 31, 1999));
    EXPECT_EQ(makeDate(0, 15, 2000), makeDate(12, 15, 1999));
    Civil c = civil(makeDate(2, 29, 2024));
    EXPECT_EQ(c.year, 2024);
    EXPECT_EQ(c.month, 2);
    EXPECT_EQ(c.day, 29);
    EXPECT_EQ(makeDate(12, 31, 1800), 0);  // before the first day
    EXPECT_EQ(civil(0).year, 0);

    std::int32_t d = 0;
    EXPECT_TRUE(deformatDate("1/5/99", d, 2026));
    EXPECT_EQ(d, makeDate(1, 5, 1999));
    EXPECT_TRUE(deformatDate("01/05/2030", d, 2026));
    EXPECT_EQ(d, makeDate(1, 5, 2030));
    EXPECT_TRUE(deformatDate("1/5/30", d, 2026));
    EXPECT_EQ(yearOf(d), 2030);
    EXPECT_FALSE(deformatDate("2/30/2024", d, 2026));
    EXPECT_TRUE(deformatDate("", d, 2026));
    EXPECT_EQ(d, 0);
}

TEST(Picture, EveryDisplayPicture)
{
    // Strings
    EXPECT_EQ(formatText("@s5", "abcdefg"), "abcde");
    EXPECT_EQ(formatText("@s20", "Sofa   "), "Sofa");
    // Numbers
    EXPECT_EQ(formatNumber("@n9", 1234567), "1,234,567");
    EXPECT_EQ(formatNumber("@n_7", 1234567), "1234567");
    EXPECT_EQ(formatNumber("@n_7", 12345678), "#######");
    EXPECT_EQ(formatNumber("@n05", 42), "00042");
    EXPECT_EQ(formatNumber("@n12.2", 123450, 2), "1,234.50");
    EXPECT_EQ(formatNumber("@n-13.2", -123450, 2), "-1,234.50");
    EXPECT_EQ(formatNumber("@n12.2", -5, 2), "-0.05");
    EXPECT_EQ(formatNumber("@n$10.2", 123450, 2), "$1,234.50");
    EXPECT_EQ(formatNumber("@n5.2b", 0, 2), "");
    EXPECT_EQ(formatNumber("@n5.2", 0, 2), "0.00");
    EXPECT_EQ(formatNumber("@n9.2", 3150, 2), "31.50");
    EXPECT_EQ(formatNumber("@n4", 12345), "####");
    EXPECT_EQ(formatNumber("@n3", 7), "7");
    EXPECT_EQ(formatNumber("@n9.2", 1234, 1), "123.40");  // value given with one place
    // Dates and times
    std::int32_t d = makeDate(1, 5, 1999);
    EXPECT_EQ(formatDate("@d1", d), "1/05/99");
    EXPECT_EQ(formatDate("@d01", d), "01/05/99");
    EXPECT_EQ(formatDate("@d2", d), "1/05/1999");
    EXPECT_EQ(formatDate("@d4", d), "January 5, 1999");
    EXPECT_EQ(formatDate("@d1b", 0), "");
    EXPECT_EQ(formatDate("@d1", 0), "");
    std::int32_t t = (17 * 3600 + 30 * 60 + 15) * 100 + 1;
    EXPECT_EQ(formatTime("@t3", t), "5:30PM");
    EXPECT_EQ(formatTime("@t3", 1), "12:00AM");
    EXPECT_EQ(formatTime("@t4", t), "17:30:15");
    std::int32_t back = 0;
    EXPECT_TRUE(deformatTime("5:30PM", back));
    EXPECT_EQ(formatTime("@t3", back), "5:30PM");
    // Phone pattern
    EXPECT_EQ(formatText("@p(###) ###-####p", "5551234567"), "(555) 123-4567");
    EXPECT_EQ(formatText("@p(###) ###-####p", "1234567"), "(000) 123-4567");
    EXPECT_EQ(formatText("@p(###) ###-####pb", ""), "");
    EXPECT_EQ(formatText("@p(###) ###-####p", ""), "");
    EXPECT_EQ(formatText("@p(###) ###-####p", "0000000000"), "(000) 000-0000");
    EXPECT_EQ(formatText("@p(###) ###-####pb", "0000000000"), "");
    EXPECT_EQ(deformatPattern("(555) 123-4567"), "5551234567");
}

TEST(RecordAccess, GenericFieldsByTable)
{
    struct R {
        FixedString<10> name;
        Long count;
        Dec72 value;
        Byte flag;
    } r;
    std::vector<FieldDef> fields{{"NAME", FieldKind::STRING, 0, 10, 10, 0},
                                 {"COUNT", FieldKind::LONG, 10, 4, 4, 0},
                                 {"VALUE", FieldKind::DEC, 14, 4, 7, 2},
                                 {"FLAG", FieldKind::BYTE, 18, 1, 1, 0}};
    TableDef t;
    t.label = "Test";
    t.prefix = "TST";
    t.fields = fields;
    EXPECT_EQ(t.fieldIndex("tst:Value"), 2);
    EXPECT_EQ(t.fieldIndex("count"), 1);
    EXPECT_EQ(t.fieldIndex("XYZ:COUNT"), -1);
    EXPECT_TRUE(setFieldText(fields[2], &r, "10.5"));
    EXPECT_EQ(r.value.cents(), 1050);
    EXPECT_EQ(fieldText(fields[2], &r), "10.50");
    EXPECT_FALSE(setFieldText(fields[2], &r, "100000"));
    EXPECT_FALSE(setFieldNumber(fields[3], &r, 256));
    EXPECT_TRUE(setFieldText(fields[1], &r, "-42"));
    EXPECT_EQ(static_cast<int>(r.count), -42);
    clearRecord(t, &r);
    EXPECT_TRUE(r.name.blank());
    EXPECT_EQ(r.value.cents(), 0);
}

TEST(Input, ValuesTooLargeAreRefusedNeverWrapped)
{
    std::int64_t u = 7;
    // Past 64 bits once scaled to hundredths: these used to wrap into small values (0.84).
    for (const char *text : {"184467440737095517", "-184467440737095517", "184467440737095517-", "(184467440737095517)",
                             "$184,467,440,737,095,517.00", "9223372036854775807", "99999999999999999999999999999",
                             "9999999999999999.995"}) {
        EXPECT_EQ(readDecimal(text, 2, u), DecimalText::TooLarge) << text;
        EXPECT_FALSE(parseDecimal(text, 2, u)) << text;
    }
    EXPECT_EQ(u, 7);  // untouched by a refusal
    EXPECT_EQ(readDecimal("99999999999999999999x", 2, u), DecimalText::NotANumber);
    // The largest count there is still reads, to the unit.
    ASSERT_EQ(readDecimal("9999999999999999.99", 2, u), DecimalText::Number);
    EXPECT_EQ(u, kMaxDecimalUnits);
    ASSERT_EQ(readDecimal("-999,999,999,999,999,999", 0, u), DecimalText::Number);
    EXPECT_EQ(u, -kMaxDecimalUnits);
    EXPECT_EQ(readDecimal("1000000000000000000", 0, u), DecimalText::TooLarge);
    EXPECT_EQ(readDecimal("9662988825349736700", 0, u), DecimalText::TooLarge);  // 19 digits, past 2^63

    // Through the field: a market value (7.2) and a long refuse what they cannot hold and keep
    // what they had.
    struct R {
        Dec72 market;
        Long count;
    } r;
    std::vector<FieldDef> fields{{"MARKETVALUE", FieldKind::DEC, 0, 4, 7, 2}, {"QUANTITY", FieldKind::LONG, 4, 4, 4, 0}};
    ASSERT_TRUE(setFieldText(fields[0], &r, "12.50"));
    EXPECT_FALSE(setFieldText(fields[0], &r, "184467440737095517"));
    EXPECT_FALSE(setFieldText(fields[0], &r, "-184467440737095517"));
    EXPECT_FALSE(setFieldText(fields[0], &r, "100000"));
    EXPECT_EQ(r.market.cents(), 1250);
    ASSERT_TRUE(setFieldText(fields[1], &r, "3"));
    EXPECT_FALSE(setFieldText(fields[1], &r, "4294967299"));  // not 3 again, 2^32 on
    EXPECT_EQ(static_cast<int>(r.count), 3);

    // Dates and times with parts beyond 32 bits are refused, not wrapped into another value.
    std::int32_t d = 11;
    EXPECT_FALSE(deformatDate("1/1/4294969296", d, 2026));    // would wrap to 1/1/2000
    EXPECT_FALSE(deformatDate("1/4294967297/2020", d, 2026)); // to 1/1/2020
    EXPECT_FALSE(deformatDate("4294967297/1/2020", d, 2026));
    EXPECT_FALSE(deformatDate("1/1/99999", d, 2026));
    EXPECT_EQ(d, 11);
    std::int32_t t = 11;
    EXPECT_FALSE(deformatTime("4294967296:00", t));  // would wrap to midnight
    EXPECT_FALSE(deformatTime("12:4294967296", t));
    EXPECT_FALSE(deformatTime("1:2:4294967301PM", t));
    EXPECT_EQ(t, 11);
    // A picture asking for more than any field is cut back instead of filling memory.
    EXPECT_EQ(formatNumber("@n99999999999", 5), "5");
    EXPECT_EQ(formatNumber("@n_99999999999", 42).size(), 2u);
    EXPECT_LE(Picture::parse("@n_4.99999999999").places, 18);
}
