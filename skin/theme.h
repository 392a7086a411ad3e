// The program's look as data: colours and fonts that each face applies to its windows.
#pragma once

#include <string_view>

#include "core/host.h"

namespace routerdesk {

struct Theme {
    int number;
    std::string_view name;
    Color windowBackground;  // the window's face; labels sit on it
    Color windowText;
    Color groupBoxFrame;
    Color groupBoxText;
    Color editBackground;
    Color editText;
    Color editBorder;
    Color buttonFace;
    Color buttonText;
    Color buttonBorder;
    Color focusAccent;
    std::string_view uiFontUtf8;  // the face of ordinary text; the status line keeps its own
    int uiFontPixels;
};

inline constexpr int kDefaultThemeNumber = 11;

// The theme of that number; the default one for a number that has none.
const Theme& themeByNumber(int number);

}  // namespace routerdesk
