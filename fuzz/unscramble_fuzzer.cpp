// Fuzzes the decoding of scrambled settings values, which anyone can edit by hand, and the round
// trip through the program's own scrambling.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/scramble.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "unscramble_fuzzer: %s\n", what);
    std::abort();
}

// Scrambles with seeds that depend on the input only, so that a finding replays.
std::string scrambleDeterministically(std::string_view plain, std::uint32_t tick) {
    routerdesk::ScrambleSeeds seeds([tick] { return tick; });
    return routerdesk::scrambleText(plain, seeds, routerdesk::drawScrambleNumber);
}

void checkRoundTrip(std::string_view plain, std::uint32_t tick) {
    const std::string scrambled = scrambleDeterministically(plain, tick);
    if (scrambled.size() != plain.size() * 2 ||
        scrambled.find_first_not_of(routerdesk::scrambleAlphabet) != std::string::npos) {
        fail("a scrambled text is not two alphabet characters a byte");
    }
    if (routerdesk::unscrambleText(scrambled) != plain) {
        fail("unscrambling did not give back the scrambled text");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string plain = routerdesk::unscrambleText(input);
    if (plain.find('\0') != std::string::npos) {
        fail("a decoded text holds a zero byte");
    }
    if (plain.size() > (input.size() + 1) / 2) {
        fail("a decoded text is longer than one byte a pair");
    }

    std::uint32_t tick = 0;
    for (std::size_t i = 0; i < size && i < 4; ++i) {
        tick = tick << 8 | data[i];
    }
    checkRoundTrip(plain, tick);
    checkRoundTrip(input.substr(0, input.find('\0')), ~tick);
    return 0;
}
