// Cutting the script arrays out of the router's pages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace routerdesk {

inline constexpr std::string_view kArrayEnd = ");";

// The text after the first `startMarker` up to the first `endMarker` after it; empty when the
// start marker is absent, the end marker does not follow, or follows at once.
std::string extractScriptArray(std::string_view page, std::string_view startMarker,
                               std::string_view endMarker);

// Splits at every comma that starts a character, knowing nothing of quotes; an empty text gives
// no pieces, and a trailing comma gives no empty last piece.
std::vector<std::string> splitScriptArray(std::string_view arrayText);

std::string stripQuotes(std::string_view piece);
std::string stripQuotesAndParens(std::string_view piece);

// The router writes a code as a line feed and one digit; nothing else counts.
bool isCode(std::string_view piece, int digit);

}  // namespace routerdesk
