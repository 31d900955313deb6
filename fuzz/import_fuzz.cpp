// Fuzz target: the import's reading of a text file: lines, columns, the "Delete Quotes" rule and
// the numbers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/import_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data + 1), size - 1);
    const auto format = data[0] & 1 ? importing::Format::Comma : importing::Format::Tab;
    const std::string line = importing::lineText(bytes, true);
    for (const importing::Column &c : importing::splitLine(line, format)) {
        const std::string cleaned = importing::deleteQuotes(c.text);
        std::int32_t whole = 0;
        std::int64_t cents = 0;
        (void)importing::toWhole(cleaned, whole);
        (void)importing::toAmount(cleaned, 9, cents);
    }
    return 0;
}
