// The Host on Win32: display fields are the main window's controls, texts cross as GBK.
#include "ui/win32/window_host.h"

#include "ui/win32/login_window.h"
#include "ui/win32/message_box.h"
#include "ui/win32/message_pump.h"
#include "ui/win32/wide_text.h"

namespace routerdesk::win32 {

void WindowHost::showMainWindow() {
    HWND window = mainWindow_.handle();
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetForegroundWindow(window);
}

std::string WindowHost::fieldText(Field field) {
    HWND control = mainWindow_.fieldControl(field);
    return control != nullptr ? windowTextGbk(control) : std::string();
}

void WindowHost::setFieldText(Field field, const std::string& text) {
    if (HWND control = mainWindow_.fieldControl(field)) {
        setWindowTextGbk(control, text);
    }
}

void WindowHost::setFieldColor(Field field, Color color) {
    mainWindow_.setFieldColor(field, color);
}

void WindowHost::showStatusLine(const std::string& text, Color color) {
    mainWindow_.showStatusLine(text, color);
}

void WindowHost::setRefreshPeriod(unsigned milliseconds) {
    mainWindow_.setRefreshPeriod(milliseconds);
}

void WindowHost::showMessage(const std::string& text) {
    showMessageBox(text);
}

void WindowHost::dispatchPendingMessages() {
    dispatchWaitingMessages();
}

bool WindowHost::waitWhileDispatching(Completion& job, std::chrono::milliseconds idleLimit) {
    return win32::waitWhileDispatching(job, idleLimit);
}

void WindowHost::applyTheme(const Theme& theme) {
    painting_.apply(theme);
    mainWindow_.restyle();
}

void WindowHost::runLoginWindow() {
    win32::runLoginWindow(instance_, context_, painting_, mainWindow_.handle());
}

void WindowHost::activateMainWindow() {
    SetActiveWindow(mainWindow_.handle());
}

void WindowHost::endProcess(int exitCode) {
    mainWindow_.destroyForExit();
    ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace routerdesk::win32
