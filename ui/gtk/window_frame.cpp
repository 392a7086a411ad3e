// Sets up a window's frame the same way for the main window, the login and the messages.
#include "ui/gtk/window_frame.h"

namespace routerdesk::gtk {

void frameWindow(Gtk::Window& window, Gtk::HeaderBar& titleBar, const Glib::ustring& caption) {
    titleBar.set_title(caption);
    titleBar.set_show_close_button(true);
    titleBar.set_decoration_layout("menu:close");
    titleBar.set_has_subtitle(false);
    window.set_titlebar(titleBar);
    window.set_title(caption);
    window.set_resizable(false);
    window.set_position(Gtk::WIN_POS_CENTER);
}

}  // namespace routerdesk::gtk
