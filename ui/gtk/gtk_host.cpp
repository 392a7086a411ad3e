// Host on GTK: every call lands on the main window, GLib's main context or a modal window.
#include "ui/gtk/gtk_host.h"

#include <cstdio>
#include <cstdlib>

#include "status/refresh.h"
#include "ui/gtk/layout_controls.h"
#include "ui/gtk/login_window.h"
#include "ui/gtk/main_loop_wait.h"
#include "ui/gtk/main_window.h"
#include "ui/gtk/message_dialog.h"
#include "ui/gtk/signal_guard.h"
#include "ui/gtk/theme_css.h"

namespace routerdesk::gtk {

void GtkHost::attach(ProgramContext& context, MainWindow& mainWindow) {
    context_ = &context;
    mainWindow_ = &mainWindow;
}

std::string GtkHost::fieldText(Field field) {
    return mainWindow_->fieldText(field);
}

void GtkHost::setFieldText(Field field, const std::string& text) {
    mainWindow_->setFieldText(field, text);
}

void GtkHost::setFieldColor(Field field, Color color) {
    mainWindow_->setFieldColor(field, color);
}

void GtkHost::showStatusLine(const std::string& text, Color color) {
    mainWindow_->showStatusLine(text, color);
}

void GtkHost::setRefreshPeriod(unsigned milliseconds) {
    if (milliseconds == refreshPeriod_) {
        return;
    }
    refreshTimer_.disconnect();
    refreshPeriod_ = milliseconds;
    if (milliseconds == 0) {
        return;
    }
    refreshTimer_ = Glib::signal_timeout().connect(
        [this] {
            shielded([&] { handleRefreshTick(*context_); });
            return true;
        },
        milliseconds);
}

void GtkHost::showMessage(const std::string& text) {
    showMessageDialog(toUtf8(text));
}

void GtkHost::dispatchPendingMessages() {
    dispatchPending();
}

bool GtkHost::waitWhileDispatching(Completion& job, std::chrono::milliseconds idleLimit) {
    return waitDispatching(job, idleLimit);
}

void GtkHost::applyTheme(const Theme& theme) {
    applyThemeToScreen(theme);
}

void GtkHost::runLoginWindow() {
    LoginWindow login(*context_);
    login.run();
}

void GtkHost::activateMainWindow() {
    mainWindow_->activate();
}

void GtkHost::endProcess(int exitCode) {
    std::fflush(nullptr);
    // Not std::exit: a request's worker may still be inside libcurl, and static destructors
    // would tear its state down under it. Nothing of ours is left to flush.
    std::_Exit(exitCode);
}

}  // namespace routerdesk::gtk
