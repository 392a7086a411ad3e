// Pixels of the layouts (96 DPI) on a monitor of any DPI.
#pragma once

#include <windows.h>

#include "ui/layout/window_layout.h"

namespace routerdesk::win32 {

inline constexpr UINT kLayoutDpi = 96;

int scaled(int pixels, UINT dpi);
RECT scaledRect(const layout::Rect& rect, UINT dpi);

// The window's DPI; the layout's own when the system cannot say.
UINT dpiOf(HWND window);

// Gives a top-level window the layout's outer size at its monitor's DPI, centred on the primary
// screen as a whole.
void sizeAndCentre(HWND window, const layout::WindowLayout& layout);

}  // namespace routerdesk::win32
