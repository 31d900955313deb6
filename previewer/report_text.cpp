#include "previewer/report_text.h"

#include <cstdio>

#include "runtime/text.h"

namespace previewer {

TextMode textMode(long linesPerPage)
{
    if (linesPerPage <= 0)
        return {};
    return {linesPerPage > 32767 ? 32767 : static_cast<int>(linesPerPage), false};
}

std::vector<std::string> pageTextLines(const Page &page, TextMode mode)
{
    std::vector<std::string> lines = textGrid(page, mode.rows, kTextColumns);
    if (mode.automatic)
        std::erase_if(lines, [](const std::string &l) { return l.empty(); });
    return lines;
}

bool writeReportText(const std::vector<std::string> &pages, long linesPerPage, const std::string &outputPath,
                     const std::function<void(int)> &progress)
{
    std::FILE *out = std::fopen(outputPath.c_str(), "wb");
    if (!out)
        return false;
    TextMode mode = textMode(linesPerPage);
    bool ok = true;
    int counter = 0;
    for (const std::string &path : pages) {
        ++counter;
        if (progress)
            progress(counter);
        for (const std::string &line : pageTextLines(readPageFile(path), mode)) {
            ok = ok && std::fwrite(line.data(), 1, line.size(), out) == line.size();
            ok = ok && std::fwrite("\r\n", 1, 2, out) == 2;
        }
    }
    ok = std::fclose(out) == 0 && ok;
    return ok;
}

TextOutputTarget textOutputTarget(std::string_view argument)
{
    TextOutputTarget target;
    std::string a = rt::trim(argument);
    if (!a.empty() && a.front() == '~') {
        target.ask = true;
        a = rt::trim(a.substr(1));
    }
    target.name = a;
    return target;
}

bool textOutputOffered(int allowSwitch, int secondSwitch, std::string_view argument)
{
    return allowSwitch == 0 && secondSwitch == 0 && !rt::trim(argument).empty();
}

std::string textOutputTip(std::string_view tip, std::string_view argument)
{
    TextOutputTarget t = textOutputTarget(argument);
    return std::string(tip) + ": " + t.name + (t.ask ? "?" : "");
}

}  // namespace previewer
