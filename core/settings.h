// The settings file: where it lives, and the router login it keeps between runs.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/program_context.h"
#include "core/router_login.h"

namespace routerdesk {

// UTF-8 here; the path holds it in the platform's own form (UTF-16 on Windows), so the name
// never passes through the process's ANSI code page.
inline constexpr std::u8string_view kSettingsFileName = u8"无线路由配置.ini";

// The names inside the file, in GBK as they stand there.
inline constexpr std::string_view kLoginSection = "\xB5\xC7\xC2\xBC\xD0\xC5\xCF\xA2";  // 登录信息
inline constexpr std::string_view kAccountKey = "\xD5\xCB\xBB\xA7";                    // 账户
inline constexpr std::string_view kPasswordKey = "\xC3\xDC\xC2\xEB";                   // 密码
inline constexpr std::string_view kPortKey = "\xB6\xCB\xBF\xDA";                       // 端口
inline constexpr std::string_view kManagementIpKey = "IP\xB9\xDC\xC0\xED";             // IP管理

struct SettingsSaveResult {
    bool saved = false;
    std::filesystem::path path;  // the settings file, for the message that tells the user
    std::string reason;          // the system's words, GBK; empty when saved
};

// In the program's own folder, built anew on every call.
std::filesystem::path settingsFilePath();

// The context's settings file: the one beside the program unless the context names another.
inline std::filesystem::path settingsFileOf(const ProgramContext& context) {
    return context.settingsFile.empty() ? settingsFilePath() : context.settingsFile;
}

// Replaces the four fields with what the file holds, unscrambled. Never fails: a file, section
// or key that is missing or cannot be read gives the empty text.
void loadLogin(RouterLogin& login);
void loadLogin(RouterLogin& login, const std::filesystem::path& file);

// Writes the four fields, scrambled, in one replacement of the whole file; the rest of the file
// stays as it was. On failure the old file is left untouched.
[[nodiscard]] SettingsSaveResult saveLogin(const RouterLogin& login);
[[nodiscard]] SettingsSaveResult saveLogin(const RouterLogin& login,
                                           const std::filesystem::path& file);

}  // namespace routerdesk
