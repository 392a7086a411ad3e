// The refresh pass: three router pages into the display fields.
#pragma once

#include <span>
#include <string_view>

#include "core/program_context.h"

namespace routerdesk {

inline constexpr unsigned kRefreshPeriodMs = 3000;

inline constexpr std::string_view kStatusPage = "/userRpm/StatusRpm.htm";
inline constexpr std::string_view kWlanNetworkPage = "/userRpm/WlanNetworkRpm.htm";
inline constexpr std::string_view kWlanStationPage = "/userRpm/WlanStationRpm.htm?Page=1";

// A value the router writes as a one-digit code, and the text shown for it.
struct CodeText {
    int code;
    std::string_view text;
};

// The tables the refresh shows codes by; the commands map displayed texts back through them.
std::span<const CodeText> wirelessModeTexts();
std::span<const CodeText> channelWidthTexts();

void refreshStatus(ProgramContext& context);

// Runs a pass and shows the refresh notice, unless a pass is already under way: a tick handled
// inside one of its waits is skipped rather than nested.
void handleRefreshTick(ProgramContext& context);

}  // namespace routerdesk
