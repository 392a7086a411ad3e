// The login window and its own modal loop.
#include "ui/win32/login_window.h"

#include <vector>

#include "core/login.h"
#include "ui/layout/window_layout.h"
#include "ui/win32/dpi_scaling.h"
#include "ui/win32/handles.h"
#include "ui/win32/layout_controls.h"
#include "ui/win32/message_pump.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/window_class.h"

namespace routerdesk::win32 {
namespace {

constexpr wchar_t kClassName[] = L"RouterDeskLoginWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

const layout::WindowLayout& windowLayout() {
    return layout::loginWindowLayout();
}

class LoginWindow {
  public:
    LoginWindow(ProgramContext& context, const ThemePainting& painting)
        : context_(context), painting_(painting) {}
    LoginWindow(const LoginWindow&) = delete;
    LoginWindow& operator=(const LoginWindow&) = delete;

    void run(HINSTANCE instance);

  private:
    friend LRESULT CALLBACK win32::windowProcedure<LoginWindow>(HWND, UINT, WPARAM, LPARAM);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void onCreate();
    void onOk();
    LRESULT onControlColor(UINT message, HDC dc, HWND control);
    void onDpiChanged(UINT dpi, const RECT& suggested);
    HWND controlOf(layout::Role role) const;

    ProgramContext& context_;
    const ThemePainting& painting_;
    HWND window_ = nullptr;
    UINT dpi_ = kLayoutDpi;
    std::vector<HWND> controls_;
    FontHandle font_;
    bool closed_ = false;
};

void LoginWindow::run(HINSTANCE instance) {
    if (!registerWindowClass(instance, kClassName, &windowProcedure<LoginWindow>)) {
        return;
    }
    HWND window = CreateWindowExW(0, kClassName, gbkToWide(windowLayout().caption).c_str(), kStyle,
                                  0, 0, windowLayout().outerWidth, windowLayout().outerHeight,
                                  nullptr, nullptr, instance, this);
    if (window == nullptr) {
        return;
    }
    sizeAndCentre(window, windowLayout());
    addKeyboardNavigation(window);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetFocus(controlOf(layout::Role::accountBox));

    MSG message;
    while (!closed_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // the main loop's to act on
            break;
        }
        if (got == -1) {
            break;
        }
        dispatchOne(message);
    }
    removeKeyboardNavigation(window);
    if (!closed_) {
        DestroyWindow(window);
    }
}

LRESULT LoginWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            onCreate();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
                onOk();
            }
            return 0;
        case DM_GETDEFID:
            // Enter anywhere in the window presses the OK button.
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return onControlColor(message, reinterpret_cast<HDC>(wParam),
                                  reinterpret_cast<HWND>(lParam));
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, painting_.windowBrush());
            return 1;
        }
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            closed_ = true;
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void LoginWindow::onCreate() {
    dpi_ = dpiOf(window_);
    // Made anew from the layout each time: the boxes never show a login saved before.
    controls_ = createLayoutControls(window_, windowLayout(), EditBorder::sunken, dpi_);
    font_ = painting_.makeUiFont(dpi_);
    setControlsFont(controls_, font_.get());
}

void LoginWindow::onOk() {
    RouterLogin typed;
    typed.account = windowTextGbk(controlOf(layout::Role::accountBox));
    typed.password = windowTextGbk(controlOf(layout::Role::passwordBox));
    typed.port = windowTextGbk(controlOf(layout::Role::portBox));
    typed.managementIp = windowTextGbk(controlOf(layout::Role::ipBox));
    if (confirmLogin(context_, typed)) {
        DestroyWindow(window_);
    }
}

LRESULT LoginWindow::onControlColor(UINT message, HDC dc, HWND control) {
    const int index = layoutIndexOf(control, controls_);
    const COLORREF text =
        index >= 0 ? windowLayout().controls[static_cast<std::size_t>(index)].textColor : 0;
    if (message == WM_CTLCOLOREDIT) {
        return reinterpret_cast<LRESULT>(painting_.paintEdit(dc, text));
    }
    return reinterpret_cast<LRESULT>(painting_.paintStatic(dc, text));
}

void LoginWindow::onDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    placeLayoutControls(windowLayout(), controls_, dpi_);
    font_ = painting_.makeUiFont(dpi_);
    setControlsFont(controls_, font_.get());
}

HWND LoginWindow::controlOf(layout::Role role) const {
    const layout::WindowLayout& layout = windowLayout();
    for (std::size_t i = 0; i < controls_.size() && i < layout.controls.size(); ++i) {
        if (layout.controls[i].role == role) {
            return controls_[i];
        }
    }
    return nullptr;
}

}  // namespace

void runLoginWindow(HINSTANCE instance, ProgramContext& context, const ThemePainting& painting,
                    HWND mainWindow) {
    const bool mainWasEnabled = mainWindow != nullptr && !EnableWindow(mainWindow, FALSE);
    LoginWindow window(context, painting);
    window.run(instance);
    if (mainWasEnabled) {
        EnableWindow(mainWindow, TRUE);
    }
}

}  // namespace routerdesk::win32
