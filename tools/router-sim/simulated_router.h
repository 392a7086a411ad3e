// A simulated TL-WR745N on loopback, for the executable and for tests that start one in-process.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/router-sim/request_log.h"
#include "tools/router-sim/router_state.h"
#include "tools/router-sim/sim_options.h"

namespace routerdesk::sim {

class SimulatedRouter {
  public:
    // The default serves on 127.0.0.1 at a free port, login admin/admin.
    explicit SimulatedRouter(SimOptions options = {});
    ~SimulatedRouter();  // stops
    SimulatedRouter(const SimulatedRouter&) = delete;
    SimulatedRouter& operator=(const SimulatedRouter&) = delete;

    // Binds and serves on threads of its own; false when the address cannot be bound or the log
    // file cannot be written. Requests are accepted as soon as it returns. Once per object.
    bool start();
    // Cuts waiting answers and open connections short; returns when nothing runs any more.
    void stop();

    std::uint16_t port() const;  // 0 until started
    std::string url() const;     // "http://127.0.0.1:PORT", no slash at the end

    // The state as the next page would show it.
    RouterState state() const;
    void setState(const RouterState& state);
    // Reads, changes and writes back the state under the lock that requests take, so no request
    // sees half of the change.
    void updateState(const std::function<void(RouterState&)>& change);

    Misbehaviour misbehaviour() const;
    // Takes effect from the next request on; the count of --drop-every starts again.
    void setMisbehaviour(const Misbehaviour& misbehaviour);

    // The last requests that arrived (4096 unless the options say otherwise), in order,
    // malformed ones included.
    std::vector<LoggedRequest> requests() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace routerdesk::sim
