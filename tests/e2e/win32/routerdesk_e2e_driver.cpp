// Drives RouterDesk.exe from outside, as a user would: finds its windows by title and its
// controls by their place in the layout, reads texts with WM_GETTEXT, types with WM_SETTEXT,
// clicks with BM_CLICK and reads colours off the screen. One command per run; the test script
// strings them together. Output is UTF-8, one record per line, fields separated by tabs.
#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/layout/window_layout.h"

namespace {

using routerdesk::layout::ControlKind;
using routerdesk::layout::WindowLayout;

constexpr int kPollMs = 100;

std::wstring gbkToWide(std::string_view gbk) {
    if (gbk.empty()) {
        return {};
    }
    const int size = static_cast<int>(gbk.size());
    const int length = MultiByteToWideChar(936, 0, gbk.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    MultiByteToWideChar(936, 0, gbk.data(), size, wide.data(), length);
    return wide;
}

std::string toUtf8(std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

// Tabs and line breaks would break the records; they are written as \t, \r and \n.
std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out;
}

void print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::wstring textOf(HWND window) {
    // WM_GETTEXT is marshalled between processes by the system.
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT copied = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

const WindowLayout* layoutNamed(std::wstring_view name) {
    if (name == L"main") {
        return &routerdesk::layout::mainWindowLayout();
    }
    if (name == L"login") {
        return &routerdesk::layout::loginWindowLayout();
    }
    return nullptr;
}

HWND findTopLevel(const WindowLayout& layout) {
    return FindWindowW(nullptr, gbkToWide(layout.caption).c_str());
}

HWND findMessageBox() {
    return FindWindowW(L"#32770", gbkToWide(routerdesk::layout::kMessageCaption).c_str());
}

std::vector<HWND> childrenOf(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

RECT clientRectOf(HWND child, HWND window) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool kindMatches(ControlKind kind, HWND child) {
    const std::wstring name = classOf(child);
    switch (kind) {
        case ControlKind::groupBox:
        case ControlKind::button:
            return _wcsicmp(name.c_str(), L"Button") == 0;
        case ControlKind::label:
            return _wcsicmp(name.c_str(), L"Static") == 0;
        case ControlKind::editBox:
            return _wcsicmp(name.c_str(), L"Edit") == 0;
    }
    return false;
}

// The child of the window that stands exactly where the layout puts control `index` (96 DPI).
HWND controlAt(HWND window, const WindowLayout& layout, std::size_t index) {
    const auto& control = layout.controls[index];
    const auto want = routerdesk::layout::windowRect(layout, control);
    for (HWND child : childrenOf(window)) {
        const RECT rect = clientRectOf(child, window);
        if (rect.left == want.x && rect.top == want.y && rect.right - rect.left == want.width &&
            rect.bottom - rect.top == want.height && kindMatches(control.kind, child)) {
            return child;
        }
    }
    return nullptr;
}

bool waitFor(int timeoutMs, auto condition) {
    for (int waited = 0;; waited += kPollMs) {
        if (condition()) {
            return true;
        }
        if (waited >= timeoutMs) {
            return false;
        }
        Sleep(kPollMs);
    }
}

int toInt(const wchar_t* text) {
    return static_cast<int>(std::wcstol(text, nullptr, 10));
}

// What a control is called on the command line: its role or field, else its layout name.
std::string controlName(const routerdesk::layout::ControlLayout& control) {
    if (const std::string_view role = routerdesk::layout::roleName(control); !role.empty()) {
        return std::string(role);
    }
    return toUtf8(gbkToWide(control.name));
}

// A control given by its layout index or by its name.
int controlIndex(const WindowLayout& layout, const wchar_t* given) {
    const std::string name = toUtf8(given);
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        if (controlName(layout.controls[i]) == name) {
            return static_cast<int>(i);
        }
    }
    wchar_t* end = nullptr;
    const long index = std::wcstol(given, &end, 10);
    if (end == given || *end != L'\0' || index < 0 ||
        static_cast<std::size_t>(index) >= layout.controls.size()) {
        return -1;
    }
    return static_cast<int>(index);
}

HWND controlNamed(const WindowLayout& layout, const wchar_t* given) {
    const int index = controlIndex(layout, given);
    HWND window = findTopLevel(layout);
    return window != nullptr && index >= 0
               ? controlAt(window, layout, static_cast<std::size_t>(index))
               : nullptr;
}

// state: prints for each window whether it exists, is visible and is enabled.
int commandState() {
    for (const wchar_t* name : {L"main", L"login"}) {
        HWND window = findTopLevel(*layoutNamed(name));
        print(toUtf8(name) + "\texists=" + (window ? "1" : "0") +
              "\tvisible=" + (window && IsWindowVisible(window) ? "1" : "0") +
              "\tenabled=" + (window && IsWindowEnabled(window) ? "1" : "0"));
    }
    HWND box = findMessageBox();
    print(std::string("message\texists=") + (box ? "1" : "0"));
    return 0;
}

// wait WINDOW visible|gone TIMEOUT_MS
int commandWait(const WindowLayout& layout, std::wstring_view what, int timeoutMs) {
    const bool found = waitFor(timeoutMs, [&] {
        HWND window = findTopLevel(layout);
        return what == L"gone" ? window == nullptr : window != nullptr && IsWindowVisible(window);
    });
    return found ? 0 : 1;
}

// dump WINDOW: the window's frame, then every layout control as found at its place.
int commandDump(const WindowLayout& layout) {
    HWND window = findTopLevel(layout);
    if (window == nullptr) {
        print("error\tno such window");
        return 1;
    }
    RECT outer;
    GetWindowRect(window, &outer);
    RECT client;
    GetClientRect(window, &client);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    print("window\touter=" + std::to_string(outer.right - outer.left) + "x" +
          std::to_string(outer.bottom - outer.top) + "\tat=" + std::to_string(outer.left) + "," +
          std::to_string(outer.top) + "\tscreen=" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) +
          "x" + std::to_string(GetSystemMetrics(SM_CYSCREEN)) +
          "\tclient=" + std::to_string(client.right) + "x" + std::to_string(client.bottom) +
          "\tsizable=" + ((style & WS_THICKFRAME) ? "1" : "0") +
          "\tminbox=" + ((style & WS_MINIMIZEBOX) ? "1" : "0") +
          "\tmaxbox=" + ((style & WS_MAXIMIZEBOX) ? "1" : "0") +
          "\tdpi=" + std::to_string(GetDpiForWindow(window)) +
          "\tchildren=" + std::to_string(childrenOf(window).size()));
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        HWND control = controlAt(window, layout, i);
        print("control\t" + std::to_string(i) + "\tname=" + controlName(layout.controls[i]) +
              "\tfound=" + (control ? "1" : "0") +
              "\ttext=" + (control ? escaped(toUtf8(textOf(control))) : std::string()) +
              "\texpected=" + escaped(toUtf8(gbkToWide(layout.controls[i].text))));
    }
    return 0;
}

// text WINDOW CONTROL: one control's text.
int commandText(const WindowLayout& layout, const wchar_t* name) {
    HWND control = controlNamed(layout, name);
    if (control == nullptr) {
        return 1;
    }
    print("text\t" + escaped(toUtf8(textOf(control))));
    return 0;
}

// set WINDOW CONTROL TEXT: types into an edit box.
int commandSet(const WindowLayout& layout, const wchar_t* name, const wchar_t* text) {
    HWND control = controlNamed(layout, name);
    if (control == nullptr) {
        return 1;
    }
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    return 0;
}

// click WINDOW INDEX: posted, so that a handler which opens a message box does not hold us.
int commandClick(const WindowLayout& layout, const wchar_t* name) {
    HWND control = controlNamed(layout, name);
    if (control == nullptr) {
        return 1;
    }
    return PostMessageW(control, BM_CLICK, 0, 0) ? 0 : 1;
}

// enter WINDOW CONTROL: the Enter key pressed in a control, through the program's message loop.
int commandEnter(const WindowLayout& layout, const wchar_t* name) {
    HWND control = controlNamed(layout, name);
    if (control == nullptr) {
        return 1;
    }
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC)) << 16;
    const bool posted = PostMessageW(control, WM_KEYDOWN, VK_RETURN, 1 | scan) &&
                        PostMessageW(control, WM_KEYUP, VK_RETURN, 1 | scan | (3LL << 30));
    return posted ? 0 : 1;
}

// close WINDOW: what the close box does.
int commandClose(const WindowLayout& layout) {
    HWND window = findTopLevel(layout);
    return window && PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
}

// message TIMEOUT_MS: waits for a message box and prints its text and what it is made of.
int commandMessage(int timeoutMs) {
    HWND box = nullptr;
    if (!waitFor(timeoutMs,
                 [&] { return (box = findMessageBox()) != nullptr && IsWindowVisible(box); })) {
        print("error\tno message box");
        return 1;
    }
    int buttons = 0;
    int icons = 0;
    std::string text;
    for (HWND child : childrenOf(box)) {
        const std::wstring name = classOf(child);
        if (_wcsicmp(name.c_str(), L"Button") == 0) {
            ++buttons;
        } else if (_wcsicmp(name.c_str(), L"Static") == 0) {
            if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                if (IsWindowVisible(child) && SendMessageW(child, STM_GETICON, 0, 0) != 0) {
                    ++icons;
                }
            } else if (GetDlgCtrlID(child) == 0xFFFF) {
                text = toUtf8(textOf(child));
            }
        }
    }
    RECT outer;
    GetWindowRect(box, &outer);
    print("message\tbuttons=" + std::to_string(buttons) + "\ticons=" + std::to_string(icons) +
          "\touter=" + std::to_string(outer.right - outer.left) + "x" +
          std::to_string(outer.bottom - outer.top) + "\tat=" + std::to_string(outer.left) + "," +
          std::to_string(outer.top) + "\ttext=" + escaped(text));
    return 0;
}

// dismiss: presses the message box's OK.
int commandDismiss() {
    HWND box = findMessageBox();
    if (box == nullptr) {
        return 1;
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return waitFor(5000, [] { return findMessageBox() == nullptr; }) ? 0 : 1;
}

// colours WINDOW INDEX: how many pixels of the control on screen have each of the colours the
// program writes text in.
int commandColours(const WindowLayout& layout, const wchar_t* name) {
    HWND control = controlNamed(layout, name);
    if (control == nullptr) {
        return 1;
    }
    RECT rect;
    GetWindowRect(control, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const std::map<std::string, DWORD> named = {{"blue", 0x0000FF},
                                                {"magenta", 0xFF00FF},
                                                {"red", 0xFF0000},
                                                {"purple", 0x800080},
                                                {"black", 0x000000}};  // as 0x00RRGGBB in a DIB
    std::map<std::string, int> counts;
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i) {
        for (const auto& [colour, value] : named) {
            if ((pixels[i] & 0xFFFFFF) == value) {
                ++counts[colour];
            }
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::string line = "colours";
    for (const auto& [colour, value] : named) {
        line += "\t" + colour + "=" + std::to_string(counts[colour]);
    }
    print(line);
    return 0;
}

int usage() {
    print(
        "usage: state | wait main|login visible|gone MS | dump main|login | "
        "text|click|enter|colours main|login CONTROL | set main|login CONTROL TEXT | "
        "close main|login | message MS | dismiss (CONTROL: a role, field or layout name, "
        "or a layout index)");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return usage();
    }
    const std::wstring_view command = argv[1];
    if (command == L"state") {
        return commandState();
    }
    if (command == L"message" && argc == 3) {
        return commandMessage(toInt(argv[2]));
    }
    if (command == L"dismiss") {
        return commandDismiss();
    }
    const WindowLayout* layout = argc >= 3 ? layoutNamed(argv[2]) : nullptr;
    if (layout == nullptr) {
        return usage();
    }
    if (command == L"wait" && argc == 5) {
        return commandWait(*layout, argv[3], toInt(argv[4]));
    }
    if (command == L"dump") {
        return commandDump(*layout);
    }
    if (command == L"text" && argc == 4) {
        return commandText(*layout, argv[3]);
    }
    if (command == L"set" && argc == 5) {
        return commandSet(*layout, argv[3], argv[4]);
    }
    if (command == L"click" && argc == 4) {
        return commandClick(*layout, argv[3]);
    }
    if (command == L"enter" && argc == 4) {
        return commandEnter(*layout, argv[3]);
    }
    if (command == L"close") {
        return commandClose(*layout);
    }
    if (command == L"colours" && argc == 4) {
        return commandColours(*layout, argv[3]);
    }
    return usage();
}
