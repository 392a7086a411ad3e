// Clocks and memory readings: /proc and clock_gettime on Linux, the process API on Windows.
#include "bench/measure.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <time.h>

#include <fstream>
#include <string>
#include <thread>
#endif

namespace routerdesk::bench {

double microsecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

#ifdef _WIN32

double processCpuMicroseconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0;
    }
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10.0;  // 100 ns units
}

double threadCpuMicroseconds() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) {
        return 0;
    }
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10.0;
}

MemoryReading readMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) {
        return {};
    }
    return {counters.WorkingSetSize, counters.PagefileUsage};
}

void pause(std::chrono::milliseconds duration) {
    Sleep(static_cast<DWORD>(duration.count()));
}

#else

namespace {

double cpuClockMicroseconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

}  // namespace

double processCpuMicroseconds() {
    return cpuClockMicroseconds(CLOCK_PROCESS_CPUTIME_ID);
}

double threadCpuMicroseconds() {
    return cpuClockMicroseconds(CLOCK_THREAD_CPUTIME_ID);
}

MemoryReading readMemory() {
    std::ifstream status("/proc/self/status");
    MemoryReading reading;
    std::string key;
    while (status >> key) {
        std::uint64_t kib = 0;
        if (key == "VmRSS:" && status >> kib) {
            reading.residentBytes = kib * 1024;
        } else if (key == "VmData:" && status >> kib) {
            reading.privateBytes = kib * 1024;
        }
    }
    return reading;
}

void pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

#endif

double median(std::vector<double> values) {
    return percentile(std::move(values), 0.5);
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto last = static_cast<double>(values.size() - 1);
    return values[static_cast<std::size_t>(fraction * last + 0.5)];
}

}  // namespace routerdesk::bench
