// The script array reader: every search goes through findText's GBK rules.
#include "status/script_array.h"

#include <algorithm>

#include "core/text.h"

namespace routerdesk {
namespace {

std::string withoutBytes(std::string_view piece, std::string_view removed) {
    std::string out;
    out.reserve(piece.size());
    for (const char c : piece) {
        if (removed.find(c) == std::string_view::npos) {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string extractScriptArray(std::string_view page, std::string_view startMarker,
                               std::string_view endMarker) {
    const std::size_t start = findText(page, startMarker);
    if (start == kNotFound) {
        return {};
    }
    const std::string_view cut = page.substr(start + startMarker.size());
    const std::size_t end = findText(cut, endMarker);
    if (end == kNotFound) {
        return {};
    }
    return std::string(cut.substr(0, end));
}

std::vector<std::string> splitScriptArray(std::string_view arrayText) {
    std::vector<std::string> pieces;
    while (!arrayText.empty()) {
        const std::size_t comma = findText(arrayText, ",");
        if (comma == kNotFound) {
            pieces.emplace_back(arrayText);
            break;
        }
        pieces.emplace_back(arrayText.substr(0, comma));
        arrayText.remove_prefix(comma + 1);
    }
    return pieces;
}

std::string stripQuotes(std::string_view piece) {
    return withoutBytes(piece, "\"");
}

std::string stripQuotesAndParens(std::string_view piece) {
    return withoutBytes(piece, "\"(");
}

bool isCode(std::string_view piece, int digit) {
    return piece.size() == 2 && piece[0] == '\n' && digit >= 0 && digit <= 9 &&
           piece[1] == static_cast<char>('0' + digit);
}

}  // namespace routerdesk
