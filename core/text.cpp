// The GBK-aware search: a plain byte search finds candidates, a forward walk over character starts
// rejects those that begin on the second byte of a two-byte character.
#include "core/text.h"

namespace routerdesk {

std::size_t findText(std::string_view text, std::string_view needle) {
    if (needle.empty()) {
        return 0;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t from = 0;
    std::size_t charStart = 0;  // always the start of a character, never past a candidate
    while (from + needle.size() <= text.size()) {
        const std::size_t candidate = text.find(needle, from);
        if (candidate == kNotFound) {
            return kNotFound;
        }
        while (charStart < candidate) {
            charStart += bytes[charStart] >= 0x80 ? 2 : 1;
        }
        if (charStart == candidate) {
            return candidate;
        }
        from = candidate + 1;  // the candidate began inside a two-byte character
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
