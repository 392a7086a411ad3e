// The refresh pass. Each section cuts one array out of the current page and writes its rows
// in table order; a field whose value carries none of its codes keeps its text.
#include "status/refresh.h"

#include <array>
#include <string>
#include <vector>

#include "core/router_request.h"
#include "core/text.h"
#include "status/script_array.h"
#include "status/status_texts.h"

namespace routerdesk {
namespace {

using Pieces = std::vector<std::string>;

constexpr std::array kWirelessStateTexts = {CodeText{0, texts::kWirelessOff},
                                            CodeText{1, texts::kWirelessOn}};
constexpr std::array kModeTexts = {CodeText{1, "11b only"}, CodeText{2, "11g only"},
                                   CodeText{3, "11n only"}, CodeText{4, "11bg mixed"},
                                   CodeText{5, "11bgn mixed"}};
constexpr std::array kWidthTexts = {CodeText{1, "20MHz"}, CodeText{2, texts::kWidthAuto},
                                    CodeText{3, "40MHz"}};
constexpr std::array kWdsTexts = {CodeText{0, texts::kWdsOff},   CodeText{1, texts::kWdsInit},
                                  CodeText{2, texts::kWdsScan},  CodeText{3, texts::kWdsAuth},
                                  CodeText{4, texts::kWdsAssoc}, CodeText{5, texts::kWdsRun}};
constexpr std::array kBroadcastTexts = {CodeText{1, texts::kBroadcastOn},
                                        CodeText{0, texts::kBroadcastOff}};

struct LinkState {
    int connectionCode;  // piece 14 of the WAN array, read only while the link is down
    std::string_view text;
};
constexpr int kWanLinkUp = 4;
constexpr int kWanLinkDown = 3;
constexpr std::array kLinkDownTexts = {
    LinkState{0, texts::kLinkOffline}, LinkState{6, texts::kLinkNoCable},
    LinkState{4, texts::kLinkNoServer}, LinkState{2, texts::kLinkDialling}};

// The section's pieces when the array holds at least `minimum` of them, else nothing.
Pieces readSection(std::string_view page, std::string_view startMarker, std::size_t minimum) {
    Pieces pieces = splitScriptArray(extractScriptArray(page, startMarker, kArrayEnd));
    if (pieces.size() < minimum) {
        pieces.clear();
    }
    return pieces;
}

void writeCoded(Host& host, Field field, std::string_view piece, std::span<const CodeText> table) {
    for (const CodeText& row : table) {
        if (isCode(piece, row.code)) {
            host.setFieldText(field, std::string(row.text));
            return;
        }
    }
}

void showLanSection(Host& host, const Pieces& p) {
    host.setFieldText(Field::lanMacBox, stripQuotesAndParens(p[0]));
    host.setFieldText(Field::lanIpBox, stripQuotes(p[1]));
    host.setFieldText(Field::lanMaskBox, stripQuotes(p[2]));
}

void showWirelessSection(Host& host, const Pieces& p) {
    writeCoded(host, Field::wirelessStateBox, stripQuotesAndParens(p[0]), kWirelessStateTexts);
    host.setFieldText(Field::ssidBox, stripQuotes(p[1]));
    std::string channel(isCode(p[2], 0) ? texts::kChannelAuto : texts::kChannelFixed);
    channel += p[9];
    channel += texts::kChannelClose;
    host.setFieldText(Field::channelBox, channel);
    writeCoded(host, Field::modeBox, p[3], kModeTexts);
    writeCoded(host, Field::bandwidthBox, p[6], kWidthTexts);
    writeCoded(host, Field::wdsStateBox, p[10], kWdsTexts);
}

void showLinkState(Host& host, const std::string& wanStatus, const std::string& connection) {
    if (isCode(wanStatus, kWanLinkUp)) {
        host.setFieldText(Field::wanLinkBox, std::string(texts::kLinkUp));
        host.setFieldColor(Field::wanLinkBox, kBlack);
        return;
    }
    if (!isCode(wanStatus, kWanLinkDown)) {
        return;
    }
    for (const LinkState& row : kLinkDownTexts) {
        if (isCode(connection, row.connectionCode)) {
            host.setFieldText(Field::wanLinkBox, std::string(row.text));
            host.setFieldColor(Field::wanLinkBox, kRed);
            return;
        }
    }
}

void showWanSection(Host& host, const Pieces& p) {
    host.setFieldText(Field::wanMacBox, stripQuotes(p[1]));
    host.setFieldText(Field::wanIpBox, stripQuotes(p[2]));
    host.setFieldText(Field::wanMaskBox, stripQuotes(p[4]));
    host.setFieldText(Field::wanGatewayBox, stripQuotes(p[7]));
    // The router writes its DNS servers as one quoted "a , b" value, which the split cuts in two.
    host.setFieldText(Field::wanDnsBox, stripQuotes(p[11]) + "," + stripQuotes(p[12]));
    host.setFieldText(Field::wanUptimeBox, stripQuotes(p[13]));
    showLinkState(host, stripQuotes(p[0]), stripQuotes(p[14]));
}

class RefreshGuard {
  public:
    explicit RefreshGuard(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~RefreshGuard() { flag_ = previous_; }
    RefreshGuard(const RefreshGuard&) = delete;
    RefreshGuard& operator=(const RefreshGuard&) = delete;

  private:
    bool& flag_;
    bool previous_;
};

}  // namespace

std::span<const CodeText> wirelessModeTexts() {
    return kModeTexts;
}
std::span<const CodeText> channelWidthTexts() {
    return kWidthTexts;
}

void refreshStatus(ProgramContext& context) {
    const RefreshGuard guard(context.refreshUnderWay);
    Host& host = context.host;

    std::string page = requestRouterPage(context, kStatusPage);
    if (containsText(page, texts::kLoginFailed)) {
        host.setRefreshPeriod(0);
        host.showMessage(std::string(texts::kLoginFailedMessage));
        return;
    }
    if (const Pieces lan = readSection(page, "var lanPara = new Array", 3); !lan.empty()) {
        showLanSection(host, lan);
    }
    host.dispatchPendingMessages();
    if (const Pieces wlan = readSection(page, "var wlanPara = new Array", 12); !wlan.empty()) {
        showWirelessSection(host, wlan);
    }
    host.dispatchPendingMessages();
    if (const Pieces wan = readSection(page, "var wanPara = new Array(", 16); !wan.empty()) {
        showWanSection(host, wan);
    }

    // A page may be as large as the cap on bodies; the old one goes before the next comes in.
    std::string().swap(page);
    page = requestRouterPage(context, kWlanNetworkPage);
    if (const Pieces wlan = readSection(page, "wlanPara = new Array(", 12); !wlan.empty()) {
        writeCoded(host, Field::broadcastStateBox, wlan[9], kBroadcastTexts);
    }

    std::string().swap(page);
    page = requestRouterPage(context, kWlanStationPage);
    // Without a station list the label keeps its caption.
    if (const Pieces stations = readSection(page, " new Array(", 1); !stations.empty()) {
        host.setFieldText(Field::stationCountLabel,
                          std::string(texts::kStationCountPrefix) + stations[0]);
    }
}

void handleRefreshTick(ProgramContext& context) {
    if (context.refreshUnderWay) {
        return;
    }
    refreshStatus(context);
    context.host.showStatusLine(std::string(texts::kRefreshNotice), kBlue);
}

}  // namespace routerdesk
