// A window's controls made from its layout: one child window per control, all children of the
// window itself, placed in client coordinates at the window's DPI.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/layout/window_layout.h"

namespace routerdesk::win32 {

// Control ids are the layout index plus this, so that no control takes IDOK or IDCANCEL, which
// dialog navigation sends for Enter and Escape; only the login window's button is IDOK.
inline constexpr int kFirstControlId = 100;

enum class EditBorder { line, sunken };

// Indexed like the layout's controls. Group boxes go to the bottom of the stacking order, so
// that every control lying inside a frame shows above it.
std::vector<HWND> createLayoutControls(HWND window, const layout::WindowLayout& layout,
                                       EditBorder border, UINT dpi);

void placeLayoutControls(const layout::WindowLayout& layout, const std::vector<HWND>& controls,
                         UINT dpi);

void setControlsFont(const std::vector<HWND>& controls, HFONT font);

// The layout index of one of the window's controls, or -1.
int layoutIndexOf(HWND control, const std::vector<HWND>& controls);

}  // namespace routerdesk::win32
