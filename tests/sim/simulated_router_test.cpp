// The simulated router over loopback sockets: requests as our program sends them, commands,
// refusals, the request log, bursts, and its life cycle.
#include "tools/router-sim/simulated_router.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "status/script_array.h"
#include "tests/sim/raw_client.h"

namespace routerdesk::sim {
namespace {

using namespace std::chrono_literals;
using testing::Answer;
using testing::ask;
using testing::Connection;
using testing::plainRequest;
using testing::programRequest;

const std::string kRadioTail =
    "&wlMode=2&channel=0&mode=5&chanWidth=2&ap=1&brlssid=&brlbssid=&keytype=1&wepindex=1"
    "&keytext=&Save=%B1%A3+%B4%E6";

std::vector<std::string> wanPieces(const std::string& page) {
    return splitScriptArray(extractScriptArray(page, "var wanPara = new Array(", kArrayEnd));
}

class SimulatedRouterTest : public ::testing::Test {
  protected:
    SimulatedRouterTest() { options.timings = {200ms, 0ms}; }

    void start() {
        router = std::make_unique<SimulatedRouter>(options);
        ASSERT_TRUE(router->start());
        ASSERT_NE(router->port(), 0);
    }
    Answer get(std::string_view target) {
        return ask(router->port(), programRequest(router->port(), target));
    }

    SimOptions options;
    std::unique_ptr<SimulatedRouter> router;
};

TEST_F(SimulatedRouterTest, RawBlanksAndGbkInTheTargetReachTheFormAndTheLogUntouched) {
    start();
    const std::string ssid = "\xCE\xD2\xB5\xC4 \xCD\xF8 x";  // 我的 网 x, blanks raw
    const std::string target = "/userRpm/WlanNetworkRpm.htm?ssid1=" + ssid + kRadioTail;
    const Answer answer = get(target);

    EXPECT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find("\"" + ssid + "\""), std::string::npos);
    EXPECT_EQ(router->state().ssid, ssid);
    const std::vector<LoggedRequest> requests = router->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].head.method, "GET");
    EXPECT_EQ(requests[0].head.target, target);
    EXPECT_EQ(requests[0].head.headerLines.at(1), "Authorization:YWRtaW46YWRtaW4=");
}

TEST_F(SimulatedRouterTest, LoginFailureComesAs401WithTheChallengeAndBothFormsPass) {
    start();
    const Answer refused = ask(
        router->port(), programRequest(router->port(), "/userRpm/StatusRpm.htm", "admin", "wrong"));
    EXPECT_EQ(refused.status, 401);
    EXPECT_EQ(refused.header("WWW-Authenticate"),
              "Basic realm=\"TP-LINK Wireless Lite N Router WR745N\"");
    EXPECT_NE(refused.body.find("\xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC"),
              std::string::npos);  // 登录失败

    const std::string referer = "Referer: " + router->url() + "/";
    for (const char* authorization :
         {"Authorization:YWRtaW46YWRtaW4=", "Authorization: Basic YWRtaW46YWRtaW4="}) {
        EXPECT_EQ(ask(router->port(), plainRequest("/userRpm/StatusRpm.htm",
                                                   {"Host: 127.0.0.1", authorization, referer}))
                      .status,
                  200)
            << authorization;
    }
    EXPECT_EQ(
        ask(router->port(), plainRequest("/userRpm/StatusRpm.htm", {"Host: 127.0.0.1", referer}))
            .status,
        401);
}

TEST_F(SimulatedRouterTest, RequestWithoutRefererGetsTheNoAuthorityLine) {
    start();
    const Answer answer =
        ask(router->port(), plainRequest("/userRpm/StatusRpm.htm",
                                         {"Host: 127.0.0.1", "Authorization:YWRtaW46YWRtaW4="}));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, "<hr><h1><B>You have no authority to access this device!</B></h1><hr>");
}

TEST_F(SimulatedRouterTest, ConnectDialsThenTheLinkIsUpAndDisconnectTakesItDown) {
    start();
    const std::vector<std::string> dialling =
        wanPieces(get("/userRpm/StatusRpm.htm?Connect=%C1%AC%20%BD%D3&wan=1").body);
    ASSERT_GE(dialling.size(), 16u);
    EXPECT_EQ(dialling[0], "\n3");
    EXPECT_EQ(dialling[14], "\n2");

    std::this_thread::sleep_for(250ms);
    const std::vector<std::string> up = wanPieces(get("/userRpm/StatusRpm.htm").body);
    ASSERT_GE(up.size(), 16u);
    EXPECT_EQ(up[0], "\n4");
    EXPECT_EQ(up[14], "\n1");

    get("/userRpm/StatusRpm.htm?Disconnect=%B6%CF%20%CF%DF&wan=1");
    const std::vector<std::string> down = wanPieces(get("/userRpm/StatusRpm.htm").body);
    EXPECT_EQ(down[0], "\n3");
    EXPECT_EQ(down[14], "\n0");
    EXPECT_EQ(router->state().wanLink, WanLink::offline);
}

TEST_F(SimulatedRouterTest, StateSetInProcessShowsOnTheNextPage) {
    start();
    router->updateState([](RouterState& state) {
        state.wanLink = WanLink::noCable;
        state.stationCount = 6;
    });
    EXPECT_EQ(wanPieces(get("/userRpm/StatusRpm.htm").body).at(14), "\n6");
    EXPECT_NE(get("/userRpm/WlanStationRpm.htm?Page=1").body.find("Array(\n6,"), std::string::npos);
}

TEST_F(SimulatedRouterTest, MalformedRequestsAre400AndTheRouterGoesOn) {
    start();
    const RouterState before = router->state();
    for (const std::string& garbage :
         {std::string("GARBAGE\r\n\r\n"), std::string("GET\r\n\r\n"),
          std::string("GET / HTTP/9.9\r\n\r\n"),
          std::string("BREW /userRpm/StatusRpm.htm HTTP/1.1\r\n\r\n"),
          std::string("\x16\x03\x01\x00\xA5\x01\x00\x00\xA1\x03\x03\r\n\r\n", 15)}) {
        const Answer answer = ask(router->port(), garbage);
        EXPECT_EQ(answer.status, 400) << garbage;
    }
    {
        Connection halfSent(router->port());  // a head that never ends, then the client leaves
        halfSent.send("GET /userRpm/StatusRpm.htm?Disconnect=1&wan=1 HTTP/1.1\r\nHost: x");
    }
    EXPECT_EQ(get("/userRpm/StatusRpm.htm").status, 200);
    EXPECT_EQ(router->state().wanLink, before.wanLink);
    // Malformed ones are logged too; the half-sent one on a worker of its own, maybe a little
    // after the good one.
    for (int i = 0; i < 100 && router->requests().size() < 7; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(router->requests().size(), 7u);
}

TEST_F(SimulatedRouterTest, UnknownPageIs404) {
    start();
    const Answer answer = get("/userRpm/NoSuchPage.htm?x=1");
    EXPECT_EQ(answer.status, 404);
    EXPECT_TRUE(answer.complete);
}

// Half of the clients submit one of two complete wireless settings, the other half read the
// settings page; every page must show one setting whole, never a mix of both.
TEST_F(SimulatedRouterTest, BurstOf200ConcurrentConnectionsLeavesNoHalfChangedState) {
    // The first setting from the start, so that a read before any submission shows it whole.
    options.initialState.ssid = "\xBC\xD7";
    options.initialState.channel = 3;
    options.initialState.mode = 3;
    options.initialState.width = 1;
    start();
    struct Setting {
        std::string ssid;
        std::string query;
        std::string radio, broadcast, channel;
    };
    const std::vector<Setting> settings = {
        {"\xBC\xD7", "ssid1=%BC%D7&channel=3&mode=3&chanWidth=1&ap=1&broadcast=2&Save=1", "\n1",
         "\n1", "\n3"},  // 甲
        {"\xD2\xD2", "ssid1=%D2%D2&channel=11&mode=5&chanWidth=3&Save=1", "\n0", "\n0",
         "\n11"},  // 乙
    };
    constexpr int kClients = 200;
    std::vector<std::unique_ptr<Connection>> connections;
    for (int i = 0; i < kClients; ++i) {
        connections.push_back(std::make_unique<Connection>(router->port()));
    }
    for (int i = 0; i < kClients; ++i) {  // every connection open before any request is sent
        const std::string target = i % 2 == 0
                                       ? "/userRpm/WlanNetworkRpm.htm?" + settings[i / 2 % 2].query
                                       : std::string("/userRpm/WlanNetworkRpm.htm");
        connections[i]->send(programRequest(router->port(), target));
    }
    int answered = 0;
    for (const auto& connection : connections) {
        const Answer answer = testing::parseAnswer(connection->receiveAll());
        ASSERT_EQ(answer.status, 200);
        ASSERT_TRUE(answer.complete);
        ++answered;
        const std::vector<std::string> wlan =
            splitScriptArray(extractScriptArray(answer.body, "wlanPara = new Array(", kArrayEnd));
        ASSERT_GE(wlan.size(), 12u);
        const bool first = wlan[3] == "\n\"" + settings[0].ssid + "\"";
        const Setting& shown = settings[first ? 0 : 1];
        EXPECT_EQ(wlan[3], "\n\"" + shown.ssid + "\"");
        EXPECT_EQ(wlan[8], shown.radio);
        EXPECT_EQ(wlan[9], shown.broadcast);
        EXPECT_EQ(wlan[10], shown.channel);
    }
    EXPECT_EQ(answered, kClients);
    EXPECT_EQ(router->requests().size(), static_cast<std::size_t>(kClients));
    const RouterState after = router->state();
    const bool first = after.ssid == settings[0].ssid;
    EXPECT_EQ(after.radioOn, first);
    EXPECT_EQ(after.broadcastOn, first);
    EXPECT_EQ(after.channel, first ? 3 : 11);
    EXPECT_EQ(after.width, first ? 1 : 3);
}

TEST_F(SimulatedRouterTest, LogFileHoldsOneLinePerRequestWithRawTargetAndHeaders) {
    options.logPath = ::testing::TempDir() + "routerdesk-sim-log-test.log";
    start();
    const std::string target = "/userRpm/WlanNetworkRpm.htm?ssid1=\xCE\xD2 x" + kRadioTail;
    get(target);
    ask(router->port(), "GARBAGE\tline\r\n\r\n");

    std::ifstream file(options.logPath, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 2u);
    const std::string port = std::to_string(router->port());
    const std::string expectedTail =
        "\tGET\t" + target + "\tHost: 127.0.0.1:" + port + "\tAuthorization:YWRtaW46YWRtaW4=";
    EXPECT_EQ(lines[0].substr(24, expectedTail.size()), expectedTail);
    EXPECT_EQ(lines[0][23], 'Z');  // 2024-01-02T03:04:05.678Z
    EXPECT_NE(lines[0].find("\tReferer: http://127.0.0.1:" + port + target), std::string::npos);
    EXPECT_EQ(lines[1].substr(24), "\tGARBAGE\\x09line\t");
}

TEST_F(SimulatedRouterTest, BusyPortIsRefusedRatherThanShared) {
    start();
    SimOptions same = options;
    same.port = router->port();
    SimulatedRouter second(same);
    EXPECT_FALSE(second.start());
    SimulatedRouter other(options);
    ASSERT_TRUE(other.start());
    EXPECT_NE(other.port(), router->port());
}

TEST_F(SimulatedRouterTest, StopCutsIdleConnectionsAndSlowAnswersShort) {
    options.misbehaviour.delay = 10s;
    start();
    Connection idle(router->port());
    Connection waiting(router->port());
    waiting.send(programRequest(router->port(), "/userRpm/StatusRpm.htm"));
    std::this_thread::sleep_for(50ms);
    const auto begin = std::chrono::steady_clock::now();
    router->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
    EXPECT_EQ(waiting.receiveAll(), "");
}

}  // namespace
}  // namespace routerdesk::sim
