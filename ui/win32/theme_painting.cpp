// Our own theming: the theme's colours answer WM_CTLCOLOR*, its font is the first of its list
// that the system has.
#include "ui/win32/theme_painting.h"

#include <string_view>

#include "ui/layout/window_layout.h"
#include "ui/win32/dpi_scaling.h"
#include "ui/win32/wide_text.h"

namespace routerdesk::win32 {
namespace {

std::wstring trimmed(std::wstring_view text) {
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) {
        return {};
    }
    return std::wstring(text.substr(first, text.find_last_not_of(L' ') - first + 1));
}

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool fontInstalled(const std::wstring& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) {
        return false;
    }
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, face.size());
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &query, noteFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// The first face of a comma-separated list that is installed; empty when none is.
std::wstring firstInstalledFace(std::string_view listUtf8) {
    const std::wstring list = utf8ToWide(listUtf8);
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = list.find(L',', start);
        const std::wstring face = trimmed(std::wstring_view(list).substr(
            start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
        if (fontInstalled(face)) {
            return face;
        }
        if (comma == std::wstring::npos) {
            break;
        }
        start = comma + 1;
    }
    return {};
}

FontHandle makeFont(const std::wstring& face, int pixels, int weight, BYTE charset, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -scaled(pixels, dpi);  // negative: the character height, not the cell's
    font.lfWeight = weight;
    font.lfCharSet = charset;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = CLEARTYPE_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    face.substr(0, LF_FACESIZE - 1).copy(font.lfFaceName, LF_FACESIZE - 1);
    return FontHandle(CreateFontIndirectW(&font));
}

}  // namespace

void ThemePainting::apply(const Theme& theme) {
    theme_ = &theme;
    uiFace_ = firstInstalledFace(theme.uiFontUtf8);
    windowBrush_.reset(CreateSolidBrush(theme.windowBackground));
    editBrush_.reset(CreateSolidBrush(theme.editBackground));
}

HBRUSH ThemePainting::windowBrush() const {
    return windowBrush_ ? windowBrush_.get() : GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH ThemePainting::paintStatic(HDC dc, COLORREF text) const {
    SetTextColor(dc, text);
    SetBkColor(dc, theme_ != nullptr ? theme_->windowBackground : GetSysColor(COLOR_BTNFACE));
    return windowBrush();
}

HBRUSH ThemePainting::paintEdit(HDC dc, COLORREF text) const {
    SetTextColor(dc, text);
    SetBkColor(dc, theme_ != nullptr ? theme_->editBackground : GetSysColor(COLOR_WINDOW));
    return editBrush_ ? editBrush_.get() : GetSysColorBrush(COLOR_WINDOW);
}

COLORREF ThemePainting::groupBoxText() const {
    return theme_ != nullptr ? theme_->groupBoxText : GetSysColor(COLOR_WINDOWTEXT);
}

FontHandle ThemePainting::makeUiFont(UINT dpi) const {
    if (theme_ != nullptr && !uiFace_.empty()) {
        return makeFont(uiFace_, theme_->uiFontPixels, FW_NORMAL, DEFAULT_CHARSET, dpi);
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        return FontHandle(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    return makeFont(L"MS Shell Dlg 2", 11, FW_NORMAL, DEFAULT_CHARSET, dpi);
}

FontHandle makeStatusFont(UINT dpi) {
    return makeFont(gbkToWide(layout::kStatusFontFace), layout::kStatusFontHeight,
                    layout::kStatusFontWeight, GB2312_CHARSET, dpi);
}

}  // namespace routerdesk::win32
