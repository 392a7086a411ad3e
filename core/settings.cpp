// Moving the router login between the program and its settings file.
#include "core/settings.h"

#include <array>
#include <utility>

#include "core/files.h"
#include "core/private_profile.h"
#include "core/scramble.h"

namespace routerdesk {
namespace {

// The file's order of the keys, which a first save keeps.
std::array<std::pair<std::string_view, std::string RouterLogin::*>, 4> loginKeys() {
    return {{{kAccountKey, &RouterLogin::account},
             {kPasswordKey, &RouterLogin::password},
             {kPortKey, &RouterLogin::port},
             {kManagementIpKey, &RouterLogin::managementIp}}};
}

}  // namespace

std::filesystem::path settingsFilePath() {
    return programDirectory() / std::filesystem::path(kSettingsFileName);
}

void loadLogin(RouterLogin& login) {
    loadLogin(login, settingsFilePath());
}

void loadLogin(RouterLogin& login, const std::filesystem::path& file) {
    const FileReadResult read = readWholeFile(file);
    const PrivateProfile profile(read.status == FileStatus::ok ? read.bytes : std::string());
    for (const auto& [key, field] : loginKeys()) {
        login.*field = unscrambleText(profile.read(kLoginSection, key));
    }
}

SettingsSaveResult saveLogin(const RouterLogin& login) {
    return saveLogin(login, settingsFilePath());
}

SettingsSaveResult saveLogin(const RouterLogin& login, const std::filesystem::path& file) {
    const FileReadResult read = readWholeFile(file);
    if (read.status == FileStatus::failed) {
        // A file that is there but unreadable is not replaced by one holding only the login.
        return {false, file, read.reason};
    }
    PrivateProfile profile(read.bytes);
    for (const auto& [key, field] : loginKeys()) {
        // Cannot be refused: the names are fixed and a scrambled value is letters and digits.
        static_cast<void>(profile.write(kLoginSection, key, scrambleText(login.*field)));
    }
    FileWriteResult written = replaceFileAtomically(file, profile.content());
    return {written.written, file, std::move(written.reason)};
}

}  // namespace routerdesk
