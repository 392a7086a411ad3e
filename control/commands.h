// The five router commands behind the main window's buttons.
#pragma once

#include <string>
#include <string_view>

#include "core/program_context.h"

namespace routerdesk {

inline constexpr std::string_view kHangUpTarget =
    "/userRpm/StatusRpm.htm?Disconnect=%B6%CF%20%CF%DF&wan=1";  // 断 线
inline constexpr std::string_view kDialTarget =
    "/userRpm/StatusRpm.htm?Connect=%C1%AC%20%BD%D3&wan=1";  // 连 接

// The router's own form encoding of a GBK text: a blank as "+", letters, digits and "*-._" as
// they are, every other byte as %XX.
std::string encodeFormValue(std::string_view text);

// The wireless settings the router has, as the last refresh displayed them, in the router's
// codes; a field that shows none of its texts gives the code the form always used.
struct WirelessSettings {
    std::string channel = "0";
    std::string mode = "5";
    std::string channelWidth = "2";
};
WirelessSettings displayedWirelessSettings(Host& host);

// The wireless form's query: SSID, the settings, and the radio and broadcast switches.
std::string buildWirelessTarget(std::string_view ssid, const WirelessSettings& settings,
                                bool radioOn, bool broadcastOn);

void hangUp(ProgramContext& context);
void dial(ProgramContext& context);
void toggleSsidBroadcast(ProgramContext& context);
void toggleWireless(ProgramContext& context);
void renameSsid(ProgramContext& context);

}  // namespace routerdesk
