#include "core/settings.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/files.h"
#include "core/gbk.h"
#include "core/scramble.h"
#include "tests/support/temp_folder.h"

namespace routerdesk {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

class SettingsTest : public ::testing::Test {
  protected:
    fs::path file() const { return folder_.path() / fs::path(kSettingsFileName); }
    const fs::path& folder() const { return folder_.path(); }

    static RouterLogin loaded(const fs::path& path) {
        RouterLogin login{"stale", "stale", "stale", "stale"};
        loadLogin(login, path);
        return login;
    }

  private:
    testing::TempFolder folder_;
};

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

bool onlyAlphabet(std::string_view text) {
    return text.find_first_not_of(scrambleAlphabet) == std::string_view::npos;
}

TEST(SettingsTextsTest, EveryNameIsTheIntendedText) {
    const std::pair<std::string_view, const char*> cases[] = {
        {kLoginSection, "登录信息"}, {kAccountKey, "账户"},        {kPasswordKey, "密码"},
        {kPortKey, "端口"},          {kManagementIpKey, "IP管理"},
    };
    for (const auto& [gbk, utf8] : cases) {
        EXPECT_EQ(gbkToUtf8(gbk), utf8);
        EXPECT_EQ(utf8ToGbk(utf8), gbk) << utf8;
    }
}

TEST(SettingsPathTest, IsTheNamedFileBesideTheProgram) {
    const fs::path path = settingsFilePath();
    EXPECT_EQ(path.parent_path(), programDirectory());
    EXPECT_EQ(path.filename().u8string(), u8"无线路由配置.ini");
}

TEST_F(SettingsTest, NoFileLoadsFourEmptyTexts) {
    EXPECT_EQ(loaded(file()), RouterLogin{});
    EXPECT_EQ(loaded(folder() / "missing" / "f.ini"), RouterLogin{});
}

TEST_F(SettingsTest, FirstSaveWritesTheFourKeysInOrderAndLoadsBack) {
    // 管理员, and a password of the characters an INI file could trip over.
    const RouterLogin login{"\xB9\xDC\xC0\xED\xD4\xB1", " p=a;s\"s[w] ", "", "192.168.1.1"};
    const SettingsSaveResult saved = saveLogin(login, file());
    ASSERT_TRUE(saved.saved) << saved.reason;
    EXPECT_EQ(saved.path, file());

    const std::vector<std::string> lines = splitLines(readBytes(file()));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "[" + std::string(kLoginSection) + "]");
    const std::pair<std::string_view, std::size_t> keys[] = {
        {kAccountKey, 12}, {kPasswordKey, 24}, {kPortKey, 0}, {kManagementIpKey, 22}};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string prefix = std::string(keys[i].first) + "=";
        ASSERT_EQ(lines[i + 1].substr(0, prefix.size()), prefix) << i;
        const std::string value = lines[i + 1].substr(prefix.size());
        EXPECT_EQ(value.size(), keys[i].second) << i;
        EXPECT_TRUE(onlyAlphabet(value)) << value;
    }
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(loaded(file()), login);
}

TEST_F(SettingsTest, TwoSavesStoreDifferentTextsThatLoadAlike) {
    const RouterLogin login{"admin", "admin", "80", "192.168.1.1"};
    ASSERT_TRUE(saveLogin(login, file()).saved);
    const std::string first = readBytes(file());
    ASSERT_TRUE(saveLogin(login, file()).saved);
    const std::string second = readBytes(file());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.size(), second.size());
    EXPECT_EQ(loaded(file()), login);
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// A file as Windows, or a user with Notepad, leaves it: CR LF, blanks, quotes, comments, other
// sections, a key spelled in another case.
TEST_F(SettingsTest, ReadsAWindowsFileAndRewritesOnlyTheFourValues) {
    const RouterLogin old{"admin", "secret", "8080", "10.0.0.1"};
    const std::string otherCaseIpKey = "ip\xB9\xDC\xC0\xED";  // ip管理
    const std::vector<std::string> before = {
        "; RouterDesk",
        "[Other]",
        std::string(kAccountKey) + "=not ours",
        "",
        "[" + std::string(kLoginSection) + "]",
        std::string(kAccountKey) + " = " + scrambleText(old.account),
        "; the password",
        std::string(kPasswordKey) + "=\"" + scrambleText(old.password) + "\"",
        std::string(kPortKey) + "\t=\t'" + scrambleText(old.port) + "'",
        otherCaseIpKey + " = " + scrambleText(old.managementIp) + "  ",
        "",
        "[Later]",
        "x=1",
    };
    writeBytes(file(), joinLines(before));
    EXPECT_EQ(loaded(file()), old);

    const RouterLogin fresh{"root", "", "80", "192.168.0.1"};
    ASSERT_TRUE(saveLogin(fresh, file()).saved);
    EXPECT_EQ(loaded(file()), fresh);

    std::vector<std::string> after = splitLines(readBytes(file()));
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.back(), "");  // the file still ends with CR LF
    after.pop_back();
    // Each key stays on its line, spelled as the file spelled it.
    const std::pair<std::size_t, std::string> rewritten[] = {
        {5, std::string(kAccountKey) + "="},
        {7, std::string(kPasswordKey) + "="},
        {8, std::string(kPortKey) + "="},
        {9, otherCaseIpKey + "="},
    };
    std::vector<bool> isRewritten(before.size(), false);
    for (const auto& [line, prefix] : rewritten) {
        isRewritten[line] = true;
        EXPECT_EQ(after[line].substr(0, prefix.size()), prefix) << line;
        EXPECT_TRUE(onlyAlphabet(after[line].substr(prefix.size()))) << after[line];
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!isRewritten[i]) {
            EXPECT_EQ(after[i], before[i]) << "line " << i;
        }
    }
}

TEST_F(SettingsTest, UnwritablePlaceIsReportedAndNothingIsLost) {
    writeBytes(folder() / "plain", "keep");
    fs::create_directories(folder() / "dir" / "inner");
    const fs::path places[] = {
        folder() / "missing" / "f.ini",  // a folder that does not exist
        folder() / "plain" / "f.ini",    // a file where the folder should be
        folder() / "dir",                // something there that cannot be read as the file
    };
    for (const fs::path& place : places) {
        const SettingsSaveResult result = saveLogin({"a", "b", "80", "1.2.3.4"}, place);
        EXPECT_FALSE(result.saved) << place;
        EXPECT_EQ(result.path, place);
        EXPECT_FALSE(result.reason.empty()) << place;
    }
    EXPECT_FALSE(fs::exists(folder() / "missing"));
    EXPECT_EQ(readBytes(folder() / "plain"), "keep");
    EXPECT_TRUE(fs::is_directory(folder() / "dir" / "inner"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder()), fs::directory_iterator()), 2);
}

// Permissions may keep the file from being read even where the folder lets it be replaced; the
// login alone must not then take the place of everything else the file holds.
TEST_F(SettingsTest, ExistingFileThatCannotBeReadIsLeftAlone) {
    const std::string content = "[Other]\r\nx=1\r\n";
    writeBytes(file(), content);
    fs::permissions(file(), fs::perms::owner_write, fs::perm_options::replace);
    if (readBytes(file()) != "<unreadable>") {
        GTEST_SKIP() << "permissions do not stop this user from reading";
    }
    const SettingsSaveResult result = saveLogin({"a", "b", "80", "1.2.3.4"}, file());
    fs::permissions(file(), fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::replace);
    EXPECT_FALSE(result.saved);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(readBytes(file()), content);
}

// Windows reads at most 10239 bytes of a value, so an overlong one comes back cut, its last
// character then standing alone.
TEST_F(SettingsTest, OverlongValueIsReadCutAt10239) {
    ScrambleSeeds seeds([] { return std::uint32_t{0}; });
    const std::string value =
        scrambleText(std::string(10000, 'x'), seeds, [](std::uint32_t) { return 0u; });
    ASSERT_EQ(value.size(), 20000u);
    writeBytes(file(), "[" + std::string(kLoginSection) + "]\r\n" + std::string(kAccountKey) + "=" +
                           value + "\r\n");
    // "x" scrambles to "wb"; a lone "w" (index 58) decodes as ":".
    EXPECT_EQ(loaded(file()).account, std::string(5119, 'x') + ":");
}

}  // namespace
}  // namespace routerdesk
