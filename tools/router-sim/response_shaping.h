// The ways a body can leave the router other than as plain GBK: UTF-8, padded huge, compressed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tools/router-sim/router_site.h"

namespace routerdesk::sim {

enum class BodyEncoding { none, gzip, deflate };

struct BodyShape {
    bool utf8 = false;          // converted, with charset=utf-8 in the header and the page
    std::size_t hugeBytes = 0;  // padded to at least this many bytes before any compression
    BodyEncoding encoding = BodyEncoding::none;  // sent although nobody asked for it
    std::size_t extraPieces = 0;                 // added to every array of the page
};

// gzip: one gzip member (RFC 1952); deflate: a zlib stream (RFC 1950), as HTTP names them.
std::string compressBody(std::string_view body, BodyEncoding encoding);

void shapeResponse(SiteResponse& response, const BodyShape& shape);

}  // namespace routerdesk::sim
