// Temporary folders and plain file access for the tests.
#include "tests/support/temp_folder.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <random>

namespace routerdesk::testing {

TempFolder::TempFolder() {
    std::random_device device;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    // Tests of several processes may run at once; the name must not be shared.
    for (;;) {
        const std::string name =
            "routerdesk-test-" + std::to_string(now) + "-" + std::to_string(device());
        path_ = std::filesystem::temp_directory_path() / name;
        if (std::filesystem::create_directory(path_)) {
            return;
        }
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return "<unreadable>";
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace routerdesk::testing
