// The main window's controls and the events bound to them.
#include "ui/gtk/main_window.h"

#include <array>
#include <optional>

#include "control/commands.h"
#include "core/life_cycle.h"
#include "ui/gtk/message_dialog.h"
#include "ui/gtk/signal_guard.h"
#include "ui/gtk/typed_text.h"
#include "ui/gtk/window_frame.h"

namespace routerdesk::gtk {
namespace {

using layout::Role;

// Each button's command, and the box whose text that command sends to the router, so that a
// character GBK cannot hold is caught before anything is sent.
struct ButtonBinding {
    Role role;
    void (*command)(ProgramContext&);
    std::optional<Field> sends;
};

constexpr std::array kButtons = {
    ButtonBinding{Role::hangUpButton, &hangUp, std::nullopt},
    ButtonBinding{Role::dialButton, &dial, std::nullopt},
    ButtonBinding{Role::wirelessButton, &toggleWireless, Field::ssidBox},
    ButtonBinding{Role::broadcastButton, &toggleSsidBroadcast, Field::ssidBox},
    ButtonBinding{Role::renameSsidButton, &renameSsid, Field::newSsidBox},
};

}  // namespace

MainWindow::MainWindow(ProgramContext& context)
    : context_(context), controls_(layout::mainWindowLayout(), fixed_) {
    const layout::WindowLayout& layout = layout::mainWindowLayout();
    frameWindow(window_, titleBar_, toUtf8(layout.caption));
    const ClientSize client = clientSizeOf(layout);
    fixed_.set_size_request(client.width, client.height);
    window_.add(fixed_);

    for (const ButtonBinding& binding : kButtons) {
        controls_.byRole(binding.role)
            .button->signal_clicked()
            .connect([this, role = binding.role] { shielded([&] { onButton(role); }); });
    }
    window_.signal_delete_event().connect([this](GdkEventAny*) {
        shielded([&] { onCloseRequest(); });
        return false;
    });
    // Every child is marked visible now; the window itself waits for the end of start-up.
    titleBar_.show_all();
    fixed_.show_all();
    // The one box meant for typing; GTK would otherwise focus the first field and select it.
    window_.set_focus(*controls_.byField(Field::newSsidBox).entry);
}

std::string MainWindow::fieldText(Field field) {
    return controls_.text(controls_.byField(field));
}

void MainWindow::setFieldText(Field field, const std::string& text) {
    controls_.setText(controls_.byField(field), text);
}

void MainWindow::setFieldColor(Field field, Color color) {
    controls_.setTextColour(controls_.byField(field), color);
}

void MainWindow::showStatusLine(const std::string& text, Color color) {
    Control& statusLine = controls_.byRole(Role::statusLine);
    controls_.setText(statusLine, text);
    controls_.setTextColour(statusLine, color);
}

void MainWindow::activate() {
    if (window_.get_visible()) {
        window_.present();
    } else {
        activateWhenShown_ = true;
    }
}

void MainWindow::show() {
    window_.show();
    if (activateWhenShown_) {
        window_.present();
    }
}

void MainWindow::onButton(Role role) {
    for (const ButtonBinding& binding : kButtons) {
        if (binding.role != role) {
            continue;
        }
        if (binding.sends) {
            const TypedText typed = readTypedText(controls_, controls_.byField(*binding.sends));
            if (!typed.gbk) {
                showMessageDialog(typed.refusal);
                return;
            }
        }
        binding.command(context_);
        return;
    }
}

void MainWindow::onCloseRequest() {
    handleCloseRequest(context_);
    window_.hide();
    endProgram(context_, kExitOk);
}

}  // namespace routerdesk::gtk
