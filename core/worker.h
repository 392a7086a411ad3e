// Starting a router request's worker thread, implemented by each platform.
#pragma once

#include <functional>

namespace routerdesk {

// Runs `job` on a new thread of its own that nobody joins; false when no thread could be
// started (then `job` does not run).
bool startDetachedWorker(std::function<void()> job);

}  // namespace routerdesk
