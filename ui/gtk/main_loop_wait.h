// Waiting on the UI thread while the GLib main context keeps dispatching events.
#pragma once

#include <chrono>

#include "core/host.h"

namespace routerdesk::gtk {

// Dispatches what is ready now and returns without blocking.
void dispatchPending();

// Sleeps in the main context until the worker wakes it, dispatching every event meanwhile.
// False only after `idleLimit` in which neither the job ended nor anything was dispatched.
bool waitDispatching(Completion& job, std::chrono::milliseconds idleLimit);

}  // namespace routerdesk::gtk
