// The theme's colours and fonts as GDI objects, and the answers to the WM_CTLCOLOR* messages.
#pragma once

#include <windows.h>

#include <string>

#include "skin/theme.h"
#include "ui/win32/handles.h"

namespace routerdesk::win32 {

class ThemePainting {
  public:
    // Until a theme is applied the windows keep the system's own colours and GUI font.
    void apply(const Theme& theme);
    bool applied() const { return theme_ != nullptr; }

    HBRUSH windowBrush() const;
    // A label or group box on the window's face, in the given text colour.
    HBRUSH paintStatic(HDC dc, COLORREF text) const;
    HBRUSH paintEdit(HDC dc, COLORREF text) const;
    COLORREF groupBoxText() const;

    // The ordinary text's font at this DPI.
    FontHandle makeUiFont(UINT dpi) const;

  private:
    const Theme* theme_ = nullptr;
    std::wstring uiFace_;
    BrushHandle windowBrush_;
    BrushHandle editBrush_;
};

// The status line keeps its own font whatever the theme: 宋体, 14 pixels at 96 DPI.
FontHandle makeStatusFont(UINT dpi);

}  // namespace routerdesk::win32
