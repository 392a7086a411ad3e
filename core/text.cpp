// The GBK-aware search: a plain byte search finds candidates, and a candidate is kept only when it
// begins a character. That is decided backwards: the byte before a run of bytes of 0x80 and above
// ends a character (it is one, or the second byte of one), so the run pairs up from its start and
// the candidate starts a character when the run is of even length. Walking forward over every
// character start instead made the search ten times slower than the byte search on a long page.
#include "core/text.h"

namespace routerdesk {

std::size_t findText(std::string_view text, std::string_view needle) {
    if (needle.empty()) {
        return 0;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t from = 0;
    std::size_t charStart = 0;  // a known character start; no walk goes back past it
    while (from + needle.size() <= text.size()) {
        const std::size_t candidate = text.find(needle, from);
        if (candidate == kNotFound) {
            return kNotFound;
        }
        std::size_t runStart = candidate;
        while (runStart > charStart && bytes[runStart - 1] >= 0x80) {
            --runStart;
        }
        if ((candidate - runStart) % 2 == 0) {
            return candidate;
        }
        // The candidate is the second byte of a two-byte character; the next one starts after it.
        charStart = candidate + 1;
        from = candidate + 1;
    }
    return kNotFound;
}

bool startsWithAsciiNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lower(text[i]) != lower(prefix[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace routerdesk
