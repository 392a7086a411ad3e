// The waiting messages the router commands leave in the status line, as GBK bytes.
#pragma once

#include <string_view>

namespace routerdesk::texts {

// 网络已断开 等待刷新...
inline constexpr std::string_view kHungUp =
    "\xCD\xF8\xC2\xE7\xD2\xD1\xB6\xCF\xBF\xAA \xB5\xC8\xB4\xFD\xCB\xA2\xD0\xC2...";
// 拨号中 等待刷新...
inline constexpr std::string_view kDialling =
    "\xB2\xA6\xBA\xC5\xD6\xD0 \xB5\xC8\xB4\xFD\xCB\xA2\xD0\xC2...";
// SSID广播已关闭 等待刷新...
inline constexpr std::string_view kBroadcastSwitchedOff =
    "SSID\xB9\xE3\xB2\xA5\xD2\xD1\xB9\xD8\xB1\xD5 \xB5\xC8\xB4\xFD\xCB\xA2\xD0\xC2...";
// SSID广播已开启 等待刷新...
inline constexpr std::string_view kBroadcastSwitchedOn =
    "SSID\xB9\xE3\xB2\xA5\xD2\xD1\xBF\xAA\xC6\xF4 \xB5\xC8\xB4\xFD\xCB\xA2\xD0\xC2...";
// 无线网络已关闭 等待刷新...
inline constexpr std::string_view kWirelessSwitchedOff =
    "\xCE\xDE\xCF\xDF\xCD\xF8\xC2\xE7\xD2\xD1\xB9\xD8\xB1\xD5 \xB5\xC8\xB4\xFD\xCB\xA2\xD0\xC2...";
// 无线网络已开启 等待刷新...
inline constexpr std::string_view kWirelessSwitchedOn =
    "\xCE\xDE\xCF\xDF\xCD\xF8\xC2\xE7\xD2\xD1\xBF\xAA\xC6\xF4 \xB5\xC8\xB4\xFD\xCB\xA2\xD0\xC2...";
// SSID号修改完毕 等待刷新...
inline constexpr std::string_view kSsidRenamed =
    "SSID\xBA\xC5\xD0\xDE\xB8\xC4\xCD\xEA\xB1\xCF \xB5\xC8\xB4\xFD\xCB\xA2\xD0\xC2...";

}  // namespace routerdesk::texts
