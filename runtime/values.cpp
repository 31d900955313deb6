#include "runtime/values.h"

#include <cctype>

namespace rt {

bool packDecimal(unsigned char *b, int bytes, int digits, std::int64_t units)
{
    std::int64_t max = pow10i(digits) - 1;
    if (units > max || units < -max)
        return false;
    bool neg = units < 0;
    std::uint64_t v = static_cast<std::uint64_t>(neg ? -units : units);
    unsigned char nib[32];
    for (int i = bytes * 2 - 1; i >= 1; --i) {
        nib[i] = static_cast<unsigned char>(v % 10);
        v /= 10;
    }
    nib[0] = neg ? 0xF : 0x0;
    for (int i = 0; i < bytes; ++i)
        b[i] = static_cast<unsigned char>((nib[2 * i] << 4) | nib[2 * i + 1]);
    return true;
}

std::int64_t unpackDecimal(const unsigned char *b, int bytes)
{
    std::int64_t v = 0;
    for (int i = 1; i < bytes * 2; ++i) {
        unsigned char byte = b[i / 2];
        unsigned char n = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
        v = v * 10 + (n > 9 ? 9 : n);  // a damaged nibble reads as 9 rather than overflowing
    }
    return (b[0] >> 4) != 0 ? -v : v;
}

DecimalText readDecimal(std::string_view text, int places, std::int64_t &units)
{
    if (places < 0 || places > 18)
        return DecimalText::NotANumber;
    std::string t = trim(text);
    bool neg = false;
    std::size_t i = 0;
    auto skipDecoration = [&] {
        while (i < t.size() && (t[i] == '$' || t[i] == ' '))
            ++i;
    };
    skipDecoration();
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) {
        neg = t[i] == '-';
        ++i;
    }
    skipDecoration();
    if (i < t.size() && t[i] == '(') {  // accounting style negative
        neg = true;
        ++i;
    }
    // The digits are read on in full once the value is too large, so that text that is no
    // number at all is told apart from a number too large.
    std::int64_t whole = 0;
    std::int64_t frac = 0;
    int fracDigits = 0;
    bool any = false;
    bool tooLarge = false;
    bool roundUp = false;
    // A comma only ever groups thousands: 1 to 3 digits before the first, exactly 3 after each.
    // Anything else ("39,95", "1234,56") is a decimal comma or a typing slip, and reading it as
    // a separator would store a hundred times the amount meant.
    int group = 0;  // digits since the last comma
    bool grouped = false;
    for (; i < t.size() && (std::isdigit(static_cast<unsigned char>(t[i])) || t[i] == ','); ++i) {
        if (t[i] == ',') {
            if (group == 0 || group > 3 || (grouped && group != 3))
                return DecimalText::NotANumber;
            grouped = true;
            group = 0;
            continue;
        }
        ++group;
        any = true;
        const int digit = t[i] - '0';
        if (tooLarge || whole > (kMaxDecimalUnits - digit) / 10) {
            tooLarge = true;
            continue;
        }
        whole = whole * 10 + digit;
    }
    if (grouped && group != 3)
        return DecimalText::NotANumber;
    if (i < t.size() && t[i] == '.') {
        ++i;
        for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
            any = true;
            if (fracDigits < places) {
                frac = frac * 10 + (t[i] - '0');
                ++fracDigits;
            } else if (fracDigits == places) {
                roundUp = t[i] >= '5';
                ++fracDigits;
            }
        }
    }
    if (i < t.size() && t[i] == ')')
        ++i;
    while (i < t.size() && t[i] == ' ')
        ++i;
    if (i < t.size() && t[i] == '-' && !neg) {  // trailing sign
        neg = true;
        ++i;
    }
    if (i != t.size())
        return DecimalText::NotANumber;
    if (!any) {
        if (!t.empty() && t != "-")
            return DecimalText::NotANumber;
        units = 0;
        return DecimalText::Number;
    }
    while (fracDigits < places) {
        frac *= 10;
        ++fracDigits;
    }
    // whole * 10^places + frac + roundUp, checked before it is formed: it must not wrap.
    const std::int64_t scale = pow10i(places);
    const std::int64_t below = frac + (roundUp ? 1 : 0);
    // below can reach 10^places itself (all nines rounded up), and then the room left for the
    // whole part is negative: division would round it to 0 and let a whole part of 0 through.
    if (tooLarge || below > kMaxDecimalUnits || whole > (kMaxDecimalUnits - below) / scale)
        return DecimalText::TooLarge;
    const std::int64_t v = whole * scale + below;
    units = neg ? -v : v;
    return DecimalText::Number;
}

bool parseDecimal(std::string_view text, int places, std::int64_t &units)
{
    return readDecimal(text, places, units) == DecimalText::Number;
}

}  // namespace rt
