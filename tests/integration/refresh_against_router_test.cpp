// The refresh pass against the simulated router, over loopback and the real transport.
#include <gtest/gtest.h>

#include "core/gbk.h"
#include "status/refresh.h"
#include "status/status_texts.h"
#include "tests/integration/sim_fixture.h"

namespace routerdesk {
namespace {

using testing::SimulatedRouterTest;

class RefreshAgainstRouterTest : public SimulatedRouterTest {
  protected:
    std::string shown(Field field) { return gbkToUtf8(host.fieldText(field)); }
};

TEST_F(RefreshAgainstRouterTest, PassShowsTheRouterState) {
    router.updateState([](sim::RouterState& state) {
        state.ssid = utf8ToGbk("我家的网络");
        state.channel = 11;
        state.currentChannel = 11;
        state.mode = 3;
        state.width = 3;
        state.wdsState = 5;
        state.broadcastOn = false;
        state.stationCount = 4;
    });
    refreshStatus(context);

    EXPECT_EQ(shown(Field::lanMacBox), "\n00-0A-EB-13-7B-00");
    EXPECT_EQ(shown(Field::lanIpBox), "\n192.168.1.1");
    EXPECT_EQ(shown(Field::lanMaskBox), "\n255.255.255.0");
    EXPECT_EQ(shown(Field::wirelessStateBox), "开启状态");
    EXPECT_EQ(shown(Field::ssidBox), "\n我家的网络");
    EXPECT_EQ(shown(Field::channelBox), "指定(当前信道\n11) ");
    EXPECT_EQ(shown(Field::modeBox), "11n only");
    EXPECT_EQ(shown(Field::bandwidthBox), "40MHz");
    EXPECT_EQ(shown(Field::wdsStateBox), "成功");
    EXPECT_EQ(shown(Field::wanMacBox), "\n00-0A-EB-13-7B-01");
    EXPECT_EQ(shown(Field::wanIpBox), "\n203.0.113.57");
    EXPECT_EQ(shown(Field::wanMaskBox), "\n255.255.255.255");
    EXPECT_EQ(shown(Field::wanGatewayBox), "\n203.0.113.1");
    EXPECT_EQ(shown(Field::wanDnsBox), "\n198.51.100.53 , 198.51.100.54");
    EXPECT_TRUE(shown(Field::wanUptimeBox).starts_with("\n")) << shown(Field::wanUptimeBox);
    EXPECT_EQ(shown(Field::wanLinkBox), "无线路由 于 宽度通讯正常");
    EXPECT_EQ(host.colors[Field::wanLinkBox], kBlack);
    EXPECT_EQ(shown(Field::broadcastStateBox), "无线网络信号不可被发现");
    EXPECT_EQ(shown(Field::stationCountLabel), "无线网络连接数： \n4");
    EXPECT_TRUE(host.messages.empty());
}

struct LinkCase {
    const char* name;
    sim::WanLink link;
    const char* text;
    Color color;
};

class LinkAgainstRouterTest : public RefreshAgainstRouterTest,
                              public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkAgainstRouterTest, LinkStateTextAndColour) {
    router.updateState([](sim::RouterState& state) { state.wanLink = GetParam().link; });
    refreshStatus(context);
    EXPECT_EQ(shown(Field::wanLinkBox), GetParam().text);
    EXPECT_EQ(host.colors[Field::wanLinkBox], GetParam().color);
}

INSTANTIATE_TEST_SUITE_P(
    Links, LinkAgainstRouterTest,
    ::testing::Values(
        LinkCase{"up", sim::WanLink::up, "无线路由 于 宽度通讯正常", kBlack},
        LinkCase{"offline", sim::WanLink::offline, "无线路由没有联网 请拨号", kRed},
        LinkCase{"connecting", sim::WanLink::connecting, "无线路由拨号中...", kRed},
        LinkCase{"no_cable", sim::WanLink::noCable, "线路或电源故障请检测(WAN口未连接)", kRed},
        LinkCase{"no_server", sim::WanLink::noServer, "宽带断线或线路故障(服务器无响应)", kRed}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(RefreshAgainstRouterTest, WrongPasswordStopsTheCycleWithTheMessage) {
    context.login.password = "wrong";
    host.refreshPeriod = kRefreshPeriodMs;
    handleRefreshTick(context);
    EXPECT_EQ(host.refreshPeriod, 0u);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(gbkToUtf8(host.messages[0]),
              "帐号或密码错误导致登录失败 请删除 程序目录下的 无线路由配置.ini "
              "文件后重新启动本程序设置密码");
    EXPECT_TRUE(host.writes.empty());
    EXPECT_EQ(router.requests().size(), 1u);
    EXPECT_EQ(host.statusLines.back().second, kBlue);
}

}  // namespace
}  // namespace routerdesk
