// The scrambling of the settings file's values, and the seeds behind its random numbers.
#include "core/scramble.h"

#include <chrono>
#include <random>
#include <utility>

namespace routerdesk {
namespace {

constexpr unsigned kDrawRange = 6;
constexpr int kAlphabetSize = static_cast<int>(scrambleAlphabet.size());
// The second character of a pair holds c div 62 in steps of 8 and r within the step.
constexpr int kGroupStep = 8;

// The 0-based index of `c` in the alphabet, and -2 for a character it lacks: files edited by
// hand decode by the same arithmetic as the program's own.
int alphabetIndex(char c) {
    const std::size_t position = scrambleAlphabet.find(c);
    return position == std::string_view::npos ? -2 : static_cast<int>(position);
}

}  // namespace

std::uint32_t tickCountMilliseconds() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    return static_cast<std::uint32_t>(milliseconds);
}

ScrambleSeeds::ScrambleSeeds(TickSource tickCount) : tickCount_(std::move(tickCount)) {}

std::uint32_t ScrambleSeeds::next() {
    const std::uint32_t seed = tickCount_() + counter_;
    counter_ += (seed & 0xFFu) + 100u;
    return seed;
}

unsigned drawScrambleNumber(std::uint32_t seed) {
    // mt19937 is defined to the bit by the standard, unlike the distributions; rejecting the top
    // of the range keeps the six numbers equally likely.
    std::mt19937 generator(seed);
    constexpr std::uint32_t kLimit = 0xFFFFFFFFu - 0xFFFFFFFFu % kDrawRange;
    auto value = generator();
    while (value >= kLimit) {
        value = generator();
    }
    return static_cast<unsigned>(value % kDrawRange);
}

std::string scrambleText(std::string_view plain) {
    static ScrambleSeeds runSeeds;
    return scrambleText(plain, runSeeds, drawScrambleNumber);
}

std::string scrambleText(std::string_view plain, ScrambleSeeds& seeds, const ScrambleDraw& draw) {
    std::string scrambled;
    scrambled.reserve(plain.size() * 2);
    for (const char byte : plain) {
        const int r = static_cast<int>(draw(seeds.next()) % kDrawRange);
        const int c = static_cast<unsigned char>(byte) ^ r;
        scrambled += scrambleAlphabet[static_cast<std::size_t>(c % kAlphabetSize)];
        scrambled += scrambleAlphabet[static_cast<std::size_t>(c / kAlphabetSize * kGroupStep + r)];
    }
    return scrambled;
}

std::string unscrambleText(std::string_view scrambled) {
    std::string plain;
    plain.reserve(scrambled.size() / 2 + 1);
    for (std::size_t i = 0; i < scrambled.size(); i += 2) {
        const int x = alphabetIndex(scrambled[i]);
        // A lone last character decodes as if followed by "A".
        const int y = i + 1 < scrambled.size() ? alphabetIndex(scrambled[i + 1]) : 0;
        const int q = y / kGroupStep;  // truncates toward zero, so -2 gives 0
        const int t = y - kGroupStep * q;
        // Unsigned arithmetic gives the low 8 bits of the two's-complement result for any sign.
        const std::uint32_t sum = static_cast<std::uint32_t>(q * kAlphabetSize + x);
        const std::uint32_t byte = ((sum & 0xFFu) ^ static_cast<std::uint32_t>(t)) & 0xFFu;
        if (byte == 0) {
            break;
        }
        plain += static_cast<char>(byte);
    }
    return plain;
}

}  // namespace routerdesk
