// The simulated router's web interface without sockets: login, Referer, forms, and its pages as
// our program's array reader cuts them.
#include "tools/router-sim/router_site.h"

#include <gtest/gtest.h>

#include "core/router_request.h"
#include "status/script_array.h"
#include "tests/support/case_name.h"

namespace routerdesk::sim {
namespace {

using namespace std::chrono_literals;
using routerdesk::testing::CaseName;

const std::string kLoginFailed = "\xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC";  // 登录失败
const std::string kOwnReferer = "http://192.168.1.1:80/userRpm/StatusRpm.htm";
// The three tails of our program's wireless submission.
const std::string kRadioAndBroadcastTail =
    "&wlMode=2&channel=0&mode=5&chanWidth=2&ap=1&broadcast=2&brlssid=&brlbssid=&keytype=1"
    "&wepindex=1&keytext=&Save=%B1%A3+%B4%E6";
const std::string kRadioTail =
    "&wlMode=2&channel=0&mode=5&chanWidth=2&ap=1&brlssid=&brlbssid=&keytype=1&wepindex=1"
    "&keytext=&Save=%B1%A3+%B4%E6";
const std::string kAllOffTail =
    "&wlMode=2&channel=0&mode=5&chanWidth=2&brlssid=&brlbssid=&keytype=1&wepindex=1&keytext="
    "&Save=%B1%A3+%B4%E6";

std::string login(std::string_view account = "admin", std::string_view password = "admin") {
    return encodeBase64(std::string(account) + ":" + std::string(password));
}

std::vector<std::string> pieces(const std::string& page, std::string_view marker) {
    return splitScriptArray(extractScriptArray(page, marker, kArrayEnd));
}

class RouterSiteTest : public ::testing::Test {
  protected:
    SiteResponse get(const std::string& target, std::optional<std::string> authorization = login(),
                     std::optional<std::string> referer = kOwnReferer) {
        SiteRequest request;
        request.target = target;
        request.authorization = std::move(authorization);
        request.referer = std::move(referer);
        request.host = "192.168.1.1:80";
        request.localAddress = "192.168.1.1";
        return answerRequest(model, rules, request, t0);
    }

    TimePoint t0 = Clock::now();
    RouterModel model{RouterState{}, Timings{2000ms, 0ms}, t0};
    SiteRules rules;
};

struct CredentialCase {
    std::string name;
    std::optional<std::string> authorization;
    bool accepted;
};

class CredentialsTest : public RouterSiteTest,
                        public ::testing::WithParamInterface<CredentialCase> {};

TEST_P(CredentialsTest, LoginIsCheckedOnEveryPage) {
    const SiteResponse response = get("/userRpm/StatusRpm.htm", GetParam().authorization);
    if (GetParam().accepted) {
        EXPECT_EQ(response.status, 200);
        EXPECT_NE(response.body.find("var wanPara"), std::string::npos);
        return;
    }
    EXPECT_EQ(response.status, 401);
    ASSERT_EQ(response.headers.size(), 1u);
    EXPECT_EQ(response.headers[0].first, "WWW-Authenticate");
    EXPECT_TRUE(response.headers[0].second.starts_with("Basic realm=\""));
    EXPECT_NE(response.body.find(kLoginFailed), std::string::npos);
    EXPECT_NE(response.body.find("charset=gb2312"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, CredentialsTest,
    ::testing::Values(CredentialCase{"BareBase64AsOurProgramSends", login(), true},
                      CredentialCase{"BasicSchemeAsBrowsersSend", "Basic " + login(), true},
                      CredentialCase{"SchemeInOtherCase", "basic " + login(), true},
                      CredentialCase{"WrongPassword", login("admin", "admin1"), false},
                      CredentialCase{"WrongAccount", login("root", "admin"), false},
                      CredentialCase{"Missing", std::nullopt, false},
                      CredentialCase{"Empty", "", false},
                      CredentialCase{"NotBase64", "admin:admin", false},
                      CredentialCase{"PaddingBitsSet", "YWRtaW46YWRtaW5=", false}),
    CaseName{});

TEST_F(RouterSiteTest, GbkLoginIsComparedByteForByte) {
    rules.account = "\xB9\xDC\xC0\xED";   // 管理
    rules.password = "\xC3\xDC\xC2\xEB";  // 密码
    EXPECT_EQ(get("/userRpm/StatusRpm.htm", login(rules.account, rules.password)).status, 200);
    EXPECT_EQ(get("/userRpm/StatusRpm.htm", login("\xB9\xDC\xC0\xEE", rules.password)).status, 401);
}

TEST_F(RouterSiteTest, RefusedLoginChangesNothing) {
    get("/userRpm/StatusRpm.htm?Disconnect=%B6%CF%20%CF%DF&wan=1", login("admin", "x"));
    EXPECT_EQ(model.stateAt(t0).wanLink, WanLink::up);
}

struct RefererCase {
    std::string name;
    std::optional<std::string> referer;
    bool accepted;
};

class RefererTest : public RouterSiteTest, public ::testing::WithParamInterface<RefererCase> {};

TEST_P(RefererTest, PagesAnswerOnlyARefererOfTheirOwnHost) {
    const SiteResponse response =
        get("/userRpm/StatusRpm.htm?Disconnect=%B6%CF%20%CF%DF&wan=1", login(), GetParam().referer);
    EXPECT_EQ(response.status, 200);
    if (GetParam().accepted) {
        EXPECT_EQ(model.stateAt(t0).wanLink, WanLink::offline);
        return;
    }
    EXPECT_EQ(response.body, kNoAuthorityBody);
    EXPECT_EQ(model.stateAt(t0).wanLink, WanLink::up);  // the command did not get through
}

INSTANTIATE_TEST_SUITE_P(
    Referers, RefererTest,
    ::testing::Values(RefererCase{"OwnHostAndPort", kOwnReferer, true},
                      RefererCase{"OwnHostOtherPort", "http://192.168.1.1:8080/", true},
                      RefererCase{"OwnHostWithoutPath", "http://192.168.1.1", true},
                      RefererCase{"Missing", std::nullopt, false},
                      RefererCase{"OtherHost", "http://192.168.1.10/userRpm/StatusRpm.htm", false},
                      RefererCase{"HostAsPrefix", "http://192.168.1.100/", false},
                      RefererCase{"NotHttp", "ftp://192.168.1.1/", false},
                      RefererCase{"Empty", "", false}),
    CaseName{});

TEST_F(RouterSiteTest, UnknownPageIs404AfterTheLogin) {
    EXPECT_EQ(get("/userRpm/Nothing.htm").status, 404);
    EXPECT_EQ(get("/userRpm/StatusRpm.htmx").status, 404);
    EXPECT_EQ(get("/userRpm/Nothing.htm", std::nullopt).status, 401);
}

struct SsidCase {
    std::string name;
    std::string sent;      // as it stands in the target
    std::string expected;  // GBK bytes the router keeps
};

class SsidTest : public RouterSiteTest, public ::testing::WithParamInterface<SsidCase> {};

TEST_P(SsidTest, SsidIsDecodedAsAFormOfGbkBytes) {
    get("/userRpm/WlanNetworkRpm.htm?ssid1=" + GetParam().sent + kRadioTail);
    EXPECT_EQ(model.stateAt(t0).ssid, GetParam().expected);
    const std::vector<std::string> network =
        pieces(get("/userRpm/WlanNetworkRpm.htm").body, "wlanPara = new Array(");
    ASSERT_GT(network.size(), 3u);
    EXPECT_EQ(network[3], "\n\"" + GetParam().expected + "\"");
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, SsidTest,
    ::testing::Values(SsidCase{"RawGbkAndBlank", "\xCE\xD2\xB5\xC4 \xCD\xF8",
                               "\xCE\xD2\xB5\xC4 \xCD\xF8"},
                      SsidCase{"PercentEscapes", "%CE%D2%b5%c4%20net", "\xCE\xD2\xB5\xC4 net"},
                      SsidCase{"PlusIsABlank", "my+home", "my home"},
                      SsidCase{"BrokenEscapeStays", "100%zz%4", "100%zz%4"},
                      SsidCase{"MixedRawAndEscaped", "\xCE\xD2%B5%C4", "\xCE\xD2\xB5\xC4"}),
    CaseName{});

TEST_F(RouterSiteTest, ApAndBroadcastFieldsSwitchRadioAndBroadcast) {
    struct Tail {
        const std::string& text;
        bool radio;
        bool broadcast;
    };
    for (const Tail& tail :
         {Tail{kAllOffTail, false, false}, Tail{kRadioAndBroadcastTail, true, true},
          Tail{kRadioTail, true, false}, Tail{kAllOffTail, false, false}}) {
        const std::vector<std::string> network = pieces(
            get("/userRpm/WlanNetworkRpm.htm?ssid1=x" + tail.text).body, "wlanPara = new Array(");
        ASSERT_GE(network.size(), 12u);
        EXPECT_EQ(network[8], tail.radio ? "\n1" : "\n0") << tail.text;
        EXPECT_EQ(network[9], tail.broadcast ? "\n1" : "\n0") << tail.text;
        EXPECT_EQ(model.stateAt(t0).radioOn, tail.radio);
        EXPECT_EQ(model.stateAt(t0).broadcastOn, tail.broadcast);
    }
}

TEST_F(RouterSiteTest, ChannelModeAndWidthAreTakenOverAndShownOnBothPages) {
    get("/userRpm/WlanNetworkRpm.htm?ssid1=x&wlMode=2&channel=11&mode=3&chanWidth=3&ap=1"
        "&Save=%B1%A3+%B4%E6");
    const std::vector<std::string> wlan =
        pieces(get("/userRpm/StatusRpm.htm").body, "var wlanPara = new Array");
    ASSERT_GE(wlan.size(), 12u);
    EXPECT_EQ(wlan[2], "\n11");  // configured
    EXPECT_EQ(wlan[3], "\n3");
    EXPECT_EQ(wlan[6], "\n3");
    EXPECT_EQ(wlan[9], "\n11");  // current
    const std::vector<std::string> network =
        pieces(get("/userRpm/WlanNetworkRpm.htm").body, "wlanPara = new Array(");
    EXPECT_EQ(network[7], "\n3");
    EXPECT_EQ(network[10], "\n11");
    EXPECT_EQ(network[11], "\n3");
}

TEST_F(RouterSiteTest, FormWithoutSaveIsOnlyAPageView) {
    get("/userRpm/WlanNetworkRpm.htm?ssid1=changed&channel=3");
    EXPECT_EQ(model.stateAt(t0).ssid, RouterState{}.ssid);
}

TEST_F(RouterSiteTest, ConnectAnswerShowsDiallingThenTheLinkComesUp) {
    get("/userRpm/StatusRpm.htm?Disconnect=%B6%CF%20%CF%DF&wan=1");
    const std::vector<std::string> dialling =
        pieces(get("/userRpm/StatusRpm.htm?Connect=%C1%AC%20%BD%D3&wan=1").body,
               "var wanPara = new Array(");
    ASSERT_GE(dialling.size(), 16u);
    EXPECT_EQ(dialling[0], "\n3");
    EXPECT_EQ(dialling[14], "\n2");

    SiteRequest later;
    later.target = "/userRpm/StatusRpm.htm";
    later.authorization = login();
    later.referer = kOwnReferer;
    later.host = "192.168.1.1";
    const std::vector<std::string> up =
        pieces(answerRequest(model, rules, later, t0 + 2500ms).body, "var wanPara = new Array(");
    EXPECT_EQ(up[0], "\n4");
    EXPECT_EQ(up[14], "\n1");
    EXPECT_EQ(up[13], "\n\"0 day(s) 00:00:00\"");  // half a second online
}

struct LinkCase {
    std::string name;
    WanLink link;
    std::string wanStatus;  // piece 0
    std::string state;      // piece 14, after the comma inside the DNS text
    std::string ip;
};

class LinkTest : public RouterSiteTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkTest, WanArrayCarriesTheLinkWhereOurReaderLooks) {
    RouterState state;
    state.wanLink = GetParam().link;
    state.onlineTime = 93784s;
    model.replaceState(state, t0);
    const std::vector<std::string> wan =
        pieces(get("/userRpm/StatusRpm.htm").body, "var wanPara = new Array(");
    ASSERT_GE(wan.size(), 16u);
    EXPECT_EQ(wan[0], GetParam().wanStatus);
    EXPECT_EQ(wan[14], GetParam().state);
    EXPECT_EQ(wan[2], "\n\"" + GetParam().ip + "\"");
    EXPECT_EQ(wan[11], "\n\"" + (GetParam().link == WanLink::up ? state.dns1 : "0.0.0.0") + " ");
    EXPECT_EQ(wan[13], GetParam().link == WanLink::up ? "\n\"1 day(s) 02:03:04\""
                                                      : "\n\"0 day(s) 00:00:00\"");
}

INSTANTIATE_TEST_SUITE_P(
    States, LinkTest,
    ::testing::Values(LinkCase{"Up", WanLink::up, "\n4", "\n1", RouterState{}.wanIp},
                      LinkCase{"Offline", WanLink::offline, "\n3", "\n0", "0.0.0.0"},
                      LinkCase{"Connecting", WanLink::connecting, "\n3", "\n2", "0.0.0.0"},
                      LinkCase{"NoServer", WanLink::noServer, "\n3", "\n4", "0.0.0.0"},
                      LinkCase{"NoCable", WanLink::noCable, "\n3", "\n6", "0.0.0.0"}),
    CaseName{});

TEST_F(RouterSiteTest, StationPageCountsTheStations) {
    RouterState state;
    state.stationCount = 5;
    model.replaceState(state, t0);
    const std::string page = get("/userRpm/WlanStationRpm.htm?Page=1").body;
    const std::vector<std::string> host = pieces(page, " new Array(");
    ASSERT_FALSE(host.empty());
    EXPECT_EQ(host[0], "\n5");
    // Four values per station in hostList, then the closing "0,0 ".
    EXPECT_EQ(pieces(page, "var hostList = new Array(").size(), 5u * 4 + 2);
}

TEST_F(RouterSiteTest, PagesKeepTheFirmwareLayout) {
    const std::string page = get("/userRpm/StatusRpm.htm").body;
    EXPECT_TRUE(
        page.starts_with("<SCRIPT language=\"javascript\" type=\"text/javascript\">\n"
                         "var statusPara = new Array(\n"));
    EXPECT_NE(page.find("var lanPara = new Array(\n\"00-0A-EB-13-7B-00\",\n\"192.168.1.1\",\n"
                        "\"255.255.255.0\",\n0,0 );\n</SCRIPT>\n"),
              std::string::npos);
    const std::size_t html = page.find("<HTML>");
    ASSERT_NE(html, std::string::npos);
    EXPECT_EQ(page.rfind("</SCRIPT>\n", html), html - 10);  // every array before the page
    EXPECT_NE(page.find("charset=gb2312\">\r\n", html), std::string::npos);
}

}  // namespace
}  // namespace routerdesk::sim
