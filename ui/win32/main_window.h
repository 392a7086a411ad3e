// The main window: the display fields, the command buttons, the status line and the refresh
// timer, bound to the portable handlers.
#pragma once

#include <windows.h>

#include <array>
#include <string_view>
#include <vector>

#include "core/program_context.h"
#include "ui/win32/handles.h"
#include "ui/win32/theme_painting.h"
#include "ui/win32/window_class.h"

namespace routerdesk::win32 {

class MainWindow {
  public:
    MainWindow(ProgramContext& context, const ThemePainting& painting)
        : context_(context), painting_(painting) {}
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Hidden, sized and centred; false when the system would not make it.
    bool create(HINSTANCE instance);
    HWND handle() const { return window_; }

    HWND fieldControl(Field field) const;
    void setFieldColor(Field field, COLORREF color);
    void showStatusLine(std::string_view gbkText, COLORREF color);
    void setRefreshPeriod(unsigned milliseconds);

    // The theme's fonts and colours, after a theme has been applied.
    void restyle();

    // Destroys the window on the way out of the process, without running the end of the run a
    // second time from its destroyed event.
    void destroyForExit();

  private:
    friend LRESULT CALLBACK win32::windowProcedure<MainWindow>(HWND, UINT, WPARAM, LPARAM);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void onCreate();
    void onCommand(WPARAM wParam);
    void onClose();
    void onDestroy();
    LRESULT onControlColor(UINT message, HDC dc, HWND control);
    LRESULT onEraseBackground(HDC dc);
    void onDpiChanged(UINT dpi, const RECT& suggested);
    void invalidateControl(int index);

    ProgramContext& context_;
    const ThemePainting& painting_;
    HWND window_ = nullptr;
    UINT dpi_ = 96;
    std::vector<HWND> controls_;
    std::vector<COLORREF> textColors_;  // per control, as the layout and the handlers set them
    std::array<int, kFieldCount> fieldIndex_{};
    int statusLineIndex_ = -1;
    FontHandle uiFont_;
    FontHandle statusFont_;
    unsigned refreshPeriod_ = 0;
    bool ending_ = false;
    bool destroying_ = false;
};

}  // namespace routerdesk::win32
