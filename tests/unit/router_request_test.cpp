#include "core/router_request.h"

#include <gtest/gtest.h>

#include <thread>

#include "tests/support/recording_host.h"
#include "tests/support/scripted_transport.h"
#include "tests/support/pause.h"

namespace routerdesk {
namespace {

using testing::RecordingHost;
using testing::ScriptedTransport;

TEST(EncodeBase64Test, PadsByLengthModuloThree) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {":", "Og=="},
        {"admin:admin", "YWRtaW46YWRtaW4="},
        {std::string("\xFF\x00\x80", 3), "/wCA"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(encodeBase64(in), out) << in;
    }
    EXPECT_EQ(encodeBase64(std::string(300, 'x')).find('\n'), std::string::npos);
}

TEST(BuildAuthorizationHeaderTest, NoBlankNoSchemeRawGbkBytes) {
    RouterLogin login;
    EXPECT_EQ(buildAuthorizationHeader(login), "Authorization:Og==");
    login.account = "\xD5\xCA\xBA\xC5";  // 帐号
    login.password = "p w";
    EXPECT_EQ(buildAuthorizationHeader(login), "Authorization:1cq6xTpwIHc=");
}

TEST(BuildRouterUrlTest, JoinsBytesUnchanged) {
    RouterLogin login;
    login.managementIp = " 192.168.1.1";
    login.port = "80x";
    EXPECT_EQ(buildRouterUrl(login, "/a b?c=\xC1\xAC#"), "http:// 192.168.1.1:80x/a b?c=\xC1\xAC#");
}

struct SplitUrlCase {
    std::string url;
    std::string host;
    std::uint32_t port;
    std::string target;
};

TEST(SplitRouterUrlTest, HostPortAndTarget) {
    const SplitUrlCase cases[] = {
        {"http://192.168.1.1:80/userRpm/StatusRpm.htm", "192.168.1.1", 80,
         "/userRpm/StatusRpm.htm"},
        {"HTTP://router:8080/x?a=1&b", "router", 8080, "/x?a=1&b"},
        {"http://h:/x", "h", 80, "/x"},                    // no digits: the default port
        {"http://h:abc/x", "h", 80, "/x"},                 // no leading digits
        {"http://h:  81x/x", "h", 81, "/x"},               // blanks, then digits, then anything
        {"http://h:0/x", "h", 80, "/x"},                   // 0 means the default
        {"http://h:8080", "h", 8080, "/"},                 // no path
        {"http://:80/x", "", 80, "/x"},                    // no host
        {"http://h:99999999999999/x", "h", 100000, "/x"},  // saturates past any real port
        {"http://h:1/a b#c\xB0\xA1", "h", 1, "/a b#c\xB0\xA1"},
    };
    for (const auto& c : cases) {
        const RouterAddress address = splitRouterUrl(c.url);
        EXPECT_EQ(address.host, c.host) << c.url;
        EXPECT_EQ(address.port, c.port) << c.url;
        EXPECT_EQ(address.target, c.target) << c.url;
    }
}

TEST(BuildRequestHeadersTest, AuthorizationThenBrowserLinesInOrder) {
    const std::string headers = buildRequestHeaders("Authorization:Og==", "http://h:1/p?q");
    EXPECT_EQ(headers,
              "Authorization:Og==\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; SV1; .NET CLR "
              "2.0.50727) RouterDesk\r\n"
              "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
              "application/x-shockwave-flash, application/vnd.ms-excel, "
              "application/vnd.ms-powerpoint, application/msword, */*\r\n"
              "Referer: http://h:1/p?q\r\n"
              "Accept-Language: zh-cn\r\n");
}

TEST(BuildRequestHeadersTest, LineEndingAndAbsentRule) {
    EXPECT_TRUE(buildRequestHeaders("", "u").starts_with("User-Agent: "));
    EXPECT_TRUE(buildRequestHeaders("X:1\r\n", "u").starts_with("X:1\r\nUser-Agent: "));
    // A line already present is not added again; the search is case-sensitive.
    const std::string own = buildRequestHeaders("Referer: mine", "u");
    EXPECT_EQ(own.find("Referer: u"), std::string::npos);
    EXPECT_NE(buildRequestHeaders("referer: mine", "u").find("Referer: u"), std::string::npos);
}

class RouterGetTest : public ::testing::Test {
  protected:
    std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
    RecordingHost host;
    ProgramContext context{host, transport};
};

TEST_F(RouterGetTest, SendsSplitRequestAndReturnsBodyWhateverTheStatus) {
    transport->answer("/p?q=1", "refused page", 401);
    EXPECT_EQ(routerGet(context, "http://10.0.0.1:8080/p?q=1", "Authorization:Og=="),
              "refused page");
    const auto requests = transport->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].host, "10.0.0.1");
    EXPECT_EQ(requests[0].port, 8080);
    EXPECT_EQ(requests[0].url, "http://10.0.0.1:8080/p?q=1");
    EXPECT_TRUE(requests[0].headers.starts_with("Authorization:Og==\r\nUser-Agent: "));
    EXPECT_EQ(host.waits, 1);
}

TEST_F(RouterGetTest, UnaddressableRouterFailsWithoutARequest) {
    EXPECT_EQ(routerGet(context, "http://:80/p", ""), "");
    EXPECT_EQ(routerGet(context, "http://h:70000/p", ""), "");
    EXPECT_TRUE(transport->requests().empty());
}

TEST_F(RouterGetTest, FailedRequestGivesEmptyText) {
    EXPECT_EQ(routerGet(context, "http://h:1/nothing-here", ""), "");
}

TEST_F(RouterGetTest, DispatchesMessagesWhileWaiting) {
    transport->answer("/slow", "done");
    transport->setDelay(std::chrono::milliseconds(200));
    int dispatchedDuringWait = 0;
    host.onDispatch = [&] { ++dispatchedDuringWait; };
    EXPECT_EQ(routerGet(context, "http://h:1/slow", ""), "done");
    EXPECT_GE(dispatchedDuringWait, 5);
}

// A host whose wait gives up at once, as after 90 s without a message.
class ImpatientHost : public RecordingHost {
  public:
    bool waitWhileDispatching(Completion&, std::chrono::milliseconds) override { return false; }
};

TEST(RouterGetAbandonTest, AbandonedWaitGivesEmptyTextAndLateResultIsDropped) {
    auto transport = std::make_shared<ScriptedTransport>();
    transport->answer("/late", "late body");
    transport->setDelay(std::chrono::milliseconds(100));
    ImpatientHost host;
    {
        ProgramContext context{host, transport};
        EXPECT_EQ(routerGet(context, "http://h:1/late", ""), "");
    }
    // The worker finishes after the caller and its context are gone (ASan watches this).
    testing::pauseFor(std::chrono::milliseconds(300));
    EXPECT_EQ(transport->requests().size(), 1u);
}

TEST_F(RouterGetTest, RequestRouterPageBuildsFromTheCurrentLogin) {
    context.login = {"admin", "admin", "8080", "10.1.1.1"};
    transport->answer("/userRpm/StatusRpm.htm", "page");
    EXPECT_EQ(requestRouterPage(context, "/userRpm/StatusRpm.htm"), "page");
    context.login.password = "other";
    requestRouterPage(context, "/userRpm/StatusRpm.htm");
    const auto requests = transport->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].headers.starts_with("Authorization:YWRtaW46YWRtaW4=\r\n"));
    EXPECT_TRUE(requests[1].headers.starts_with("Authorization:YWRtaW46b3RoZXI=\r\n"));
    EXPECT_EQ(requests[0].port, 8080);
}

}  // namespace
}  // namespace routerdesk
