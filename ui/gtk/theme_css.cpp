// Turns the theme data into CSS and hands it to GTK for the whole screen.
#include "ui/gtk/theme_css.h"

#include <gtkmm.h>

#include <cstdio>
#include <string_view>

#include "core/gbk.h"
#include "skin/theme.h"
#include "ui/layout/window_layout.h"

namespace routerdesk::gtk {
namespace {

// GTK's CSS wants each family quoted; the theme lists them the way a font dialog shows them.
std::string quotedFamilies(std::string_view list) {
    std::string out;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        std::string_view name = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        while (!name.empty() && name.front() == ' ') {
            name.remove_prefix(1);
        }
        while (!name.empty() && name.back() == ' ') {
            name.remove_suffix(1);
        }
        if (!name.empty()) {
            out += '"';
            out += name;
            out += "\", ";
        }
    }
    return out;
}

// A shade of a colour for hover and pressed states, so that the theme needs no extra entries.
Color darker(Color colour, unsigned percent) {
    Color out = 0;
    for (unsigned shift = 0; shift <= 16; shift += 8) {
        const unsigned channel = (colour >> shift) & 0xFFu;
        out |= ((channel * (100u - percent)) / 100u) << shift;
    }
    return out;
}

}  // namespace

std::string cssColour(Color colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFFu, (colour >> 8) & 0xFFu,
                  (colour >> 16) & 0xFFu);
    return text;
}

std::string themeCss(const Theme& t) {
    const std::string uiFont = quotedFamilies(t.uiFontUtf8) + "sans-serif";
    // The status line keeps its own face; fontconfig maps 宋体 where a SimSun is installed, the
    // others stand in for it where none is.
    const std::string statusFont = "\"" + gbkToUtf8(layout::kStatusFontFace) +
                                   "\", \"SimSun\", \"NSimSun\", \"AR PL UMing CN\", " + uiFont;
    const std::string px = std::to_string(t.uiFontPixels) + "px";

    std::string css;
    css += "window, .background { background-color: " + cssColour(t.windowBackground) +
           "; color: " + cssColour(t.windowText) + "; }\n";
    css += "window, window * { font-family: " + uiFont + "; font-size: " + px + "; }\n";
    css += "label { color: " + cssColour(t.windowText) + "; padding: 0; }\n";

    // A compact title bar drawn by GTK itself, so that the window's outer size stays close to
    // the one the layout was drawn for whatever window manager runs (or none, as under Xvfb).
    css +=
        "headerbar { min-height: 0; padding: 1px 4px; border-radius: 0; background-image: none;"
        " background-color: " +
        cssColour(darker(t.windowBackground, 6)) + "; border-bottom: 1px solid " +
        cssColour(t.groupBoxFrame) + "; box-shadow: none; }\n";
    css += "headerbar .title { font-weight: bold; color: " + cssColour(t.windowText) + "; }\n";
    css +=
        "headerbar button.titlebutton { min-height: 16px; min-width: 16px; padding: 2px;"
        " margin: 0; border: none; background-image: none; background-color: transparent;"
        " box-shadow: none; }\n";
    css += "headerbar button.titlebutton:hover { background-color: " +
           cssColour(darker(t.windowBackground, 15)) + "; }\n";
    css += "decoration { border-radius: 0; box-shadow: 0 0 0 1px " + cssColour(t.buttonBorder) +
           "; margin: 0; }\n";

    css += "frame > border { border: 1px solid " + cssColour(t.groupBoxFrame) +
           "; border-radius: 3px; }\n";
    css += "frame > label { color: " + cssColour(t.groupBoxText) + "; padding: 0 2px; }\n";

    css +=
        "entry { min-height: 0; min-width: 0; padding: 0 4px; border-radius: 0;"
        " background-image: none; box-shadow: none; background-color: " +
        cssColour(t.editBackground) + "; color: " + cssColour(t.editText) + "; border: 1px solid " +
        cssColour(t.editBorder) + "; }\n";
    css += "entry:focus { border-color: " + cssColour(t.focusAccent) + "; }\n";
    css +=
        "entry selection { background-color: " + cssColour(t.focusAccent) + "; color: #ffffff; }\n";

    css +=
        "button { min-height: 0; min-width: 0; padding: 0 2px; border-radius: 3px;"
        " background-image: none; box-shadow: none; text-shadow: none; background-color: " +
        cssColour(t.buttonFace) + "; color: " + cssColour(t.buttonText) + "; border: 1px solid " +
        cssColour(t.buttonBorder) + "; }\n";
    css += "button label { color: " + cssColour(t.buttonText) + "; }\n";
    css += "button:hover { background-color: " + cssColour(darker(t.buttonFace, 6)) + "; }\n";
    css += "button:active { background-color: " + cssColour(darker(t.buttonFace, 14)) + "; }\n";
    css += "button:focus { border-color: " + cssColour(t.focusAccent) + "; }\n";
    css += "button.default { border-color: " + cssColour(t.focusAccent) + "; }\n";

    css += "#statusLine { font-family: " + statusFont +
           "; font-size: " + std::to_string(layout::kStatusFontHeight) +
           "px; font-weight: " + std::to_string(layout::kStatusFontWeight) + "; }\n";
    css += ".message-text { padding: 4px 8px; }\n";
    return css;
}

void applyThemeToScreen(const Theme& theme) {
    static Glib::RefPtr<Gtk::CssProvider> installed;
    if (installed) {
        return;
    }
    installed = Gtk::CssProvider::create();
    try {
        installed->load_from_data(themeCss(theme));
    } catch (const Glib::Error& error) {
        // A sheet GTK cannot read leaves GTK's own look, which still works.
        g_warning("routerdesk: theme not applied: %s", error.what().c_str());
        return;
    }
    Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), installed,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace routerdesk::gtk
