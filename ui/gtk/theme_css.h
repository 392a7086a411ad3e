// The theme as one CSS style sheet for every window of the program.
#pragma once

#include <string>

#include "core/host.h"

namespace routerdesk {
struct Theme;
}

namespace routerdesk::gtk {

// "#rrggbb" from a Windows colour value 0x00BBGGRR.
std::string cssColour(Color colour);

std::string themeCss(const Theme& theme);

// Installs the style sheet for the whole screen, once: later calls change nothing.
void applyThemeToScreen(const Theme& theme);

}  // namespace routerdesk::gtk
