// routerGet over the real transport, against raw loopback listeners.
#include <gtest/gtest.h>

#include <chrono>

#include "core/router_request.h"
#include "tests/integration/loopback_listener.h"
#include "tests/support/case_name.h"
#include "tests/support/recording_host.h"
#include "tools/router-sim/response_shaping.h"

namespace routerdesk {
namespace {

using testing::LoopbackListener;
using testing::RecordingHost;

std::string httpAnswer(const std::string& status, const std::string& headers,
                       const std::string& body) {
    return "HTTP/1.1 " + status + "\r\n" + headers +
           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

std::string gzip(std::string_view data) {
    return sim::compressBody(data, sim::BodyEncoding::gzip);
}

class RouterGetLoopbackTest : public ::testing::Test {
  protected:
    std::string get(std::uint16_t port, const std::string& target,
                    const std::string& header = "Authorization:Og==") {
        return routerGet(context, "http://127.0.0.1:" + std::to_string(port) + target, header);
    }

    RecordingHost host;
    ProgramContext context{host, makeHttpTransport()};
};

TEST_F(RouterGetLoopbackTest, RouterReceivesTheRequestByteForByte) {
    LoopbackListener router([](const std::string&) { return httpAnswer("200 OK", "", "ok"); });
    context.login = {"\xD5\xCA\xBA\xC5", "pw", " " + std::to_string(router.port()) + "x",
                     "127.0.0.1"};  // 帐号; the port after a blank and before other text
    const std::string target = "/userRpm/a b?ssid1=\xC1\xAC&x=1#frag";
    EXPECT_EQ(requestRouterPage(context, target), "ok");

    ASSERT_EQ(router.requests().size(), 1u);
    const std::string request = router.requests()[0];
    EXPECT_TRUE(request.starts_with("GET " + target + " HTTP/1.1\r\n")) << request;
    const std::string url = buildRouterUrl(context.login, target);
    const std::string ours =
        "Authorization:1cq6xTpwdw==\r\n"
        "User-Agent: Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; SV1; .NET CLR "
        "2.0.50727) RouterDesk\r\n"
        "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
        "application/x-shockwave-flash, application/vnd.ms-excel, "
        "application/vnd.ms-powerpoint, application/msword, */*\r\n"
        "Referer: " +
        url +
        "\r\n"
        "Accept-Language: zh-cn\r\n";
    EXPECT_NE(request.find(ours), std::string::npos) << request;
    EXPECT_NE(request.find("Host: 127.0.0.1:" + std::to_string(router.port()) + "\r\n"),
              std::string::npos);
    EXPECT_EQ(request.find("Accept-Encoding"), std::string::npos);
    EXPECT_EQ(request.find("Accept: "), request.rfind("Accept: "));  // the client adds none
    EXPECT_TRUE(request.ends_with("\r\n\r\n"));
}

struct AnswerCase {
    const char* name;
    std::string answer;
    std::string expected;
};

class RouterGetAnswerTest : public RouterGetLoopbackTest,
                            public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(RouterGetAnswerTest, CallerGetsTheDecodedBody) {
    const std::string answer = GetParam().answer;
    LoopbackListener router([&](const std::string&) { return answer; });
    EXPECT_EQ(get(router.port(), "/p"), GetParam().expected);
}

const std::string kUtf8Login = "\xE7\x99\xBB\xE5\xBD\x95";  // 登录
const std::string kGbkLogin = "\xB5\xC7\xC2\xBC";

INSTANTIATE_TEST_SUITE_P(
    Answers, RouterGetAnswerTest,
    ::testing::Values(
        AnswerCase{"error_status_body", httpAnswer("401 Unauthorized", "", "denied"), "denied"},
        AnswerCase{"server_error_body", httpAnswer("500 Oops", "", "broken"), "broken"},
        AnswerCase{"gzip_two_members",
                   httpAnswer("200 OK", "Content-Encoding: gzip\r\n", gzip("one ") + gzip("two")),
                   "one two"},
        AnswerCase{"utf8_charset",
                   httpAnswer("200 OK", "Content-Type: text/html; charset=utf-8\r\n", kUtf8Login),
                   kGbkLogin},
        AnswerCase{"gbk_untouched",
                   httpAnswer("200 OK", "Content-Type: text/html; charset=gb2312\r\n", kGbkLogin),
                   kGbkLogin},
        AnswerCase{"zero_byte", httpAnswer("200 OK", "", std::string("ab\0cd", 5)), "ab"},
        AnswerCase{"no_body", httpAnswer("204 No Content", "", ""), ""},
        AnswerCase{"chunked",
                   "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                   "3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n",
                   "abcde"},
        // Cut short: the bytes that came count as the body.
        AnswerCase{"truncated",
                   "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\npartial",
                   "partial"},
        AnswerCase{"not_http", "garbage\r\n\r\n", ""}),
    testing::CaseName());

TEST_F(RouterGetLoopbackTest, RefusedConnectionGivesEmptyTextQuickly) {
    const auto port = testing::closedLoopbackPort();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(get(port, "/p"), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(RouterGetLoopbackTest, RedirectOnTheRouterKeepsAuthorization) {
    LoopbackListener router([](const std::string& request) {
        if (request.starts_with("GET /userRpm/old.htm ")) {
            return httpAnswer("302 Found", "Location: new.htm\r\n", "");
        }
        return httpAnswer("200 OK", "", "new page");
    });
    EXPECT_EQ(get(router.port(), "/userRpm/old.htm"), "new page");
    const auto requests = router.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[1].starts_with("GET /userRpm/new.htm HTTP/1.1\r\n")) << requests[1];
    EXPECT_NE(requests[1].find("Authorization:Og==\r\n"), std::string::npos);
}

TEST_F(RouterGetLoopbackTest, RedirectToAnotherHostNeverCarriesAuthorization) {
    LoopbackListener elsewhere(
        [](const std::string&) { return httpAnswer("200 OK", "", "there"); });
    const std::string location =
        "Location: http://localhost:" + std::to_string(elsewhere.port()) + "/steal\r\n";
    LoopbackListener router(
        [&](const std::string&) { return httpAnswer("301 Moved", location, ""); });
    EXPECT_EQ(get(router.port(), "/p", "Authorization:c2VjcmV0OnNlY3JldA=="), "there");
    ASSERT_EQ(elsewhere.requests().size(), 1u);
    EXPECT_EQ(elsewhere.requests()[0].find("uthorization"), std::string::npos)
        << elsewhere.requests()[0];
    EXPECT_EQ(elsewhere.requests()[0].find("c2VjcmV0"), std::string::npos);
}

TEST_F(RouterGetLoopbackTest, RedirectLoopEndsEmpty) {
    LoopbackListener router(
        [](const std::string&) { return httpAnswer("302 Found", "Location: /again\r\n", "loop"); });
    EXPECT_EQ(get(router.port(), "/p"), "");
    EXPECT_EQ(router.requests().size(), static_cast<std::size_t>(kMaxRedirects) + 1);
}

TEST_F(RouterGetLoopbackTest, OversizedBodyIsCapped) {
    const std::string huge(kMaxBodyBytes + 4096, 'x');
    LoopbackListener router([&](const std::string&) { return httpAnswer("200 OK", "", huge); });
    EXPECT_EQ(get(router.port(), "/p").size(), kMaxBodyBytes);
}

}  // namespace
}  // namespace routerdesk
