// A message box of our own rather than Gtk::MessageDialog: it has no owner window, and GTK
// objects to dialogs without one.
#include "ui/gtk/message_dialog.h"

#include <glib.h>

#include "ui/gtk/layout_controls.h"
#include "ui/gtk/signal_guard.h"
#include "ui/gtk/window_frame.h"
#include "ui/layout/window_layout.h"

namespace routerdesk::gtk {
namespace {

constexpr int kTextWidthChars = 36;

}  // namespace

void showMessageDialog(const Glib::ustring& text) {
    Gtk::Window window;
    Gtk::HeaderBar titleBar;
    frameWindow(window, titleBar, toUtf8(layout::kMessageCaption));
    window.set_modal(true);
    window.set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);

    Gtk::Box content(Gtk::ORIENTATION_VERTICAL, 12);
    content.set_border_width(12);
    Gtk::Label message(text);
    message.set_line_wrap(true);
    message.set_max_width_chars(kTextWidthChars);
    message.set_xalign(0.0f);
    message.get_style_context()->add_class("message-text");
    // The system's own word for OK, in the user's language.
    Gtk::Button ok(g_dgettext("gtk30", "_OK"), true);
    ok.set_halign(Gtk::ALIGN_CENTER);
    ok.set_size_request(75, 24);
    ok.set_can_default(true);
    content.pack_start(message, Gtk::PACK_EXPAND_WIDGET);
    content.pack_start(ok, Gtk::PACK_SHRINK);
    window.add(content);

    const Glib::RefPtr<Glib::MainLoop> loop = Glib::MainLoop::create();
    ok.signal_clicked().connect([&loop] { shielded([&] { loop->quit(); }); });
    window.signal_delete_event().connect([&loop](GdkEventAny*) {
        shielded([&] { loop->quit(); });
        return true;
    });

    window.set_default(ok);
    window.show_all();
    ok.grab_focus();
    window.present();
    loop->run();
    window.hide();
}

}  // namespace routerdesk::gtk
