// The main window's message handling; everything it shows comes from the layout, everything it
// does is a portable handler.
#include "ui/win32/main_window.h"

#include "control/commands.h"
#include "core/life_cycle.h"
#include "status/refresh.h"
#include "ui/layout/window_layout.h"
#include "ui/win32/dpi_scaling.h"
#include "ui/win32/layout_controls.h"
#include "ui/win32/message_pump.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/window_class.h"

namespace routerdesk::win32 {
namespace {

constexpr wchar_t kClassName[] = L"RouterDeskMainWindow";
constexpr UINT_PTR kRefreshTimerId = 1;
// A fixed frame: no sizing border, no minimise or maximise button.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

const layout::WindowLayout& windowLayout() {
    return layout::mainWindowLayout();
}

}  // namespace

bool MainWindow::create(HINSTANCE instance) {
    if (!registerWindowClass(instance, kClassName, &windowProcedure<MainWindow>)) {
        return false;
    }
    // Not WS_VISIBLE: nobody sees the window before start-up has run.
    HWND window = CreateWindowExW(0, kClassName, gbkToWide(windowLayout().caption).c_str(), kStyle,
                                  0, 0, windowLayout().outerWidth, windowLayout().outerHeight,
                                  nullptr, nullptr, instance, this);
    if (window == nullptr) {
        return false;
    }
    sizeAndCentre(window, windowLayout());
    addKeyboardNavigation(window);
    return true;
}

HWND MainWindow::fieldControl(Field field) const {
    const int index = fieldIndex_[static_cast<std::size_t>(field)];
    return index >= 0 ? controls_[static_cast<std::size_t>(index)] : nullptr;
}

void MainWindow::setFieldColor(Field field, COLORREF color) {
    const int index = fieldIndex_[static_cast<std::size_t>(field)];
    if (index >= 0) {
        textColors_[static_cast<std::size_t>(index)] = color;
        invalidateControl(index);
    }
}

void MainWindow::showStatusLine(std::string_view gbkText, COLORREF color) {
    if (statusLineIndex_ < 0) {
        return;
    }
    setWindowTextGbk(controls_[static_cast<std::size_t>(statusLineIndex_)], gbkText);
    textColors_[static_cast<std::size_t>(statusLineIndex_)] = color;
    invalidateControl(statusLineIndex_);
}

void MainWindow::setRefreshPeriod(unsigned milliseconds) {
    if (milliseconds == refreshPeriod_ || window_ == nullptr) {
        return;
    }
    if (milliseconds == 0) {
        KillTimer(window_, kRefreshTimerId);
    } else {
        SetTimer(window_, kRefreshTimerId, milliseconds, nullptr);
    }
    refreshPeriod_ = milliseconds;
}

void MainWindow::restyle() {
    uiFont_ = painting_.makeUiFont(dpi_);
    setControlsFont(controls_, uiFont_.get());
    if (statusLineIndex_ >= 0) {
        SendMessageW(controls_[static_cast<std::size_t>(statusLineIndex_)], WM_SETFONT,
                     reinterpret_cast<WPARAM>(statusFont_.get()), TRUE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::destroyForExit() {
    ending_ = true;
    // From inside the window's own destruction there is nothing left to destroy.
    if (window_ != nullptr && !destroying_ && IsWindow(window_)) {
        removeKeyboardNavigation(window_);
        DestroyWindow(window_);
    }
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            onCreate();
            return 0;
        case WM_COMMAND:
            onCommand(wParam);
            return 0;
        case WM_TIMER:
            if (wParam == kRefreshTimerId) {
                handleRefreshTick(context_);
            }
            return 0;
        case WM_CLOSE:
            onClose();
            return 0;
        case WM_DESTROY:
            onDestroy();
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return onControlColor(message, reinterpret_cast<HDC>(wParam),
                                  reinterpret_cast<HWND>(lParam));
        case WM_ERASEBKGND:
            return onEraseBackground(reinterpret_cast<HDC>(wParam));
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void MainWindow::onCreate() {
    const layout::WindowLayout& layout = windowLayout();
    dpi_ = dpiOf(window_);
    controls_ = createLayoutControls(window_, layout, EditBorder::line, dpi_);
    textColors_.clear();
    fieldIndex_.fill(-1);
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const layout::ControlLayout& control = layout.controls[i];
        textColors_.push_back(control.textColor);
        if (control.field) {
            fieldIndex_[static_cast<std::size_t>(*control.field)] = static_cast<int>(i);
        }
        if (control.role == layout::Role::statusLine) {
            statusLineIndex_ = static_cast<int>(i);
        }
    }
    statusFont_ = makeStatusFont(dpi_);
    restyle();
}

void MainWindow::onCommand(WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) {
        return;
    }
    const int index = LOWORD(wParam) - kFirstControlId;
    const layout::WindowLayout& layout = windowLayout();
    if (index < 0 || static_cast<std::size_t>(index) >= layout.controls.size()) {
        return;
    }
    switch (layout.controls[static_cast<std::size_t>(index)].role) {
        case layout::Role::broadcastButton:
            toggleSsidBroadcast(context_);
            break;
        case layout::Role::dialButton:
            dial(context_);
            break;
        case layout::Role::hangUpButton:
            hangUp(context_);
            break;
        case layout::Role::wirelessButton:
            toggleWireless(context_);
            break;
        case layout::Role::renameSsidButton:
            renameSsid(context_);
            break;
        default:
            break;
    }
}

void MainWindow::onClose() {
    handleCloseRequest(context_);
    removeKeyboardNavigation(window_);
    DestroyWindow(window_);
}

void MainWindow::onDestroy() {
    destroying_ = true;
    KillTimer(window_, kRefreshTimerId);
    if (!ending_) {
        endProgram(context_, kExitOk);
    }
}

LRESULT MainWindow::onControlColor(UINT message, HDC dc, HWND control) {
    const int index = layoutIndexOf(control, controls_);
    if (index < 0) {
        return DefWindowProcW(window_, message, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(control));
    }
    const auto& layout = windowLayout().controls[static_cast<std::size_t>(index)];
    const COLORREF text = textColors_[static_cast<std::size_t>(index)];
    if (message == WM_CTLCOLOREDIT) {
        return reinterpret_cast<LRESULT>(painting_.paintEdit(dc, text));
    }
    const bool groupBox = layout.kind == layout::ControlKind::groupBox;
    return reinterpret_cast<LRESULT>(
        painting_.paintStatic(dc, groupBox ? painting_.groupBoxText() : text));
}

LRESULT MainWindow::onEraseBackground(HDC dc) {
    RECT client;
    GetClientRect(window_, &client);
    FillRect(dc, &client, painting_.windowBrush());
    return 1;
}

void MainWindow::onDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    placeLayoutControls(windowLayout(), controls_, dpi_);
    statusFont_ = makeStatusFont(dpi_);
    restyle();
}

void MainWindow::invalidateControl(int index) {
    InvalidateRect(controls_[static_cast<std::size_t>(index)], nullptr, TRUE);
}

}  // namespace routerdesk::win32
