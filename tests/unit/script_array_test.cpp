#include "tests/support/case_name.h"
#include "status/script_array.h"

#include <gtest/gtest.h>

#include <vector>

namespace routerdesk {
namespace {

using Pieces = std::vector<std::string>;

constexpr std::string_view kWan = "var wanPara = new Array(";

struct ExtractCase {
    const char* name;
    std::string page;
    std::string expected;
};

class ExtractTest : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractTest, CutsBetweenStartAndFollowingEnd) {
    EXPECT_EQ(extractScriptArray(GetParam().page, kWan, kArrayEnd), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractTest,
    ::testing::Values(
        ExtractCase{"plain", "x var wanPara = new Array(\n4,\n2 );y", "\n4,\n2 "},
        ExtractCase{"empty_page", "", ""},
        ExtractCase{"page_ends_with_marker", "var wanPara = new Array(", ""},
        ExtractCase{"no_end_after_start", ");var wanPara = new Array(\n4", ""},
        ExtractCase{"end_right_after_start", "var wanPara = new Array();", ""},
        ExtractCase{"first_start_counts", "var wanPara = new Array(1);var wanPara = new Array(2);",
                    "1"},
        // No start marker: nothing, rather than whatever text precedes some later ");".
        ExtractCase{"absent_start", "var lanPara = new Array(1);", ""},
        ExtractCase{"end_inside_gbk_skipped", "var wanPara = new Array(\xA1);x);", "\xA1);x"}),
    testing::CaseName());

struct SplitCase {
    const char* name;
    std::string text;
    Pieces expected;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, SplitsAtEveryComma) {
    EXPECT_EQ(splitScriptArray(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTest,
    ::testing::Values(SplitCase{"empty", "", {}}, SplitCase{"one", "abc", {"abc"}},
                      SplitCase{"empty_middle", "a,,b", {"a", "", "b"}},
                      SplitCase{"trailing_comma", "a,b,", {"a", "b"}},
                      SplitCase{"leading_comma", ",a", {"", "a"}},
                      SplitCase{"quotes_ignored", "\n\"a,b\",\n3", {"\n\"a", "b\"", "\n3"}},
                      SplitCase{"whitespace_kept", "\n4,\n2 ", {"\n4", "\n2 "}},
                      SplitCase{"comma_in_gbk_second_byte", "\xA1,x,y", {"\xA1,x", "y"}}),
    testing::CaseName());

TEST(ScriptArrayTest, WanExampleGivesCodeAndNonCode) {
    const Pieces pieces =
        splitScriptArray(extractScriptArray("var wanPara = new Array(\n4,\n2 );", kWan, kArrayEnd));
    ASSERT_EQ(pieces, (Pieces{"\n4", "\n2 "}));
    EXPECT_TRUE(isCode(pieces[0], 4));
    EXPECT_FALSE(isCode(pieces[1], 2));
}

TEST(ScriptArrayTest, StrippingRemovesEveryQuoteAndOpeningParenOnly) {
    EXPECT_EQ(stripQuotes("\n\"word\""), "\nword");
    EXPECT_EQ(stripQuotes("a\"b(c)"), "ab(c)");
    EXPECT_EQ(stripQuotesAndParens("(\n\"a(b)\" "), "\nab) ");
}

TEST(ScriptArrayTest, CodeIsExactlyLineFeedAndDigit) {
    EXPECT_TRUE(isCode("\n1", 1));
    EXPECT_TRUE(isCode("\n0", 0));
    for (const std::string piece : {"\r\n1", "\n1 ", "1", "\n12", "", "\n2"}) {
        EXPECT_FALSE(isCode(piece, 1)) << "piece of " << piece.size() << " bytes";
    }
}

}  // namespace
}  // namespace routerdesk
