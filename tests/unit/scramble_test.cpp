#include "core/scramble.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "tests/support/case_name.h"

namespace routerdesk {
namespace {

// Hands out the given numbers in turn and notes the seeds it was asked with.
struct ScriptedDraw {
    explicit ScriptedDraw(std::vector<unsigned> given) : numbers(std::move(given)) {}

    std::vector<unsigned> numbers;
    std::vector<std::uint32_t> seeds;
    std::size_t next = 0;

    ScrambleDraw draw() {
        return [this](std::uint32_t seed) {
            seeds.push_back(seed);
            return numbers[next++ % numbers.size()];
        };
    }
};

ScrambleSeeds frozenClockSeeds() {
    return ScrambleSeeds([] { return std::uint32_t{1000}; });
}

struct ExampleCase {
    const char* name;
    std::string plain;
    std::vector<unsigned> numbers;
    std::string scrambled;
};

class ScrambleExampleTest : public ::testing::TestWithParam<ExampleCase> {};

TEST_P(ScrambleExampleTest, ScramblesToTheKnownTextAndBack) {
    ScrambleSeeds seeds = frozenClockSeeds();
    ScriptedDraw draw{GetParam().numbers};
    EXPECT_EQ(scrambleText(GetParam().plain, seeds, draw.draw()), GetParam().scrambled);
    EXPECT_EQ(unscrambleText(GetParam().scrambled), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScrambleExampleTest,
                         ::testing::Values(ExampleCase{"empty", "", {0}, ""},
                                           ExampleCase{"abc_r0", "abc", {0}, "9IaIbI"},
                                           ExampleCase{"abc_r5", "abc", {5}, "cNfNeN"},
                                           ExampleCase{"abc_r123", "abc", {1, 2, 3}, "8J8K8L"},
                                           // 中: two GBK bytes, four characters
                                           ExampleCase{"gbk_character", "\xD6\xD0", {0}, "2YWY"}),
                         testing::CaseName());

// Each byte value, with each random number, comes back; and the second character of a pair
// names the number it was made with, by its column in the groups of six.
TEST(ScrambleTest, EveryByteWithEveryNumberRoundTrips) {
    constexpr std::string_view kSecondCharacters = "ABCDEFIJKLMNQRSTUVYZ01236789ab";
    std::string everyByte;
    for (int b = 1; b <= 255; ++b) {
        everyByte += static_cast<char>(b);
    }
    for (unsigned r = 0; r <= 5; ++r) {
        ScrambleSeeds seeds = frozenClockSeeds();
        ScriptedDraw draw{{r}};
        const std::string scrambled = scrambleText(everyByte, seeds, draw.draw());
        ASSERT_EQ(scrambled.size(), everyByte.size() * 2);
        for (std::size_t i = 1; i < scrambled.size(); i += 2) {
            const std::size_t position = kSecondCharacters.find(scrambled[i]);
            ASSERT_NE(position, std::string_view::npos) << "r=" << r << " pair " << i / 2;
            EXPECT_EQ(position % 6, r) << "pair " << i / 2;
        }
        EXPECT_EQ(unscrambleText(scrambled), everyByte) << "r=" << r;
    }
}

struct DecodeCase {
    const char* name;
    std::string scrambled;
    std::string plain;
};

class UnscrambleTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(UnscrambleTest, DecodesByTheArithmeticAlone) {
    EXPECT_EQ(unscrambleText(GetParam().scrambled), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnscrambleTest,
                         ::testing::Values(DecodeCase{"upper_case_second", "9I", "a"},
                                           DecodeCase{"lower_case_second", "9i", "\x5D"},
                                           DecodeCase{"odd_length_last_alone", "9Ia", "a\x24"},
                                           DecodeCase{"odd_length_lone_A_is_zero", "9IaIA", "ab"},
                                           DecodeCase{"zero_byte_ends_text", "9IAA9I", "a"},
                                           DecodeCase{"first_outside_alphabet", "?A", "\xFE"},
                                           DecodeCase{"second_outside_alphabet", "B?", "\xFF"},
                                           DecodeCase{"gbk_byte_outside_alphabet",
                                                      "\xD6"
                                                      "A",
                                                      "\xFE"},
                                           DecodeCase{"lone_outside_alphabet", "?", "\xFE"},
                                           DecodeCase{"both_outside_give_zero", "9I??9I", "a"},
                                           // 7 * 62 + 61 = 495, cut to 0xEF, then XOR 5.
                                           DecodeCase{"sum_beyond_a_byte", "zz", "\xEA"},
                                           DecodeCase{"empty", "", ""}),
                         testing::CaseName());

TEST(ScrambleSeedsTest, CounterGrowsByLowByteOfSeedPlusHundred) {
    ScrambleSeeds seeds = frozenClockSeeds();
    // 1000 = 0x3E8; 1000 + 0xE8 + 100 = 1332 = 0x534; 1332 + 0x34 + 100 = 1484.
    EXPECT_EQ(seeds.next(), 1000u);
    EXPECT_EQ(seeds.next(), 1332u);
    EXPECT_EQ(seeds.next(), 1484u);
}

TEST(ScrambleSeedsTest, ScramblesWithinOneMillisecondGetSeedsAHundredApart) {
    ScrambleSeeds seeds = frozenClockSeeds();
    ScriptedDraw draw{{0}};
    scrambleText("ab", seeds, draw.draw());
    scrambleText("cd", seeds, draw.draw());
    ASSERT_EQ(draw.seeds.size(), 4u);
    for (std::size_t i = 1; i < draw.seeds.size(); ++i) {
        EXPECT_GE(draw.seeds[i] - draw.seeds[i - 1], 100u) << "seed " << i;
    }
}

// The run's own scrambler keeps its seed counter from call to call: one byte scrambled again
// and again, while the clock mostly stands still, still comes out in varied forms.
TEST(ScrambleTest, RunScramblerKeepsItsCounterBetweenCalls) {
    std::string previous = scrambleText("a");
    int repeats = 0;
    for (int i = 0; i < 60; ++i) {
        const std::string next = scrambleText("a");
        ASSERT_EQ(unscrambleText(next), "a");
        repeats += next == previous ? 1 : 0;
        previous = next;
    }
    // About one in six by chance; nearly all when every call started the counter afresh.
    EXPECT_LT(repeats, 30);
}

TEST(ScrambleDrawTest, GivesEachNumberAboutEquallyOftenAndAlwaysTheSameForASeed) {
    std::array<int, 6> counts{};
    ScrambleSeeds seeds = frozenClockSeeds();
    for (int i = 0; i < 6000; ++i) {
        const std::uint32_t seed = seeds.next();
        const unsigned r = drawScrambleNumber(seed);
        ASSERT_LT(r, 6u);
        ASSERT_EQ(drawScrambleNumber(seed), r);
        ++counts[r];
    }
    for (unsigned r = 0; r < 6; ++r) {
        EXPECT_GT(counts[r], 850) << "r=" << r;
        EXPECT_LT(counts[r], 1150) << "r=" << r;
    }
}

}  // namespace
}  // namespace routerdesk
