// The resident memory of this process, from /proc (Linux), for tests and the soak that check
// that hostile input does not make the program grow.
#pragma once

#include <cstddef>

namespace routerdesk::testing {

// Current and peak resident set in bytes; 0 when /proc cannot tell.
std::size_t residentBytes();
std::size_t peakResidentBytes();

// Starts the peak anew from the current resident set; false where the kernel cannot.
bool resetPeakResident();

inline constexpr std::size_t kMiB = std::size_t{1} << 20;

}  // namespace routerdesk::testing
