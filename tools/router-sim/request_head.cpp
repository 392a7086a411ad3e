// The head of a request as it came off the wire, before any parser has tidied it.
#include "tools/router-sim/request_head.h"

namespace routerdesk::sim {
namespace {

std::string_view firstLine(std::string_view head, std::size_t& next) {
    const std::size_t lf = head.find('\n');
    next = lf == std::string_view::npos ? head.size() : lf + 1;
    std::string_view line = head.substr(0, lf);
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

struct RequestLine {
    std::string_view method;
    std::string_view target;
    std::string_view version;
    bool wellFormed = false;
};

RequestLine splitRequestLine(std::string_view line) {
    RequestLine parts;
    const std::size_t firstBlank = line.find(' ');
    parts.method = line.substr(0, firstBlank);
    if (firstBlank == std::string_view::npos) {
        return parts;
    }
    const std::size_t lastBlank = line.rfind(' ');
    const std::string_view version = line.substr(lastBlank + 1);
    if (lastBlank == firstBlank || !version.starts_with("HTTP/")) {
        parts.target = line.substr(firstBlank + 1);
        return parts;
    }
    parts.target = line.substr(firstBlank + 1, lastBlank - firstBlank - 1);
    parts.version = version;
    parts.wellFormed = !parts.method.empty() && !parts.target.empty();
    return parts;
}

}  // namespace

RequestHead parseRequestHead(std::string_view head) {
    RequestHead parsed;
    std::size_t next = 0;
    const RequestLine line = splitRequestLine(firstLine(head, next));
    parsed.method = line.method;
    parsed.target = line.target;
    parsed.version = line.version;
    parsed.wellFormed = line.wellFormed;
    while (next < head.size()) {
        head.remove_prefix(next);
        const std::string_view header = firstLine(head, next);
        if (header.empty()) {
            break;
        }
        parsed.headerLines.emplace_back(header);
    }
    return parsed;
}

std::string headForParser(std::string_view head) {
    std::size_t next = 0;
    const std::string_view line = firstLine(head, next);
    const RequestLine parts = splitRequestLine(line);
    if (!parts.wellFormed || parts.target.find(' ') == std::string_view::npos) {
        return std::string(head);
    }
    std::string mended(parts.method);
    mended += ' ';
    for (const char c : parts.target) {
        if (c == ' ') {
            mended += "%20";
        } else {
            mended += c;
        }
    }
    mended += ' ';
    mended += parts.version;
    mended += head.substr(line.size());
    return mended;
}

}  // namespace routerdesk::sim
