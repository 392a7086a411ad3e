// UTF-8 well-formedness, shared by the platforms' GBK conversions.
#pragma once

#include <cstddef>
#include <string_view>

namespace routerdesk {

// Length of the well-formed UTF-8 sequence at the start of `text` (no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0 when there is none.
std::size_t utf8SequenceLength(std::string_view text);

}  // namespace routerdesk
