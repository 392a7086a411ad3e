// Renders pages byte for byte in the layout of the router's firmware.
#include "tools/router-sim/firmware_page.h"

namespace routerdesk::sim {

std::string renderScriptArray(std::string_view name, const std::vector<ScriptValue>& values,
                              ArrayLayout layout) {
    std::string out = "<SCRIPT language=\"javascript\" type=\"text/javascript\">\nvar ";
    out += name;
    out += " = new Array(";
    out += layout == ArrayLayout::linePerValue ? "\n" : "";
    for (const ScriptValue& value : values) {
        if (value.quoted) {
            out += '"';
            out += value.text;
            out += '"';
        } else {
            out += value.text;
        }
        out += layout == ArrayLayout::linePerValue ? ",\n" : ", ";
    }
    out += "0,0 );\n</SCRIPT>\n";
    return out;
}

std::string renderFirmwarePage(const std::vector<std::string>& arrayBlocks,
                               std::string_view bodyText) {
    std::string out;
    for (const std::string& block : arrayBlocks) {
        out += block;
    }
    out +=
        "<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; "
        "charset=gb2312\">\r\n</HEAD>\r\n<BODY>\r\n";
    out += bodyText;
    out += "\r\n</BODY>\r\n</HTML>\r\n";
    return out;
}

}  // namespace routerdesk::sim
