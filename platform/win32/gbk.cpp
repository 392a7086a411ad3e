// GBK conversions through code page 936, named explicitly: the process's ANSI code page may be
// anything.
#include "core/gbk.h"

#include <windows.h>

#include <climits>

#include "core/utf8.h"

namespace routerdesk {
namespace {

constexpr UINT kGbk = 936;

std::wstring toWide(UINT codePage, std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    }
    return wide;
}

std::string fromWide(UINT codePage, std::wstring_view wide, bool* lossy) {
    if (wide.empty() || wide.size() > INT_MAX) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int length =
        WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, usedDefaultOut);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), length, nullptr,
                            usedDefaultOut);
    }
    if (lossy != nullptr) {
        *lossy = usedDefault != FALSE;
    }
    return text;
}

// Code page 936 has no character beyond the BMP, and the system would turn each into two "?"
// (one per surrogate), and ill-formed input into U+FFFD: both become one "?" here, as on Linux.
std::string withUnmappableMarked(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const std::size_t length = utf8SequenceLength(utf8);
        if (length == 0 || length == 4) {
            out += '?';
        } else {
            out.append(utf8.substr(0, length));
        }
        utf8.remove_prefix(length == 0 ? 1 : length);
    }
    return out;
}

}  // namespace

std::string utf8ToGbk(std::string_view utf8) {
    return fromWide(kGbk, toWide(CP_UTF8, withUnmappableMarked(utf8)), nullptr);
}

std::optional<std::string> utf8ToGbkExact(std::string_view utf8) {
    for (std::string_view rest = utf8; !rest.empty();) {
        const std::size_t length = utf8SequenceLength(rest);
        if (length == 0) {
            return std::nullopt;
        }
        rest.remove_prefix(length);
    }
    bool lossy = false;
    std::string gbk = fromWide(kGbk, toWide(CP_UTF8, utf8), &lossy);
    if (lossy) {
        return std::nullopt;
    }
    return gbk;
}

std::string wideToGbk(std::wstring_view wide) {
    return fromWide(kGbk, wide, nullptr);
}

std::string gbkToUtf8(std::string_view gbk) {
    return fromWide(CP_UTF8, toWide(kGbk, gbk), nullptr);
}

}  // namespace routerdesk
