// Report pages as display-list files: what the report engine writes, the previewer draws and
// prints, and the text output reads back.
//
// A page file is UTF-8 text, one item a line, every position and size in thousandths of an inch
// from the top left corner of the paper:
//
//   orvane-page 1 <width> <height> portrait|landscape
//   text <x> <y> <w> <h> <font> <size> <style> <align> <color> <length>:<bytes>
//   line <x1> <y1> <x2> <y2> <pen> <color> <dash>
//   box <x> <y> <w> <h> <pen> <pen colour|-> <fill colour|-> <corner radius> <dash>
//   check <x> <y> <w> <h> 0|1 <pen> <color>
//   picture <x> <y> <w> <h> keep|stretch <path>
//   end <number of items>
//
// Text is stored raw behind its length in bytes, so it may hold anything, line breaks included.
// Every other field is built from letters, digits, "-", ":" and blanks; font names and picture
// paths are names with "%", "?", blanks and control bytes written as %XX. A "?" therefore only
// ever appears inside a text, and a blind byte search for the page-total token "?PP?" can only
// find one that the report printed; since the token and its replacement are four ASCII bytes
// each, replacing it in place leaves every length right.
//
// The end line says the page was written whole. A reader takes the items up to the first line
// it cannot read (a damaged or cut file) and keeps those: a damaged page draws as far as it is
// valid.
//
// The item set covers the report bands: strings and fields are text items (a field's value is
// formatted before it is written), rules are lines, boxes are boxes (with fill and round
// corners), check boxes are check items with their label as a text item, picture boxes are
// picture items, and wrapped text blocks are one text item per line, since the engine breaks
// the lines itself to know how tall the band grows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace previewer {

enum class Orientation { Portrait, Landscape };

struct PageHeader {
    int width = 0;  // the page as laid out: a landscape page is wider than high
    int height = 0;
    Orientation orientation = Orientation::Portrait;
    bool valid() const { return width > 0 && height > 0; }
    bool operator==(const PageHeader &) const = default;
};

// Colours are 0xRRGGBB.
using Rgb = std::uint32_t;

enum FontStyle : unsigned {
    STYLE_BOLD = 1,
    STYLE_ITALIC = 2,
    STYLE_UNDERLINE = 4,
    STYLE_STRIKEOUT = 8,
};

enum class Align { Left, Center, Right };
enum class VAlign { Top, Middle, Bottom };
enum class Dash { Solid, Dash, Dot, DashDot };

// A text drawn in its box: horizontally by its alignment, vertically from the top, middle or
// bottom of the box. The box clips the text at its left and right edges (not above and below).
// A width of 0 anchors left, centred and right text at x and clips nothing.
struct TextItem {
    int x = 0, y = 0, w = 0, h = 0;
    std::string font = "Arial";
    int size = 1000;  // hundredths of a point
    unsigned style = 0;
    Align align = Align::Left;
    VAlign valign = VAlign::Top;
    Rgb color = 0;
    std::string text;
    bool operator==(const TextItem &) const = default;
};

// Pen widths in thousandths of an inch; 0 is the thinnest line the device draws.
struct LineItem {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int pen = 10;
    Rgb color = 0;
    Dash dash = Dash::Solid;
    bool operator==(const LineItem &) const = default;
};

struct BoxItem {
    int x = 0, y = 0, w = 0, h = 0;
    int pen = 10;
    std::optional<Rgb> penColor = Rgb{0};  // none: no outline
    std::optional<Rgb> fill;                // none: not filled
    int radius = 0;
    Dash dash = Dash::Solid;
    bool operator==(const BoxItem &) const = default;
};

struct CheckItem {
    int x = 0, y = 0, w = 0, h = 0;
    bool checked = false;
    int pen = 10;
    Rgb color = 0;
    bool operator==(const CheckItem &) const = default;
};

enum class PictureFit { Keep, Stretch };

// Keep: as large as fits in the box with its proportions, centred; Stretch: fills the box.
struct PictureItem {
    int x = 0, y = 0, w = 0, h = 0;
    PictureFit fit = PictureFit::Keep;
    std::string path;
    bool operator==(const PictureItem &) const = default;
};

using Item = std::variant<TextItem, LineItem, BoxItem, CheckItem, PictureItem>;

struct Page {
    PageHeader header;
    std::vector<Item> items;
    // Read back: the end line was there and every item before it was readable.
    bool complete = false;
};

// The page-total token that the report prints where the page count belongs.
inline constexpr std::string_view kPageTotalToken = "?PP?";

// The most bytes of text an item in a font of `size` (hundredths of a point) can show on the
// page: a text item is cut to it, at a character boundary, when a page is written or read.
std::size_t textItemLimit(const PageHeader &header, int size);

std::string encodePage(const Page &page);
// The items up to the first unreadable line; no items when the header is unreadable.
Page decodePage(std::string_view bytes);

// false when the file cannot be written.
bool writePageFile(const std::string &path, const Page &page);
Page readPageFile(const std::string &path);
// Only the header line; an invalid header when the file is missing or does not start with one.
PageHeader readPageHeader(const std::string &path);

// The text of a page on a grid of `rows` lines of `columns` characters (UTF-8, no trailing
// blanks): each text goes to the row and column nearest its position, scaled from the page
// size; a later text overwrites an earlier one where they meet; what falls right of the last
// column or below the last row is lost. Right-aligned and centred texts are placed by the
// right edge and the centre of their box.
std::vector<std::string> textGrid(const Page &page, int rows, int columns = 200);

// UTF-8 helpers shared with the text output: code points (invalid bytes become U+FFFD) and back.
std::u32string decodeUtf8(std::string_view s);
std::string encodeUtf8(std::u32string_view s);

}  // namespace previewer
