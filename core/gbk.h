// Conversions between GBK (code page 936) and Unicode, implemented by each platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace routerdesk {

// Never fails: an invalid UTF-8 sequence, and a character GBK cannot hold, become "?".
std::string utf8ToGbk(std::string_view utf8);

// Never fails: a byte sequence that is not GBK becomes U+FFFD.
std::string gbkToUtf8(std::string_view gbk);

// For text typed by the user: nothing when some character has no GBK form.
std::optional<std::string> utf8ToGbkExact(std::string_view utf8);

#ifdef _WIN32
// Windows only, for the system's own UTF-16 texts (error messages, paths); never fails, as
// utf8ToGbk.
std::string wideToGbk(std::wstring_view wide);
#endif

}  // namespace routerdesk
