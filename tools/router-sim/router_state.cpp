// The simulated router's state and how it moves: dialling, hanging up, the wireless form and time.
#include "tools/router-sim/router_state.h"

#include <algorithm>
#include <array>

namespace routerdesk::sim {
namespace {

// Steps that keep the count near where it started, yet moving on every step but one.
constexpr std::array<int, 6> kStationSteps = {+1, -1, +1, +1, -2, 0};
// Devices that find the network again when the radio comes back on.
constexpr int kStationsAfterRadioOn = 2;
// However long nobody asked, the station count catches up with at most this many steps.
constexpr long long kMaxStationStepsAtOnce = 1000;
constexpr std::size_t kMaxSsidBytes = 32;

}  // namespace

RouterModel::RouterModel(const RouterState& initial, Timings timings, TimePoint now)
    : timings_(timings), lastNow_(now) {
    replaceState(initial, now);
}

void RouterModel::replaceState(const RouterState& state, TimePoint now) {
    now = std::max(now, lastNow_);
    state_ = state;
    // Nobody stays associated with a radio that is off.
    state_.stationCount = state_.radioOn ? std::clamp(state_.stationCount, 0, kMaxStations) : 0;
    started_ = now - state.systemUptime;
    onlineSince_ = now - state.onlineTime;
    // A dial under way keeps its end, so that changing some other value does not prolong it.
    if (state_.wanLink != WanLink::connecting) {
        dialDoneAt_.reset();
    } else if (!dialDoneAt_) {
        dialDoneAt_ = now + timings_.dialDuration;
    }
    nextStationStep_ = now + timings_.stationStep;
    lastNow_ = now;
}

const RouterState& RouterModel::stateAt(TimePoint now) {
    advance(now);
    return state_;
}

void RouterModel::connect(TimePoint now) {
    advance(now);
    state_.wanLink = WanLink::connecting;
    state_.onlineTime = std::chrono::seconds{0};
    dialDoneAt_ = lastNow_ + timings_.dialDuration;
    advance(now);
}

void RouterModel::disconnect(TimePoint now) {
    advance(now);
    state_.wanLink = WanLink::offline;
    state_.onlineTime = std::chrono::seconds{0};
    dialDoneAt_.reset();
}

bool RouterModel::applyWirelessForm(const WirelessForm& form, TimePoint now) {
    advance(now);
    if (form.ssid.empty() || form.ssid.size() > kMaxSsidBytes) {
        return false;
    }
    state_.ssid = form.ssid;
    if (form.radioOn != state_.radioOn) {
        state_.stationCount = form.radioOn ? kStationsAfterRadioOn : 0;
        nextStationStep_ = lastNow_ + timings_.stationStep;
    }
    state_.radioOn = form.radioOn;
    state_.broadcastOn = form.broadcastOn;
    if (form.channel && *form.channel >= 0 && *form.channel <= 13) {
        state_.channel = *form.channel;
        if (state_.channel != 0) {
            state_.currentChannel = state_.channel;
        }
    }
    if (form.mode && *form.mode >= 1 && *form.mode <= 5) {
        state_.mode = *form.mode;
    }
    if (form.width && *form.width >= 1 && *form.width <= 3) {
        state_.width = *form.width;
    }
    return true;
}

void RouterModel::advance(TimePoint now) {
    // Requests take their time before they take the lock, so `now` may lag behind a later one.
    now = std::max(now, lastNow_);
    lastNow_ = now;

    if (dialDoneAt_ && now >= *dialDoneAt_) {
        state_.wanLink = WanLink::up;
        onlineSince_ = *dialDoneAt_;
        dialDoneAt_.reset();
    }
    using std::chrono::duration_cast;
    using std::chrono::seconds;
    state_.onlineTime =
        state_.wanLink == WanLink::up ? duration_cast<seconds>(now - onlineSince_) : seconds{0};
    state_.systemUptime = duration_cast<seconds>(now - started_);

    if (timings_.stationStep.count() <= 0 || now < nextStationStep_) {
        return;
    }
    const long long due = (now - nextStationStep_) / timings_.stationStep + 1;
    for (long long i = 0; i < std::min(due, kMaxStationStepsAtOnce); ++i) {
        stepStations();
    }
    nextStationStep_ += due * timings_.stationStep;
}

void RouterModel::stepStations() {
    if (!state_.radioOn) {
        state_.stationCount = 0;
        return;
    }
    const int step = kStationSteps[stationStepIndex_ % kStationSteps.size()];
    ++stationStepIndex_;
    state_.stationCount = std::clamp(state_.stationCount + step, 0, kMaxStations);
}

}  // namespace routerdesk::sim
