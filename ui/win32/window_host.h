// The Host the portable program talks to on Windows.
#pragma once

#include <windows.h>

#include "core/host.h"
#include "core/program_context.h"
#include "ui/win32/main_window.h"
#include "ui/win32/theme_painting.h"

namespace routerdesk::win32 {

class WindowHost final : public Host {
  public:
    WindowHost(HINSTANCE instance, ProgramContext& context)
        : instance_(instance), context_(context), mainWindow_(context, painting_) {}

    bool createMainWindow() { return mainWindow_.create(instance_); }
    // After start-up has returned: the first moment anybody sees the window.
    void showMainWindow();

    std::string fieldText(Field field) override;
    void setFieldText(Field field, const std::string& text) override;
    void setFieldColor(Field field, Color color) override;
    void showStatusLine(const std::string& text, Color color) override;
    void setRefreshPeriod(unsigned milliseconds) override;
    void showMessage(const std::string& text) override;
    void dispatchPendingMessages() override;
    bool waitWhileDispatching(Completion& job, std::chrono::milliseconds idleLimit) override;
    void applyTheme(const Theme& theme) override;
    void runLoginWindow() override;
    void activateMainWindow() override;
    [[noreturn]] void endProcess(int exitCode) override;

  private:
    HINSTANCE instance_;
    ProgramContext& context_;
    ThemePainting painting_;
    MainWindow mainWindow_;
};

}  // namespace routerdesk::win32
