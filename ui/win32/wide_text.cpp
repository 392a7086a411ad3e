// GBK texts in and out of window controls: the process's ANSI code page never takes part.
#include "ui/win32/wide_text.h"

#include <climits>

#include "core/gbk.h"

namespace routerdesk::win32 {

std::wstring gbkToWide(std::string_view gbk) {
    constexpr UINT kGbk = 936;
    if (gbk.empty() || gbk.size() > INT_MAX) {
        return {};
    }
    const int size = static_cast<int>(gbk.size());
    const int length = MultiByteToWideChar(kGbk, 0, gbk.data(), size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(kGbk, 0, gbk.data(), size, wide.data(), length);
    return wide;
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
