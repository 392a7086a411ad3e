// The login window's controls; what its OK button does is the portable confirmLogin.
#include "ui/gtk/login_window.h"

#include <array>
#include <string>

#include "core/login.h"
#include "ui/gtk/message_dialog.h"
#include "ui/gtk/signal_guard.h"
#include "ui/gtk/typed_text.h"
#include "ui/gtk/window_frame.h"

namespace routerdesk::gtk {

using layout::Role;

LoginWindow::LoginWindow(ProgramContext& context)
    : context_(context),
      controls_(layout::loginWindowLayout(), fixed_),
      loop_(Glib::MainLoop::create()) {
    const layout::WindowLayout& layout = layout::loginWindowLayout();
    frameWindow(window_, titleBar_, toUtf8(layout.caption));
    window_.set_modal(true);
    window_.set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);
    const ClientSize client = clientSizeOf(layout);
    fixed_.set_size_request(client.width, client.height);
    window_.add(fixed_);

    Gtk::Button& ok = *controls_.byRole(Role::loginOkButton).button;
    ok.signal_clicked().connect([this] { shielded([&] { onOk(); }); });
    ok.set_can_default(true);
    for (const Role role : {Role::accountBox, Role::passwordBox, Role::portBox, Role::ipBox}) {
        controls_.byRole(role).entry->set_activates_default(true);
    }
    // The close box closes without saving; start-up looks at the login it already has.
    window_.signal_delete_event().connect([this](GdkEventAny*) {
        shielded([&] { loop_->quit(); });
        return true;
    });
    window_.set_default(ok);
}

void LoginWindow::run() {
    window_.show_all();
    controls_.byRole(Role::accountBox).entry->grab_focus();
    window_.present();
    loop_->run();
    window_.hide();
}

void LoginWindow::onOk() {
    std::array<std::string, 4> texts;
    const std::array roles = {Role::accountBox, Role::passwordBox, Role::portBox, Role::ipBox};
    for (std::size_t i = 0; i < roles.size(); ++i) {
        TypedText typed = readTypedText(controls_, controls_.byRole(roles[i]));
        if (!typed.gbk) {
            showMessageDialog(typed.refusal);
            return;
        }
        texts[i] = std::move(*typed.gbk);
    }
    const RouterLogin typed{texts[0], texts[1], texts[2], texts[3]};
    if (confirmLogin(context_, typed)) {
        loop_->quit();
    }
}

}  // namespace routerdesk::gtk
