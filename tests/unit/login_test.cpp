#include "core/login.h"

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "core/settings.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_transport.h"
#include "tests/support/temp_folder.h"

namespace routerdesk {
namespace {

using testing::RecordingHost;

class LoginTest : public ::testing::Test {
  protected:
    LoginTest() { context.settingsFile = folder.path() / "settings.ini"; }

    std::string message(std::size_t i) { return gbkToUtf8(host.messages.at(i)); }

    testing::TempFolder folder;
    RecordingHost host;
    ProgramContext context{host, std::make_shared<testing::ScriptedTransport>()};
};

TEST_F(LoginTest, MissingAccountOrPasswordKeepsWindowOpenAndWritesNothing) {
    for (const RouterLogin& typed :
         {RouterLogin{"", "pw", "80", "ip"}, RouterLogin{"admin", "", "80", "ip"}}) {
        EXPECT_FALSE(confirmLogin(context, typed));
    }
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(message(0), "没有输入 帐号 或 密码");
    EXPECT_EQ(message(1), "没有输入 帐号 或 密码");
    EXPECT_FALSE(std::filesystem::exists(context.settingsFile));
}

TEST_F(LoginTest, SavesAndLoadsBackEmptyPortAndIpIncluded) {
    const RouterLogin typed{"  ", "pw", "", ""};
    EXPECT_TRUE(confirmLogin(context, typed));
    EXPECT_EQ(context.login, typed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(message(0),
              "第一次配置完毕 如想重新配置 请删除 程序目录下的 无线路由配置.ini "
              "文件即可重新配置");
    RouterLogin reread;
    loadLogin(reread, context.settingsFile);
    EXPECT_EQ(reread, typed);
}

TEST_F(LoginTest, FailedSaveNamesFileAndReasonAndKeepsWindowOpen) {
    context.settingsFile = folder.path() / "no such folder" / "settings.ini";
    context.login = {"old", "old", "80", "ip"};
    EXPECT_FALSE(confirmLogin(context, {"admin", "admin", "80", "ip"}));
    ASSERT_EQ(host.messages.size(), 1u);
    const std::string shown = message(0);
    EXPECT_NE(shown.find("无法保存登录信息"), std::string::npos) << shown;
    EXPECT_NE(shown.find("no such folder"), std::string::npos) << shown;
    EXPECT_NE(shown.find("原因："), std::string::npos) << shown;
    EXPECT_GT(shown.size(), shown.find("原因：") + std::string("原因：").size());
    EXPECT_EQ(context.login, (RouterLogin{"old", "old", "80", "ip"}));
}

}  // namespace
}  // namespace routerdesk
