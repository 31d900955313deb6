// One formatter for every display picture of the forms, browses and reports.
//
// Output conventions (US): text is returned without the padding blanks that a fixed-width
// picture would add, since every caller aligns it in its own column; zero and asterisk fill are
// kept. A number too wide for its picture shows as '#' repeated over the picture's width.
//   @s20            the text cut to 20 bytes at a character boundary
//   @n9             1,234,567        (comma grouping by default)
//   @n_7 / @n05     1234567 / 00042  (a fill character turns grouping off)
//   @n12.2 @n-13.2  -1,234.50        (leading minus when negative)
//   @n$10.2         $1,234.50
//   @n5.2b          blank when zero  (trailing b on every picture)
//   @d1             1/05/99          (@d01: 01/05/99)   @d2  1/05/1999
//   @d3             JAN  5,1999      @d4  January 5, 1999
//   @t1             5:30             @t3  5:30PM        @t4  17:30:15
//   @p(###) ###-####p                (555) 123-4567: digits of the value right-aligned in the
//                                    '#' places, missing ones as 0; a value without digits shows
//                                    blank, and with @p...pb so does one of zeros only
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rt {

struct Picture {
    enum Kind { String, Number, Date, Time, Pattern, Invalid } kind = Invalid;
    int width = 0;        // @s and @n width
    int places = 0;       // @n decimal places
    int style = 0;        // @d and @t style number
    bool leadingZero = false;  // @d01
    bool blankWhenZero = false;
    bool currency = false;
    bool leadingSign = false;
    bool trailingSign = false;
    char fill = 0;        // '0', '_', '*' or 0
    char grouping = ',';  // 0 for none
    std::string pattern;  // @p body between the two p's

    static Picture parse(std::string_view picture);
};

// Format a value by its picture. Numbers are given in units of 1/10^valuePlaces.
std::string formatNumber(std::string_view picture, std::int64_t units, int valuePlaces = 0);
std::string formatNumber(const Picture &pic, std::int64_t units, int valuePlaces = 0);
std::string formatDate(std::string_view picture, std::int32_t date);
std::string formatTime(std::string_view picture, std::int32_t time);
std::string formatText(std::string_view picture, std::string_view text);

// Reading typed input back. Each returns false for text that the picture cannot read.
bool deformatDate(std::string_view text, std::int32_t &date, int currentYear = 0);
bool deformatTime(std::string_view text, std::int32_t &time);
// The digits of a pattern entry ("(555) 123-4567" -> "5551234567").
std::string deformatPattern(std::string_view text);

}  // namespace rt
