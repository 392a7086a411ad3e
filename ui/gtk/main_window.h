// The main window: the router's state in four group boxes, the command buttons, the status line.
#pragma once

#include <gtkmm.h>

#include <string>

#include "core/program_context.h"
#include "ui/gtk/layout_controls.h"

namespace routerdesk::gtk {

class MainWindow {
  public:
    // Built hidden; show() puts it on the screen once start-up has finished.
    explicit MainWindow(ProgramContext& context);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    std::string fieldText(Field field);
    void setFieldText(Field field, const std::string& text);
    void setFieldColor(Field field, Color color);
    void showStatusLine(const std::string& text, Color color);

    // Activating a window GTK has not shown yet would show it: until then it is only noted.
    void activate();
    void show();

  private:
    void onButton(layout::Role role);
    [[noreturn]] void onCloseRequest();

    ProgramContext& context_;
    Gtk::Window window_;
    Gtk::HeaderBar titleBar_;
    Gtk::Fixed fixed_;
    LayoutControls controls_;
    bool activateWhenShown_ = false;
};

}  // namespace routerdesk::gtk
