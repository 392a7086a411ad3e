// A router that has stopped answering: it listens on loopback, so connections complete in the
// system's backlog, but it never accepts them or reads a byte.
#pragma once

#include <cstdint>

namespace routerdesk::bench {

class SilentListener {
  public:
    SilentListener();  // binds 127.0.0.1 at a free port; port() is 0 when that failed
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    std::uint16_t port() const { return port_; }
    // The outage ends: the waiting connections are reset and new ones refused.
    void close();

  private:
    std::intptr_t socket_ = -1;
    std::uint16_t port_ = 0;
};

}  // namespace routerdesk::bench
