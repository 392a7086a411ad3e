// A plain sleep for tests. On Windows it is the system's own: the sleeps and timed waits of
// MinGW's pthreads layer (under std::this_thread::sleep_for) were seen to hang for good under
// Wine.
#pragma once

#include <chrono>

namespace routerdesk::testing {

void pauseFor(std::chrono::milliseconds duration);

}  // namespace routerdesk::testing
