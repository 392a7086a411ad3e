#include "core/settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <iostream>
#include <memory>
#include <random>
#include <vector>

#include "core/files.h"
#include "core/gbk.h"
#include "core/host.h"
#include "core/scramble.h"
#include "core/worker.h"
#include "tests/support/case_name.h"
#include "tests/support/pause.h"
#include "tests/support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

std::string randomBytes(std::size_t count) {
    std::mt19937 random(7);
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

struct DamagedFileCase {
    const char* name;
    std::string content;
};

class DamagedSettingsFileTest : public SettingsTest,
                                public ::testing::WithParamInterface<DamagedFileCase> {};

// Whatever the file holds, reading it cannot fail, and saving puts the login into it while the
// rest stays byte for byte.
TEST_P(DamagedSettingsFileTest, LoadsWithoutHarmAndSavesTheLoginIntoIt) {
    const std::string& content = GetParam().content;
    writeBytes(file(), content);
    static_cast<void>(loaded(file()));

    const RouterLogin login{"admin", "secret", "80", "192.168.1.1"};
    const SettingsSaveResult saved = saveLogin(login, file());
    ASSERT_TRUE(saved.saved) << saved.reason;
    EXPECT_EQ(loaded(file()), login);
    const std::string after = readBytes(file());
    ASSERT_GE(after.size(), content.size());
    EXPECT_TRUE(after.starts_with(content));
}

std::string manyOtherKeys(std::size_t size) {
    std::string text = "[Other]\r\n";
    for (int i = 0; text.size() < size; ++i) {
        text += "key" + std::to_string(i) + "=" + std::string(100, 'v') + "\r\n";
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedSettingsFileTest,
                         ::testing::Values(DamagedFileCase{"random_bytes", randomBytes(64 * 1024)},
                                           DamagedFileCase{"random_10MiB", randomBytes(10u << 20)},
                                           DamagedFileCase{"lines_10MiB", manyOtherKeys(10u << 20)},
                                           DamagedFileCase{"zero_bytes", std::string(4096, '\0')}),
                         testing::CaseName());

// Every value far beyond what a read brings back: each comes back cut on its own, and none
// spills into another.
TEST_F(SettingsTest, ValuesOf20000CharactersSaveWholeAndLoadCut) {
    const RouterLogin login{std::string(20'000, 'a'), std::string(20'000, 'b'),
                            std::string(20'000, '8'), std::string(20'000, '1')};
    ASSERT_TRUE(saveLogin(login, file()).saved);
    const std::vector<std::string> lines = splitLines(readBytes(file()));
    ASSERT_EQ(lines.size(), 6u);
    for (std::size_t i = 1; i <= 4; ++i) {
        EXPECT_EQ(lines[i].size() - lines[i].find('=') - 1, 40'000u) << i;
    }
    const RouterLogin back = loaded(file());
    const std::pair<const std::string*, char> fields[] = {
        {&back.account, 'a'}, {&back.password, 'b'}, {&back.port, '8'}, {&back.managementIp, '1'}};
    for (const auto& [field, letter] : fields) {
        // 10239 characters: 5119 whole pairs, then a lone first character of one.
        ASSERT_GE(field->size(), 5119u) << letter;
        EXPECT_LE(field->size(), 5120u) << letter;
        EXPECT_EQ(field->substr(0, 5119), std::string(5119, letter));
    }
}

// Two instances saving at once, many times, while a third reads: the file is always one whole
// version, and nothing but the file is left in the folder.
TEST_F(SettingsTest, ConcurrentSavesNeverLeaveAHalfWrittenFile) {
    constexpr int kSavers = 2;
    constexpr int kSaves = 60;
    ASSERT_TRUE(saveLogin({"0-0", "0-0", "0-0", "0-0"}, file()).saved);
    struct Shared {
        std::atomic<int> saved{0};
        std::atomic<int> failedWithoutReason{0};
        std::atomic<int> failed{0};
        std::atomic<bool> saving{true};
    };
    auto shared = std::make_shared<Shared>();
    std::vector<std::shared_ptr<Completion>> savers;
    for (int saver = 1; saver <= kSavers; ++saver) {
        auto done = std::make_shared<Completion>();
        savers.push_back(done);
        const fs::path path = file();
        ASSERT_TRUE(startDetachedWorker([shared, done, path, saver] {
            for (int i = 0; i < kSaves; ++i) {
                const std::string tag = std::to_string(saver) + "-" + std::to_string(i);
                const SettingsSaveResult result = saveLogin({tag, tag, tag, tag}, path);
                if (result.saved) {
                    ++shared->saved;
                } else {
                    ++shared->failed;
                    if (result.reason.empty()) {
                        ++shared->failedWithoutReason;
                    }
                }
            }
            done->markDone();
        }));
    }
    int reads = 0;
    bool running = true;
    while (running) {
        running = false;
        for (const auto& done : savers) {
            running = running || !done->isDone();
        }
        const RouterLogin login = loaded(file());
        ++reads;
#ifdef _WIN32
        if (login.account.empty()) {
            continue;  // Windows may refuse to open a file in the moment it is replaced
        }
#endif
        ASSERT_FALSE(login.account.empty()) << "read " << reads;
        ASSERT_EQ(login, (RouterLogin{login.account, login.account, login.account, login.account}))
            << "read " << reads;
    }
    EXPECT_EQ(shared->failedWithoutReason, 0);
    EXPECT_GT(shared->saved, 0);
    std::cout << "[ figures  ] " << shared->saved << " saves, " << shared->failed << " refused, "
              << reads << " whole reads\n";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder()), fs::directory_iterator()), 1);
}

#ifdef _WIN32
// Another program holds the file open without sharing it: saving says why it failed, loading
// gives nothing, and once the file is free again it holds its old content.
TEST_F(SettingsTest, FileLockedByAnotherProgramIsReportedAndKept) {
    const RouterLogin old{"admin", "admin", "80", "192.168.1.1"};
    ASSERT_TRUE(saveLogin(old, file()).saved);
    const std::string before = readBytes(file());
    HANDLE lock = CreateFileW(file().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const SettingsSaveResult result = saveLogin({"other", "other", "81", "10.0.0.1"}, file());
    const RouterLogin whileLocked = loaded(file());
    CloseHandle(lock);
    EXPECT_FALSE(result.saved);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(whileLocked, RouterLogin{});
    EXPECT_EQ(readBytes(file()), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder()), fs::directory_iterator()), 1);
}

TEST_F(SettingsTest, ReadOnlyFileIsReportedAndKept) {
    ASSERT_TRUE(saveLogin({"admin", "admin", "80", "192.168.1.1"}, file()).saved);
    const std::string before = readBytes(file());
    ASSERT_TRUE(SetFileAttributesW(file().c_str(), FILE_ATTRIBUTE_READONLY));
    const SettingsSaveResult result = saveLogin({"other", "other", "81", "10.0.0.1"}, file());
    SetFileAttributesW(file().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(result.saved);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(readBytes(file()), before);
}
#else
// Runs `save` as a user without rights to the test's files when the tests run as root, who
// may write anywhere; reports whether it saved and whether it gave a reason.
struct SaveOutcome {
    bool saved = false;
    bool gaveReason = false;
};

SaveOutcome saveWithoutRootRights(const std::function<SettingsSaveResult()>& save) {
    if (::geteuid() != 0) {
        const SettingsSaveResult result = save();
        return {result.saved, !result.reason.empty()};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(100);
        }
        const SettingsSaveResult result = save();
        ::_exit((result.saved ? 1 : 0) | (result.reason.empty() ? 0 : 2));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    if (code == 100) {
        ADD_FAILURE() << "could not become another user";
    }
    return {(code & 1) != 0, (code & 2) != 0};
}

struct PermissionCase {
    const char* name;
    fs::perms folder;
    fs::perms file;
    bool saves;
};

class SettingsPermissionTest : public SettingsTest,
                               public ::testing::WithParamInterface<PermissionCase> {};

// A folder the program may not write to, or a file the user made read-only: the save fails
// with the system's reason, and the file and folder stay as they were.
TEST_P(SettingsPermissionTest, RefusedSaveKeepsThePreviousFile) {
    const fs::path place = folder() / "place";
    fs::create_directory(place);
    const fs::path path = place / fs::path(kSettingsFileName);
    ASSERT_TRUE(saveLogin({"admin", "admin", "80", "192.168.1.1"}, path).saved);
    const std::string before = readBytes(path);
    fs::permissions(path, GetParam().file, fs::perm_options::replace);
    fs::permissions(place, GetParam().folder, fs::perm_options::replace);

    const SaveOutcome outcome = saveWithoutRootRights([&path] {
        return saveLogin({"other", "other", "81", "10.0.0.1"}, path);
    });
    fs::permissions(place, fs::perms::owner_all, fs::perm_options::replace);

    EXPECT_EQ(outcome.saved, GetParam().saves);
    EXPECT_EQ(outcome.gaveReason, !GetParam().saves);
    if (!GetParam().saves) {
        EXPECT_EQ(readBytes(path), before);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(place), fs::directory_iterator()), 1);
}

constexpr fs::perms kReadable =
    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms kOpenFolder = fs::perms::all;
constexpr fs::perms kClosedFolder =
    kReadable | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

INSTANTIATE_TEST_SUITE_P(
    Places, SettingsPermissionTest,
    ::testing::Values(
        // The same user where it may write: the others fail for their own reason only.
        PermissionCase{"writable", kOpenFolder, kReadable | fs::perms::others_write, true},
        PermissionCase{"unwritable_folder", kClosedFolder, kReadable | fs::perms::others_write,
                       false},
        PermissionCase{"read_only_file", kOpenFolder, kReadable, false}),
    testing::CaseName());
#endif

}  // namespace
}  // namespace routerdesk
