#include "control/commands.h"

#include <gtest/gtest.h>

#include <functional>

#include "control/command_texts.h"
#include "status/status_texts.h"
#include "tests/support/case_name.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_transport.h"

namespace routerdesk {
namespace {

using testing::RecordingHost;
using testing::ScriptedTransport;

constexpr std::string_view kTail =
    "&brlssid=&brlbssid=&keytype=1&wepindex=1&keytext=&Save=%B1%A3+%B4%E6";

struct CommandCase {
    const char* name;
    std::function<void(ProgramContext&)> command;
    std::map<Field, std::string> shown;
    std::string target;
    std::string_view status;
};

class CommandTest : public ::testing::TestWithParam<CommandCase> {
  protected:
    CommandTest() { context.login = {"admin", "admin", "80", "192.168.1.1"}; }

    std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
    RecordingHost host;
    ProgramContext context{host, transport};
};

TEST_P(CommandTest, SendsItsTargetThenShowsItsStatusInMagenta) {
    const CommandCase& c = GetParam();
    host.texts = c.shown;
    c.command(context);
    ASSERT_EQ(transport->targets(), std::vector<std::string>{c.target});
    EXPECT_TRUE(transport->requests()[0].headers.starts_with("Authorization:YWRtaW46YWRtaW4=\r\n"));
    ASSERT_EQ(host.statusLines.size(), 1u);
    EXPECT_EQ(host.statusLines[0], std::make_pair(std::string(c.status), kMagenta));
}

const std::string kSsid = "\n\xCE\xD2\xB5\xC4\nNet";  // as shown: LF 我的 LF Net
const std::string kSsidSent = "%CE%D2%B5%C4Net";
const std::string kDefaults = "&wlMode=2&channel=0&mode=5&chanWidth=2";

std::string wireless(const std::string& ssid, const std::string& settings, const char* switches) {
    return "/userRpm/WlanNetworkRpm.htm?ssid1=" + ssid + settings + switches + std::string(kTail);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandTest,
    ::testing::Values(
        CommandCase{"hang_up", hangUp, {}, std::string(kHangUpTarget), texts::kHungUp},
        CommandCase{"dial", dial, {}, std::string(kDialTarget), texts::kDialling},
        CommandCase{
            "broadcast_off",
            toggleSsidBroadcast,
            {{Field::broadcastStateBox, std::string(texts::kBroadcastOn)}, {Field::ssidBox, kSsid}},
            wireless(kSsidSent, kDefaults, "&ap=1"),
            texts::kBroadcastSwitchedOff},
        CommandCase{"broadcast_on_from_off_text",
                    toggleSsidBroadcast,
                    {{Field::broadcastStateBox, std::string(texts::kBroadcastOff)},
                     {Field::ssidBox, kSsid}},
                    wireless(kSsidSent, kDefaults, "&ap=1&broadcast=2"),
                    texts::kBroadcastSwitchedOn},
        CommandCase{"broadcast_on_before_any_refresh",
                    toggleSsidBroadcast,
                    {},
                    wireless("", kDefaults, "&ap=1&broadcast=2"),
                    texts::kBroadcastSwitchedOn},
        CommandCase{
            "wireless_off",
            toggleWireless,
            {{Field::wirelessStateBox, std::string(texts::kWirelessOn)}, {Field::ssidBox, kSsid}},
            wireless(kSsidSent, kDefaults, ""),
            texts::kWirelessSwitchedOff},
        CommandCase{"wireless_on_before_any_refresh",
                    toggleWireless,
                    {},
                    wireless("", kDefaults, "&ap=1"),
                    texts::kWirelessSwitchedOn},
        CommandCase{"rename",
                    renameSsid,
                    {{Field::newSsidBox, "a&b=c#d+e%f g\r\n\xC1\xAC*-._"},
                     {Field::broadcastStateBox, std::string(texts::kBroadcastOn)}},
                    wireless("a%26b%3Dc%23d%2Be%25f+g%0D%0A%C1%AC*-._", kDefaults, "&ap=1"),
                    texts::kSsidRenamed},
        CommandCase{
            "rename_empty", renameSsid, {}, wireless("", kDefaults, "&ap=1"), texts::kSsidRenamed},
        // The settings the router has are sent back as they were shown, not reset.
        CommandCase{"keeps_fixed_channel_mode_width",
                    toggleSsidBroadcast,
                    {{Field::channelBox, std::string(texts::kChannelFixed) + "\n11) "},
                     {Field::modeBox, "11g only"},
                     {Field::bandwidthBox, "40MHz"}},
                    wireless("", "&wlMode=2&channel=11&mode=2&chanWidth=3", "&ap=1&broadcast=2"),
                    texts::kBroadcastSwitchedOn},
        CommandCase{"auto_channel_and_auto_width",
                    renameSsid,
                    {{Field::channelBox, std::string(texts::kChannelAuto) + "\n6) "},
                     {Field::modeBox, "11n only"},
                     {Field::bandwidthBox, std::string(texts::kWidthAuto)}},
                    wireless("", "&wlMode=2&channel=0&mode=3&chanWidth=2", "&ap=1"),
                    texts::kSsidRenamed},
        CommandCase{"unreadable_settings_fall_back",
                    toggleWireless,
                    {{Field::channelBox, std::string(texts::kChannelFixed) + "\nx) "},
                     {Field::modeBox, "typed by the user"},
                     {Field::bandwidthBox, "20MHz "}},
                    wireless("", kDefaults, "&ap=1"),
                    texts::kWirelessSwitchedOn}),
    testing::CaseName());

TEST(CommandFailureTest, FailedRequestStillShowsStatusAfterTheWait) {
    RecordingHost host;
    auto transport = std::make_shared<ScriptedTransport>();  // answers nothing
    ProgramContext context{host, transport};
    context.login = {"a", "b", "80", "10.0.0.1"};
    int dispatchesBeforeStatus = -1;
    host.onDispatch = [&] {
        if (host.statusLines.empty()) {
            dispatchesBeforeStatus = host.dispatches;
        }
    };
    transport->setDelay(std::chrono::milliseconds(50));
    dial(context);
    EXPECT_GT(dispatchesBeforeStatus, 0);  // the wait came first
    ASSERT_EQ(host.statusLines.size(), 1u);
    EXPECT_EQ(host.statusLines[0].first, texts::kDialling);
}

TEST(EncodeFormValueTest, EveryByteClass) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string encoded = encodeFormValue(all);
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) != 0 ||
                           std::string_view("*-._+%").find(c) != std::string_view::npos;
        ASSERT_TRUE(plain) << "byte " << static_cast<int>(static_cast<unsigned char>(c));
    }
    EXPECT_EQ(encodeFormValue(" "), "+");
    EXPECT_EQ(encodeFormValue("\xFF"), "%FF");
}

}  // namespace
}  // namespace routerdesk
