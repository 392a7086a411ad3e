#include "tests/support/case_name.h"
#include "status/refresh.h"

#include <gtest/gtest.h>

#include "status/status_texts.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_transport.h"
#include "tools/router-sim/firmware_page.h"

namespace routerdesk {
namespace {

using sim::ScriptValue;
using testing::RecordingHost;
using testing::ScriptedTransport;
using Values = std::vector<ScriptValue>;

ScriptValue n(long long v) {
    return ScriptValue::number(v);
}
ScriptValue q(std::string_view t) {
    return ScriptValue::quote(t);
}

const std::string kSsid = "\xCE\xD2\xB5\xC4\xCD\xF8";  // 我的网

Values lanValues() {
    return {q("00-0A-EB-13-7B-00"), q("192.168.1.1"), q("255.255.255.0")};
}

Values wlanValues() {
    // radio, SSID, channel (0 = auto), mode, MAC, IP, width, 8, rate, current channel, WDS
    return {n(1), q(kSsid), n(0), n(5), q("00-0A-EB-13-7B-01"), q("192.168.1.1"), n(2),
            n(8), n(71),    n(6), n(0)};
}

Values wanValues() {
    return {n(4),
            q("00-0A-EB-13-7B-02"),
            q("10.1.2.3"),
            n(2),
            q("255.255.255.0"),
            n(0),
            n(0),
            q("10.1.2.1"),
            n(1),
            n(0),
            n(0),
            q("8.8.8.8 , 8.8.4.4"),
            q("0 day(s) 01:02:03"),
            n(1),
            n(0),
            n(0),
            n(0),
            n(0),
            n(0)};
}

std::string statusPage(const Values& lan, const Values& wlan, const Values& wan) {
    return sim::renderFirmwarePage({sim::renderScriptArray("statusPara", {n(1), n(1), n(22)}),
                                    sim::renderScriptArray("lanPara", lan),
                                    sim::renderScriptArray("wlanPara", wlan),
                                    sim::renderScriptArray("statistList", {n(5), n(6)}),
                                    sim::renderScriptArray("wanPara", wan)});
}

std::string networkPage(int broadcast) {
    Values wlan(28, n(0));
    wlan[3] = q(kSsid);
    wlan[8] = n(1);
    wlan[9] = n(broadcast);
    return sim::renderFirmwarePage({sim::renderScriptArray("wlanPara", wlan)});
}

std::string stationPage(int stations) {
    return sim::renderFirmwarePage(
        {sim::renderScriptArray("wlanHostPara", {n(stations), n(1), n(8), n(5000), n(4)}),
         sim::renderScriptArray("hostList", {q("00-11-22-33-44-55"), n(5), n(10), n(20)})});
}

class RefreshTest : public ::testing::Test {
  protected:
    RefreshTest() { context.login = {"admin", "admin", "80", "192.168.1.1"}; }

    void serve(const std::string& status, const std::string& network, const std::string& station) {
        transport->answer(std::string(kStatusPage), status);
        transport->answer(std::string(kWlanNetworkPage), network);
        transport->answer(std::string(kWlanStationPage), station);
    }
    void serveDefault(const Values& wan = wanValues()) {
        serve(statusPage(lanValues(), wlanValues(), wan), networkPage(1), stationPage(3));
    }
    std::string text(Field f) { return host.fieldText(f); }

    std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
    RecordingHost host;
    ProgramContext context{host, transport};
};

TEST_F(RefreshTest, FullPassFillsEveryField) {
    serveDefault();
    refreshStatus(context);

    EXPECT_EQ(text(Field::lanMacBox), "\n00-0A-EB-13-7B-00");
    EXPECT_EQ(text(Field::lanIpBox), "\n192.168.1.1");
    EXPECT_EQ(text(Field::lanMaskBox), "\n255.255.255.0");
    EXPECT_EQ(text(Field::wirelessStateBox), texts::kWirelessOn);
    EXPECT_EQ(text(Field::ssidBox), "\n" + kSsid);
    EXPECT_EQ(text(Field::channelBox), std::string(texts::kChannelAuto) + "\n6) ");
    EXPECT_EQ(text(Field::modeBox), "11bgn mixed");
    EXPECT_EQ(text(Field::bandwidthBox), texts::kWidthAuto);
    EXPECT_EQ(text(Field::wdsStateBox), texts::kWdsOff);
    EXPECT_EQ(text(Field::wanMacBox), "\n00-0A-EB-13-7B-02");
    EXPECT_EQ(text(Field::wanIpBox), "\n10.1.2.3");
    EXPECT_EQ(text(Field::wanMaskBox), "\n255.255.255.0");
    EXPECT_EQ(text(Field::wanGatewayBox), "\n10.1.2.1");
    EXPECT_EQ(text(Field::wanDnsBox), "\n8.8.8.8 , 8.8.4.4");
    EXPECT_EQ(text(Field::wanUptimeBox), "\n0 day(s) 01:02:03");
    EXPECT_EQ(text(Field::wanLinkBox), texts::kLinkUp);
    EXPECT_EQ(host.colors[Field::wanLinkBox], kBlack);
    EXPECT_EQ(text(Field::broadcastStateBox), texts::kBroadcastOn);
    EXPECT_EQ(text(Field::stationCountLabel), std::string(texts::kStationCountPrefix) + "\n3");
    EXPECT_EQ(transport->targets(),
              (std::vector<std::string>{"/userRpm/StatusRpm.htm", "/userRpm/WlanNetworkRpm.htm",
                                        "/userRpm/WlanStationRpm.htm?Page=1"}));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.statusLines.empty());  // only the tick shows the notice
    EXPECT_EQ(host.dispatches, 2);          // the two yields
}

TEST_F(RefreshTest, OneLineArraysReadTheSame) {
    // Some firmware writes all values on one line; pieces then begin with a blank, not LF.
    serve(sim::renderFirmwarePage(
              {sim::renderScriptArray("lanPara", lanValues(), sim::ArrayLayout::oneLine)}),
          "", "");
    refreshStatus(context);
    EXPECT_EQ(text(Field::lanMacBox), "00-0A-EB-13-7B-00");
    EXPECT_EQ(text(Field::lanIpBox), " 192.168.1.1");
}

TEST_F(RefreshTest, LoginFailureStopsTimerWithOneMessageAndWritesNothing) {
    host.refreshPeriod = kRefreshPeriodMs;
    serve(sim::renderFirmwarePage({sim::renderScriptArray("lanPara", lanValues())},
                                  "\xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC"),
          networkPage(1), stationPage(3));
    handleRefreshTick(context);
    EXPECT_EQ(host.refreshPeriod, 0u);
    EXPECT_EQ(host.messages, std::vector<std::string>{std::string(texts::kLoginFailedMessage)});
    EXPECT_TRUE(host.writes.empty());
    EXPECT_EQ(transport->targets().size(), 1u);
    ASSERT_EQ(host.statusLines.size(), 1u);
    EXPECT_EQ(host.statusLines[0], std::make_pair(std::string(texts::kRefreshNotice), kBlue));
}

TEST_F(RefreshTest, FailedPagesLeaveFieldsAndLabelAsTheyWere) {
    host.texts[Field::lanIpBox] = "old";
    host.texts[Field::stationCountLabel] = "caption";
    transport->answer(std::string(kWlanNetworkPage), networkPage(0));
    refreshStatus(context);  // pages 1 and 3 fail
    EXPECT_EQ(text(Field::lanIpBox), "old");
    EXPECT_EQ(text(Field::stationCountLabel), "caption");
    EXPECT_EQ(text(Field::broadcastStateBox), texts::kBroadcastOff);
    EXPECT_EQ(transport->targets().size(), 3u);
}

TEST_F(RefreshTest, MinimumPieceCounts) {
    Values wlan = wlanValues();  // 11 values + the closing "0,0" make 13 pieces
    wlan.resize(9);              // 9 + 2 = 11 pieces: below the wireless minimum
    Values wan = wanValues();
    wan.resize(14);  // 14 + 2 = 16 pieces: exactly the WAN minimum
    serve(statusPage(lanValues(), wlan, wan), "", "");
    refreshStatus(context);
    EXPECT_EQ(text(Field::ssidBox), "");
    EXPECT_EQ(text(Field::wanLinkBox), texts::kLinkUp);
    EXPECT_EQ(text(Field::wanUptimeBox), "\n0 day(s) 01:02:03");
}

struct CodedCase {
    const char* name;
    std::size_t index;  // into wlanValues()
    ScriptValue value;
    Field field;
    std::string expected;  // "" = keeps its previous text ("previous")
};

class WirelessRowTest : public RefreshTest, public ::testing::WithParamInterface<CodedCase> {};

TEST_P(WirelessRowTest, CodeSelectsTextOrKeepsField) {
    const CodedCase& c = GetParam();
    host.texts[c.field] = "previous";
    Values wlan = wlanValues();
    wlan[c.index] = c.value;
    serve(statusPage(lanValues(), wlan, wanValues()), "", "");
    refreshStatus(context);
    EXPECT_EQ(text(c.field), c.expected.empty() ? "previous" : c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WirelessRowTest,
    ::testing::Values(
        CodedCase{"radio_off", 0, n(0), Field::wirelessStateBox, std::string(texts::kWirelessOff)},
        CodedCase{"radio_unknown", 0, n(7), Field::wirelessStateBox, ""},
        CodedCase{"mode_11b", 3, n(1), Field::modeBox, "11b only"},
        CodedCase{"mode_11g", 3, n(2), Field::modeBox, "11g only"},
        CodedCase{"mode_11n", 3, n(3), Field::modeBox, "11n only"},
        CodedCase{"mode_11bg", 3, n(4), Field::modeBox, "11bg mixed"},
        CodedCase{"mode_unknown", 3, n(6), Field::modeBox, ""},
        CodedCase{"mode_two_digits", 3, n(11), Field::modeBox, ""},
        CodedCase{"mode_quoted", 3, q("1"), Field::modeBox, ""},
        CodedCase{"width_20", 6, n(1), Field::bandwidthBox, "20MHz"},
        CodedCase{"width_40", 6, n(3), Field::bandwidthBox, "40MHz"},
        CodedCase{"width_unknown", 6, n(0), Field::bandwidthBox, ""},
        CodedCase{"wds_init", 10, n(1), Field::wdsStateBox, std::string(texts::kWdsInit)},
        CodedCase{"wds_scan", 10, n(2), Field::wdsStateBox, std::string(texts::kWdsScan)},
        CodedCase{"wds_auth", 10, n(3), Field::wdsStateBox, std::string(texts::kWdsAuth)},
        CodedCase{"wds_assoc", 10, n(4), Field::wdsStateBox, std::string(texts::kWdsAssoc)},
        CodedCase{"wds_run", 10, n(5), Field::wdsStateBox, std::string(texts::kWdsRun)},
        CodedCase{"wds_unknown", 10, n(6), Field::wdsStateBox, ""},
        CodedCase{"channel_fixed", 2, n(11), Field::channelBox,
                  std::string(texts::kChannelFixed) + "\n6) "},
        CodedCase{"channel_empty_is_fixed", 2, q(""), Field::channelBox,
                  std::string(texts::kChannelFixed) + "\n6) "}),
    testing::CaseName());

TEST_F(RefreshTest, SsidWithCommaShiftsLaterRows) {
    Values wlan = wlanValues();
    wlan[1] = q("a,b");
    serve(statusPage(lanValues(), wlan, wanValues()), "", "");
    refreshStatus(context);
    EXPECT_EQ(text(Field::ssidBox), "\na");
    // Piece 3 is now the channel value 0 and piece 9 the rate 71: mode is not a known code
    // ("\n0") and stays, the channel text shows the shifted piece.
    EXPECT_EQ(text(Field::modeBox), "");
    EXPECT_EQ(text(Field::channelBox), std::string(texts::kChannelFixed) + "\n71) ");
}

struct LinkCase {
    const char* name;
    int wanStatus;
    int connection;
    std::string text;  // "" = unchanged
    Color color;
};

class LinkStateTest : public RefreshTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkStateTest, FollowsTheTableInOrder) {
    const LinkCase& c = GetParam();
    host.texts[Field::wanLinkBox] = "previous";
    host.colors[Field::wanLinkBox] = 0x123456;
    Values wan = wanValues();
    wan[0] = n(c.wanStatus);
    wan[13] = n(c.connection);  // piece 14 once the DNS text has been split in two
    serveDefault(wan);
    refreshStatus(context);
    EXPECT_EQ(text(Field::wanLinkBox), c.text.empty() ? "previous" : c.text);
    EXPECT_EQ(host.colors[Field::wanLinkBox], c.text.empty() ? 0x123456 : c.color);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LinkStateTest,
    ::testing::Values(LinkCase{"up_whatever_state", 4, 5, std::string(texts::kLinkUp), kBlack},
                      LinkCase{"offline", 3, 0, std::string(texts::kLinkOffline), kRed},
                      LinkCase{"no_cable", 3, 6, std::string(texts::kLinkNoCable), kRed},
                      LinkCase{"no_server", 3, 4, std::string(texts::kLinkNoServer), kRed},
                      LinkCase{"dialling", 3, 2, std::string(texts::kLinkDialling), kRed},
                      LinkCase{"down_unknown_state", 3, 5, "", 0},
                      LinkCase{"unknown_status", 1, 0, "", 0}),
    testing::CaseName());

TEST_F(RefreshTest, DnsKeepsWhatStandsAroundEachPiece) {
    Values wan = wanValues();
    wan[11] = q("8.8.8.8 , ");
    serveDefault(wan);
    refreshStatus(context);
    EXPECT_EQ(text(Field::wanDnsBox), "\n8.8.8.8 , ");
}

TEST_F(RefreshTest, BroadcastUnknownCodeKeepsField) {
    host.texts[Field::broadcastStateBox] = "previous";
    serve("", networkPage(2), "");
    refreshStatus(context);
    EXPECT_EQ(text(Field::broadcastStateBox), "previous");
}

TEST_F(RefreshTest, TickDuringPendingPassIsSkipped) {
    serveDefault();
    transport->setDelay(std::chrono::milliseconds(30));
    int ticks = 0;
    host.onDispatch = [&] {
        ++ticks;
        handleRefreshTick(context);  // a timer tick arriving while the pass waits
    };
    handleRefreshTick(context);
    EXPECT_GT(ticks, 2);
    EXPECT_EQ(transport->targets().size(), 3u);  // one pass, not one per tick
    EXPECT_EQ(host.statusLines.size(), 1u);
    EXPECT_FALSE(context.refreshUnderWay);
    host.onDispatch = nullptr;
    handleRefreshTick(context);  // the next tick after the pass runs normally
    EXPECT_EQ(transport->targets().size(), 6u);
}

}  // namespace
}  // namespace routerdesk
