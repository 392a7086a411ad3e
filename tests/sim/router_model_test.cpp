// The simulated router's state model, driven by a clock the test holds.
#include <gtest/gtest.h>

#include <set>

#include "tools/router-sim/router_state.h"

namespace routerdesk::sim {
namespace {

using namespace std::chrono_literals;

class RouterModelTest : public ::testing::Test {
  protected:
    RouterModel makeModel(RouterState state = {}) { return RouterModel(state, timings, t0); }

    Timings timings{2000ms, 0ms};
    TimePoint t0 = Clock::now();
};

TEST_F(RouterModelTest, ConnectDialsForTheDialTimeThenComesUpWithAFreshOnlineTime) {
    RouterState state;
    state.onlineTime = 5000s;
    RouterModel model = makeModel(state);
    EXPECT_EQ(model.stateAt(t0 + 10s).onlineTime, 5010s);

    model.connect(t0 + 10s);
    EXPECT_EQ(model.stateAt(t0 + 10s).wanLink, WanLink::connecting);
    EXPECT_EQ(model.stateAt(t0 + 11999ms).wanLink, WanLink::connecting);
    EXPECT_EQ(model.stateAt(t0 + 11999ms).onlineTime, 0s);

    const RouterState& up = model.stateAt(t0 + 15s);
    EXPECT_EQ(up.wanLink, WanLink::up);
    EXPECT_EQ(up.onlineTime, 3s);  // counted from the end of the dial, not from the request
}

TEST_F(RouterModelTest, DisconnectTakesTheLinkDownAndCancelsADialUnderWay) {
    RouterModel model = makeModel();
    model.connect(t0);
    model.disconnect(t0 + 1s);
    const RouterState& state = model.stateAt(t0 + 10s);
    EXPECT_EQ(state.wanLink, WanLink::offline);
    EXPECT_EQ(state.onlineTime, 0s);
}

TEST_F(RouterModelTest, ReplacingTheStateMidDialKeepsTheDialsEnd) {
    RouterModel model = makeModel();
    model.connect(t0);
    RouterState changed = model.stateAt(t0 + 1s);
    changed.stationCount = 5;
    model.replaceState(changed, t0 + 1s);
    EXPECT_EQ(model.stateAt(t0 + 2s).wanLink, WanLink::up);
}

TEST_F(RouterModelTest, WirelessFormTakesEveryField) {
    RouterModel model = makeModel();
    WirelessForm form;
    form.ssid = "\xCE\xD2\xB5\xC4 net";  // 我的 net
    form.radioOn = true;
    form.broadcastOn = false;
    form.channel = 11;
    form.mode = 3;
    form.width = 3;
    ASSERT_TRUE(model.applyWirelessForm(form, t0));
    const RouterState& state = model.stateAt(t0);
    EXPECT_EQ(state.ssid, form.ssid);
    EXPECT_TRUE(state.radioOn);
    EXPECT_FALSE(state.broadcastOn);
    EXPECT_EQ(state.channel, 11);
    EXPECT_EQ(state.currentChannel, 11);
    EXPECT_EQ(state.mode, 3);
    EXPECT_EQ(state.width, 3);
}

TEST_F(RouterModelTest, OutOfRangeFieldsKeepTheirSettingAndABadSsidRefusesTheForm) {
    RouterModel model = makeModel();
    WirelessForm form;
    form.ssid = "other";
    form.radioOn = true;
    form.channel = 14;
    form.mode = 6;
    form.width = 0;
    ASSERT_TRUE(model.applyWirelessForm(form, t0));
    EXPECT_EQ(model.stateAt(t0).channel, RouterState{}.channel);
    EXPECT_EQ(model.stateAt(t0).mode, RouterState{}.mode);
    EXPECT_EQ(model.stateAt(t0).width, RouterState{}.width);

    for (const std::string& ssid : {std::string(), std::string(33, 'x')}) {
        WirelessForm refused;
        refused.ssid = ssid;
        EXPECT_FALSE(model.applyWirelessForm(refused, t0));
        EXPECT_EQ(model.stateAt(t0).ssid, "other");
        EXPECT_TRUE(model.stateAt(t0).radioOn);
    }
}

TEST_F(RouterModelTest, StationCountMovesEveryStepAndStaysInRange) {
    timings.stationStep = 100ms;
    RouterModel model = makeModel();
    std::set<int> seen;
    for (int step = 0; step < 24; ++step) {
        const int count = model.stateAt(t0 + step * 100ms).stationCount;
        EXPECT_GE(count, 0);
        EXPECT_LE(count, kMaxStations);
        seen.insert(count);
    }
    EXPECT_GE(seen.size(), 3u);
    EXPECT_EQ(model.stateAt(t0 + 50ms + 24 * 100ms).stationCount,
              model.stateAt(t0 + 99ms + 24 * 100ms).stationCount);  // between steps: still
}

TEST_F(RouterModelTest, RadioOffLeavesNoStations) {
    timings.stationStep = 100ms;
    RouterModel model = makeModel();
    WirelessForm off;
    off.ssid = "x";
    ASSERT_TRUE(model.applyWirelessForm(off, t0));
    EXPECT_EQ(model.stateAt(t0).stationCount, 0);
    EXPECT_EQ(model.stateAt(t0 + 1s).stationCount, 0);  // nor do steps bring any back

    WirelessForm on = off;
    on.radioOn = true;
    ASSERT_TRUE(model.applyWirelessForm(on, t0 + 1s));
    EXPECT_GT(model.stateAt(t0 + 1s).stationCount, 0);
}

}  // namespace
}  // namespace routerdesk::sim
