// Text helpers shared by every layer: the clipping, cutting and case folding rules that the
// record files, the keys and the display pictures all agree on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rt {

// The text without trailing blanks (the runtime's CLIP).
std::string_view clipView(std::string_view s);
std::string clip(std::string_view s);

// The longest prefix of s that is at most maxBytes long and does not split a UTF-8 character.
std::string_view cutUtf8(std::string_view s, std::size_t maxBytes);
// Appends the code point's UTF-8 bytes.
void appendUtf8(std::string &out, char32_t c);

// ASCII-only upper and lower case, the same folding as SQLite's NOCASE collation.
char upperChar(char c);
std::string upper(std::string_view s);
std::string lower(std::string_view s);

// Case-blind comparison that ignores trailing blanks; <0, 0, >0.
int compareNoCase(std::string_view a, std::string_view b);
bool equalNoCase(std::string_view a, std::string_view b);

// Exact comparison that ignores trailing blanks (fixed-width field semantics).
bool equalClipped(std::string_view a, std::string_view b);

// Leading and trailing blanks removed.
std::string trim(std::string_view s);

// Number of characters (code points) in a UTF-8 text.
std::size_t utf8Length(std::string_view s);

}  // namespace rt
