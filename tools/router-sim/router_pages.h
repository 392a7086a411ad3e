// The router's pages rendered from its state, byte for byte as the firmware writes them (GBK).
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "tools/router-sim/router_state.h"

namespace routerdesk::sim {

// Names of the arrays some firmware writes with all values on one line.
using OneLineArrays = std::set<std::string, std::less<>>;

inline constexpr int kStationsPerPage = 8;

// /userRpm/StatusRpm.htm: statusPara, lanPara, wlanPara, statistList, wanPara.
std::string renderStatusPage(const RouterState& state, const OneLineArrays& oneLine = {});

// /userRpm/WlanNetworkRpm.htm: the wireless settings form's wlanPara.
std::string renderWlanNetworkPage(const RouterState& state, const OneLineArrays& oneLine = {});

// /userRpm/WlanStationRpm.htm?Page=N: wlanHostPara, then hostList with this page's stations.
std::string renderWlanStationPage(const RouterState& state, int page,
                                  const OneLineArrays& oneLine = {});

// The online time as the firmware writes it: "0 day(s) 01:02:03".
std::string formatOnlineTime(std::chrono::seconds time);

// The body of the 401 answer; its text holds 登录失败.
std::string loginFailedPage();

// The whole body the firmware answers a request without a Referer of its own host with.
inline constexpr std::string_view kNoAuthorityBody =
    "<hr><h1><B>You have no authority to access this device!</B></h1><hr>";

std::string notFoundPage();

// "/": the frame page a browser gets first, pointing at the status pages.
std::string indexPage();

}  // namespace routerdesk::sim
