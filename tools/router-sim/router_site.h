// The router's web interface: login check, Referer check, the pages and the forms behind them.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/router-sim/router_pages.h"
#include "tools/router-sim/router_state.h"

namespace routerdesk::sim {

inline constexpr std::string_view kStatusPath = "/userRpm/StatusRpm.htm";
inline constexpr std::string_view kWlanNetworkPath = "/userRpm/WlanNetworkRpm.htm";
inline constexpr std::string_view kWlanStationPath = "/userRpm/WlanStationRpm.htm";
inline constexpr std::string_view kRealm = "TP-LINK Wireless Lite N Router WR745N";

struct SiteRequest {
    std::string target;  // raw, as it stood in the request line
    std::optional<std::string> authorization;
    std::optional<std::string> referer;
    std::optional<std::string> host;  // the Host header
    std::string localAddress;         // the address the request came in on
};

struct SiteResponse {
    int status = 200;
    std::string contentType = "text/html";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;  // GBK, as the firmware writes it
};

struct SiteRules {
    std::string account = "admin";  // GBK
    std::string password = "admin";
    bool refuseLogin = false;
    std::string redirectTo;  // when set, every request is sent there, its target appended
    OneLineArrays oneLineArrays;
    bool noAuthority = false;  // every page refused as if the Referer were foreign
    int status = 0;            // when set, every request gets this status and a page naming it
};

// The firmware checks that the Referer names the host the request was sent to; the port does
// not count.
bool refererFromOwnHost(const SiteRequest& request);

// One request, answered in full; changes of state happen before the page is rendered, so the
// answer to a command already shows its effect.
SiteResponse answerRequest(RouterModel& model, const SiteRules& rules, const SiteRequest& request,
                           TimePoint now);

}  // namespace routerdesk::sim
