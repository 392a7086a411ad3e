// What every window of the program shares: its class registration, and the procedure that hands
// each message to the window's C++ object.
#pragma once

#include <windows.h>

namespace routerdesk::win32 {

// Registers the class once per process; true when it is (or already was) registered.
inline bool registerWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExW(instance, className, &windowClass)) {
        return true;
    }
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

// The object comes with CreateWindowExW's last argument and is kept in GWLP_USERDATA. `Window`
// befriends this procedure and has `HWND window_` and
// `LRESULT handleMessage(UINT, WPARAM, LPARAM)`.
template <typename Window>
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* creating =
            static_cast<Window*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        creating->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->handleMessage(message, wParam, lParam);
    } catch (...) {
        // No exception crosses into the system: out of memory in a handler loses that one event.
        return 0;
    }
}

}  // namespace routerdesk::win32
