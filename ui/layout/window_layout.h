// The two windows' layouts as data, shared by both faces: names, kinds, places, sizes, texts
// and colours of every control, in pixels at 96 DPI.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "core/host.h"

namespace routerdesk::layout {

enum class ControlKind { groupBox, label, editBox, button };

// What a control does in the program beyond showing its text.
enum class Role {
    none,
    field,  // a display field; see ControlLayout::field
    statusLine,
    renameSsidButton,
    hangUpButton,
    dialButton,
    wirelessButton,
    broadcastButton,
    accountBox,
    passwordBox,
    portBox,
    ipBox,
    loginOkButton,
};

struct Rect {
    int x;
    int y;
    int width;
    int height;
};

struct ControlLayout {
    std::string_view name;  // GBK, as the layout names it: 编辑框4
    ControlKind kind;
    Role role;
    std::optional<Field> field;
    int parent;             // index of the group box it is placed in, or -1 for the window itself
    Rect rect;              // relative to the parent's top-left corner
    std::string_view text;  // GBK, the initial text
    Color textColor;
    bool centred;  // text centred horizontally (labels)
};

struct WindowLayout {
    std::string_view caption;  // GBK
    int outerWidth;            // frame and title bar included
    int outerHeight;
    std::span<const ControlLayout> controls;
};

const WindowLayout& mainWindowLayout();
const WindowLayout& loginWindowLayout();

// The name of what a control does: a display field's own name (ssidBox), a button's
// (dialButton), "statusLine"; empty for a control that only shows its text.
std::string_view roleName(const ControlLayout& control);

// A control's rectangle relative to the window's client area.
Rect windowRect(const WindowLayout& window, const ControlLayout& control);

// The status line's font: 宋体, 14 pixels high, normal weight, GB2312 character set.
inline constexpr std::string_view kStatusFontFace = "\xCB\xCE\xCC\xE5";  // 宋体
inline constexpr int kStatusFontHeight = 14;
inline constexpr int kStatusFontWeight = 400;

inline constexpr std::string_view kMessageCaption = "\xD0\xC5\xCF\xA2\xA3\xBA";  // 信息：

}  // namespace routerdesk::layout
