// The field types of a record in memory. Every type has alignment 1, so a record struct made
// of them has exactly the byte layout that the dictionary declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/text.h"

namespace rt {

// A blank-padded string of exactly N bytes. Assigning cuts at a UTF-8 character boundary and
// pads; comparisons ignore trailing blanks.
template <std::size_t N>
struct FixedString {
    char data[N];

    FixedString() { clear(); }
    FixedString(std::string_view s) { assign(s); }

    static constexpr std::size_t capacity = N;

    void clear() { std::memset(data, ' ', N); }
    void assign(std::string_view s)
    {
        std::string_view cut = cutUtf8(s, N);
        std::memcpy(data, cut.data(), cut.size());
        std::memset(data + cut.size(), ' ', N - cut.size());
    }
    FixedString &operator=(std::string_view s)
    {
        assign(s);
        return *this;
    }
    FixedString &operator=(const std::string &s)
    {
        assign(s);
        return *this;
    }
    FixedString &operator=(const char *s)
    {
        assign(s);
        return *this;
    }
    template <std::size_t M>
    FixedString &operator=(const FixedString<M> &o)
    {
        assign(o.view());
        return *this;
    }

    // The value without trailing blanks.
    std::string_view view() const { return clipView(std::string_view(data, N)); }
    std::string str() const { return std::string(view()); }
    std::string_view raw() const { return std::string_view(data, N); }
    bool blank() const { return view().empty(); }

    bool operator==(std::string_view s) const { return view() == clipView(s); }
    template <std::size_t M>
    bool operator==(const FixedString<M> &o) const
    {
        return view() == o.view();
    }
};

using Byte = std::uint8_t;

// A 32-bit signed little-endian integer without alignment.
struct Long {
    unsigned char b[4] = {0, 0, 0, 0};

    Long() = default;
    Long(std::int32_t v) { set(v); }
    void set(std::int32_t v)
    {
        auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            b[i] = static_cast<unsigned char>(u >> (8 * i));
    }
    std::int32_t get() const
    {
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i)
            u |= static_cast<std::uint32_t>(b[i]) << (8 * i);
        return static_cast<std::int32_t>(u);
    }
    operator std::int32_t() const { return get(); }
    Long &operator=(std::int32_t v)
    {
        set(v);
        return *this;
    }
};

// Ten to the power n, for n in 0..18.
constexpr std::int64_t pow10i(int n)
{
    std::int64_t r = 1;
    for (int i = 0; i < n; ++i)
        r *= 10;
    return r;
}

// Packed decimal storage: one sign nibble (0 positive, F negative) followed by the digits,
// most significant first, two to a byte. packDecimal refuses a value of more than `digits` digits.
bool packDecimal(unsigned char *b, int bytes, int digits, std::int64_t units);
std::int64_t unpackDecimal(const unsigned char *b, int bytes);

// Packed decimal of Digits digits, Places of them after the point: one sign nibble followed by
// the digits, two to a byte. The value is handled as an exact count of 1/10^Places units.
template <int Digits, int Places>
struct Decimal {
    static constexpr std::size_t bytes = (Digits + 2) / 2;
    static constexpr std::int64_t maxUnits = pow10i(Digits) - 1;
    static constexpr int digits = Digits;
    static constexpr int places = Places;
    unsigned char b[bytes] = {};

    Decimal() = default;

    static bool fits(std::int64_t units) { return units <= maxUnits && units >= -maxUnits; }

    // Stores the value; a value out of range is refused and leaves the field unchanged.
    bool set(std::int64_t units) { return packDecimal(b, static_cast<int>(bytes), Digits, units); }
    std::int64_t units() const { return unpackDecimal(b, static_cast<int>(bytes)); }
    // Hundredths for the money and weight fields (all of them have two places).
    std::int64_t cents() const { return units(); }
    bool setCents(std::int64_t c) { return set(c); }
};

using Dec72 = Decimal<7, 2>;
using Dec92 = Decimal<9, 2>;
using Dec52 = Decimal<5, 2>;

static_assert(sizeof(Dec72) == 4 && sizeof(Dec92) == 5 && sizeof(Dec52) == 3);
static_assert(sizeof(Long) == 4 && alignof(Long) == 1);

// The largest count of units a decimal text may give: more than any field holds, and small
// enough that no sum or product of a few of them wraps while it is checked.
constexpr std::int64_t kMaxDecimalUnits = pow10i(18) - 1;

// How a decimal text reads: a number, not a number, or a number beyond kMaxDecimalUnits.
enum class DecimalText { Number, NotANumber, TooLarge };

// Reads a decimal text ("1,234.5", "-3", "$12.00", "(4.50)", "7-") into units of 1/10^places
// (places 0..18); digits past the places round the last one. A comma stands only between groups
// of three digits of the whole part: "39,95" is not a number. Blank text and a lone "-" read as
// 0. `units` is set only for a number.
DecimalText readDecimal(std::string_view text, int places, std::int64_t &units);
// The same, true only for a number.
bool parseDecimal(std::string_view text, int places, std::int64_t &units);

}  // namespace rt
