// Pages made without a report, for trying the previewer and its print path: a heading with the
// page number and the page-total token, a ruled table of numbered rows, a box and a check box.
#pragma once

#include <string>
#include <vector>

#include "previewer/page_file.h"

namespace previewer {

// Page `number` of `total`: US letter, portrait or (wide) landscape.
Page samplePage(int number, int total, bool wide = false);

// Writes `count` sample pages into `folder` as page001.opg, page002.opg, ... and returns their
// paths in page order; an empty list when a file cannot be written.
std::vector<std::string> writeSamplePages(const std::string &folder, int count, bool wide = false);

}  // namespace previewer
