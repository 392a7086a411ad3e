// The router's login check on the Authorization header.
#include "tools/router-sim/credentials.h"

#include <cstdint>

#include "core/text.h"

namespace routerdesk::sim {
namespace {

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::optional<std::string> decodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t group = 0; group < text.size(); group += 4) {
        const bool last = group + 4 == text.size();
        std::uint32_t bits = 0;
        int padding = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const char c = text[group + i];
            int value = base64Value(c);
            if (c == '=' && last && i >= 2) {
                value = 0;
                ++padding;
            } else if (value < 0 || padding > 0) {
                return std::nullopt;  // a stray character, or data after the padding
            }
            bits = bits << 6 | static_cast<std::uint32_t>(value);
        }
        // Bits under the padding must be zero, so that one text has one encoding.
        if ((padding == 1 && (bits & 0xFF) != 0) || (padding == 2 && (bits & 0xFFFF) != 0)) {
            return std::nullopt;
        }
        out += static_cast<char>(bits >> 16 & 0xFF);
        if (padding < 2) {
            out += static_cast<char>(bits >> 8 & 0xFF);
        }
        if (padding < 1) {
            out += static_cast<char>(bits & 0xFF);
        }
    }
    return out;
}

bool credentialsAccepted(std::string_view authorization, std::string_view account,
                         std::string_view password) {
    std::string_view token = trimBlanks(authorization);
    if (startsWithAsciiNoCase(token, "basic ")) {
        token = trimBlanks(token.substr(6));
    }
    const std::optional<std::string> decoded = decodeBase64(token);
    if (!decoded) {
        return false;
    }
    std::string expected(account);
    expected += ':';
    expected += password;
    return *decoded == expected;
}

}  // namespace routerdesk::sim
