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
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr,
                                           usedDefaultOut);
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

}  // namespace

std::string utf8ToGbk(std::string_view utf8) {
    // Invalid UTF-8 becomes U+FFFD here and "?" in GBK, as a character GBK lacks does.
    return fromWide(kGbk, toWide(CP_UTF8, utf8), nullptr);
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

std::string gbkToUtf8(std::string_view gbk) { return fromWide(CP_UTF8, toWide(kGbk, gbk), nullptr); }

}  // namespace routerdesk
