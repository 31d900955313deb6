#include "reports/engine.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>

#include "previewer/page_render.h"
#include "runtime/picture.h"
#include "runtime/text.h"

namespace reports {

Values &Values::set(std::string name, Value value)
{
    for (auto &p : v_)
        if (p.first == name) {
            p.second = std::move(value);
            return *this;
        }
    v_.emplace_back(std::move(name), std::move(value));
    return *this;
}

const Value *Values::find(std::string_view name) const
{
    for (const auto &p : v_)
        if (p.first == name)
            return &p.second;
    return nullptr;
}

void Values::append(const Values &other)
{
    for (const auto &p : other.v_)
        set(p.first, p.second);
}

std::string formatValue(std::string_view picture, const Value &value)
{
    using K = Value::Kind;
    if (picture.empty()) {
        switch (value.kind) {
        case K::Text: return value.text;
        case K::Date: return rt::formatDate("@d1", static_cast<std::int32_t>(value.number));
        case K::Time: return rt::formatTime("@t3", static_cast<std::int32_t>(value.number));
        case K::Year: return std::to_string(value.number);
        case K::Number:
            return rt::formatNumber(value.places ? "@n-30." + std::to_string(value.places) : std::string("@n-30"),
                                    value.number, value.places);
        }
    }
    rt::Picture pic = rt::Picture::parse(picture);
    switch (pic.kind) {
    case rt::Picture::Number:
        if (value.kind == K::Text)
            return rt::formatText(picture, value.text);
        if (value.kind == K::Year)
            pic.grouping = 0;
        return rt::formatNumber(pic, value.number, value.places);
    case rt::Picture::Date:
        return rt::formatDate(picture, static_cast<std::int32_t>(value.number));
    case rt::Picture::Time:
        return rt::formatTime(picture, static_cast<std::int32_t>(value.number));
    default:
        if (value.kind == K::Text)
            return rt::formatText(picture, value.text);
        return rt::formatText(picture, std::to_string(value.number));
    }
}

const Band *ReportLayout::band(std::string_view name) const
{
    for (const Band &b : bands)
        if (b.name == name)
            return &b;
    return nullptr;
}

Band *ReportLayout::band(std::string_view name)
{
    for (Band &b : bands)
        if (b.name == name)
            return &b;
    return nullptr;
}

std::string ReportRow::text(std::string_view control) const
{
    std::string out;
    bool found = false;
    for (const RowText &t : texts)
        if (t.control == control) {
            if (found)
                out += '\n';
            out += t.text;
            found = true;
        }
    return out;
}

int fittedSize(const previewer::TextItem &item, int width, const Measure &measure)
{
    // No digit, sign or separator of a proportional font is wider than 0.6 em: a text whose
    // characters all fit at that width needs no measuring.
    const double bound = static_cast<double>(item.text.size()) * 0.6 * item.size / 100.0 * 1000.0 / 72.0;
    if (width <= 0 || bound <= width)
        return item.size;
    previewer::TextItem probe = item;
    double w = measure(probe);
    if (w <= width)
        return item.size;
    int size = static_cast<int>(item.size * width / w);
    for (; size > 100; size -= 25) {
        probe.size = size;
        if (measure(probe) <= width)
            break;
    }
    return std::max(size, 100);
}

int lineHeight(int size)
{
    // A line of text and a little lead: 10 points give 1/6 of an inch.
    return (size * 1000 * 6 / 5 / 7200) + 1;
}

namespace {

// The byte length of the UTF-8 character starting at s[i].
std::size_t charLength(std::string_view s, std::size_t i)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    return std::min(n, s.size() - i);
}

}  // namespace

std::vector<std::string> wrapText(std::string_view text, int width, const previewer::TextItem &font,
                                  const Measure &measure)
{
    std::vector<std::string> lines;
    if (rt::trim(text).empty())
        return lines;
    previewer::TextItem probe = font;
    std::unordered_map<std::string, double> widths;
    auto widthOf = [&](const std::string &s) {
        auto it = widths.find(s);
        if (it != widths.end())
            return it->second;
        probe.text = s;
        double w = measure(probe);
        widths.emplace(s, w);
        return w;
    };
    const double space = widthOf(" ");
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view para = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!para.empty() && para.back() == '\r')
            para.remove_suffix(1);
        std::string line;
        double lineWidth = 0;
        bool any = false;
        std::size_t i = 0;
        while (i < para.size()) {
            std::size_t j = para.find(' ', i);
            if (j == std::string_view::npos)
                j = para.size();
            std::string word(para.substr(i, j - i));
            i = j + 1;
            if (word.empty())
                continue;
            double w = widthOf(word);
            if (any && lineWidth + space + w <= width) {
                line += ' ';
                line += word;
                lineWidth += space + w;
                continue;
            }
            if (any)
                lines.push_back(std::move(line));
            line.clear();
            lineWidth = 0;
            any = true;
            if (w <= width) {
                line = word;
                lineWidth = w;
                continue;
            }
            // A word wider than the line is broken where the line is full.
            for (std::size_t k = 0; k < word.size();) {
                std::size_t n = charLength(word, k);
                std::string ch = word.substr(k, n);
                double cw = widthOf(ch);
                if (!line.empty() && lineWidth + cw > width) {
                    lines.push_back(std::move(line));
                    line.clear();
                    lineWidth = 0;
                }
                line += ch;
                lineWidth += cw;
                k += n;
            }
        }
        lines.push_back(std::move(line));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    while (!lines.empty() && rt::trim(lines.back()).empty())
        lines.pop_back();
    return lines;
}

void fitText(previewer::TextItem &item, int width, const Measure &measure)
{
    if (item.text.empty())
        return;
    const double w = measure(item);
    if (w <= width)
        return;
    previewer::TextItem probe = item;
    if (width > 0 && item.size > kSmallestText) {
        // The size in proportion to the room is close to the largest that fits.
        int size = std::min(item.size - 25, static_cast<int>(item.size * width / w));
        for (; size >= kSmallestText; size -= 25) {
            probe.size = size;
            if (measure(probe) <= width) {
                item.size = size;
                return;
            }
        }
    }
    item.size = std::min(item.size, kSmallestText);
    probe.size = item.size;
    // The longest run of whole characters that fits; the blanks it ends with go too.
    std::vector<std::size_t> ends;
    for (std::size_t i = 0; i < item.text.size(); i += charLength(item.text, i))
        ends.push_back(i);
    std::size_t lo = 0, hi = ends.size();  // ends[lo] bytes fit; ends[hi] (or the whole) do not
    while (hi - lo > 1) {
        const std::size_t mid = (lo + hi) / 2;
        probe.text = item.text.substr(0, ends[mid]);
        if (measure(probe) <= width)
            lo = mid;
        else
            hi = mid;
    }
    item.text.resize(ends.empty() ? 0 : ends[lo]);
    while (!item.text.empty() && item.text.back() == ' ')
        item.text.pop_back();
}

namespace {
// A run measures the same texts over and over (the words of its memos, its columns' values),
// and each measure shapes the text anew: each text is measured once a run. Bounded, so that a
// run over a great many different words holds no more than a few thousand of them.
Measure measuredOnce(Measure measure)
{
    auto widths = std::make_shared<std::unordered_map<std::string, double>>();
    return [measure = std::move(measure), widths](const previewer::TextItem &t) {
        std::string key = t.font;
        key += '\0';
        key += std::to_string(t.size);
        key += '/';
        key += std::to_string(t.style);
        key += '\0';
        key += t.text;
        if (auto it = widths->find(key); it != widths->end())
            return it->second;
        if (widths->size() >= 8192)
            widths->clear();
        const double w = measure(t);
        widths->emplace(std::move(key), w);
        return w;
    };
}
}  // namespace

ReportWriter::ReportWriter(ReportLayout layout, PageSink sink)
    : layout_(std::move(layout)), sink_(std::move(sink)), measure_(measuredOnce(previewer::textWidth))
{
}

bool ReportWriter::print(std::string_view band, const Values &values, const std::vector<Override> &overrides)
{
    const Band *b = layout_.band(band);
    if (!b)
        return false;
    print(*b, values, overrides);
    return true;
}

void ReportWriter::breakPage()
{
    if (held_)
        printHeld(0);
    if (pageOpen_)
        breakPending_ = true;
}

const Value *ReportWriter::lookup(std::string_view name, const Values &values) const
{
    if (const Value *v = values.find(name))
        return v;
    return pageValues_.find(name);
}

std::string ReportWriter::fieldText(const Control &c, const Values &values) const
{
    // Page numbers, like years, print without thousands grouping: page 1000 fits "@n4".
    if (c.name == "Page")
        return formatValue(c.picture, Value::year(pageNumber_));
    const Value *v = lookup(c.name, values);
    if (!v)
        return {};
    return formatValue(c.picture, *v);
}

namespace {

previewer::TextItem textItem(const Control &c, int x, int y, std::string text)
{
    previewer::TextItem t;
    t.x = x;
    t.y = y;
    t.w = c.w;
    t.h = c.h;
    t.font = c.font;
    t.size = c.size;
    t.style = c.style;
    t.align = c.align;
    t.text = std::move(text);
    return t;
}

bool truthy(const Value *v)
{
    if (!v)
        return false;
    if (v->kind == Value::Kind::Text)
        return !rt::trim(v->text).empty() && rt::trim(v->text) != "0";
    return v->number != 0;
}

bool showsText(const Control &c)
{
    return c.visible && (c.kind == ControlKind::String || c.kind == ControlKind::Field ||
                         c.kind == ControlKind::Check || c.kind == ControlKind::TextBlock);
}

// The width a field's text may take in its control: all of it, less what is missing of
// kTextGap between the control and the next text control on the side the text grows towards
// (both sides for a centred text). A text at the band's edge keeps no gap.
int roomFor(const Band &band, const Control &c)
{
    int left = kTextGap, right = kTextGap;
    for (const Control &o : band.controls) {
        if (&o == &c || !showsText(o) || o.y >= c.y + c.h || c.y >= o.y + o.h)
            continue;
        if (o.x >= c.x + c.w)
            right = std::min(right, o.x - (c.x + c.w));
        else if (o.x + o.w <= c.x)
            left = std::min(left, c.x - (o.x + o.w));
    }
    const int keepRight = c.align == previewer::Align::Right ? 0 : kTextGap - right;
    const int keepLeft = c.align == previewer::Align::Left ? 0 : kTextGap - left;
    return c.w - std::max(0, keepRight) - std::max(0, keepLeft);
}

}  // namespace

// An upper bound of a text's width from its characters' own advances (kerning moves it by far
// less than the margin): most fields fit by far and need no measuring. 0 with `bounded` false
// when the text holds a character beyond ASCII.
double ReportWriter::quickWidth(const previewer::TextItem &t, bool &bounded)
{
    bounded = false;
    std::vector<double> *adv = nullptr;
    for (auto &[font, a] : advances_)
        if (font.font == t.font && font.size == t.size && font.style == t.style)
            adv = &a;
    if (!adv) {
        // The fonts' own advances are the same in every run: measured once in the session, as
        // each takes 95 measures.
        using Known = std::vector<std::pair<previewer::TextItem, std::vector<double>>>;
        static Known known;
        const std::vector<double> *found = nullptr;
        if (fontMeasure_)
            for (const auto &[font, a] : known)
                if (font.font == t.font && font.size == t.size && font.style == t.style)
                    found = &a;
        std::vector<double> a;
        if (found) {
            a = *found;
        } else {
            previewer::TextItem probe = t;
            for (char ch = 32; ch < 127; ++ch) {
                probe.text = std::string(1, ch);
                a.push_back(measure_(probe));
            }
        }
        previewer::TextItem font = t;
        font.text.clear();
        if (fontMeasure_ && !found && known.size() < 64)
            known.emplace_back(font, a);
        advances_.emplace_back(std::move(font), std::move(a));
        adv = &advances_.back().second;
    }
    double sum = 0;
    for (char ch : t.text) {
        const auto u = static_cast<unsigned char>(ch);
        if (u < 32 || u > 126)
            return 0;
        sum += (*adv)[u - 32];
    }
    bounded = true;
    return sum * 1.02 + 1;
}

// Places one control (not a text block) with the band's top at `top`.
void ReportWriter::emitFixed(const Band &band, const Values &values, int top)
{
    ReportRow row;
    row.band = band.name;
    row.page = pageNumber_;
    row.y = top;
    row.height = band.height;
    const int left = layout_.page.left;
    for (const Control &c : band.controls) {
        if (!c.visible)
            continue;
        const int x = left + c.x, y = top + c.y;
        switch (c.kind) {
        case ControlKind::String:
        case ControlKind::Field: {
            std::string s = c.kind == ControlKind::String ? c.text : fieldText(c, values);
            previewer::TextItem t = textItem(c, x, y, std::move(s));
            const Value *v = c.kind == ControlKind::Field ? lookup(c.name, values) : nullptr;
            const bool fitted = c.name != "Page" && !t.text.empty() && c.w > 0;
            if (fitted && v && v->kind == Value::Kind::Number) {
                // A number is never cut: one too wide for its control prints smaller.
                t.size = fittedSize(t, c.w - kNumberMargin, measure_);
            } else if (fitted) {
                // A text (a heading a user named too) shrinks, then is cut, to keep clear of
                // the text beside it.
                bool bounded = false;
                const double bound = quickWidth(t, bounded);
                if (!bounded || bound > c.w - kTextGap)
                    fitText(t, roomFor(band, c), measure_);
                if (t.size < c.size) {
                    // Smaller letters stand on the line of their neighbours, not above it: the
                    // box moves down by what the ascent lost (about 0.9 em in Arial).
                    const int drop = (c.size - t.size) * 1000 * 9 / (7200 * 10);
                    t.y += drop;
                    t.h = std::max(1, t.h - drop);
                }
            }
            if (keepRows_)
                row.texts.push_back({c.name.empty() ? c.text : c.name, x, y, t.text, c.w, c.h, t.size});
            if (!t.text.empty())
                page_.items.push_back(std::move(t));
            break;
        }
        case ControlKind::TextBlock: {
            // A text block in a band that does not grow (a heading) shows its first line.
            previewer::TextItem font = textItem(c, x, y, {});
            const Value *v = lookup(c.name, values);
            auto lines = wrapText(v ? v->text : std::string(), c.w, font, measure_);
            if (!lines.empty()) {
                if (keepRows_)
                    row.texts.push_back({c.name, x, y, lines.front(), c.w, c.h, c.size});
                page_.items.push_back(textItem(c, x, y, lines.front()));
            }
            break;
        }
        case ControlKind::Line:
            page_.items.push_back(previewer::LineItem{x, y, x + c.w, y + c.h, c.pen, 0, previewer::Dash::Solid});
            break;
        case ControlKind::DoubleLine:
            page_.items.push_back(previewer::LineItem{x, y, x + c.w, y + c.h, c.pen, 0, previewer::Dash::Solid});
            page_.items.push_back(previewer::LineItem{x, y + kDoubleLineGap, x + c.w, y + c.h + kDoubleLineGap, c.pen,
                                                      0, previewer::Dash::Solid});
            break;
        case ControlKind::Box: {
            previewer::BoxItem b;
            b.x = x, b.y = y, b.w = c.w, b.h = c.h, b.pen = c.pen;
            page_.items.push_back(b);
            break;
        }
        case ControlKind::Check: {
            bool on = truthy(lookup(c.name, values));
            page_.items.push_back(previewer::CheckItem{x, y, c.h, c.h, on, c.pen, 0});
            if (!c.text.empty()) {
                // The label stands right of the box, within the control.
                previewer::TextItem label = textItem(c, x + c.h + 60, y, c.text);
                label.w = std::max(0, c.w - c.h - 60);
                page_.items.push_back(std::move(label));
            }
            if (keepRows_)
                row.texts.push_back({c.name, x, y, on ? "[X] " + c.text : "[ ] " + c.text, c.w, c.h, c.size});
            break;
        }
        case ControlKind::Picture: {
            const Value *v = lookup(c.name, values);
            std::string path = v ? rt::clip(v->text) : std::string();
            // The picture's box ends where its band ends; the picture is fitted into the box.
            const int free = band.height - c.y;
            const int h = c.h > 0 ? std::min(c.h, free) : free;
            if (keepRows_)
                row.texts.push_back({c.name, x, y, path, c.w, std::max(h, 0), 0});
            if (!path.empty() && h > 0 && c.w > 0)
                page_.items.push_back(previewer::PictureItem{x, y, c.w, h, previewer::PictureFit::Keep, path});
            break;
        }
        }
    }
    if (keepRows_)
        rows_.push_back(std::move(row));
}

void ReportWriter::openPage()
{
    ++pageNumber_;
    page_ = previewer::Page{};
    page_.header = {layout_.page.paperWidth, layout_.page.paperHeight, layout_.page.orientation};
    pageOpen_ = true;
    bodyOnPage_ = false;
    breakPending_ = false;
    cursor_ = layout_.page.top;
    emitFixed(layout_.header, {}, layout_.page.headerTop);
}

void ReportWriter::closePage()
{
    const int footerTop = layout_.page.footerTop ? layout_.page.footerTop : layout_.page.bottom();
    emitFixed(layout_.footer, {}, footerTop);
    page_.complete = true;
    if (sink_ && !sink_(page_, pageNumber_))
        failed_ = true;
    pageOpen_ = false;
}

namespace {

// The band with the run's changes to its controls.
Band withOverrides(const Band &source, const std::vector<Override> &overrides)
{
    Band changed = source;
    for (const Override &o : overrides)
        for (Control &c : changed.controls)
            if (c.name == o.control) {
                if (o.x) c.x = *o.x;
                if (o.y) c.y = *o.y;
                if (o.w) c.w = *o.w;
                if (o.h) c.h = *o.h;
                if (o.text) c.text = *o.text;
                if (o.visible) c.visible = *o.visible;
            }
    return changed;
}

const Control *textBlockOf(const Band &band)
{
    for (const Control &c : band.controls)
        if (c.kind == ControlKind::TextBlock && c.visible)
            return &c;
    return nullptr;
}

// The controls above and beside a text block, and those under it (moved up to a band of
// their own that follows the block's last line).
std::pair<Band, Band> splitAtBlock(const Band &band, const Control &block)
{
    Band above = band, after = band;
    above.controls.clear();
    after.controls.clear();
    for (const Control &c : band.controls) {
        if (&c == &block)
            continue;
        if (c.y >= block.y + block.h) {
            Control m = c;
            m.y -= block.y + block.h;
            after.controls.push_back(m);
        } else {
            above.controls.push_back(c);
        }
    }
    above.height = block.y;
    after.height = std::max(0, band.height - block.y - block.h);
    return {std::move(above), std::move(after)};
}

}  // namespace

void ReportWriter::print(const Band &source, const Values &values, const std::vector<Override> &overrides)
{
    if (finished_)
        return;
    Band changed;
    if (!overrides.empty())
        changed = withOverrides(source, overrides);
    const Band &band = overrides.empty() ? source : changed;
    if (band.keepWithNext) {
        if (held_)
            printHeld(0);
        held_.emplace(band, values);
        return;
    }
    if (held_)
        printHeld(startHeightOf(band, values));
    if (!startBand(band))
        return;
    if (const Control *block = textBlockOf(band))
        printWithTextBlock(band, *block, values);
    else
        printFixed(band, values);
}

void ReportWriter::printHeld(int next)
{
    const auto [band, values] = std::move(*held_);
    held_.reset();
    if (!startBand(band))
        return;
    if (bodyOnPage_ && cursor_ + band.height + next > layout_.page.bottom())
        nextPage();
    if (const Control *block = textBlockOf(band))
        printWithTextBlock(band, *block, values);
    else
        printFixed(band, values);
}

void ReportWriter::nextPage()
{
    closePage();
    openPage();
}

bool ReportWriter::startBand(const Band &band)
{
    // A band that shows nothing (a spacer, a page break, a picture that could not be read)
    // where the page ends, full or broken, ends it: moved to the next it would open a page that
    // holds nothing.
    if (pageOpen_ && (breakPending_ || (bodyOnPage_ && cursor_ + band.height > layout_.page.bottom())) &&
        std::none_of(band.controls.begin(), band.controls.end(), [](const Control &c) { return c.visible; })) {
        breakPending_ = true;
        return false;
    }
    if (breakPending_ && pageOpen_)
        closePage();
    if (!pageOpen_)
        openPage();
    return true;
}

void ReportWriter::printFixed(const Band &band, const Values &values)
{
    if (cursor_ + band.height > layout_.page.bottom() && bodyOnPage_)
        nextPage();
    emitFixed(band, values, cursor_);
    cursor_ += band.height;
    bodyOnPage_ = true;
    if (band.pageBreakAfter)
        breakPending_ = true;
}

// The controls other than the block print with its first lines (those under the block with its
// last), and the lines go on over as many pages as they need.
void ReportWriter::printWithTextBlock(const Band &band, const Control &block, const Values &values)
{
    const Value *v = lookup(block.name, values);
    const std::vector<std::string> lines =
        wrapText(v ? v->text : std::string(), block.w, textItem(block, 0, 0, {}), measure_);
    const int lh = lineHeight(block.size);
    const int blockHeight = std::max<int>(block.h, static_cast<int>(lines.size()) * lh);
    const auto [above, after] = splitAtBlock(band, block);
    const int total = block.y + blockHeight + after.height;
    const int bottom = layout_.page.bottom();

    // A band whose first line would not fit moves to the next page, and so does one that fits
    // a page whole unless it stays with the band before it.
    if (cursor_ + total > bottom && bodyOnPage_ &&
        (cursor_ + block.y + lh > bottom || (total <= layout_.page.height && !band.staysWithPrevious)))
        nextPage();
    printBlockLines(band, above, block, lines, values);
    if (!after.controls.empty()) {
        if (cursor_ + after.height > bottom)
            nextPage();
        emitFixed(after, values, cursor_);
    }
    cursor_ = std::min(cursor_ + after.height, std::max(cursor_, bottom));
    if (band.pageBreakAfter)
        breakPending_ = true;
}

void ReportWriter::printBlockLines(const Band &band, const Band &above, const Control &block,
                                   const std::vector<std::string> &lines, const Values &values)
{
    const int lh = lineHeight(block.size);
    const int bottom = layout_.page.bottom();
    const int x = layout_.page.left + block.x;
    std::size_t next = 0;
    for (bool first = true;; first = false) {
        const int top = cursor_;
        ReportRow *row = blockRow(band, first ? &above : nullptr, values, top);
        const int lineTop = first ? top + block.y : top;
        int y = lineTop;
        // A page takes at least one line, however tall. When the rest fits here but the band
        // that follows does not, the last line goes over with it, so that it never begins a page
        // away from the block.
        std::size_t take = next + std::max<std::size_t>(1, static_cast<std::size_t>(std::max(0, (bottom - y) / lh)));
        if (take >= lines.size()) {
            take = lines.size();
            int end = y + static_cast<int>(lines.size() - next) * lh;
            if (first)
                end = std::max(end, lineTop + block.h);
            if (band.followerHeight > 0 && end + band.followerHeight > bottom && take - next >= 2)
                --take;
        }
        while (next < take) {
            if (!lines[next].empty())
                page_.items.push_back(textItem(block, x, y, lines[next]));
            if (row)
                row->texts.push_back({block.name, x, y, lines[next], block.w, lh, block.size});
            y += lh;
            ++next;
        }
        if (first)
            y = std::max(y, lineTop + block.h);
        if (row)
            row->height = y - top;
        cursor_ = y;
        bodyOnPage_ = true;
        if (next >= lines.size())
            return;
        nextPage();
    }
}

ReportRow *ReportWriter::blockRow(const Band &band, const Band *above, const Values &values, int top)
{
    if (above)
        emitFixed(*above, values, top);
    if (!keepRows_)
        return nullptr;
    if (!above)
        rows_.push_back(ReportRow{band.name, pageNumber_, top, 0, {}});
    rows_.back().band = band.name;
    return &rows_.back();
}

int ReportWriter::heightOf(const Band &band, const Values &values) const
{
    for (const Control &c : band.controls) {
        if (c.kind != ControlKind::TextBlock || !c.visible)
            continue;
        const Value *v = lookup(c.name, values);
        const auto lines = wrapText(v ? v->text : std::string(), c.w, textItem(c, 0, 0, {}), measure_);
        const int block = std::max<int>(c.h, static_cast<int>(lines.size()) * lineHeight(c.size));
        return c.y + block + std::max(0, band.height - c.y - c.h);
    }
    return band.height;
}

int ReportWriter::startHeightOf(const Band &band, const Values &values) const
{
    const Control *block = textBlockOf(band);
    if (!block)
        return band.height;
    // The band moves to the next page only when its first line does not fit (as printed).
    return std::min(heightOf(band, values), block->y + lineHeight(block->size));
}

void ReportWriter::keepTogether(int height, int start)
{
    if (!pageOpen_ || !bodyOnPage_ || breakPending_)
        return;
    const int held = held_ ? held_->first.height : 0;
    const int need = held + height <= layout_.page.height ? held + height : held + start;
    if (cursor_ + need > layout_.page.bottom())
        breakPending_ = true;
}

void ReportWriter::keepItemTogether(int line, const Band *memo, const Values &memoValues, int picture)
{
    // Without a picture the memo only has to start under its line: longer than the room left,
    // it goes on over the page rather than leave the page's foot empty.
    const int start = line + (memo ? startHeightOf(*memo, memoValues) : picture);
    if (picture <= 0) {
        keepTogether(start);
        return;
    }
    keepTogether(line + (memo ? heightOf(*memo, memoValues) : 0) + picture, start);
}

void ReportWriter::finish()
{
    if (finished_)
        return;
    if (held_)
        printHeld(0);
    // The closing band holds nothing to see; it only makes sure the run has its page.
    if (!pageOpen_)
        openPage();
    closePage();
    finished_ = true;
}

}  // namespace reports
