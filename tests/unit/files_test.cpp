#include "core/files.h"

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "tests/support/temp_folder.h"

namespace routerdesk {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

// Zero bytes, both line ends and GBK must all survive: nothing here is text to the code.
const std::string kAwkwardBytes = std::string("a\0b\r\n\n\xD6\xD0\xFF", 9);

std::size_t entriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(ProgramDirectoryTest, IsTheFolderOfTheRunningProgram) {
    const fs::path folder = programDirectory();
    ASSERT_TRUE(folder.is_absolute()) << folder;
    bool found = false;
    for (const auto& entry : fs::directory_iterator(folder)) {
        found = found || entry.path().stem() == "routerdesk_unit_tests";
    }
    EXPECT_TRUE(found) << folder;
}

TEST(ReadWholeFileTest, ReadsEveryByte) {
    TempFolder folder;
    writeBytes(folder.path() / "f", kAwkwardBytes);
    writeBytes(folder.path() / "empty", "");
    const FileReadResult read = readWholeFile(folder.path() / "f");
    EXPECT_EQ(read.status, FileStatus::ok);
    EXPECT_EQ(read.bytes, kAwkwardBytes);
    const FileReadResult empty = readWholeFile(folder.path() / "empty");
    EXPECT_EQ(empty.status, FileStatus::ok);
    EXPECT_EQ(empty.bytes, "");
}

TEST(ReadWholeFileTest, TellsMissingFromUnreadable) {
    TempFolder folder;
    const FileReadResult missing = readWholeFile(folder.path() / "none");
    EXPECT_EQ(missing.status, FileStatus::missing);
    EXPECT_EQ(readWholeFile(folder.path() / "none" / "f").status, FileStatus::missing);
    EXPECT_FALSE(missing.reason.empty());

    // A folder where the file should be exists but cannot be read as one.
    fs::create_directory(folder.path() / "dir");
    const FileReadResult unreadable = readWholeFile(folder.path() / "dir");
    EXPECT_EQ(unreadable.status, FileStatus::failed);
    EXPECT_FALSE(unreadable.reason.empty());
}

TEST(ReplaceFileTest, CreatesAndReplacesWithExactlyTheBytesAndNothingBeside) {
    TempFolder folder;
    // The settings file's own name, which Windows must get through its wide API.
    const fs::path file = folder.path() / fs::path(u8"无线路由配置.ini");
    ASSERT_TRUE(replaceFileAtomically(file, std::string(5000, 'x')).written);
    EXPECT_EQ(readBytes(file), std::string(5000, 'x'));

    const FileWriteResult shorter = replaceFileAtomically(file, kAwkwardBytes);
    EXPECT_TRUE(shorter.written);
    EXPECT_EQ(shorter.reason, "");
    EXPECT_EQ(readBytes(file), kAwkwardBytes);

    ASSERT_EQ(entriesIn(folder.path()), 1u);
    EXPECT_EQ(fs::directory_iterator(folder.path())->path().filename().u8string(),
              u8"无线路由配置.ini");
}

TEST(ReplaceFileTest, FailureIsReportedAndLeavesEverythingAsItWas) {
    TempFolder folder;
    writeBytes(folder.path() / "plain", "keep");
    fs::create_directories(folder.path() / "dir" / "inner");

    const fs::path targets[] = {
        folder.path() / "missing" / "f",  // a folder that does not exist
        folder.path() / "plain" / "f",    // a file where a folder should be
        folder.path() / "dir",            // a folder, with something in it, where the file is
    };
    for (const fs::path& target : targets) {
        const FileWriteResult result = replaceFileAtomically(target, "new");
        EXPECT_FALSE(result.written) << target;
        EXPECT_FALSE(result.reason.empty()) << target;
    }
    EXPECT_FALSE(fs::exists(folder.path() / "missing"));
    EXPECT_EQ(readBytes(folder.path() / "plain"), "keep");
    EXPECT_TRUE(fs::is_directory(folder.path() / "dir" / "inner"));
    // No temporary file left behind by the failed replacement.
    EXPECT_EQ(entriesIn(folder.path()), 2u);
}

TEST(PathToGbkTest, GivesTheNameInGbk) {
    const fs::path path = fs::path(u8"dir") / fs::path(u8"无线路由配置.ini");
    const std::string text = pathToGbk(path);
    // 无线路由配置.ini
    const std::string name = "\xCE\xDE\xCF\xDF\xC2\xB7\xD3\xC9\xC5\xE4\xD6\xC3.ini";
    ASSERT_GE(text.size(), name.size() + 4);
    EXPECT_EQ(text.substr(0, 3), "dir");
    EXPECT_EQ(text.substr(text.size() - name.size()), name);
}

}  // namespace
}  // namespace routerdesk
