// The page-of-pages total, written into the finished pages: a report prints the token "?PP?"
// where the page count belongs, and once the count is known every page file gets it in place.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace previewer {

// The total as it replaces the token: right-aligned in four characters ("  12"). No thousands
// separator, so totals up to 9999 fit; a larger total does not and gives "####", the way a
// number too large for its picture shows.
std::string pageTotalText(std::size_t total);

enum class TokenResult { Replaced, NotFound, OpenError };

// Overwrites the first `token` in the file, searched blindly from its second byte in windows
// of 4096 bytes that overlap by the token's length less one, with `replacement` of the same
// length. The file's size never changes.
TokenResult replaceFirstToken(const std::string &path, std::string_view token, std::string_view replacement);

// Writes the number of pages over the first "?PP?" of every page file of the queue, in queue
// order. A file that cannot be opened for writing gives the message "open error" and keeps its
// token; the others are still numbered.
void assignPageOfPages(const std::vector<std::string> &queue);

}  // namespace previewer
