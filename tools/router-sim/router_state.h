// The simulated router's state and how it moves: dialling, hanging up, the wireless form and time.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace routerdesk::sim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

// The connection state the firmware reports in wanPara[13], with the firmware's numbers.
enum class WanLink {
    offline = 0,
    up = 1,
    connecting = 2,
    authFailed = 3,
    noServer = 4,
    unknown = 5,
    noCable = 6,
};

inline constexpr int kMaxStations = 8;

// Everything the router's pages show. Texts are GBK bytes, as they stand in the pages.
struct RouterState {
    std::string lanMac = "00-0A-EB-13-7B-00";
    std::string lanIp = "192.168.1.1";
    std::string lanMask = "255.255.255.0";

    bool radioOn = true;
    std::string ssid = "TP-LINK_\xBF\xCD\xCC\xFC";  // TP-LINK_客厅
    bool broadcastOn = true;
    int channel = 0;  // as configured; 0 = automatic
    int currentChannel = 6;
    int mode = 5;      // 1 11b, 2 11g, 3 11n, 4 11bg, 5 11bgn
    int width = 2;     // 1 = 20 MHz, 2 = automatic, 3 = 40 MHz
    int wdsState = 0;  // 0 off … 5 bridged
    std::string wlanMac = "00-0A-EB-13-7B-00";

    WanLink wanLink = WanLink::up;
    std::string wanMac = "00-0A-EB-13-7B-01";
    // The addresses the provider hands out; the pages show them only while the link is up.
    std::string wanIp = "203.0.113.57";
    std::string wanMask = "255.255.255.255";
    std::string wanGateway = "203.0.113.1";
    std::string dns1 = "198.51.100.53";
    std::string dns2 = "198.51.100.54";
    std::chrono::seconds onlineTime{0};  // 0 unless the link is up

    int stationCount = 3;
    std::chrono::seconds systemUptime{0};
};

struct Timings {
    std::chrono::milliseconds dialDuration{2000};
    std::chrono::milliseconds stationStep{7000};  // 0 keeps the station count still
};

// The fields of the wireless settings form that change the router.
struct WirelessForm {
    std::string ssid;
    bool radioOn = false;
    bool broadcastOn = false;
    std::optional<int> channel;
    std::optional<int> mode;
    std::optional<int> width;
};

// Not thread-safe: the web interface holds one lock around every request it answers.
class RouterModel {
  public:
    RouterModel(const RouterState& initial, Timings timings, TimePoint now);

    // The state at `now`, after the changes that time brings: a dial that has finished, the
    // station count's steps, the clocks.
    const RouterState& stateAt(TimePoint now);

    // Replaces the whole state; its onlineTime and systemUptime count on from the given values.
    // A link set to connecting is up once the dial time has passed.
    void replaceState(const RouterState& state, TimePoint now);

    // Dials afresh whatever the link was doing; the link is up once the dial time has passed.
    void connect(TimePoint now);
    void disconnect(TimePoint now);

    // False, and nothing changed, when the firmware would refuse the form (an SSID of no or of
    // more than 32 bytes). Out-of-range channel, mode or width values keep the old setting.
    bool applyWirelessForm(const WirelessForm& form, TimePoint now);

  private:
    void advance(TimePoint now);
    void stepStations();

    RouterState state_;
    Timings timings_;
    TimePoint lastNow_;
    TimePoint started_;
    TimePoint onlineSince_;
    std::optional<TimePoint> dialDoneAt_;
    TimePoint nextStationStep_;
    std::size_t stationStepIndex_ = 0;
};

}  // namespace routerdesk::sim
