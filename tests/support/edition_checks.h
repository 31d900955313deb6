// What an edition must give the reports: the frame asks every one of these ways and has no
// fallback of its own, so one left empty ends the program at its first report.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/edition.h"

namespace testing_support {

inline std::vector<std::string> emptyReportWays(const model::Edition &e)
{
    const std::pair<const char *, bool> ways[] = {
        {"userFieldTitles", bool(e.userFieldTitles)}, {"reportFormat", bool(e.reportFormat)},
        {"reportFiles", bool(e.reportFiles)},         {"openReportFile", bool(e.openReportFile)},
        {"fileError", bool(e.fileError)},             {"reportHeading", bool(e.reportHeading)},
        {"picturePath", bool(e.picturePath)},         {"displayStringsPath", bool(e.displayStringsPath)},
    };
    std::vector<std::string> empty;
    for (const auto &[name, set] : ways)
        if (!set)
            empty.push_back(name);
    return empty;
}

}  // namespace testing_support
