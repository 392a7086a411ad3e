// Keeps exceptions from unwinding through GTK's C frames, which cannot carry them.
#pragma once

#include <glib.h>

#include <exception>
#include <utility>

namespace routerdesk::gtk {

// Runs a handler's body; what it throws is reported and stops there, so the program goes on.
template <typename Body>
void shielded(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (const std::exception& error) {
        g_critical("routerdesk: a handler failed: %s", error.what());
    } catch (...) {
        g_critical("routerdesk: a handler failed");
    }
}

}  // namespace routerdesk::gtk
