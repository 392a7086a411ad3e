// Text the user typed, on its way to GBK: refused, never changed, when GBK cannot hold it.
#pragma once

#include <gtkmm.h>

#include <optional>
#include <string>

#include "ui/gtk/layout_controls.h"

namespace routerdesk::gtk {

struct TypedText {
    std::optional<std::string> gbk;  // absent when refused
    Glib::ustring refusal;           // for the user: which box holds which character
};

TypedText readTypedText(const LayoutControls& controls, const Control& control);

}  // namespace routerdesk::gtk
