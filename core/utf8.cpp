// UTF-8 well-formedness after Unicode's table of well-formed byte sequences.
#include "core/utf8.h"

namespace routerdesk {

std::size_t utf8SequenceLength(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    const auto b0 = static_cast<unsigned char>(text[0]);
    if (b0 < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) {
            low = 0xA0;
        } else if (b0 == 0xED) {
            high = 0x9F;
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) {
            low = 0x90;
        } else if (b0 == 0xF4) {
            high = 0x8F;
        }
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        const unsigned char lo = i == 1 ? low : 0x80;
        const unsigned char hi = i == 1 ? high : 0xBF;
        if (b < lo || b > hi) {
            return 0;
        }
    }
    return length;
}

}  // namespace routerdesk
