// Builds the controls of a layout: group boxes first, then everything drawn above them.
#include "ui/gtk/layout_controls.h"

#include <cstdlib>
#include <stdexcept>

#include "core/gbk.h"
#include "ui/gtk/theme_css.h"

namespace routerdesk::gtk {
namespace {

using layout::ControlKind;
using layout::ControlLayout;
using layout::Role;

constexpr int kFrameWidth = 3;
constexpr int kCaptionHeight = 19;
// How far apart two rows' vertical centres may lie and still be the same row: the layout's
// rows are hand-placed, off by a pixel or two here and there.
constexpr int kRowTolerance = 6;

std::string_view kindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::groupBox:
            return "group box";
        case ControlKind::label:
            return "label";
        case ControlKind::editBox:
            return "edit box";
        case ControlKind::button:
            return "button";
    }
    return {};
}

Glib::ustring trimmedCaption(std::string_view gbk) {
    Glib::ustring text = toUtf8(gbk);
    static const Glib::ustring kAround = " \t\xEF\xBC\x9A:";  // blanks, a tab, "：" and ":"
    const auto first = text.find_first_not_of(kAround);
    if (first == Glib::ustring::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kAround);
    return text.substr(first, last - first + 1);
}

}  // namespace

ClientSize clientSizeOf(const layout::WindowLayout& window) {
    return {window.outerWidth - 2 * kFrameWidth,
            window.outerHeight - 2 * kFrameWidth - kCaptionHeight};
}

Glib::ustring toUtf8(std::string_view gbk) {
    return Glib::ustring(gbkToUtf8(gbk));
}

LayoutControls::LayoutControls(const layout::WindowLayout& window, Gtk::Fixed& fixed)
    : window_(window) {
    controls_.reserve(window.controls.size());
    // Gtk::Fixed draws its children in the order they were added.
    for (const ControlLayout& control : window.controls) {
        if (control.kind == ControlKind::groupBox) {
            build(control, fixed);
        }
    }
    for (const ControlLayout& control : window.controls) {
        if (control.kind != ControlKind::groupBox) {
            build(control, fixed);
        }
    }
}

void LayoutControls::build(const ControlLayout& layoutOf, Gtk::Fixed& fixed) {
    Control control;
    control.layout = &layoutOf;
    const Glib::ustring text = toUtf8(layoutOf.text);
    switch (layoutOf.kind) {
        case ControlKind::groupBox: {
            auto* frame = Gtk::make_managed<Gtk::Frame>(text);
            frame->set_label_align(0.04f, 0.5f);
            control.widget = frame;
            break;
        }
        case ControlKind::label: {
            auto* label = Gtk::make_managed<Gtk::Label>(text);
            label->set_xalign(layoutOf.centred ? 0.5f : 0.0f);
            label->set_yalign(0.5f);
            label->set_single_line_mode(true);
            control.label = label;
            control.widget = label;
            break;
        }
        case ControlKind::editBox: {
            auto* entry = Gtk::make_managed<Gtk::Entry>();
            entry->set_text(text);
            // Without this an entry asks for room for some 20 characters, wider than most boxes.
            entry->set_width_chars(1);
            entry->set_has_frame(true);
            control.entry = entry;
            control.widget = entry;
            break;
        }
        case ControlKind::button: {
            auto* button = Gtk::make_managed<Gtk::Button>(text);
            control.button = button;
            control.widget = button;
            break;
        }
    }
    if (layoutOf.role == Role::statusLine) {
        control.widget->set_name("statusLine");
    }
    const layout::Rect rect = layout::windowRect(window_, layoutOf);
    control.widget->set_size_request(rect.width, rect.height);
    fixed.put(*control.widget, rect.x, rect.y);

    const Glib::RefPtr<Atk::Object> accessible = control.widget->get_accessible();
    if (accessible) {
        accessible->set_name(toUtf8(layoutOf.name));
        accessible->set_description(describe(layoutOf));
    }
    controls_.push_back(control);
    if (layoutOf.kind == ControlKind::label || layoutOf.kind == ControlKind::editBox) {
        setTextColour(controls_.back(), layoutOf.textColor);
    }
}

std::string LayoutControls::describe(const ControlLayout& control) const {
    std::string description;
    const std::string_view role = roleName(control);
    if (!role.empty()) {
        description += role;
        description += ": ";
    }
    description += kindName(control.kind);
    if (control.kind == ControlKind::groupBox) {
        description += " " + trimmedCaption(control.text);
    } else if (control.kind == ControlKind::button) {
        description += " " + toUtf8(control.text);
    } else if (control.kind == ControlKind::editBox && rowLabelOf(control) != nullptr) {
        description += " for " + rowCaptionOf(control);
    } else if (control.role == Role::statusLine) {
        description += ", the program's status";
    } else if (control.field == Field::stationCountLabel) {
        description += ", the number of wireless clients";
    }
    return description;
}

Control& LayoutControls::byRole(layout::Role role) {
    for (Control& control : controls_) {
        if (control.layout->role == role) {
            return control;
        }
    }
    throw std::logic_error("no control of that role in the layout");
}

Control& LayoutControls::byField(Field field) {
    for (Control& control : controls_) {
        if (control.layout->field == field) {
            return control;
        }
    }
    throw std::logic_error("no control shows that field");
}

std::string LayoutControls::text(const Control& control) const {
    if (control.entry != nullptr) {
        return utf8ToGbk(control.entry->get_text().raw());
    }
    if (control.label != nullptr) {
        return utf8ToGbk(control.label->get_text().raw());
    }
    return {};
}

void LayoutControls::setText(Control& control, std::string_view gbk) {
    const Glib::ustring text = toUtf8(gbk);
    if (control.entry != nullptr) {
        control.entry->set_text(text);
    } else if (control.label != nullptr) {
        control.label->set_text(text);
    }
}

void LayoutControls::setTextColour(Control& control, Color colour) {
    if (!control.textColour) {
        control.textColour = Gtk::CssProvider::create();
        // Above the theme's sheet, so that a control's own colour wins over the theme's.
        control.widget->get_style_context()->add_provider(
            control.textColour, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
    }
    try {
        control.textColour->load_from_data("* { color: " + cssColour(colour) + "; }");
    } catch (const Glib::Error& error) {
        g_warning("routerdesk: text colour not set: %s", error.what().c_str());
    }
}

const ControlLayout* LayoutControls::rowLabelOf(const ControlLayout& control) const {
    const layout::Rect own = layout::windowRect(window_, control);
    const ControlLayout* best = nullptr;
    int bestRight = -1;
    for (const ControlLayout& other : window_.controls) {
        if (other.kind != ControlKind::label || other.role != Role::none) {
            continue;
        }
        const layout::Rect rect = layout::windowRect(window_, other);
        const int right = rect.x + rect.width;
        const int centreGap = std::abs((rect.y + rect.height / 2) - (own.y + own.height / 2));
        if (centreGap <= kRowTolerance && right <= own.x + kRowTolerance && right > bestRight) {
            best = &other;
            bestRight = right;
        }
    }
    return best;
}

Glib::ustring LayoutControls::rowCaptionOf(const ControlLayout& control) const {
    const ControlLayout* label = rowLabelOf(control);
    return label != nullptr ? trimmedCaption(label->text) : toUtf8(control.name);
}

}  // namespace routerdesk::gtk
