#include "core/gbk.h"

#include <gtest/gtest.h>

#include "control/command_texts.h"
#include "core/utf8.h"
#include "status/status_texts.h"

namespace routerdesk {
namespace {

// The program's texts are spelled as GBK bytes; each must read as the text beside it.
TEST(GbkTextsTest, EveryLiteralIsTheIntendedText) {
    const std::pair<std::string_view, const char*> cases[] = {
        {texts::kLoginFailed, "登录失败"},
        {texts::kLoginFailedMessage,
         "帐号或密码错误导致登录失败 请删除 程序目录下的 无线路由配置.ini "
         "文件后重新启动本程序设置密码"},
        {texts::kRefreshNotice, "内置刷新频率为 3秒刷新信息一次"},
        {texts::kWirelessOff, "关闭状态"},
        {texts::kWirelessOn, "开启状态"},
        {texts::kChannelAuto, "自动(当前信道"},
        {texts::kChannelFixed, "指定(当前信道"},
        {texts::kWidthAuto, "自动"},
        {texts::kWdsOff, "未开启"},
        {texts::kWdsInit, "初始化..."},
        {texts::kWdsScan, "扫描..."},
        {texts::kWdsAuth, "认证..."},
        {texts::kWdsAssoc, "关联..."},
        {texts::kWdsRun, "成功"},
        {texts::kLinkUp, "无线路由 于 宽度通讯正常"},
        {texts::kLinkOffline, "无线路由没有联网 请拨号"},
        {texts::kLinkNoCable, "线路或电源故障请检测(WAN口未连接)"},
        {texts::kLinkNoServer, "宽带断线或线路故障(服务器无响应)"},
        {texts::kLinkDialling, "无线路由拨号中..."},
        {texts::kBroadcastOn, "无线网络信号可被发现"},
        {texts::kBroadcastOff, "无线网络信号不可被发现"},
        {texts::kStationCountPrefix, "无线网络连接数： "},
        {texts::kHungUp, "网络已断开 等待刷新..."},
        {texts::kDialling, "拨号中 等待刷新..."},
        {texts::kBroadcastSwitchedOff, "SSID广播已关闭 等待刷新..."},
        {texts::kBroadcastSwitchedOn, "SSID广播已开启 等待刷新..."},
        {texts::kWirelessSwitchedOff, "无线网络已关闭 等待刷新..."},
        {texts::kWirelessSwitchedOn, "无线网络已开启 等待刷新..."},
        {texts::kSsidRenamed, "SSID号修改完毕 等待刷新..."},
    };
    for (const auto& [gbk, utf8] : cases) {
        EXPECT_EQ(gbkToUtf8(gbk), utf8);
        EXPECT_EQ(utf8ToGbk(utf8), gbk) << utf8;
    }
}

TEST(GbkTest, UnconvertibleInputBecomesReplacement) {
    EXPECT_EQ(utf8ToGbk("a\xC3(b"), "a?(b");          // a broken sequence
    EXPECT_EQ(utf8ToGbk("\xF0\x9F\x98\x80!"), "?!");  // an emoji GBK cannot hold
    EXPECT_EQ(utf8ToGbkExact("\xE4\xB8\xAD"), std::optional<std::string>("\xD6\xD0"));  // 中
    EXPECT_EQ(utf8ToGbkExact("\xF0\x9F\x98\x80"), std::nullopt);
    EXPECT_EQ(utf8ToGbkExact("\xC3"), std::nullopt);
}

// GTK takes nothing but well-formed UTF-8, whatever bytes a router sends.
TEST(GbkTest, AnyBytesGiveWellFormedUtf8) {
    std::string every;
    for (int lead = 0x01; lead <= 0xFF; ++lead) {
        for (const int trail : {0x01, 0x30, 0x40, 0x7F, 0x80, 0xA1, 0xFE, 0xFF}) {
            every += static_cast<char>(lead);
            every += static_cast<char>(trail);
        }
    }
    every += "\x81";  // a lead byte at the very end
    const std::string converted = gbkToUtf8(every);
    std::string_view utf8 = converted;
    ASSERT_FALSE(utf8.empty());
    while (!utf8.empty()) {
        const std::size_t length = utf8SequenceLength(utf8);
        ASSERT_NE(length, 0u) << "ill-formed at " << utf8.size() << " bytes from the end";
        utf8.remove_prefix(length);
    }
}

}  // namespace
}  // namespace routerdesk
