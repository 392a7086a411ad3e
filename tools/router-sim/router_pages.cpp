// The router's pages rendered from its state, byte for byte as the firmware writes them (GBK).
#include "tools/router-sim/router_pages.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tools/router-sim/firmware_page.h"

namespace routerdesk::sim {
namespace {

using Values = std::vector<ScriptValue>;

ScriptValue n(long long value) {
    return ScriptValue::number(value);
}
ScriptValue q(std::string_view text) {
    return ScriptValue::quote(text);
}

std::string array(std::string_view name, const Values& values, const OneLineArrays& oneLine) {
    const bool single = oneLine.find(name) != oneLine.end();
    return renderScriptArray(name, values,
                             single ? ArrayLayout::oneLine : ArrayLayout::linePerValue);
}

// What the firmware shows for an address the provider has not handed out (link not up).
constexpr std::string_view kNoAddress = "0.0.0.0";

// The firmware's packet counters grow with time; any steady growth will do.
long long counter(const RouterState& state, long long base, long long perSecond) {
    return base + perSecond * static_cast<long long>(state.systemUptime.count());
}

// The station's MAC: distinct, stable, from a locally administered range.
std::string stationMac(int index) {
    char mac[18];
    std::snprintf(mac, sizeof mac, "02-1A-2B-3C-4D-%02X", index & 0xFF);
    return mac;
}

}  // namespace

std::string formatOnlineTime(std::chrono::seconds time) {
    const long long total = std::max<long long>(0, time.count());
    char text[48];
    std::snprintf(text, sizeof text, "%lld day(s) %02lld:%02lld:%02lld", total / 86400,
                  total / 3600 % 24, total / 60 % 60, total % 60);
    return text;
}

std::string renderStatusPage(const RouterState& state, const OneLineArrays& oneLine) {
    const Values status = {n(1),
                           n(1),
                           n(22),
                           n(20),
                           n(0),
                           q("3.16.9 Build 130415 Rel.53288n"),
                           q("WR745N v1 00000000"),
                           n(state.systemUptime.count())};
    const Values lan = {q(state.lanMac), q(state.lanIp), q(state.lanMask)};
    const Values wlan = {n(state.radioOn ? 1 : 0),
                         q(state.ssid),
                         n(state.channel),
                         n(state.mode),
                         q(state.wlanMac),
                         q(state.lanIp),
                         n(state.width),
                         n(8),
                         n(state.mode >= 3 ? 71 : 11),  // rate index: 150 Mbit/s with 11n, else 54
                         n(state.currentChannel),
                         n(state.wdsState)};
    const Values statist = {n(counter(state, 1'204'311, 2'310)), n(counter(state, 893'112, 1'870)),
                            n(counter(state, 9'021, 17)), n(counter(state, 7'113, 15))};

    const bool up = state.wanLink == WanLink::up;
    const std::string dns = up ? state.dns1 + " , " + state.dns2
                               : std::string(kNoAddress) + " , " + std::string(kNoAddress);
    const Values wan = {n(up ? 4 : 3),
                        q(state.wanMac),
                        q(up ? std::string_view(state.wanIp) : kNoAddress),
                        n(2),  // connection type: PPPoE, the one that dials
                        q(up ? std::string_view(state.wanMask) : kNoAddress),
                        n(0),
                        n(0),
                        q(up ? std::string_view(state.wanGateway) : kNoAddress),
                        n(1),
                        n(0),
                        n(0),
                        q(dns),
                        q(formatOnlineTime(up ? state.onlineTime : std::chrono::seconds{0})),
                        n(static_cast<int>(state.wanLink)),
                        n(0),
                        n(0),
                        n(0),
                        n(0),
                        n(0),
                        n(1500),
                        n(0)};

    // 运行状态
    return renderFirmwarePage(
        {array("statusPara", status, oneLine), array("lanPara", lan, oneLine),
         array("wlanPara", wlan, oneLine), array("statistList", statist, oneLine),
         array("wanPara", wan, oneLine)},
        "<CENTER><B>\xD4\xCB\xD0\xD0\xD7\xB4\xCC\xAC</B></CENTER>");
}

std::string renderWlanNetworkPage(const RouterState& state, const OneLineArrays& oneLine) {
    Values wlan(30, n(0));
    wlan[0] = n(1);
    wlan[1] = n(1);
    wlan[2] = n(11);  // region: China
    wlan[3] = q(state.ssid);
    wlan[4] = n(13);  // channels of the region
    wlan[5] = n(2);   // wlMode: access point
    wlan[7] = n(state.mode);
    wlan[8] = n(state.radioOn ? 1 : 0);
    wlan[9] = n(state.broadcastOn ? 1 : 0);
    wlan[10] = n(state.channel);
    wlan[11] = n(state.width);
    wlan[22] = n(state.wdsState == 0 ? 0 : 1);  // bridge (WDS) switched on
    wlan[23] = q("");                           // bridged SSID
    wlan[24] = q("");                           // bridged BSSID
    wlan[25] = n(1);                            // key type
    wlan[26] = n(1);                            // WEP key index
    wlan[27] = q("");                           // key
    // 无线网络基本设置
    return renderFirmwarePage(
        {array("wlanPara", wlan, oneLine)},
        "<CENTER><B>\xCE\xDE\xCF\xDF\xCD\xF8\xC2\xE7\xBB\xF9\xB1\xBE\xC9\xE8\xD6"
        "\xC3</B></CENTER>");
}

std::string renderWlanStationPage(const RouterState& state, int page,
                                  const OneLineArrays& oneLine) {
    const int count = std::clamp(state.stationCount, 0, kMaxStations);
    const Values host = {n(count), n(page), n(kStationsPerPage), n(5000), n(4)};
    Values list;
    const long long first = (static_cast<long long>(page) - 1) * kStationsPerPage;
    for (long long i = std::max(0LL, first);
         i < std::min<long long>(count, first + kStationsPerPage); ++i) {
        const int index = static_cast<int>(i);
        list.push_back(q(stationMac(index)));
        list.push_back(n(5));  // associated and authorised
        list.push_back(n(counter(state, 3'000 + 1'000LL * index, 11 + index)));
        list.push_back(n(counter(state, 2'000 + 700LL * index, 9 + index)));
    }
    // 无线网络主机状态
    return renderFirmwarePage(
        {array("wlanHostPara", host, oneLine), array("hostList", list, oneLine)},
        "<CENTER><B>\xCE\xDE\xCF\xDF\xCD\xF8\xC2\xE7\xD6\xF7\xBB\xFA\xD7\xB4"
        "\xCC\xAC</B></CENTER>");
}

std::string loginFailedPage() {
    // 登录失败 / 用户名或密码错误，请重新输入。
    return "<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; "
           "charset=gb2312\">\r\n<TITLE>401 Unauthorized</TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
           "<CENTER><H2>\xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC</H2>\r\n"
           "\xD3\xC3\xBB\xA7\xC3\xFB\xBB\xF2\xC3\xDC\xC2\xEB\xB4\xED\xCE\xF3\xA3\xAC\xC7\xEB\xD6"
           "\xD8\xD0\xC2\xCA\xE4\xC8\xEB\xA1\xA3</CENTER>\r\n</BODY>\r\n</HTML>\r\n";
}

std::string notFoundPage() {
    // 页面不存在
    return "<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; "
           "charset=gb2312\">\r\n<TITLE>404 Not Found</TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
           "<CENTER><H2>\xD2\xB3\xC3\xE6\xB2\xBB\xB4\xE6\xD4\xDA</H2></CENTER>\r\n</BODY>\r\n"
           "</HTML>\r\n";
}

std::string indexPage() {
    return renderFirmwarePage({},
                              "<A href=\"/userRpm/StatusRpm.htm\">StatusRpm</A>\r\n"
                              "<A href=\"/userRpm/WlanNetworkRpm.htm\">WlanNetworkRpm</A>\r\n"
                              "<A href=\"/userRpm/WlanStationRpm.htm?Page=1\">WlanStationRpm</A>");
}

}  // namespace routerdesk::sim
