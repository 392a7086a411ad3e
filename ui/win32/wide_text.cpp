// GBK texts in and out of window controls: the process's ANSI code page never takes part.
#include "ui/win32/wide_text.h"

#include <climits>

#include "core/gbk.h"

namespace routerdesk::win32 {

namespace {

std::wstring multiByteToWide(UINT codePage, std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

}  // namespace

std::wstring gbkToWide(std::string_view gbk) {
    constexpr UINT kGbk = 936;
    return multiByteToWide(kGbk, gbk);
}

std::wstring utf8ToWide(std::string_view utf8) {
    return multiByteToWide(CP_UTF8, utf8);
}

std::string windowTextGbk(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, wide.data(), length + 1);
    wide.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return wideToGbk(wide);
}

void setWindowTextGbk(HWND window, std::string_view gbk) {
    SetWindowTextW(window, gbkToWide(gbk).c_str());
}

}  // namespace routerdesk::win32
