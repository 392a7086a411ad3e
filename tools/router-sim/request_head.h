// The head of a request as it came off the wire, before any parser has tidied it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace routerdesk::sim {

struct RequestHead {
    std::string method;
    std::string target;  // every byte between the method and the version, blanks included
    std::string version;
    std::vector<std::string> headerLines;  // as sent, without their line ends
    bool wellFormed = false;               // "METHOD target HTTP/x.y" with a target
};

// `head` is the bytes up to and including the blank line (or whatever came before the
// connection ended); lines may end in CR LF or in LF alone.
RequestHead parseRequestHead(std::string_view head);

// Our program sends its targets byte for byte, so a typed SSID puts blanks into the request
// line, which cpp-httplib refuses with 400. It gets the head with those blanks as %20; the raw
// target is put back into the parsed request before any handler sees it.
std::string headForParser(std::string_view head);

}  // namespace routerdesk::sim
