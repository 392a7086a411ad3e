// Clocks, memory readings and statistics for the benchmarks, the same on both systems.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace routerdesk::bench {

using Clock = std::chrono::steady_clock;

double microsecondsSince(Clock::time_point start);

// CPU time of the whole process (every thread), in microseconds.
double processCpuMicroseconds();
// CPU time of the calling thread, in microseconds.
double threadCpuMicroseconds();

struct MemoryReading {
    std::uint64_t residentBytes = 0;  // VmRSS; the working set on Windows
    std::uint64_t privateBytes = 0;   // VmData; the pagefile usage (private commit) on Windows
};
MemoryReading readMemory();

double median(std::vector<double> values);
double percentile(std::vector<double> values, double fraction);

// A plain sleep that also works under Wine (Sleep there, not the pthreads layer's).
void pause(std::chrono::milliseconds duration);

}  // namespace routerdesk::bench
