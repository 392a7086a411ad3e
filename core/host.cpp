// Field names and the completion handshake between a request's worker and the UI thread.
#include "core/host.h"

#include <array>
#include <utility>

namespace routerdesk {

std::string_view fieldName(Field field) {
    static constexpr std::array<std::string_view, kFieldCount> kNames = {
        "lanMacBox",    "lanIpBox",   "lanMaskBox",   "wirelessStateBox",  "ssidBox",
        "channelBox",   "modeBox",    "bandwidthBox", "wdsStateBox",       "broadcastStateBox",
        "wanMacBox",    "wanIpBox",   "wanMaskBox",   "wanGatewayBox",     "wanDnsBox",
        "wanUptimeBox", "wanLinkBox", "newSsidBox",   "stationCountLabel",
    };
    return kNames.at(static_cast<std::size_t>(field));
}

void Completion::markDone() {
    done_.store(true, std::memory_order_release);
    std::lock_guard lock(mutex_);
    // Called under the lock so that clearWakeUp() returning guarantees no call is in flight.
    if (wake_) {
        wake_();
    }
}

bool Completion::isDone() const {
    // Lock-free: a waiter polls this and must not contend with the worker finishing.
    return done_.load(std::memory_order_acquire);
}

void Completion::setWakeUp(std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    if (done_) {
        wake();
        return;
    }
    wake_ = std::move(wake);
}

void Completion::clearWakeUp() {
    std::lock_guard lock(mutex_);
    wake_ = nullptr;
}

}  // namespace routerdesk
