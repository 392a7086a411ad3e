// Fuzzes the settings file: a hostile file through the private-profile reader and editor, and
// through the login's load and save on a real file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/private_profile.h"
#include "core/router_login.h"
#include "core/scramble.h"
#include "core/settings.h"

namespace {

using namespace routerdesk;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "private_profile_fuzzer: %s\n", what);
    std::abort();
}

constexpr std::string_view kLoginKeys[] = {kAccountKey, kPasswordKey, kPortKey, kManagementIpKey};

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A folder of this process's own, under TMPDIR (the fuzz script points it at memory), removed
// again at exit.
const std::filesystem::path& workFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "profile-fuzz-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            fail("no temporary folder");
        }
        std::atexit([] { std::filesystem::remove_all(workFolder()); });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

void checkEditing(std::string_view input) {
    PrivateProfile profile(input);
    if (profile.content() != input) {
        fail("an unedited file did not come back byte for byte");
    }
    // Values the file itself holds are the most hostile ones at hand.
    std::string values[4];
    for (std::size_t i = 0; i < 4; ++i) {
        values[i] = profile.read(kLoginSection, kLoginKeys[i]);
        if (values[i].size() > kProfileValueLimit) {
            fail("a value longer than the reader's limit");
        }
    }
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string value = values[(i + 1) % 4] + values[i];
        if (profile.write(kLoginSection, kLoginKeys[i], value) == hasLineBreak(value)) {
            fail("a value was refused without a line break, or taken with one");
        }
    }
    const PrivateProfile reread(profile.content());
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string value = values[(i + 1) % 4] + values[i];
        if (!hasLineBreak(value) &&
            reread.read(kLoginSection, kLoginKeys[i]) != value.substr(0, kProfileValueLimit)) {
            fail("a written value did not read back");
        }
    }
}

void checkLoadAndSave(std::string_view input) {
    const std::filesystem::path file = workFolder() / "settings.ini";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(input.data(), static_cast<std::streamsize>(input.size()));
        if (!out) {
            fail("could not write the settings file");
        }
    }
    RouterLogin loaded;
    loadLogin(loaded, file);
    const PrivateProfile profile(input);
    if (loaded.account != unscrambleText(profile.read(kLoginSection, kAccountKey)) ||
        loaded.managementIp != unscrambleText(profile.read(kLoginSection, kManagementIpKey))) {
        fail("loading the file disagrees with reading it");
    }
    // Whatever the file held, a save followed by a load keeps the login.
    const SettingsSaveResult saved = saveLogin(loaded, file);
    if (!saved.saved) {
        fail("the login could not be saved over a readable file");
    }
    RouterLogin reloaded;
    loadLogin(reloaded, file);
    if (!(reloaded == loaded)) {
        fail("a saved login did not load again unchanged");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    checkEditing(input);
    checkLoadAndSave(input);
    return 0;
}
