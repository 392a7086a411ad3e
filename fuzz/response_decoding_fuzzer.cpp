// Fuzzes the decoding of a router's response body: decompression, the UTF-8 to GBK conversion
// chosen by the Content-Type, and the cut at the zero byte.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/http_transport.h"
#include "core/response_decoding.h"
#include "fuzz/fuzz_inputs.h"

namespace {

using namespace routerdesk;
using namespace routerdesk::fuzz;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "response_decoding_fuzzer: %s\n", what);
    std::abort();
}

std::string untilZero(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

// One whole stream: 16 + 15 window bits for gzip, 15 for zlib, -15 for raw deflate.
std::string compress(std::string_view data, int windowBits) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        fail("deflateInit2");
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
        fail("deflate");
    }
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

HttpResponse response(std::string body, std::string_view encoding, bool utf8) {
    HttpResponse r;
    r.received = true;
    r.status = 200;
    r.body = std::move(body);
    r.contentEncoding = encoding;
    r.contentType = utf8 ? kUtf8ContentType : kGbkContentType;
    return r;
}

// Compressed by us, any body must come back as it was, up to its first zero byte.
void checkRoundTrips(std::string_view plain) {
    const std::string expected = untilZero(plain);
    const std::size_t half = plain.size() / 2;
    const std::string twoMembers = compress(plain.substr(0, half), 16 + MAX_WBITS) +
                                   compress(plain.substr(half), 16 + MAX_WBITS);
    const struct {
        std::string body;
        std::string_view encoding;
    } cases[] = {
        {compress(plain, 16 + MAX_WBITS), "gzip"},
        {twoMembers, "gzip"},
        {compress(plain, MAX_WBITS), "deflate"},
        {compress(plain, -MAX_WBITS), "deflate"},
    };
    for (const auto& c : cases) {
        if (decodeResponseBody(response(c.body, c.encoding, false)) != expected) {
            fail("a compressed body did not decode to what was compressed");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    const std::string_view encoding = kContentEncodings[flags & kEncodingMask];
    const bool utf8 = (flags & kUtf8Flag) != 0;
    const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::string decoded = decodeResponseBody(response(std::string(body), encoding, utf8));
    if (decoded.find('\0') != std::string::npos) {
        fail("a decoded body holds a zero byte");
    }
    if (decoded.size() > kMaxBodyBytes) {
        fail("a decoded body is beyond the size limit");
    }
    const bool compressed = encoding == "gzip" || encoding == "deflate";
    if (!compressed && !utf8 && decoded != untilZero(body)) {
        fail("a plain GBK body did not come back as it was");
    }
    if (encoding == "gzip" && !utf8 && body.substr(0, 2) != "\x1F\x8B" &&
        decoded != untilZero(body)) {
        fail("a body labelled gzip without the gzip signature did not come back as it was");
    }
    if (!utf8 && flags & 0x08) {
        checkRoundTrips(body);
    }
    return 0;
}
