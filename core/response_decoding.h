// From the bytes a router sent to the text a caller reads.
#pragma once

#include <string>
#include <string_view>

#include "core/http_transport.h"

namespace routerdesk {

// One or more gzip members, each checked by its CRC-32. Data that does not begin with the gzip
// signature comes back unchanged; a damaged member ends the output before it.
std::string gunzipMembers(std::string_view data);

// zlib-wrapped or raw deflate; data that is neither comes back unchanged.
std::string inflateDeflate(std::string_view data);

// The body as a caller sees it: decompressed when the Content-Encoding is exactly "gzip" or
// "deflate", converted from UTF-8 to GBK when the Content-Type contains "utf-8", and cut at the
// first zero byte. Output is capped at kMaxBodyBytes. Taken by value, so that a caller done
// with the response hands its body over instead of holding a second copy of up to 16 MiB.
std::string decodeResponseBody(HttpResponse response);

}  // namespace routerdesk
