// Resident memory figures from /proc/self.
#include "tests/support/process_memory.h"

#include <fstream>
#include <string>
#include <string_view>

namespace routerdesk::testing {
namespace {

// A "Name:   1234 kB" line of /proc/self/status.
std::size_t statusKilobytes(std::string_view name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(name) && line.size() > name.size() && line[name.size()] == ':') {
            return std::stoull(line.substr(name.size() + 1)) * 1024;
        }
    }
    return 0;
}

}  // namespace

std::size_t residentBytes() {
    return statusKilobytes("VmRSS");
}

std::size_t peakResidentBytes() {
    return statusKilobytes("VmHWM");
}

bool resetPeakResident() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

}  // namespace routerdesk::testing
