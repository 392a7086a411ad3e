// Controls from layout data; the face adds nothing of its own to what the layout says.
#include "ui/win32/layout_controls.h"

#include <commctrl.h>

#include "ui/win32/dpi_scaling.h"
#include "ui/win32/wide_text.h"

namespace routerdesk::win32 {
namespace {

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass controlClass(const layout::ControlLayout& control, EditBorder border) {
    switch (control.kind) {
        case layout::ControlKind::groupBox:
            return {WC_BUTTONW, BS_GROUPBOX | WS_CLIPSIBLINGS, 0};
        case layout::ControlKind::label:
            // SS_CENTERIMAGE centres a single line vertically.
            return {WC_STATICW,
                    static_cast<DWORD>((control.centred ? SS_CENTER : SS_LEFT) | SS_CENTERIMAGE |
                                       SS_NOPREFIX),
                    0};
        case layout::ControlKind::editBox:
            return {WC_EDITW,
                    static_cast<DWORD>(ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP |
                                       (border == EditBorder::line ? WS_BORDER : 0)),
                    static_cast<DWORD>(border == EditBorder::sunken ? WS_EX_CLIENTEDGE : 0)};
        case layout::ControlKind::button:
            return {
                WC_BUTTONW,
                static_cast<DWORD>((control.role == layout::Role::loginOkButton ? BS_DEFPUSHBUTTON
                                                                                : BS_PUSHBUTTON) |
                                   WS_TABSTOP),
                0};
    }
    return {WC_STATICW, 0, 0};
}

int controlId(const layout::ControlLayout& control, std::size_t index) {
    if (control.role == layout::Role::loginOkButton) {
        return IDOK;
    }
    return kFirstControlId + static_cast<int>(index);
}

}  // namespace

std::vector<HWND> createLayoutControls(HWND window, const layout::WindowLayout& layout,
                                       EditBorder border, UINT dpi) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    std::vector<HWND> controls;
    controls.reserve(layout.controls.size());
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const layout::ControlLayout& control = layout.controls[i];
        const ControlClass kind = controlClass(control, border);
        const RECT place = scaledRect(layout::windowRect(layout, control), dpi);
        HWND child =
            CreateWindowExW(kind.exStyle, kind.className, gbkToWide(control.text).c_str(),
                            kind.style | WS_CHILD | WS_VISIBLE, place.left, place.top,
                            place.right - place.left, place.bottom - place.top, window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(control, i))),
                            instance, nullptr);
        if (child != nullptr && control.kind == layout::ControlKind::editBox) {
            SendMessageW(child, EM_SETLIMITTEXT, 0, 0);  // 0 lifts the limit
        }
        controls.push_back(child);
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i] != nullptr && layout.controls[i].kind == layout::ControlKind::groupBox) {
            SetWindowPos(controls[i], HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    return controls;
}

void placeLayoutControls(const layout::WindowLayout& layout, const std::vector<HWND>& controls,
                         UINT dpi) {
    for (std::size_t i = 0; i < controls.size() && i < layout.controls.size(); ++i) {
        const RECT place = scaledRect(layout::windowRect(layout, layout.controls[i]), dpi);
        SetWindowPos(controls[i], nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void setControlsFont(const std::vector<HWND>& controls, HFONT font) {
    for (HWND control : controls) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

int layoutIndexOf(HWND control, const std::vector<HWND>& controls) {
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i] == control) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace routerdesk::win32
