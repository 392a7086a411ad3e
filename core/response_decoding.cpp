// Response decoding with zlib; every output is capped so that a small hostile body cannot
// expand without end.
#include "core/response_decoding.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>

#include "core/gbk.h"

namespace routerdesk {
namespace {

enum class InflateEnd { streamEnd, damaged, truncated, capped };

// Inflates one stream from `data` into `out`. `consumed` receives the input bytes used.
InflateEnd inflateStream(std::string_view data, int windowBits, std::string& out,
                         std::size_t& consumed) {
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK) {
        consumed = 0;
        return InflateEnd::damaged;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(data.size(), UINT_MAX));
    std::array<char, 64 * 1024> chunk{};
    InflateEnd end = InflateEnd::truncated;
    for (;;) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk.data());
        stream.avail_out = static_cast<uInt>(chunk.size());
        const int rc = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = chunk.size() - stream.avail_out;
        const std::size_t room = kMaxBodyBytes - out.size();
        out.append(chunk.data(), std::min(produced, room));
        if (produced > room) {
            end = InflateEnd::capped;
            break;
        }
        if (rc == Z_STREAM_END) {
            end = InflateEnd::streamEnd;
            break;
        }
        if (rc == Z_BUF_ERROR || (rc == Z_OK && produced == 0 && stream.avail_in == 0)) {
            end = InflateEnd::truncated;  // the input ran out before the stream's end
            break;
        }
        if (rc != Z_OK) {
            end = InflateEnd::damaged;
            break;
        }
    }
    consumed = data.size() - stream.avail_in;
    inflateEnd(&stream);
    return end;
}

bool hasGzipSignature(std::string_view data) {
    return data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0x1F &&
           static_cast<unsigned char>(data[1]) == 0x8B;
}

bool hasZlibHeader(std::string_view data) {
    if (data.size() < 2) {
        return false;
    }
    const auto cmf = static_cast<unsigned char>(data[0]);
    const auto flg = static_cast<unsigned char>(data[1]);
    return (cmf & 0x0F) == 8 && (cmf >> 4) <= 7 && (cmf * 256u + flg) % 31 == 0;
}

}  // namespace

std::string gunzipMembers(std::string_view data) {
    if (!hasGzipSignature(data)) {
        return std::string(data);
    }
    std::string out;
    while (hasGzipSignature(data) && out.size() < kMaxBodyBytes) {
        const std::size_t before = out.size();
        std::size_t consumed = 0;
        // 16 + 15: a gzip wrapper, whose CRC-32 and length zlib checks at the member's end.
        const InflateEnd end = inflateStream(data, 16 + MAX_WBITS, out, consumed);
        if (end == InflateEnd::damaged) {
            out.resize(before);  // a member that fails its check contributes nothing
            break;
        }
        if (end != InflateEnd::streamEnd) {
            break;  // cut short: what was inflated counts, as for any read that ends early
        }
        data.remove_prefix(consumed);
    }
    return out;
}

std::string inflateDeflate(std::string_view data) {
    std::string out;
    std::size_t consumed = 0;
    const int windowBits = hasZlibHeader(data) ? MAX_WBITS : -MAX_WBITS;
    const InflateEnd end = inflateStream(data, windowBits, out, consumed);
    if (end == InflateEnd::damaged && out.empty()) {
        return std::string(data);  // not deflate at all: labelled wrongly, pass it on
    }
    return out;
}

std::string decodeResponseBody(HttpResponse response) {
    std::string body = std::move(response.body);
    if (response.contentEncoding == "gzip") {
        body = gunzipMembers(body);
    } else if (response.contentEncoding == "deflate") {
        body = inflateDeflate(body);
    } else if (body.size() > kMaxBodyBytes) {
        body.resize(kMaxBodyBytes);
    }
    if (response.contentType.find("utf-8") != std::string::npos) {
        body = utf8ToGbk(body);
    }
    if (const std::size_t zero = body.find('\0'); zero != std::string::npos) {
        body.resize(zero);
    }
    return body;
}

}  // namespace routerdesk
