// The page layout of the router's firmware: script arrays in blocks of their own before <HTML>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace routerdesk::sim {

// One value of a script array: a bare number or a text in double quotes (never escaped).
struct ScriptValue {
    std::string text;
    bool quoted = false;

    static ScriptValue number(long long value) { return {std::to_string(value), false}; }
    static ScriptValue quote(std::string_view text) { return {std::string(text), true}; }
};

enum class ArrayLayout {
    linePerValue,  // what the firmware writes: "var NAME = new Array(" LF, "value," LF each
    oneLine,       // some firmware: all values on the line of the opening parenthesis
};

// A whole <SCRIPT> block holding one array, closed by the firmware's "0,0 );".
std::string renderScriptArray(std::string_view name, const std::vector<ScriptValue>& values,
                              ArrayLayout layout = ArrayLayout::linePerValue);

// A GBK page: the array blocks, then the HTML template (CR LF line ends) with `bodyText`.
std::string renderFirmwarePage(const std::vector<std::string>& arrayBlocks,
                               std::string_view bodyText = {});

}  // namespace routerdesk::sim
