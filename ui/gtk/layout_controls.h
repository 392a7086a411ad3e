// A window's controls made from its layout and placed on a Gtk::Fixed, with their accessible
// names, texts and colours.
#pragma once

#include <gtkmm.h>

#include <string>
#include <string_view>
#include <vector>

#include "ui/layout/window_layout.h"

namespace routerdesk::gtk {

struct Control {
    const layout::ControlLayout* layout = nullptr;
    Gtk::Widget* widget = nullptr;  // owned by the Fixed
    Gtk::Entry* entry = nullptr;    // whichever of these fits the kind; the others stay null
    Gtk::Label* label = nullptr;
    Gtk::Button* button = nullptr;
    Glib::RefPtr<Gtk::CssProvider> textColour;  // this control's own, above the theme
};

// The client area the layout was drawn for: the outer size less a fixed frame of 3 pixels and
// a caption of 19, as the layout's home system draws them.
struct ClientSize {
    int width;
    int height;
};
ClientSize clientSizeOf(const layout::WindowLayout& window);

Glib::ustring toUtf8(std::string_view gbk);

class LayoutControls {
  public:
    LayoutControls(const layout::WindowLayout& window, Gtk::Fixed& fixed);
    LayoutControls(const LayoutControls&) = delete;
    LayoutControls& operator=(const LayoutControls&) = delete;

    const layout::WindowLayout& window() const { return window_; }
    std::vector<Control>& controls() { return controls_; }

    Control& byRole(layout::Role role);
    Control& byField(Field field);

    // GBK in and out; "exact" is for texts on their way to the router, see typed_text.h.
    std::string text(const Control& control) const;
    void setText(Control& control, std::string_view gbk);
    void setTextColour(Control& control, Color colour);

    // The label standing left of the control on its row, which says what the control holds.
    const layout::ControlLayout* rowLabelOf(const layout::ControlLayout& control) const;
    // Its text without the blanks and the colon around it, in UTF-8: "SSID号".
    Glib::ustring rowCaptionOf(const layout::ControlLayout& control) const;

  private:
    void build(const layout::ControlLayout& control, Gtk::Fixed& fixed);
    std::string describe(const layout::ControlLayout& control) const;

    const layout::WindowLayout& window_;
    std::vector<Control> controls_;
};

}  // namespace routerdesk::gtk
