// The Host seam on GTK: the main window's fields, the refresh timer, waits and dialogs.
#pragma once

#include <gtkmm.h>

#include "core/host.h"
#include "core/program_context.h"

namespace routerdesk::gtk {

class MainWindow;

class GtkHost final : public Host {
  public:
    GtkHost() = default;
    GtkHost(const GtkHost&) = delete;
    GtkHost& operator=(const GtkHost&) = delete;

    // The context holds the host, so the two meet after both exist.
    void attach(ProgramContext& context, MainWindow& mainWindow);

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
    ProgramContext* context_ = nullptr;
    MainWindow* mainWindow_ = nullptr;
    unsigned refreshPeriod_ = 0;
    sigc::connection refreshTimer_;
};

}  // namespace routerdesk::gtk
