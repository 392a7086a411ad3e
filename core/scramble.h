// The reversible scrambling that keeps the login out of plain sight in the settings file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace routerdesk {

// Indexed from 0; a scrambled text holds only these characters.
inline constexpr std::string_view scrambleAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz";

// A millisecond count that never goes back, cut to 32 bits as a Windows tick count is.
std::uint32_t tickCountMilliseconds();

// The seed of every scrambled byte: the tick count plus a counter that grows after each draw,
// so that bytes scrambled within the same millisecond still get seeds at least 100 apart.
class ScrambleSeeds {
  public:
    using TickSource = std::function<std::uint32_t()>;

    explicit ScrambleSeeds(TickSource tickCount = tickCountMilliseconds);

    std::uint32_t next();

  private:
    TickSource tickCount_;
    std::uint32_t counter_ = 0;
};

// Gives the random number of one byte, 0 to 5, from that byte's seed.
using ScrambleDraw = std::function<unsigned(std::uint32_t seed)>;

// The program's own draw: the same seed always gives the same number, on every platform.
unsigned drawScrambleNumber(std::uint32_t seed);

// Two alphabet characters for every byte of `plain`, with the run's seeds and draw. Runs on the
// UI thread only: the run's seed counter is shared.
std::string scrambleText(std::string_view plain);

// The same with seeds and draw of the caller's; a draw beyond 5 is taken modulo 6.
std::string scrambleText(std::string_view plain, ScrambleSeeds& seeds, const ScrambleDraw& draw);

// Decodes any text, whoever made it, without failing; the result ends before its first zero
// byte.
std::string unscrambleText(std::string_view scrambled);

}  // namespace routerdesk
