// GBK byte texts: the one search every part of the program uses on them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace routerdesk {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// Byte-exact, case-sensitive, first occurrence; a match may begin only at the start of a
// character, where a byte of 0x80 or above opens a two-byte character. Returns the 0-based
// byte offset of the match, or kNotFound.
std::size_t findText(std::string_view text, std::string_view needle);

inline bool containsText(std::string_view text, std::string_view needle) {
    return findText(text, needle) != kNotFound;
}

// For protocol words (URL schemes, header names), which compare without regard to ASCII case.
bool startsWithAsciiNoCase(std::string_view text, std::string_view prefix);

}  // namespace routerdesk
