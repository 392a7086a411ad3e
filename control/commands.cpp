// The router commands: each sends one of the router's own form submissions and leaves a
// waiting message until the next refresh shows the router's new state.
#include "control/commands.h"

#include <algorithm>
#include <cctype>

#include "control/command_texts.h"
#include "core/router_request.h"
#include "status/refresh.h"
#include "status/status_texts.h"

namespace routerdesk {
namespace {

constexpr std::string_view kFormTail =
    "&brlssid=&brlbssid=&keytype=1&wepindex=1&keytext=&Save=%B1%A3+%B4%E6";  // 保 存

std::string codeShown(Host& host, Field field, std::span<const CodeText> table,
                      std::string_view fallback) {
    const std::string shown = host.fieldText(field);
    for (const CodeText& row : table) {
        if (shown == row.text) {
            return std::to_string(row.code);
        }
    }
    return std::string(fallback);
}

// "指定(当前信道" LF 6 ") " shows channel 6; the digits are the router's current channel.
std::string channelShown(const std::string& shown, std::string_view fallback) {
    if (shown.starts_with(texts::kChannelAuto)) {
        return "0";
    }
    if (!shown.starts_with(texts::kChannelFixed)) {
        return std::string(fallback);
    }
    std::string_view rest = std::string_view(shown).substr(texts::kChannelFixed.size());
    while (!rest.empty() && (rest.front() == '\n' || rest.front() == '\r' || rest.front() == ' ')) {
        rest.remove_prefix(1);
    }
    std::string digits;
    while (!rest.empty() && std::isdigit(static_cast<unsigned char>(rest.front())) != 0 &&
           digits.size() < 3) {
        digits += rest.front();
        rest.remove_prefix(1);
    }
    const bool closed = rest.starts_with(texts::kChannelClose);
    return digits.empty() || !closed ? std::string(fallback) : digits;
}

std::string withoutLineFeeds(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    return text;
}

void sendCommand(ProgramContext& context, std::string_view target, std::string_view status) {
    requestRouterPage(context, target);  // the router's answer tells nothing the refresh won't
    context.host.showStatusLine(std::string(status), kMagenta);
}

}  // namespace

std::string encodeFormValue(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == ' ') {
            out += '+';
        } else if (std::isalnum(byte) != 0 && byte < 0x80) {
            out += c;
        } else if (c == '*' || c == '-' || c == '.' || c == '_') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

WirelessSettings displayedWirelessSettings(Host& host) {
    const WirelessSettings fixed;
    WirelessSettings shown;
    shown.channel = channelShown(host.fieldText(Field::channelBox), fixed.channel);
    shown.mode = codeShown(host, Field::modeBox, wirelessModeTexts(), fixed.mode);
    shown.channelWidth =
        codeShown(host, Field::bandwidthBox, channelWidthTexts(), fixed.channelWidth);
    return shown;
}

std::string buildWirelessTarget(std::string_view ssid, const WirelessSettings& settings,
                                bool radioOn, bool broadcastOn) {
    std::string target = "/userRpm/WlanNetworkRpm.htm?ssid1=";
    target += encodeFormValue(ssid);
    target += "&wlMode=2&channel=" + settings.channel + "&mode=" + settings.mode +
              "&chanWidth=" + settings.channelWidth;
    if (radioOn) {
        target += "&ap=1";
    }
    if (broadcastOn) {
        target += "&broadcast=2";
    }
    target += kFormTail;
    return target;
}

void hangUp(ProgramContext& context) {
    sendCommand(context, kHangUpTarget, texts::kHungUp);
}

void dial(ProgramContext& context) {
    sendCommand(context, kDialTarget, texts::kDialling);
}

void toggleSsidBroadcast(ProgramContext& context) {
    Host& host = context.host;
    const bool broadcasting = host.fieldText(Field::broadcastStateBox) == texts::kBroadcastOn;
    const std::string ssid = withoutLineFeeds(host.fieldText(Field::ssidBox));
    const std::string target =
        buildWirelessTarget(ssid, displayedWirelessSettings(host), true, !broadcasting);
    sendCommand(context, target,
                broadcasting ? texts::kBroadcastSwitchedOff : texts::kBroadcastSwitchedOn);
}

void toggleWireless(ProgramContext& context) {
    Host& host = context.host;
    const bool radioOn = host.fieldText(Field::wirelessStateBox) == texts::kWirelessOn;
    const std::string ssid = withoutLineFeeds(host.fieldText(Field::ssidBox));
    const std::string target =
        buildWirelessTarget(ssid, displayedWirelessSettings(host), !radioOn, false);
    sendCommand(context, target,
                radioOn ? texts::kWirelessSwitchedOff : texts::kWirelessSwitchedOn);
}

void renameSsid(ProgramContext& context) {
    Host& host = context.host;
    const std::string ssid = host.fieldText(Field::newSsidBox);
    const std::string target =
        buildWirelessTarget(ssid, displayedWirelessSettings(host), true, false);
    sendCommand(context, target, texts::kSsidRenamed);
}

}  // namespace routerdesk
