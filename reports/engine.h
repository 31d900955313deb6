// The report engine: a report's layout as data (bands of controls in thousandths of an inch on
// a page of its own geometry), printed band by band into pages with their heading and footer,
// text blocks that grow their band and split across pages, and report rows kept as plain data
// beside the page files. No widgets: the frame around a run (questions, progress, preview) is
// elsewhere, and tests read the rows and the pages' text.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "previewer/page_file.h"

namespace reports {

// A value a field control shows through its display picture.
struct Value {
    enum class Kind { Text, Number, Date, Time, Year } kind = Kind::Text;
    std::string text;
    std::int64_t number = 0;  // Number: in units of 1/10^places; Date, Time, Year: the value
    int places = 0;

    static Value of(std::string s) { return {Kind::Text, std::move(s), 0, 0}; }
    static Value whole(std::int64_t n) { return {Kind::Number, {}, n, 0}; }
    static Value cents(std::int64_t c) { return {Kind::Number, {}, c, 2}; }
    static Value date(std::int32_t d) { return {Kind::Date, {}, d, 0}; }
    static Value time(std::int32_t t) { return {Kind::Time, {}, t, 0}; }
    // A year prints without thousands grouping whatever its picture says.
    static Value year(std::int64_t y) { return {Kind::Year, {}, y, 0}; }
};

// The values of one print, by the names the controls ask for.
class Values {
public:
    Values() = default;
    Values(std::initializer_list<std::pair<std::string, Value>> v) : v_(v) {}
    Values &set(std::string name, Value value);
    const Value *find(std::string_view name) const;
    void append(const Values &other);
    bool empty() const { return v_.empty(); }

private:
    std::vector<std::pair<std::string, Value>> v_;
};

// The value as its picture shows it (an empty picture shows the text as it is).
std::string formatValue(std::string_view picture, const Value &value);

enum class ControlKind { String, Field, Line, Box, Check, TextBlock, Picture, DoubleLine };

// One control of a band, positioned from the band's top left corner. A String shows `text`; a
// Field shows the value named `name` through `picture`; a Check is checked when its value is
// not zero or blank and shows `text` as its label right of the box; a TextBlock wraps the value
// named `name` into its width and grows its band; a Picture shows the file its value names,
// fitted with its proportions into its box, which never reaches past the band (a height of 0:
// the band's free height under the control); a Line goes from (x, y) to (x + w, y + h), a
// DoubleLine is two such lines, the second kDoubleLineGap under the first.
//
// Texts never reach past their control: a number too wide for its control prints in a smaller
// size so that it fits whole; a field's text too wide prints smaller down to kSmallestText and
// is then cut after its last whole character, keeping kTextGap free towards the control beside
// it, so that no letter is cut in half and no text runs into its neighbour.
struct Control {
    ControlKind kind = ControlKind::String;
    std::string name;
    int x = 0, y = 0, w = 0, h = 0;
    std::string text;
    std::string picture;
    int size = 1000;  // hundredths of a point
    unsigned style = 0;
    previewer::Align align = previewer::Align::Left;
    int pen = 10;
    bool visible = true;
    std::string font = "Arial";
};

inline constexpr int kDoubleLineGap = 30;
// The room a number keeps free at its control's far edge, so that a number filling its
// control never touches the text of the column beside it.
inline constexpr int kNumberMargin = 40;
// The room kept between a field's text and the next control of its band (counting the space
// the layout leaves between them), and the smallest size a text shrinks to before it is cut.
inline constexpr int kTextGap = 80;
inline constexpr int kSmallestText = 700;

struct Band {
    std::string name;
    int height = 0;
    std::vector<Control> controls;
    bool pageBreakAfter = false;  // the next band starts a new page
    // Never the last band of a page: it prints on the page of the band after it (a group header
    // goes with its group's first item).
    bool keepWithNext = false;
    // A text block band that belongs to the band before it (an item's memo under the item's
    // line): it starts right under that band and goes on over the page, never moved whole to
    // the next page away from it.
    bool staysWithPrevious = false;
    // The height of the band printed right after this one that must not begin a page of its
    // own (an item's picture after its memo): a text block that runs over the page leaves its
    // last line for that band's page.
    int followerHeight = 0;
};

// The paper and where the bands go on it: the page heading at headerTop, the body bands in the
// detail area, the page footer under it (or at footerTop).
struct PageGeometry {
    int paperWidth = 8500, paperHeight = 11000;
    previewer::Orientation orientation = previewer::Orientation::Portrait;
    int left = 500, top = 1500, width = 7500, height = 8492;
    int headerTop = 500;
    int footerTop = 0;  // 0: right under the detail area
    int bottom() const { return top + height; }
};

struct ReportLayout {
    PageGeometry page;
    Band header, footer;
    std::vector<Band> bands;
    const Band *band(std::string_view name) const;
    Band *band(std::string_view name);
};

// A change to one control for one print: a computed column's place, a fitted picture's size, a
// packed line's text, a hidden control.
struct Override {
    std::string control;
    std::optional<int> x, y, w, h;
    std::optional<std::string> text;
    std::optional<bool> visible;
};

// What a run printed, as plain data: each band's page, place and texts.
struct RowText {
    std::string control;
    int x = 0, y = 0;  // on the page
    std::string text;
    int w = 0, h = 0;  // the control's box
    int size = 0;      // the size the text printed in (smaller than the control's for a number shrunk to fit)
};
struct ReportRow {
    std::string band;
    int page = 0;
    int y = 0, height = 0;
    std::vector<RowText> texts;
    // The text of the first control of that name, or "" (a text block's lines are joined by \n).
    std::string text(std::string_view control) const;
};

// The width of a text in thousandths of an inch, measured in its font.
using Measure = std::function<double(const previewer::TextItem &)>;
// Receives each finished page; false when it could not be kept (the run then has failed).
using PageSink = std::function<bool(const previewer::Page &page, int number)>;

// The height of a text line of a text block in a font of `size` hundredths of a point.
int lineHeight(int size);
// The size (hundredths of a point) a number's text prints in to fit `width`: the control's own
// size when it fits, else the largest smaller size that does.
int fittedSize(const previewer::TextItem &item, int width, const Measure &measure);
// The lines a text breaks into within `width`, at blanks where it can, within words where a
// word alone is too wide; line breaks in the text are kept. An empty text gives no line.
std::vector<std::string> wrapText(std::string_view text, int width, const previewer::TextItem &font,
                                  const Measure &measure);
// A text made to fit `width`: its own size when it fits, else the largest smaller size down to
// kSmallestText that fits, else that size and the text cut after its last character that fits.
void fitText(previewer::TextItem &item, int width, const Measure &measure);

// Prints bands into pages. The first band opens the first page; every page gets the heading at
// its top and the footer at its bottom, with the running page number under the name "Page".
class ReportWriter {
public:
    ReportWriter(ReportLayout layout, PageSink sink);

    void setMeasure(Measure m)
    {
        measure_ = std::move(m);
        fontMeasure_ = false;
    }
    // The values of the heading and footer (heading lines, run date), for every page.
    void setPageValues(Values v) { pageValues_ = std::move(v); }
    // Keep the report rows (on by default; a long run that nobody reads can leave them).
    void keepRows(bool keep) { keepRows_ = keep; }

    const ReportLayout &layout() const { return layout_; }
    // Prints a band by name; false when the layout has none of that name.
    bool print(std::string_view band, const Values &values = {}, const std::vector<Override> &overrides = {});
    void print(const Band &band, const Values &values = {}, const std::vector<Override> &overrides = {});
    // The next band starts on a new page.
    void breakPage();
    // The height a band prints in with these values: a text block's lines grow it.
    int heightOf(const Band &band, const Values &values = {}) const;
    // The height a band needs on the page it starts on: a text block band's controls above its
    // block and the block's first line; any other band its whole height.
    int startHeightOf(const Band &band, const Values &values = {}) const;
    // Bands of `height` in all that belong together (an item and its picture): when this page
    // has less room left and a page holds them, the next band starts a new page. When no page
    // holds them, the first `start` of them still start on one page. A band held to go with the
    // next (a group header) counts with them.
    void keepTogether(int height, int start = 0);
    // An item's line (`line` high, its lines in all), its memo band when it prints one and its
    // first picture band (`picture` high, 0 for none) start on one page whenever a page holds
    // them all; otherwise, and always without a picture, the line and the memo's first line
    // (or the picture) do, and the memo goes on over the page.
    void keepItemTogether(int line, const Band *memo, const Values &memoValues, int picture);
    // Prints the invisible closing band, so that even a run without a band has its page, and
    // hands the last page to the sink.
    void finish();

    int pages() const { return pageNumber_; }
    bool failed() const { return failed_; }
    bool finished() const { return finished_; }
    const std::vector<ReportRow> &rows() const { return rows_; }
    std::vector<ReportRow> takeRows() { return std::move(rows_); }

private:
    void openPage();
    void closePage();
    // Prints the band held for the next, on the page where `next` more fit under it.
    void printHeld(int next);
    void nextPage();
    // Opens the page the band starts on; false when the band, showing nothing where a page
    // ends, only ends that page.
    bool startBand(const Band &band);
    void printFixed(const Band &band, const Values &values);
    void printWithTextBlock(const Band &band, const Control &block, const Values &values);
    // The block's lines from the cursor on, page after page: on the first page one row with the
    // controls `above` it, on each further page a row of the band's name.
    void printBlockLines(const Band &band, const Band &above, const Control &block,
                         const std::vector<std::string> &lines, const Values &values);
    // The row a page's lines of a block go into (nullptr when no rows are kept), after the
    // controls above the block when there are any to print.
    ReportRow *blockRow(const Band &band, const Band *above, const Values &values, int top);
    void emitFixed(const Band &band, const Values &values, int top);
    double quickWidth(const previewer::TextItem &t, bool &bounded);
    std::string fieldText(const Control &c, const Values &values) const;
    const Value *lookup(std::string_view name, const Values &values) const;

    ReportLayout layout_;
    PageSink sink_;
    Measure measure_;
    bool fontMeasure_ = true;  // measure_ measures in the fonts the pages are drawn with
    Values pageValues_;
    bool keepRows_ = true;
    previewer::Page page_;
    bool pageOpen_ = false;
    bool breakPending_ = false;
    bool failed_ = false;
    bool finished_ = false;
    int pageNumber_ = 0;
    int cursor_ = 0;
    bool bodyOnPage_ = false;
    // The band that waits for the band after it (keepWithNext), with its values.
    std::optional<std::pair<Band, Values>> held_;
    std::vector<ReportRow> rows_;
    // The advances of the printable ASCII characters in each font a field printed in.
    std::vector<std::pair<previewer::TextItem, std::vector<double>>> advances_;
};

}  // namespace reports
