// The layouts of the main window and the login window.
#include "ui/layout/window_layout.h"

#include <array>

namespace routerdesk::layout {
namespace {

// Most controls share black text, left-aligned; the few that differ say so.
constexpr ControlLayout control(std::string_view name, ControlKind kind, Role role, int parent,
                                Rect rect, std::string_view text) {
    return {name, kind, role, std::nullopt, parent, rect, text, kBlack, false};
}

constexpr ControlLayout field(std::string_view name, ControlKind kind, Field shown, int parent,
                              Rect rect, std::string_view text) {
    return {name, kind, Role::field, shown, parent, rect, text, kBlack, false};
}

constexpr ControlLayout withColour(ControlLayout c, Color colour, bool centred) {
    c.textColor = colour;
    c.centred = centred;
    return c;
}

constexpr auto L = ControlKind::label;
constexpr auto E = ControlKind::editBox;
constexpr auto B = ControlKind::button;
constexpr auto G = ControlKind::groupBox;

// The group boxes' indices, for the controls placed inside them.
constexpr int kWindow = -1;
constexpr int kWireless = 0;   // 分组框2
constexpr int kWan = 15;       // 分组框3
constexpr int kLan = 30;       // 分组框1
constexpr int kStations = 37;  // 分组框4
constexpr int kControls = 42;  // 分组框5

// One row a control, as the layout lists them; kept one to a line for reading against it.
// clang-format off
constexpr std::array kMainControls = {
    control("\xB7\xD6\xD7\xE9\xBF\xF2" "2", G, Role::none, kWindow, {4, 4, 304, 216}, "\t\xCE\xDE\xCF\xDF\xD7\xB4\xCC\xAC"),  // 分组框2 \t无线状态
    control("\xB1\xEA\xC7\xA9" "4", L, Role::none, kWireless, {4, 16, 67, 24}, " \xCE\xDE\xCF\xDF\xB9\xA6\xC4\xDC\xA3\xBA"),  // 标签4  无线功能：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "4", E, Field::wirelessStateBox, kWindow, {78, 20, 220, 24}, ""),  // 编辑框4
    control("\xB1\xEA\xC7\xA9" "18", L, Role::none, kWindow, {8, 48, 67, 24}, " SSID\xB9\xE3\xB2\xA5\xA3\xBA"),  // 标签18  SSID广播：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "17", E, Field::broadcastStateBox, kWindow, {78, 48, 220, 24}, ""),  // 编辑框17
    control("\xB1\xEA\xC7\xA9" "5", L, Role::none, kWireless, {4, 72, 67, 24}, "   SSID\xBA\xC5\xA3\xBA"),  // 标签5    SSID号：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "5", E, Field::ssidBox, kWindow, {78, 76, 220, 24}, ""),  // 编辑框5
    control("\xB1\xEA\xC7\xA9" "6", L, Role::none, kWireless, {4, 100, 67, 24}, "    \xD0\xC5 \xB5\xC0\xA3\xBA"),  // 标签6     信 道：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "6", E, Field::channelBox, kWindow, {78, 104, 220, 24}, ""),  // 编辑框6
    control("\xB1\xEA\xC7\xA9" "7", L, Role::none, kWireless, {4, 128, 67, 24}, "    \xC4\xA3 \xCA\xBD\xA3\xBA"),  // 标签7     模 式：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "7", E, Field::modeBox, kWindow, {78, 132, 220, 24}, ""),  // 编辑框7
    control("\xB1\xEA\xC7\xA9" "8", L, Role::none, kWireless, {4, 156, 67, 24}, " \xC6\xB5\xB6\xCE\xB4\xF8\xBF\xED\xA3\xBA"),  // 标签8  频段带宽：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "8", E, Field::bandwidthBox, kWindow, {78, 160, 220, 24}, ""),  // 编辑框8
    control("\xB1\xEA\xC7\xA9" "9", L, Role::none, kWindow, {8, 188, 67, 24}, "  WDS\xD7\xB4\xCC\xAC\xA3\xBA"),  // 标签9   WDS状态：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "9", E, Field::wdsStateBox, kWireless, {74, 184, 220, 24}, ""),  // 编辑框9
    control("\xB7\xD6\xD7\xE9\xBF\xF2" "3", G, Role::none, kWindow, {316, 4, 304, 216}, "WAN\xBF\xDA\xD7\xB4\xCC\xAC"),  // 分组框3 WAN口状态
    control("\xB1\xEA\xC7\xA9" "10", L, Role::none, kWan, {4, 15, 67, 24}, "  MAC\xB5\xD8\xD6\xB7\xA3\xBA"),  // 标签10   MAC地址：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "10", E, Field::wanMacBox, kWindow, {390, 19, 220, 24}, ""),  // 编辑框10
    control("\xB1\xEA\xC7\xA9" "11", L, Role::none, kWindow, {320, 47, 67, 24}, "   IP\xB5\xD8\xD6\xB7\xA3\xBA"),  // 标签11    IP地址：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "11", E, Field::wanIpBox, kWindow, {391, 47, 220, 24}, ""),  // 编辑框11
    control("\xB1\xEA\xC7\xA9" "12", L, Role::none, kWan, {4, 71, 67, 24}, " \xD7\xD3\xCD\xF8\xD1\xDA\xC2\xEB\xA3\xBA"),  // 标签12  子网掩码：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "12", E, Field::wanMaskBox, kWan, {75, 71, 220, 24}, ""),  // 编辑框12
    control("\xB1\xEA\xC7\xA9" "13", L, Role::none, kWan, {4, 99, 67, 24}, "     \xCD\xF8\xB9\xD8\xA3\xBA"),  // 标签13      网关：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "13", E, Field::wanGatewayBox, kWindow, {391, 103, 220, 24}, ""),  // 编辑框13
    control("\xB1\xEA\xC7\xA9" "14", L, Role::none, kWan, {4, 128, 67, 24}, "DNS\xB7\xFE\xCE\xF1\xC6\xF7\xA3\xBA"),  // 标签14 DNS服务器：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "14", E, Field::wanDnsBox, kWindow, {391, 130, 220, 24}, ""),  // 编辑框14
    control("\xB1\xEA\xC7\xA9" "15", L, Role::none, kWan, {4, 156, 67, 24}, " \xC9\xCF\xCD\xF8\xCA\xB1\xBC\xE4\xA3\xBA"),  // 标签15  上网时间：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "15", E, Field::wanUptimeBox, kWan, {75, 155, 220, 24}, ""),  // 编辑框15
    control("\xB1\xEA\xC7\xA9" "16", L, Role::none, kWan, {4, 184, 100, 24}, "\xC2\xB7\xD3\xC9\xD3\xDA\xBF\xED\xB4\xF8\xD7\xB4\xCC\xAC\xA3\xBA"),  // 标签16 路由于宽带状态：
    withColour(field("\xB1\xE0\xBC\xAD\xBF\xF2" "16", E, Field::wanLinkBox, kWindow, {424, 188, 188, 24}, ""), kRed, false),  // 编辑框16
    control("\xB7\xD6\xD7\xE9\xBF\xF2" "1", G, Role::none, kWindow, {1, 223, 307, 104}, "LAN\xBF\xDA\xD7\xB4\xCC\xAC"),  // 分组框1 LAN口状态
    control("\xB1\xEA\xC7\xA9" "1", L, Role::none, kLan, {7, 16, 67, 24}, "  MAC\xB5\xD8\xD6\xB7\xA3\xBA"),  // 标签1   MAC地址：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "1", E, Field::lanMacBox, kLan, {76, 16, 220, 24}, ""),  // 编辑框1
    control("\xB1\xEA\xC7\xA9" "2", L, Role::none, kWindow, {7, 267, 67, 24}, "   IP\xB5\xD8\xD6\xB7\xA3\xBA"),  // 标签2    IP地址：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "2", E, Field::lanIpBox, kWindow, {77, 267, 220, 24}, ""),  // 编辑框2
    control("\xB1\xEA\xC7\xA9" "3", L, Role::none, kWindow, {7, 296, 67, 24}, " \xD7\xD3\xCD\xF8\xD1\xDA\xC2\xEB\xA3\xBA"),  // 标签3  子网掩码：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "3", E, Field::lanMaskBox, kLan, {76, 72, 220, 24}, ""),  // 编辑框3
    control("\xB7\xD6\xD7\xE9\xBF\xF2" "4", G, Role::none, kWindow, {312, 224, 308, 104}, "\xCE\xDE\xCF\xDF\xCD\xF8\xC2\xE7\xC1\xAC\xBD\xD3\xCA\xFD \xBA\xCD SSID\xBA\xC5\xD0\xDE\xB8\xC4"),  // 分组框4 无线网络连接数 和 SSID号修改
    withColour(field("\xB1\xEA\xC7\xA9" "19", L, Field::stationCountLabel, kStations, {16, 16, 280, 24}, "\xB1\xEA\xC7\xA9"), kPurple, true),  // 标签19 标签
    control("\xB1\xEA\xC7\xA9" "20", L, Role::none, kWindow, {320, 276, 67, 24}, "   SSID\xBA\xC5\xA3\xBA"),  // 标签20    SSID号：
    field("\xB1\xE0\xBC\xAD\xBF\xF2" "18", E, Field::newSsidBox, kWindow, {388, 276, 164, 24}, ""),  // 编辑框18
    control("\xB0\xB4\xC5\xA5" "5", B, Role::renameSsidButton, kStations, {248, 52, 48, 24}, "\xD0\xDE\xB8\xC4"),  // 按钮5 修改
    control("\xB7\xD6\xD7\xE9\xBF\xF2" "5", G, Role::none, kWindow, {4, 331, 616, 93}, "TP-Link \xBF\xD8\xD6\xC6\xB2\xD9\xD7\xF7"),  // 分组框5 TP-Link 控制操作
    control("\xB0\xB4\xC5\xA5" "3", B, Role::hangUpButton, kWindow, {46, 363, 92, 28}, "\xB6\xCF\xBF\xAA"),  // 按钮3 断开
    control("\xB0\xB4\xC5\xA5" "2", B, Role::dialButton, kWindow, {191, 363, 92, 28}, "\xB2\xA6\xBA\xC5"),  // 按钮2 拨号
    control("\xB0\xB4\xC5\xA5" "4", B, Role::wirelessButton, kWindow, {335, 363, 92, 28}, "\xCE\xDE\xCF\xDF\xCD\xF8\xC2\xE7 \xBF\xAA/\xB9\xD8"),  // 按钮4 无线网络 开/关
    control("\xB0\xB4\xC5\xA5" "1", B, Role::broadcastButton, kControls, {473, 32, 92, 28}, "SSID\xB9\xE3\xB2\xA5 \xBF\xAA/\xB9\xD8"),  // 按钮1 SSID广播 开/关
    withColour(control("\xB1\xEA\xC7\xA9" "17", L, Role::statusLine, kWindow, {32, 428, 552, 24}, "\xC4\xDA\xD6\xC3\xCB\xA2\xD0\xC2\xC6\xB5\xC2\xCA\xCE\xAA 3\xC3\xEB\xCB\xA2\xD0\xC2\xD0\xC5\xCF\xA2\xD2\xBB\xB4\xCE"), kBlue, true),  // 标签17 内置刷新频率为 3秒刷新信息一次
};

constexpr std::array kLoginControls = {
    control("\xB1\xEA\xC7\xA9" "1", L, Role::none, kWindow, {8, 4, 40, 24}, "\xD5\xCB\xBB\xA7\xA3\xBA"),  // 标签1 账户：
    control("\xB1\xE0\xBC\xAD\xBF\xF2" "1", E, Role::accountBox, kWindow, {48, 4, 176, 24}, ""),  // 编辑框1
    control("\xB1\xEA\xC7\xA9" "2", L, Role::none, kWindow, {8, 32, 40, 24}, "\xC3\xDC\xC2\xEB\xA3\xBA"),  // 标签2 密码：
    control("\xB1\xE0\xBC\xAD\xBF\xF2" "2", E, Role::passwordBox, kWindow, {48, 32, 176, 24}, ""),  // 编辑框2
    control("\xB1\xEA\xC7\xA9" "3", L, Role::none, kWindow, {7, 60, 40, 24}, "\xB6\xCB\xBF\xDA\xA3\xBA"),  // 标签3 端口：
    control("\xB1\xE0\xBC\xAD\xBF\xF2" "3", E, Role::portBox, kWindow, {47, 60, 44, 24}, "80"),  // 编辑框3 80
    control("\xB0\xB4\xC5\xA5" "1", B, Role::loginOkButton, kWindow, {116, 61, 64, 20}, "\xC8\xB7\xB6\xA8"),  // 按钮1 确定
    control("\xB1\xEA\xC7\xA9" "4", L, Role::none, kWindow, {7, 88, 49, 24}, "\xB9\xDC\xC0\xEDIP\xA3\xBA"),  // 标签4 管理IP：
    control("\xB1\xE0\xBC\xAD\xBF\xF2" "4", E, Role::ipBox, kWindow, {56, 87, 168, 24}, "192.168.1.1"),  // 编辑框4 192.168.1.1
};

// clang-format on

constexpr WindowLayout kMainWindow = {
    // TP-Link TL-WR745N 无线路由管理器    RouterDesk
    "TP-Link TL-WR745N \xCE\xDE\xCF\xDF\xC2\xB7\xD3\xC9\xB9\xDC\xC0\xED\xC6\xF7    RouterDesk", 632,
    478, kMainControls};

constexpr WindowLayout kLoginWindow = {
    "TP \xB9\xDC\xC0\xED\xC3\xDC\xC2\xEB\xC9\xE8\xD6\xC3",  // TP 管理密码设置
    237, 141, kLoginControls};

}  // namespace

const WindowLayout& mainWindowLayout() {
    return kMainWindow;
}
const WindowLayout& loginWindowLayout() {
    return kLoginWindow;
}

std::string_view roleName(const ControlLayout& control) {
    if (control.field) {
        return fieldName(*control.field);
    }
    switch (control.role) {
        case Role::statusLine:
            return "statusLine";
        case Role::renameSsidButton:
            return "renameSsidButton";
        case Role::hangUpButton:
            return "hangUpButton";
        case Role::dialButton:
            return "dialButton";
        case Role::wirelessButton:
            return "wirelessButton";
        case Role::broadcastButton:
            return "broadcastButton";
        case Role::accountBox:
            return "accountBox";
        case Role::passwordBox:
            return "passwordBox";
        case Role::portBox:
            return "portBox";
        case Role::ipBox:
            return "ipBox";
        case Role::loginOkButton:
            return "loginOkButton";
        case Role::none:
        case Role::field:
            break;
    }
    return {};
}

Rect windowRect(const WindowLayout& window, const ControlLayout& control) {
    Rect rect = control.rect;
    if (control.parent >= 0) {
        const Rect& group = window.controls[static_cast<std::size_t>(control.parent)].rect;
        rect.x += group.x;
        rect.y += group.y;
    }
    return rect;
}

}  // namespace routerdesk::layout
