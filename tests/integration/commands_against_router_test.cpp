// The five commands against the simulated router: each changes its state, and the next pass
// shows it.
#include <gtest/gtest.h>

#include <thread>

#include "control/command_texts.h"
#include "control/commands.h"
#include "core/gbk.h"
#include "status/refresh.h"
#include "status/status_texts.h"
#include "tests/integration/sim_fixture.h"

namespace routerdesk {
namespace {

using testing::SimulatedRouterTest;

class CommandsAgainstRouterTest : public SimulatedRouterTest {
  protected:
    void SetUp() override {
        SimulatedRouterTest::SetUp();
        refreshStatus(context);  // the commands work from what was shown
    }
};

TEST_F(CommandsAgainstRouterTest, HangUpThenDialBringsTheLinkBack) {
    hangUp(context);
    EXPECT_EQ(router.state().wanLink, sim::WanLink::offline);
    EXPECT_EQ(host.statusLines.back(), std::make_pair(std::string(texts::kHungUp), kMagenta));
    refreshStatus(context);
    EXPECT_EQ(host.fieldText(Field::wanLinkBox), texts::kLinkOffline);

    dial(context);
    EXPECT_EQ(router.state().wanLink, sim::WanLink::connecting);
    EXPECT_EQ(host.statusLines.back().first, texts::kDialling);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    refreshStatus(context);
    EXPECT_EQ(host.fieldText(Field::wanLinkBox), texts::kLinkUp);
}

TEST_F(CommandsAgainstRouterTest, SwitchesFollowTheDisplayedState) {
    router.updateState([](sim::RouterState& state) {
        state.channel = 9;
        state.currentChannel = 9;
        state.mode = 2;
        state.width = 1;
    });
    refreshStatus(context);

    toggleSsidBroadcast(context);  // shown as broadcasting: switch it off
    EXPECT_FALSE(router.state().broadcastOn);
    EXPECT_TRUE(router.state().radioOn);
    refreshStatus(context);
    EXPECT_EQ(host.fieldText(Field::broadcastStateBox), texts::kBroadcastOff);

    toggleWireless(context);  // shown as on: switch it off
    EXPECT_FALSE(router.state().radioOn);
    refreshStatus(context);
    EXPECT_EQ(host.fieldText(Field::wirelessStateBox), texts::kWirelessOff);
    toggleWireless(context);
    EXPECT_TRUE(router.state().radioOn);

    // The owner's channel, mode and width survive every switch.
    EXPECT_EQ(router.state().channel, 9);
    EXPECT_EQ(router.state().mode, 2);
    EXPECT_EQ(router.state().width, 1);
    EXPECT_EQ(router.state().ssid, "TP-LINK_\xBF\xCD\xCC\xFC");  // the shown SSID, LF removed
}

TEST_F(CommandsAgainstRouterTest, RenameCarriesAnySsidIntact) {
    for (const std::string& ssid : {utf8ToGbk("客厅 & 书房=#1+50%"), std::string("plain")}) {
        host.texts[Field::newSsidBox] = ssid;
        renameSsid(context);
        EXPECT_EQ(router.state().ssid, ssid);
        EXPECT_EQ(host.statusLines.back().first, texts::kSsidRenamed);
        refreshStatus(context);
        EXPECT_EQ(host.fieldText(Field::ssidBox), "\n" + ssid);
    }
}

}  // namespace
}  // namespace routerdesk
