#include "core/private_profile.h"

#include <gtest/gtest.h>

#include "tests/support/case_name.h"

namespace routerdesk {
namespace {

struct ReadCase {
    const char* name;
    std::string content;
    std::string section;
    std::string key;
    std::string value;
};

class ProfileReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileReadTest, ReadsAsWindowsDoes) {
    const PrivateProfile profile(GetParam().content);
    EXPECT_EQ(profile.read(GetParam().section, GetParam().key), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileReadTest,
    ::testing::Values(
        ReadCase{"empty_file", "", "S", "k", ""},
        ReadCase{"plain_crlf", "[S]\r\nk=v\r\n", "S", "k", "v"},
        ReadCase{"plain_lf", "[S]\nk=v\n", "S", "k", "v"},
        ReadCase{"no_final_line_end", "[S]\r\nk=v", "S", "k", "v"},
        ReadCase{"missing_section", "[T]\r\nk=v\r\n", "S", "k", ""},
        ReadCase{"missing_key", "[S]\r\nj=v\r\n", "S", "k", ""},
        ReadCase{"key_in_other_section_only", "[S]\r\n[T]\r\nk=v\r\n", "S", "k", ""},
        ReadCase{"key_before_any_section", "k=v\r\n[S]\r\n", "S", "k", ""},
        ReadCase{"section_and_key_case", "[sEcT]\r\nKeY=v\r\n", "Sect", "kEy", "v"},
        ReadCase{"blanks_around", "  [ S ]  \r\n \t k \t=\t v w \t\r\n", "S", "k", "v w"},
        ReadCase{"double_quotes", "[S]\r\nk = \" v \"\r\n", "S", "k", " v "},
        ReadCase{"single_quotes", "[S]\r\nk='v'\r\n", "S", "k", "v"},
        ReadCase{"unmatched_quotes_kept", "[S]\r\nk='v\"\r\n", "S", "k", "'v\""},
        ReadCase{"lone_quote_kept", "[S]\r\nk=\"\r\n", "S", "k", "\""},
        ReadCase{"empty_value", "[S]\r\nk=\r\nk2=x\r\n", "S", "k", ""},
        ReadCase{"equals_in_value", "[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
        ReadCase{"first_key_wins", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "1"},
        ReadCase{"first_section_wins", "[S]\r\nj=1\r\n[S]\r\nk=2\r\n", "S", "k", ""},
        ReadCase{"comment_is_no_key", "[S]\r\n;k=c\r\nk=v\r\n", "S", "k", "v"},
        ReadCase{"line_without_equals_ignored", "[S]\r\nk\r\nk=v\r\n", "S", "k", "v"},
        ReadCase{"bracket_line_without_close", "[S]\r\n[T\r\nk=v\r\n", "S", "k", "v"},
        // 登录信息 / 账户
        ReadCase{"gbk_names", "[\xB5\xC7\xC2\xBC\xD0\xC5\xCF\xA2]\r\n\xD5\xCB\xBB\xA7=v\r\n",
                 "\xB5\xC7\xC2\xBC\xD0\xC5\xCF\xA2", "\xD5\xCB\xBB\xA7", "v"},
        // A second byte that looks like "A" or "a" is part of its character, not a letter.
        ReadCase{"gbk_second_byte_not_folded", "[S]\r\n\x81\x41=v\r\n", "S", "\x81\x61", ""},
        ReadCase{"gbk_second_byte_exact", "[S]\r\n\x81\x41=v\r\n", "S", "\x81\x41", "v"},
        ReadCase{"gbk_second_byte_bracket", "[\x81]]\r\nk=v\r\n", "\x81]", "k", "v"},
        ReadCase{"gbk_second_byte_closes_nothing", "[\x81]\r\nk=v\r\n", "\x81", "k", ""},
        ReadCase{"longest_value", "[S]\r\nk=" + std::string(10239, 'x') + "\r\n", "S", "k",
                 std::string(10239, 'x')},
        ReadCase{"value_cut", "[S]\r\nk=" + std::string(10240, 'x') + "y\r\n", "S", "k",
                 std::string(10239, 'x')}),
    testing::CaseName());

TEST(ProfileTest, UntouchedContentComesBackByteForByte) {
    const std::string content =
        "; top\r\n[S]\nk = v \r\n\r\n  odd line\n[T\r\n\xD5\xCB=\x81\x41\r\nlast";
    EXPECT_EQ(PrivateProfile(content).content(), content);
}

struct WriteCase {
    const char* name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

class ProfileWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWriteTest, ChangesOnlyWhatItMust) {
    PrivateProfile profile(GetParam().before);
    ASSERT_TRUE(profile.write(GetParam().section, GetParam().key, GetParam().value));
    EXPECT_EQ(profile.content(), GetParam().after);
    EXPECT_EQ(profile.read(GetParam().section, GetParam().key), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileWriteTest,
    ::testing::Values(
        WriteCase{"new_file", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
        WriteCase{"empty_value", "", "S", "k", "", "[S]\r\nk=\r\n"},
        WriteCase{"new_section_after_unended_line", "[T]\r\nj=1", "S", "k", "v",
                  "[T]\r\nj=1\r\n[S]\r\nk=v\r\n"},
        WriteCase{"replaced_in_place", "[S]\nk=old\nz=1\n", "S", "k", "v", "[S]\nk=v\r\nz=1\n"},
        WriteCase{"replaced_keeps_file_spelling", "[s]\r\n K = old \r\n", "S", "k", "v",
                  "[s]\r\nK=v\r\n"},
        WriteCase{"replaced_in_first_section_only", "[S]\r\nk=1\r\n[S]\r\nk=2\r\n", "S", "k", "v",
                  "[S]\r\nk=v\r\n[S]\r\nk=2\r\n"},
        WriteCase{"same_key_elsewhere_untouched", "[T]\r\nk=1\r\n[S]\r\nj=2\r\n", "S", "k", "v",
                  "[T]\r\nk=1\r\n[S]\r\nj=2\r\nk=v\r\n"},
        WriteCase{"new_key_before_next_sections_comment",
                  "[S]\r\na=1\r\n\r\n; about T\r\n[T]\r\nb=2\r\n", "S", "k", "v",
                  "[S]\r\na=1\r\nk=v\r\n\r\n; about T\r\n[T]\r\nb=2\r\n"},
        WriteCase{"new_key_in_empty_section", "[S]\r\n[T]\r\n", "S", "k", "v",
                  "[S]\r\nk=v\r\n[T]\r\n"},
        WriteCase{"new_key_after_unended_last_line", "[S]\r\na=1", "S", "k", "v",
                  "[S]\r\na=1\r\nk=v\r\n"},
        WriteCase{"value_with_outer_blanks_quoted", "", "S", "k", " v ", "[S]\r\nk=\" v \"\r\n"},
        WriteCase{"value_in_own_quotes_quoted", "", "S", "k", "'v'", "[S]\r\nk=\"'v'\"\r\n"}),
    testing::CaseName());

struct RefusedCase {
    const char* name;
    std::string section;
    std::string key;
    std::string value;
};

class ProfileRefusedWriteTest : public ::testing::TestWithParam<RefusedCase> {};

// Such a write would break the file's lines or store a name that reads back as another.
TEST_P(ProfileRefusedWriteTest, LeavesTheFileAsItWas) {
    const std::string before = "[S]\r\nk=1\r\n";
    PrivateProfile profile(before);
    EXPECT_FALSE(profile.write(GetParam().section, GetParam().key, GetParam().value));
    EXPECT_EQ(profile.content(), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileRefusedWriteTest,
                         ::testing::Values(RefusedCase{"line_feed_in_value", "S", "k", "a\nj=2"},
                                           RefusedCase{"carriage_return_in_value", "S", "k", "a\r"},
                                           RefusedCase{"line_feed_in_key", "S", "k\nj", "v"},
                                           RefusedCase{"line_feed_in_section", "S]\n[T", "k", "v"},
                                           RefusedCase{"equals_in_key", "S", "k=j", "v"},
                                           RefusedCase{"empty_key", "S", "", "v"},
                                           RefusedCase{"key_with_outer_blank", "S", " k", "v"},
                                           RefusedCase{"key_like_comment", "S", ";k", "v"},
                                           RefusedCase{"key_like_section", "S", "[k]", "v"},
                                           RefusedCase{"section_with_outer_blank", "S ", "k", "v"}),
                         testing::CaseName());

}  // namespace
}  // namespace routerdesk
