// The ways a body can leave the router other than as plain GBK: UTF-8, padded huge, compressed.
#include "tools/router-sim/response_shaping.h"

#include <zlib.h>

#include "core/gbk.h"

namespace routerdesk::sim {
namespace {

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// A comment after the page, so that the page itself reads as before.
void padTo(std::string& body, std::size_t size) {
    constexpr std::string_view kOpen = "\r\n<!--\r\n";
    constexpr std::string_view kClose = "-->\r\n";
    constexpr std::string_view kLine =
        "padding padding padding padding padding padding padding padding\r\n";
    if (body.size() + kOpen.size() + kClose.size() >= size) {
        return;
    }
    body.reserve(size);
    body += kOpen;
    const std::size_t end = size - kClose.size();
    while (body.size() + kLine.size() <= end) {
        body += kLine;
    }
    body += kLine.substr(0, end - body.size());
    body += kClose;
}

// Values of 0 before the end of every array, after the firmware's own closing values.
void addPieces(std::string& body, std::size_t extra) {
    constexpr std::string_view kStart = "new Array(";
    constexpr std::string_view kEnd = ");";
    std::string pieces;
    pieces.reserve(2 * extra);
    for (std::size_t i = 0; i < extra; ++i) {
        pieces += ",0";
    }
    for (std::size_t at = body.find(kStart); at != std::string::npos; at = body.find(kStart, at)) {
        const std::size_t end = body.find(kEnd, at + kStart.size());
        if (end == std::string::npos) {
            return;
        }
        body.insert(end, pieces);
        at = end + pieces.size() + kEnd.size();
    }
}

}  // namespace

std::string compressBody(std::string_view body, BodyEncoding encoding) {
    if (encoding == BodyEncoding::none) {
        return std::string(body);
    }
    z_stream stream{};
    const int windowBits = encoding == BodyEncoding::gzip ? 16 + MAX_WBITS : MAX_WBITS;
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        return std::string(body);
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(body.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
    stream.avail_in = static_cast<uInt>(body.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

void shapeResponse(SiteResponse& response, const BodyShape& shape) {
    if (shape.utf8) {
        response.body = gbkToUtf8(response.body);
        replaceAll(response.body, "charset=gb2312", "charset=utf-8");
        response.contentType += "; charset=utf-8";
    }
    if (shape.extraPieces > 0) {
        addPieces(response.body, shape.extraPieces);
    }
    if (shape.hugeBytes > 0) {
        padTo(response.body, shape.hugeBytes);
    }
    if (shape.encoding != BodyEncoding::none) {
        response.body = compressBody(response.body, shape.encoding);
        response.headers.emplace_back("Content-Encoding",
                                      shape.encoding == BodyEncoding::gzip ? "gzip" : "deflate");
    }
}

}  // namespace routerdesk::sim
