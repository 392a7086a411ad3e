#include "core/life_cycle.h"

#include <gtest/gtest.h>

#include "core/login.h"
#include "core/settings.h"
#include "skin/theme.h"
#include "status/refresh.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_transport.h"
#include "tests/support/temp_folder.h"

namespace routerdesk {
namespace {

using testing::ProcessEnded;
using testing::RecordingHost;
using testing::ScriptedTransport;
using Events = std::vector<std::string>;

class LifeCycleTest : public ::testing::Test {
  protected:
    LifeCycleTest() { context.settingsFile = folder.path() / "settings.ini"; }

    void storeLogin(const RouterLogin& login) {
        ASSERT_TRUE(saveLogin(login, context.settingsFile).saved);
    }

    // Runs startUp; the exit code when it ended the process.
    std::optional<int> runStartUp() {
        try {
            startUp(context);
        } catch (const ProcessEnded& ended) {
            return ended.exitCode;
        }
        return std::nullopt;
    }

    testing::TempFolder folder;
    std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
    RecordingHost host;
    ProgramContext context{host, transport};
};

TEST_F(LifeCycleTest, FirstRunClosedLoginWindowEndsSilentlyWithZero) {
    EXPECT_EQ(runStartUp(), 0);
    EXPECT_EQ(host.events, (Events{"theme", "dispatch", "login window", "end 0"}));
    EXPECT_EQ(host.themeNumber, kDefaultThemeNumber);
    EXPECT_TRUE(transport->requests().empty());
    EXPECT_FALSE(std::filesystem::exists(context.settingsFile));
}

TEST_F(LifeCycleTest, StoredLoginStartsTimerBeforeFirstPassThenActivates) {
    storeLogin({"admin", "admin", "8080", "10.0.0.1"});
    EXPECT_EQ(runStartUp(), std::nullopt);
    EXPECT_EQ(host.events, (Events{"theme", "dispatch", "period 3000", "dispatch", "dispatch",
                                   "dispatch", "activate"}));
    EXPECT_EQ(context.login, (RouterLogin{"admin", "admin", "8080", "10.0.0.1"}));
    EXPECT_EQ(transport->targets().size(), 3u);
    EXPECT_TRUE(host.statusLines.empty());  // the initial text stays until the first tick
}

TEST_F(LifeCycleTest, BlanksCountAsEntered) {
    storeLogin({" ", " ", "", ""});
    EXPECT_EQ(runStartUp(), std::nullopt);
    EXPECT_EQ(host.loginWindows, 0);
}

TEST_F(LifeCycleTest, AccountWithoutPasswordGoesOnWithEmptyPassword) {
    storeLogin({"admin", "", "80", "10.0.0.1"});
    EXPECT_EQ(runStartUp(), std::nullopt);
    EXPECT_EQ(host.loginWindows, 1);
    ASSERT_FALSE(transport->requests().empty());
    EXPECT_TRUE(transport->requests()[0].headers.starts_with("Authorization:YWRtaW46\r\n"));
}

TEST_F(LifeCycleTest, LoginSavedInTheWindowIsUsedAtOnce) {
    host.loginWindow = [&] {
        EXPECT_TRUE(confirmLogin(context, {"root", "secret", "81", "10.9.9.9"}));
    };
    EXPECT_EQ(runStartUp(), std::nullopt);
    EXPECT_EQ(context.login, (RouterLogin{"root", "secret", "81", "10.9.9.9"}));
    ASSERT_FALSE(transport->requests().empty());
    EXPECT_EQ(transport->requests()[0].host, "10.9.9.9");
    EXPECT_EQ(host.activations, 1);
}

TEST_F(LifeCycleTest, CloseStopsTheTimerAndEndReleasesTheLogin) {
    host.refreshPeriod = kRefreshPeriodMs;
    context.login = {"a", "b", "c", "d"};
    handleCloseRequest(context);
    EXPECT_EQ(host.refreshPeriod, 0u);
    EXPECT_THROW(endProgram(context, 0), ProcessEnded);
    EXPECT_EQ(context.login, RouterLogin{});
    EXPECT_EQ(host.events.back(), "end 0");
}

}  // namespace
}  // namespace routerdesk
