// DPI scaling of the layouts' pixels.
#include "ui/win32/dpi_scaling.h"

namespace routerdesk::win32 {

int scaled(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), kLayoutDpi);
}

RECT scaledRect(const layout::Rect& rect, UINT dpi) {
    const int left = scaled(rect.x, dpi);
    const int top = scaled(rect.y, dpi);
    // Right and bottom are scaled as edges, so that neighbours that touch at 96 DPI still touch.
    return {left, top, scaled(rect.x + rect.width, dpi), scaled(rect.y + rect.height, dpi)};
}

UINT dpiOf(HWND window) {
    const UINT dpi = GetDpiForWindow(window);
    return dpi == 0 ? kLayoutDpi : dpi;
}

void sizeAndCentre(HWND window, const layout::WindowLayout& layout) {
    const UINT dpi = dpiOf(window);
    const int width = scaled(layout.outerWidth, dpi);
    const int height = scaled(layout.outerHeight, dpi);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window, nullptr, left, top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

}  // namespace routerdesk::win32
