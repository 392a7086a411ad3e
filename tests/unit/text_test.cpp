#include "tests/support/case_name.h"
#include "core/text.h"

#include <gtest/gtest.h>

#include <random>

namespace routerdesk {
namespace {

struct FindCase {
    const char* name;
    std::string text;
    std::string needle;
    std::size_t expected;
};

class FindTextTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsFirstMatchAtACharacterStart) {
    EXPECT_EQ(findText(GetParam().text, GetParam().needle), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    ::testing::Values(FindCase{"first_of_two", "ab,cd,ef", ",", 2},
                      FindCase{"absent", "abc", "x", kNotFound},
                      FindCase{"case_sensitive", "ABC abc", "abc", 4},
                      FindCase{"longer_than_text", "ab", "abc", kNotFound},
                      // 0xA1 0x2C is one character: its second byte is no comma.
                      FindCase{"second_byte_skipped", "\xA1,x,", ",", 3},
                      // The bytes of "\xB0\xA1" appear from the second byte of "\xC4\xB0" first.
                      FindCase{"marker_inside_double_byte", "\xC4\xB0\xA1x\xB0\xA1", "\xB0\xA1", 4},
                      FindCase{"ascii_after_gbk", "\xB5\xC7\xC2\xBC abc", "abc", 5},
                      FindCase{"lead_byte_at_end", "abc\xB0", "c", 2},
                      FindCase{"only_inside_characters", "\xA1,\xA1,", ",", kNotFound}),
    testing::CaseName());

// The plain definition, a walk over every character start, against the search on many texts made
// of lead bytes, bytes that are second bytes or ASCII, and commas: runs of each length and parity.
std::size_t findByWalkingForward(std::string_view text, std::string_view needle) {
    for (std::size_t at = 0; at + needle.size() <= text.size();) {
        if (text.substr(at, needle.size()) == needle) {
            return at;
        }
        at += static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1;
    }
    return kNotFound;
}

TEST(FindTextTest, AgreesWithAWalkOverEveryCharacterStart) {
    std::mt19937 random(7);
    const std::string alphabet =
        "\xB0\xA1\xC4"
        "a,@";
    const auto textOf = [&](std::size_t length) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            text += alphabet[random() % alphabet.size()];
        }
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string text = textOf(random() % 24);
        const std::string needle = textOf(1 + random() % 3);
        ASSERT_EQ(findText(text, needle), findByWalkingForward(text, needle))
            << ::testing::PrintToString(text) << " / " << ::testing::PrintToString(needle);
    }
}

}  // namespace
}  // namespace routerdesk
