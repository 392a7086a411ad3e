// Each misbehaviour switch of the simulated router does what it says, on the wire.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "core/gbk.h"
#include "status/script_array.h"
#include "tests/sim/raw_client.h"
#include "tools/router-sim/simulated_router.h"

namespace routerdesk::sim {
namespace {

using namespace std::chrono_literals;
using testing::Answer;
using testing::ask;
using testing::exchange;
using testing::inflateBody;
using testing::parseAnswer;
using testing::programRequest;

// A page without clocks in it, so that two requests get the same bytes.
constexpr std::string_view kNetworkPage = "/userRpm/WlanNetworkRpm.htm";
const std::string kSsid = "\xCE\xD2\xB5\xC4\xCD\xF8";  // 我的网

class MisbehaviourTest : public ::testing::Test {
  protected:
    MisbehaviourTest() {
        RouterState state;
        state.ssid = kSsid;
        options.initialState = state;
        options.timings = {200ms, 0ms};
        router = std::make_unique<SimulatedRouter>(options);
        started = router->start();
    }

    void SetUp() override {
        ASSERT_TRUE(started);
        plain = getRaw(kNetworkPage);
        ASSERT_EQ(plain.status, 200);
        ASSERT_TRUE(plain.complete);
        ASSERT_NE(plain.body.find(kSsid), std::string::npos);
    }

    Answer getRaw(std::string_view target) {
        return ask(router->port(), programRequest(router->port(), target));
    }
    void misbehave(const std::function<void(Misbehaviour&)>& change) {
        Misbehaviour misbehaviour;
        change(misbehaviour);
        router->setMisbehaviour(misbehaviour);
    }

    SimOptions options;
    std::unique_ptr<SimulatedRouter> router;
    bool started = false;
    Answer plain;  // the page as it comes without misbehaviour
};

TEST_F(MisbehaviourTest, NothingIsCompressedWhenAskedEither) {
    const Answer answer = ask(router->port(),
                              "GET /userRpm/WlanNetworkRpm.htm HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                              "Authorization:YWRtaW46YWRtaW4=\r\nReferer: http://127.0.0.1/\r\n"
                              "Accept-Encoding: gzip, deflate, br\r\nRange: bytes=0-9\r\n\r\n");
    EXPECT_EQ(answer.status, 200);
    EXPECT_FALSE(answer.header("Content-Encoding"));
    EXPECT_EQ(answer.body, plain.body);
}

TEST_F(MisbehaviourTest, DelayHoldsEveryAnswerBack) {
    misbehave([](Misbehaviour& m) { m.delay = 300ms; });
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(getRaw(kNetworkPage).body, plain.body);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 300ms);
}

TEST_F(MisbehaviourTest, DropEveryClosesThatConnectionWithoutAnAnswer) {
    misbehave([](Misbehaviour& m) { m.dropEvery = 2; });
    const std::size_t before = router->requests().size();
    std::vector<std::string> raw;
    for (int i = 0; i < 4; ++i) {
        raw.push_back(exchange(router->port(), programRequest(router->port(), kNetworkPage)));
    }
    EXPECT_EQ(parseAnswer(raw[0]).body, plain.body);
    EXPECT_EQ(raw[1], "");
    EXPECT_EQ(parseAnswer(raw[2]).body, plain.body);
    EXPECT_EQ(raw[3], "");
    EXPECT_EQ(router->requests().size(), before + 4);  // read before they were dropped
}

struct EncodingCase {
    BodyEncoding encoding;
    std::string name;
    bool gzip;
};

class EncodingTest : public MisbehaviourTest, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(EncodingTest, BodyComesCompressedUnasked) {
    const BodyEncoding encoding = GetParam().encoding;
    misbehave([encoding](Misbehaviour& m) { m.encoding = encoding; });
    const Answer answer = getRaw(kNetworkPage);  // our program's request offers no encoding
    EXPECT_EQ(answer.header("Content-Encoding"), GetParam().name);
    ASSERT_TRUE(answer.complete);
    EXPECT_NE(answer.body, plain.body);
    EXPECT_EQ(inflateBody(answer.body, GetParam().gzip), plain.body);
}

INSTANTIATE_TEST_SUITE_P(Encodings, EncodingTest,
                         ::testing::Values(EncodingCase{BodyEncoding::gzip, "gzip", true},
                                           EncodingCase{BodyEncoding::deflate, "deflate", false}),
                         [](const auto& test) { return test.param.name; });

TEST_F(MisbehaviourTest, Utf8PagesSaySoInTheHeaderAndThePage) {
    misbehave([](Misbehaviour& m) { m.utf8 = true; });
    const Answer answer = getRaw(kNetworkPage);
    EXPECT_EQ(answer.header("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(answer.body.find("\"\xE6\x88\x91\xE7\x9A\x84\xE7\xBD\x91\""), std::string::npos);
    EXPECT_NE(answer.body.find("charset=utf-8\">"), std::string::npos);
    EXPECT_EQ(answer.body.find("gb2312"), std::string::npos);
    EXPECT_EQ(utf8ToGbk(answer.body).find(kSsid), plain.body.find(kSsid));
}

TEST_F(MisbehaviourTest, ChunkedBodyCarriesTheSamePage) {
    misbehave([](Misbehaviour& m) { m.chunked = true; });
    const Answer answer = getRaw(kNetworkPage);
    EXPECT_EQ(answer.header("Transfer-Encoding"), "chunked");
    EXPECT_FALSE(answer.header("Content-Length"));
    EXPECT_TRUE(answer.complete);
    EXPECT_EQ(answer.body, plain.body);
}

TEST_F(MisbehaviourTest, TruncatedBodyAnnouncesAllAndStopsAtTheCut) {
    misbehave([](Misbehaviour& m) { m.truncateAt = 100; });
    const Answer cut = getRaw(kNetworkPage);
    EXPECT_EQ(cut.header("Content-Length"), std::to_string(plain.body.size()));
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.body, plain.body.substr(0, 100));

    misbehave([](Misbehaviour& m) {
        m.chunked = true;
        m.truncateAt = 100;
    });
    const Answer cutChunks = getRaw(kNetworkPage);
    EXPECT_FALSE(cutChunks.complete);  // no last chunk
    EXPECT_EQ(cutChunks.body, plain.body.substr(0, 100));
}

TEST_F(MisbehaviourTest, HugeBodyIsThePageThenPadding) {
    constexpr std::size_t kHuge = 20u << 20;  // beyond what our program reads
    misbehave([](Misbehaviour& m) { m.hugeBytes = kHuge; });
    const Answer answer = getRaw(kNetworkPage);
    EXPECT_TRUE(answer.complete);
    EXPECT_EQ(answer.body.size(), kHuge);
    EXPECT_TRUE(answer.body.starts_with(plain.body));
    EXPECT_TRUE(answer.body.ends_with("-->\r\n"));
}

TEST_F(MisbehaviourTest, RedirectSendsEveryRequestElsewhereWithItsTarget) {
    SimOptions elsewhereOptions;
    elsewhereOptions.initialState.ssid = "elsewhere";
    SimulatedRouter elsewhere(elsewhereOptions);
    ASSERT_TRUE(elsewhere.start());
    misbehave([&elsewhere](Misbehaviour& m) { m.redirectTo = elsewhere.url(); });

    const std::string target = "/userRpm/WlanNetworkRpm.htm?x=\xCE\xD2 y";  // raw, as sent
    const Answer answer = ask(router->port(), "GET " + target + " HTTP/1.1\r\n\r\n");  // no login
    EXPECT_EQ(answer.status, 302);
    const std::optional<std::string> location = answer.header("Location");
    ASSERT_EQ(location, elsewhere.url() + target);
    const Answer followed =
        ask(elsewhere.port(),
            programRequest(elsewhere.port(), location->substr(elsewhere.url().size())));
    EXPECT_NE(followed.body.find("\"elsewhere\""), std::string::npos);
}

TEST_F(MisbehaviourTest, RefuseLoginRefusesTheRightLoginToo) {
    misbehave([](Misbehaviour& m) { m.refuseLogin = true; });
    const Answer answer = getRaw(kNetworkPage);
    EXPECT_EQ(answer.status, 401);
    EXPECT_TRUE(answer.header("WWW-Authenticate"));
    EXPECT_NE(answer.body.find("\xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC"), std::string::npos);  // 登录失败
}

TEST_F(MisbehaviourTest, OneLineArrayWritesThatArrayOnASingleLine) {
    misbehave([](Misbehaviour& m) { m.oneLineArrays = {"lanPara"}; });
    const std::string page = getRaw("/userRpm/StatusRpm.htm").body;
    EXPECT_NE(page.find("var lanPara = new Array(\"00-0A-EB-13-7B-00\", \"192.168.1.1\", "
                        "\"255.255.255.0\", 0,0 );\n"),
              std::string::npos);
    EXPECT_NE(page.find("var wlanPara = new Array(\n1,\n"), std::string::npos);  // others as ever
    const std::vector<std::string> lan =
        splitScriptArray(extractScriptArray(page, "var lanPara = new Array", kArrayEnd));
    ASSERT_GE(lan.size(), 3u);
    EXPECT_EQ(lan[1], " \"192.168.1.1\"");
}

TEST_F(MisbehaviourTest, SilentRouterHoldsTheConnectionWithoutAWordUntilItStops) {
    misbehave([](Misbehaviour& m) { m.silent = true; });
    const std::size_t before = router->requests().size();
    testing::Connection connection(router->port());
    connection.send(programRequest(router->port(), kNetworkPage));
    EXPECT_TRUE(connection.quietFor(300ms));
    EXPECT_EQ(router->requests().size(), before + 1);  // read, just not answered
    router->stop();
    EXPECT_EQ(connection.receiveAll(), "");
}

TEST_F(MisbehaviourTest, DripSendsTheWholeAnswerOneByteAtATime) {
    misbehave([](Misbehaviour& m) { m.drip = 1ms; });
    testing::Connection connection(router->port());
    connection.send(programRequest(router->port(), kNetworkPage));
    std::size_t reads = 0;
    const Answer answer = parseAnswer(connection.receiveAll(&reads));
    EXPECT_TRUE(answer.complete);
    EXPECT_EQ(answer.body, plain.body);
    EXPECT_GT(reads, plain.body.size() / 8) << "the bytes came in too few pieces";
}

TEST_F(MisbehaviourTest, GarbageTakesThePlaceOfTheAnswer) {
    misbehave([](Misbehaviour& m) { m.garbageBytes = 5000; });
    const std::string raw = exchange(router->port(), programRequest(router->port(), kNetworkPage));
    EXPECT_EQ(raw.size(), 5000u);
    EXPECT_FALSE(parseAnswer(raw).received);
    EXPECT_EQ(raw.find(plain.body.substr(0, 20)), std::string::npos);
}

TEST_F(MisbehaviourTest, NoAuthorityRefusesEveryPageAndChangesNothing) {
    misbehave([](Misbehaviour& m) { m.noAuthority = true; });
    const Answer answer = getRaw(std::string(kNetworkPage) + "?ssid1=other&Save=1");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, kNoAuthorityBody);
    EXPECT_EQ(router->state().ssid, kSsid);
}

TEST_F(MisbehaviourTest, StatusAnswersEveryRequestWithItAndAPageNamingIt) {
    for (const int status : {401, 500}) {
        misbehave([status](Misbehaviour& m) { m.status = status; });
        const Answer answer = getRaw(kNetworkPage);
        EXPECT_EQ(answer.status, status);
        EXPECT_NE(answer.body.find("<H1>" + std::to_string(status) + "</H1>"), std::string::npos);
        EXPECT_FALSE(answer.header("WWW-Authenticate"));  // not the router's own refusal
        EXPECT_EQ(answer.body.find(kSsid), std::string::npos);
    }
}

TEST_F(MisbehaviourTest, ExtraPiecesLengthenEveryArrayAtItsEnd) {
    misbehave([](Misbehaviour& m) { m.extraPieces = 10'000; });
    const std::string page = getRaw(kNetworkPage).body;
    const auto pieces = [](std::string_view body) {
        return splitScriptArray(extractScriptArray(body, "wlanPara = new Array(", kArrayEnd));
    };
    const std::vector<std::string> before = pieces(plain.body);
    const std::vector<std::string> after = pieces(page);
    ASSERT_EQ(after.size(), before.size() + 10'000);
    EXPECT_TRUE(std::equal(before.begin(), before.end() - 1, after.begin()));
    EXPECT_EQ(after.back(), "0");
}

}  // namespace
}  // namespace routerdesk::sim
