// The login window: account, password, port and management IP, asked for modally.
#pragma once

#include <gtkmm.h>

#include "core/program_context.h"
#include "ui/gtk/layout_controls.h"

namespace routerdesk::gtk {

class LoginWindow {
  public:
    // Fresh from the layout every time: nothing typed earlier or saved is shown.
    explicit LoginWindow(ProgramContext& context);
    LoginWindow(const LoginWindow&) = delete;
    LoginWindow& operator=(const LoginWindow&) = delete;

    // Shows the window and returns once it has closed, by OK or by its close box.
    void run();

  private:
    void onOk();

    ProgramContext& context_;
    Gtk::Window window_;
    Gtk::HeaderBar titleBar_;
    Gtk::Fixed fixed_;
    LayoutControls controls_;
    Glib::RefPtr<Glib::MainLoop> loop_;
};

}  // namespace routerdesk::gtk
