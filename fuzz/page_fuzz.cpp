// Fuzz target: the reader of report page files (what the previewer draws, prints and turns into
// text). Whatever the bytes, the reader must not fail; what it reads must be written back and
// read again unchanged; the text grid keeps to its rows and columns.
//
// Input: one byte of grid rows and one of grid columns, then the page file's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "previewer/page_file.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int rows = data[0] % 80 + 1;
    const int columns = data[1] % 250 + 1;
    const std::string_view bytes(reinterpret_cast<const char *>(data + 2), size - 2);

    const previewer::Page page = previewer::decodePage(bytes);
    check(page.header.valid() || page.items.empty());
    if (page.header.valid()) {
        const std::string again = previewer::encodePage(page);
        const previewer::Page back = previewer::decodePage(again);
        check(back.complete && back.header == page.header && back.items == page.items);
        check(previewer::encodePage(back) == again);
    }
    const std::vector<std::string> grid = previewer::textGrid(page, rows, columns);
    check(grid.size() == static_cast<std::size_t>(rows));
    for (const std::string &line : grid)
        check(previewer::decodeUtf8(line).size() <= static_cast<std::size_t>(columns));

    // Valid UTF-8 comes back from its code points byte for byte.
    const std::u32string points = previewer::decodeUtf8(bytes);
    if (points.find(U'\uFFFD') == std::u32string::npos)
        check(previewer::encodeUtf8(points) == bytes);
    return 0;
}
