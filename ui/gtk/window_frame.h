// The frame every window of the program shares: a fixed size, a title bar with only a close
// box, centred on the screen.
#pragma once

#include <gtkmm.h>

namespace routerdesk::gtk {

// Drawn by GTK rather than by the window manager, so that no minimise or maximise box appears
// and the caption shows even where no window manager runs.
void frameWindow(Gtk::Window& window, Gtk::HeaderBar& titleBar, const Glib::ustring& caption);

}  // namespace routerdesk::gtk
