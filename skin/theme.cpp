// The themes the program knows; number 11 is the one it starts with.
#include "skin/theme.h"

#include <array>

namespace routerdesk {
namespace {

constexpr std::array kThemes = {
    // A calm light look: a warm grey face, white fields with a thin blue-grey border, and a
    // blue accent that marks the focused control.
    Theme{kDefaultThemeNumber, "Harbour", 0xF2EFEC, 0x000000, 0xC8BEB4, 0x7A4A1E, 0xFFFFFF,
          0x000000, 0xB4A89C, 0xFAF7F4, 0x202020, 0xA0948A, 0xD77800,
          "Noto Sans CJK SC, WenQuanYi Zen Hei, Microsoft YaHei UI, SimSun", 12},
};

}  // namespace

const Theme& themeByNumber(int number) {
    for (const Theme& theme : kThemes) {
        if (theme.number == number) {
            return theme;
        }
    }
    return kThemes.front();
}

}  // namespace routerdesk
