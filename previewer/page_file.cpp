#include "previewer/page_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "runtime/text.h"

namespace previewer {

namespace {

constexpr std::string_view kMagic = "orvane-page";
constexpr int kVersion = 1;
// Positions beyond a hundred thousand inches are damage, and keeping every number this small
// means that x + w never overflows.
constexpr long kLimit = 100'000'000;
// No page is anywhere near this; a larger file is read this far and no further.
constexpr std::size_t kMaxFile = 64u << 20;

}  // namespace

std::size_t textItemLimit(const PageHeader &header, int size)
{
    // The em of the font in thousandths of an inch, never below a point: smaller text shows
    // nothing a reader could take in. The narrowest glyphs are about a fifth of an em wide and a
    // line is about an em high, so a page holds no more than this many characters of the font,
    // each at most four bytes.
    const double em = std::max(size, 100) / 100.0 * 1000.0 / 72.0;
    const double width = std::clamp(header.width, 1000, static_cast<int>(kLimit));
    const double height = std::clamp(header.height, 1000, static_cast<int>(kLimit));
    const double characters = (width / (0.2 * em)) * (height / em);
    return static_cast<std::size_t>(std::min(characters * 4.0, static_cast<double>(kMaxFile)));
}

namespace {

// ---------------------------------------------------------------- writing

void putInt(std::string &out, long v)
{
    char buf[24];
    buf[0] = ' ';
    const auto [end, ec] = std::to_chars(buf + 1, buf + sizeof buf, v);
    out.append(buf, static_cast<std::size_t>(end - buf));
}

// Numbers written side by side into a buffer, each after a blank, and then appended at once: a
// report writes several numbers for each of its hundreds of texts a page.
class Numbers {
public:
    Numbers &operator<<(long v)
    {
        *end_++ = ' ';
        end_ = std::to_chars(end_, buf_ + sizeof buf_, v).ptr;
        return *this;
    }
    Numbers &operator<<(std::string_view w)
    {
        *end_++ = ' ';
        for (char c : w)
            *end_++ = c;
        return *this;
    }
    void appendTo(std::string &out)
    {
        out.append(buf_, static_cast<std::size_t>(end_ - buf_));
        end_ = buf_;
    }

private:
    // Room for eight numbers of 20 characters with their blanks, or words as short.
    char buf_[8 * 21];
    char *end_ = buf_;
};

void putWord(std::string &out, std::string_view w)
{
    out += ' ';
    out += w;
}

void putColor(std::string &out, Rgb c)
{
    static const char hex[] = "0123456789abcdef";
    char buf[7] = {' '};
    for (int i = 0; i < 6; ++i)
        buf[1 + i] = hex[(c >> (20 - 4 * i)) & 15];
    out.append(buf, sizeof buf);
}

void putOptColor(std::string &out, const std::optional<Rgb> &c)
{
    if (c)
        putColor(out, *c);
    else
        putWord(out, "-");
}

// A name as one field: the bytes that could end the field or make a "?" are written as %XX.
void putName(std::string &out, std::string_view name)
{
    out += ' ';
    if (name.empty()) {
        out += '-';
        return;
    }
    if (name == "-") {
        out += "%2D";
        return;
    }
    static const char hex[] = "0123456789ABCDEF";
    for (char ch : name) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c == 0x7F || c == '%' || c == '?') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
}

const char *dashName(Dash d)
{
    switch (d) {
    case Dash::Dash: return "dash";
    case Dash::Dot: return "dot";
    case Dash::DashDot: return "dashdot";
    case Dash::Solid: break;
    }
    return "solid";
}

// The style's letters into `w` (room for four); its length.
std::size_t styleWord(unsigned style, char *w)
{
    std::size_t n = 0;
    if (style & STYLE_BOLD)
        w[n++] = 'b';
    if (style & STYLE_ITALIC)
        w[n++] = 'i';
    if (style & STYLE_UNDERLINE)
        w[n++] = 'u';
    if (style & STYLE_STRIKEOUT)
        w[n++] = 's';
    if (n == 0)
        w[n++] = '-';
    return n;
}

long clampPos(long v) { return v < -kLimit ? -kLimit : v > kLimit ? kLimit : v; }
long clampSize(long v) { return v < 0 ? 0 : v > kLimit ? kLimit : v; }

struct ItemWriter {
    std::string &out;
    const PageHeader &header;

    void box4(int x, int y, int w, int h)
    {
        putInt(out, clampPos(x));
        putInt(out, clampPos(y));
        putInt(out, clampSize(w));
        putInt(out, clampSize(h));
    }

    void operator()(const TextItem &t)
    {
        out += "text";
        Numbers n;
        (n << clampPos(t.x) << clampPos(t.y) << clampSize(t.w) << clampSize(t.h)).appendTo(out);
        putName(out, t.font.empty() ? std::string_view("Arial") : std::string_view(t.font));
        char style[4];
        const char align[2] = {t.align == Align::Center ? 'c' : t.align == Align::Right ? 'r' : 'l',
                               t.valign == VAlign::Middle ? 'm' : t.valign == VAlign::Bottom ? 'b' : 't'};
        n << (t.size < 1 ? 1 : clampSize(t.size)) << std::string_view(style, styleWord(t.style, style))
          << std::string_view(align, 2);
        n.appendTo(out);
        putColor(out, t.color);
        const std::string_view text = rt::cutUtf8(t.text, textItemLimit(header, t.size));
        putInt(out, static_cast<long>(text.size()));
        out += ':';
        out += text;
    }
    void operator()(const LineItem &l)
    {
        out += "line";
        putInt(out, clampPos(l.x1));
        putInt(out, clampPos(l.y1));
        putInt(out, clampPos(l.x2));
        putInt(out, clampPos(l.y2));
        putInt(out, clampSize(l.pen));
        putColor(out, l.color);
        putWord(out, dashName(l.dash));
    }
    void operator()(const BoxItem &b)
    {
        out += "box";
        box4(b.x, b.y, b.w, b.h);
        putInt(out, clampSize(b.pen));
        putOptColor(out, b.penColor);
        putOptColor(out, b.fill);
        putInt(out, clampSize(b.radius));
        putWord(out, dashName(b.dash));
    }
    void operator()(const CheckItem &c)
    {
        out += "check";
        box4(c.x, c.y, c.w, c.h);
        putInt(out, c.checked ? 1 : 0);
        putInt(out, clampSize(c.pen));
        putColor(out, c.color);
    }
    void operator()(const PictureItem &p)
    {
        out += "picture";
        box4(p.x, p.y, p.w, p.h);
        putWord(out, p.fit == PictureFit::Stretch ? "stretch" : "keep");
        putName(out, p.path);
    }
};

// ---------------------------------------------------------------- reading

// Reads one line's fields. Every call either consumes input or fails, and a failed line ends
// the page, so no input can make the reader go round.
class Cursor {
public:
    explicit Cursor(std::string_view s) : s_(s) {}
    bool atEnd() const { return pos_ >= s_.size(); }
    std::size_t pos() const { return pos_; }

    // The next field of the line: the bytes up to a blank or the line end, at least one.
    bool word(std::string_view &w)
    {
        std::size_t start = pos_;
        while (pos_ < s_.size() && s_[pos_] != ' ' && s_[pos_] != '\n')
            ++pos_;
        w = s_.substr(start, pos_ - start);
        return !w.empty();
    }
    bool blank() { return take(' '); }
    bool lineEnd() { return take('\n'); }
    bool take(char c)
    {
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    // The field after a blank.
    bool field(std::string_view &w) { return blank() && word(w); }

    bool number(long &v, long lo, long hi)
    {
        std::string_view w;
        return field(w) && parseNumber(w, v) && v >= lo && v <= hi;
    }
    bool position(int &v)
    {
        long n;
        if (!number(n, -kLimit, kLimit))
            return false;
        v = static_cast<int>(n);
        return true;
    }
    bool size(int &v)
    {
        long n;
        if (!number(n, 0, kLimit))
            return false;
        v = static_cast<int>(n);
        return true;
    }
    // `n` raw bytes.
    bool bytes(std::size_t n, std::string &out)
    {
        if (n > s_.size() - pos_)
            return false;
        out.assign(s_.substr(pos_, n));
        pos_ += n;
        return true;
    }
    // The digits before a ":" (the text length), the ":" taken too.
    bool length(std::size_t &n)
    {
        if (!blank())
            return false;
        std::size_t start = pos_;
        while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9' && pos_ - start < 10)
            ++pos_;
        if (pos_ == start || !take(':'))
            return false;
        n = 0;
        for (std::size_t i = start; i < pos_ - 1; ++i)
            n = n * 10 + static_cast<std::size_t>(s_[i] - '0');
        return true;
    }

    static bool parseNumber(std::string_view w, long &v)
    {
        bool neg = !w.empty() && w[0] == '-';
        if (neg)
            w.remove_prefix(1);
        if (w.empty() || w.size() > 9)
            return false;
        long n = 0;
        for (char c : w) {
            if (c < '0' || c > '9')
                return false;
            n = n * 10 + (c - '0');
        }
        v = neg ? -n : n;
        return true;
    }

private:
    std::string_view s_;
    std::size_t pos_ = 0;
};

bool parseColor(std::string_view w, Rgb &c)
{
    if (w.size() != 6)
        return false;
    Rgb v = 0;
    for (char ch : w) {
        int d;
        if (ch >= '0' && ch <= '9')
            d = ch - '0';
        else if (ch >= 'a' && ch <= 'f')
            d = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F')
            d = ch - 'A' + 10;
        else
            return false;
        v = v * 16 + static_cast<Rgb>(d);
    }
    c = v;
    return true;
}

bool parseOptColor(std::string_view w, std::optional<Rgb> &c)
{
    if (w == "-") {
        c.reset();
        return true;
    }
    Rgb v;
    if (!parseColor(w, v))
        return false;
    c = v;
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool parseName(std::string_view w, std::string &name)
{
    name.clear();
    if (w == "-")
        return true;
    if (w.find('%') == std::string_view::npos) {
        name.assign(w);
        return true;
    }
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (w[i] != '%') {
            name += w[i];
            continue;
        }
        if (i + 2 >= w.size())
            return false;
        int hi = hexDigit(w[i + 1]), lo = hexDigit(w[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        name += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

bool parseDash(std::string_view w, Dash &d)
{
    if (w == "solid")
        d = Dash::Solid;
    else if (w == "dash")
        d = Dash::Dash;
    else if (w == "dot")
        d = Dash::Dot;
    else if (w == "dashdot")
        d = Dash::DashDot;
    else
        return false;
    return true;
}

bool parseStyle(std::string_view w, unsigned &style)
{
    style = 0;
    if (w == "-")
        return true;
    for (char c : w) {
        unsigned bit = c == 'b'   ? unsigned(STYLE_BOLD)
                       : c == 'i' ? unsigned(STYLE_ITALIC)
                       : c == 'u' ? unsigned(STYLE_UNDERLINE)
                       : c == 's' ? unsigned(STYLE_STRIKEOUT)
                                  : 0u;
        if (!bit || (style & bit))
            return false;
        style |= bit;
    }
    return true;
}

bool parseAlign(std::string_view w, Align &a, VAlign &v)
{
    if (w.size() != 2)
        return false;
    switch (w[0]) {
    case 'l': a = Align::Left; break;
    case 'c': a = Align::Center; break;
    case 'r': a = Align::Right; break;
    default: return false;
    }
    switch (w[1]) {
    case 't': v = VAlign::Top; break;
    case 'm': v = VAlign::Middle; break;
    case 'b': v = VAlign::Bottom; break;
    default: return false;
    }
    return true;
}

bool readBox(Cursor &c, int &x, int &y, int &w, int &h)
{
    return c.position(x) && c.position(y) && c.size(w) && c.size(h);
}

bool readText(Cursor &c, TextItem &t)
{
    std::string_view font, style, align, color;
    std::size_t n;
    return readBox(c, t.x, t.y, t.w, t.h) && c.field(font) && parseName(font, t.font) && !t.font.empty() &&
           c.size(t.size) && t.size > 0 && c.field(style) && parseStyle(style, t.style) && c.field(align) &&
           parseAlign(align, t.align, t.valign) && c.field(color) && parseColor(color, t.color) && c.length(n) &&
           c.bytes(n, t.text);
}

bool readLine(Cursor &c, LineItem &l)
{
    std::string_view color, dash;
    return c.position(l.x1) && c.position(l.y1) && c.position(l.x2) && c.position(l.y2) && c.size(l.pen) &&
           c.field(color) && parseColor(color, l.color) && c.field(dash) && parseDash(dash, l.dash);
}

bool readBoxItem(Cursor &c, BoxItem &b)
{
    std::string_view pen, fill, dash;
    return readBox(c, b.x, b.y, b.w, b.h) && c.size(b.pen) && c.field(pen) && parseOptColor(pen, b.penColor) &&
           c.field(fill) && parseOptColor(fill, b.fill) && c.size(b.radius) && c.field(dash) && parseDash(dash, b.dash);
}

bool readCheck(Cursor &c, CheckItem &k)
{
    long state;
    std::string_view color;
    if (!readBox(c, k.x, k.y, k.w, k.h) || !c.number(state, 0, 1))
        return false;
    k.checked = state == 1;
    return c.size(k.pen) && c.field(color) && parseColor(color, k.color);
}

bool readPicture(Cursor &c, PictureItem &p)
{
    std::string_view fit, path;
    if (!readBox(c, p.x, p.y, p.w, p.h) || !c.field(fit))
        return false;
    if (fit == "keep")
        p.fit = PictureFit::Keep;
    else if (fit == "stretch")
        p.fit = PictureFit::Stretch;
    else
        return false;
    return c.field(path) && parseName(path, p.path);
}

bool readHeader(Cursor &c, PageHeader &h)
{
    std::string_view magic, orient;
    long version, w, hgt;
    if (!c.word(magic) || magic != kMagic || !c.number(version, 1, kLimit) || version != kVersion ||
        !c.number(w, 1, kLimit) || !c.number(hgt, 1, kLimit) || !c.field(orient) || !c.lineEnd())
        return false;
    if (orient == "portrait")
        h.orientation = Orientation::Portrait;
    else if (orient == "landscape")
        h.orientation = Orientation::Landscape;
    else
        return false;
    h.width = static_cast<int>(w);
    h.height = static_cast<int>(hgt);
    return true;
}

}  // namespace

std::string encodePage(const Page &page)
{
    std::string out;
    out.reserve(64 + page.items.size() * 80);  // a report's text item takes about 60 bytes
    out += kMagic;
    putInt(out, kVersion);
    putInt(out, clampSize(page.header.width));
    putInt(out, clampSize(page.header.height));
    putWord(out, page.header.orientation == Orientation::Landscape ? "landscape" : "portrait");
    out += '\n';
    ItemWriter writer{out, page.header};
    for (const Item &item : page.items) {
        std::visit(writer, item);
        out += '\n';
    }
    out += "end";
    putInt(out, static_cast<long>(page.items.size()));
    out += '\n';
    return out;
}

Page decodePage(std::string_view bytes)
{
    Page page;
    Cursor c(bytes);
    PageHeader header;
    if (!readHeader(c, header))
        return page;
    page.header = header;
    // A report's text item takes about 60 bytes; a page of a great many is not reserved whole.
    page.items.reserve(std::min<std::size_t>(bytes.size() / 64 + 1, 4096));
    while (!c.atEnd()) {
        std::string_view kind;
        if (!c.word(kind))
            break;
        bool ok = false;
        // Each item is read in place at the end of the list, and taken off again when its line
        // cannot be read: most of a page's items are texts, moved once each.
        if (kind == "text") {
            TextItem &t = std::get<TextItem>(page.items.emplace_back(std::in_place_type<TextItem>));
            ok = readText(c, t);
            // More than the page can show is never laid out: a huge text item costs its bytes only.
            if (ok && t.text.size() > textItemLimit(header, t.size))
                t.text.resize(rt::cutUtf8(t.text, textItemLimit(header, t.size)).size());
        } else if (kind == "line") {
            ok = readLine(c, std::get<LineItem>(page.items.emplace_back(std::in_place_type<LineItem>)));
        } else if (kind == "box") {
            ok = readBoxItem(c, std::get<BoxItem>(page.items.emplace_back(std::in_place_type<BoxItem>)));
        } else if (kind == "check") {
            ok = readCheck(c, std::get<CheckItem>(page.items.emplace_back(std::in_place_type<CheckItem>)));
        } else if (kind == "picture") {
            ok = readPicture(c, std::get<PictureItem>(page.items.emplace_back(std::in_place_type<PictureItem>)));
        } else if (kind == "end") {
            long count;
            page.complete = c.number(count, 0, kLimit) && c.lineEnd() && c.atEnd() &&
                            static_cast<std::size_t>(count) == page.items.size();
            break;
        } else {
            break;
        }
        // An item counts only with its line end: a file cut inside an item loses that item.
        if (!ok || !c.lineEnd()) {
            page.items.pop_back();
            break;
        }
    }
    return page;
}

bool writePageFile(const std::string &path, const Page &page)
{
    // A report writes one file a page: one write of the whole page, without a stream's buffer
    // and locale set up for each.
    const std::string bytes = encodePage(page);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    const bool closed = ::close(fd) == 0;
    return closed && done == bytes.size();
}

Page readPageFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st {};
    std::string bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        bytes.resize(std::min(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)), kMaxFile));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return decodePage(bytes);
}

PageHeader readPageHeader(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    char buf[128];
    in.read(buf, sizeof buf);
    std::string_view head(buf, static_cast<std::size_t>(in.gcount()));
    std::size_t nl = head.find('\n');
    if (nl == std::string_view::npos)
        return {};
    Cursor c(head.substr(0, nl + 1));
    PageHeader h;
    if (!readHeader(c, h))
        return {};
    return h;
}

// ---------------------------------------------------------------- UTF-8

std::u32string decodeUtf8(std::string_view s)
{
    std::u32string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            auto cb = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cb & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (cb & 0x3F);
        }
        static const char32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out += U'\uFFFD';
            ++i;
            continue;
        }
        out += cp;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string encodeUtf8(std::u32string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s)
        rt::appendUtf8(out, c);
    return out;
}

// ---------------------------------------------------------------- text grid

namespace {

// Scales are kept to four decimals, rounded half up, so that a column or row does not depend
// on the last digits of a division.
double scale4(double v) { return std::floor(v * 10000.0 + 0.5) / 10000.0; }

long nearest(double v) { return static_cast<long>(std::floor(v + 0.5)); }

// The height of one line of text, for texts that are not drawn from the top of their box and
// for the lines after a line break: the line spacing of the report fonts, 1.15 times the size.
double lineHeight(const TextItem &t) { return t.size / 100.0 * 1000.0 / 72.0 * 1.15; }

void place(std::u32string &line, long column, const std::u32string &text, std::size_t columns)
{
    if (column < 1)
        column = 1;
    auto start = static_cast<std::size_t>(column - 1);
    if (start >= columns)
        return;
    for (std::size_t i = 0; i < text.size() && start + i < columns; ++i)
        line[start + i] = text[i];
}

}  // namespace

std::vector<std::string> textGrid(const Page &page, int rows, int columns)
{
    std::vector<std::string> result;
    if (rows <= 0 || columns <= 0)
        return result;
    std::vector<std::u32string> grid(static_cast<std::size_t>(rows),
                                     std::u32string(static_cast<std::size_t>(columns), U' '));
    if (page.header.valid()) {
        double colScale = scale4(static_cast<double>(columns) / page.header.width);
        double rowScale = scale4(static_cast<double>(rows) / page.header.height);
        for (const Item &item : page.items) {
            const auto *t = std::get_if<TextItem>(&item);
            if (!t)
                continue;
            // One grid line per line of the text, each without its trailing blanks.
            std::vector<std::u32string> lines;
            std::u32string all = decodeUtf8(t->text);
            std::size_t from = 0;
            while (from <= all.size()) {
                std::size_t nl = all.find(U'\n', from);
                std::u32string part = all.substr(from, nl == std::u32string::npos ? std::u32string::npos : nl - from);
                while (!part.empty() && (part.back() == U' ' || part.back() == U'\r'))
                    part.pop_back();
                lines.push_back(part);
                if (nl == std::u32string::npos)
                    break;
                from = nl + 1;
            }
            double lh = lineHeight(*t);
            double top = t->y;
            if (t->valign == VAlign::Middle)
                top = t->y + (t->h - lh * static_cast<double>(lines.size())) / 2;
            else if (t->valign == VAlign::Bottom)
                top = t->y + t->h - lh * static_cast<double>(lines.size());
            if (top < t->y)
                top = t->y;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                const std::u32string &text = lines[i];
                if (text.empty())
                    continue;
                long row = nearest(rowScale * (top + lh * static_cast<double>(i)));
                if (row < 1)
                    row = 1;
                if (row > rows)
                    continue;
                auto len = static_cast<long>(text.size());
                long column;
                if (t->align == Align::Right)
                    column = nearest(colScale * (t->x + t->w)) - len + 1;
                else if (t->align == Align::Center)
                    column = nearest(colScale * (t->x + t->w / 2.0)) - len / 2;
                else
                    column = nearest(colScale * t->x);
                place(grid[static_cast<std::size_t>(row - 1)], column, text, static_cast<std::size_t>(columns));
            }
        }
    }
    result.reserve(grid.size());
    for (std::u32string &line : grid) {
        while (!line.empty() && line.back() == U' ')
            line.pop_back();
        result.push_back(encodeUtf8(line));
    }
    return result;
}

}  // namespace previewer
