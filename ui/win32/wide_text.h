// GBK texts in and out of window controls, always through code page 936.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace routerdesk::win32 {

std::wstring gbkToWide(std::string_view gbk);
// For the program's own UTF-8 data, such as the theme's font names.
std::wstring utf8ToWide(std::string_view utf8);

// The control's text as GBK; a character GBK cannot hold becomes "?".
std::string windowTextGbk(HWND window);
void setWindowTextGbk(HWND window, std::string_view gbk);

}  // namespace routerdesk::win32
