// How the fuzzers read their first input byte, shared with the seed corpus generator so that the
// seeds say what they mean.
#pragma once

#include <cstdint>
#include <string_view>

namespace routerdesk::fuzz {

// refresh_page_fuzzer: the first byte says which of the three pages the rest of the input is;
// the other pages come from the simulated router. With kAllPages the rest holds all three,
// in request order, parted by kPageSeparator.
enum PageChoice : std::uint8_t { kFuzzStatusPage, kFuzzNetworkPage, kFuzzStationPage, kAllPages };
inline constexpr std::uint8_t kPageChoiceCount = 4;
inline constexpr std::string_view kPageSeparator = "\n<!--next page-->\n";

// response_decoding_fuzzer: the first byte's low two bits pick the Content-Encoding, bit 2 a
// Content-Type that names UTF-8; the rest of the input is the body as it came off the wire.
inline constexpr std::string_view kContentEncodings[] = {"", "gzip", "deflate", "GZIP"};
inline constexpr std::uint8_t kEncodingMask = 0x03;
inline constexpr std::uint8_t kUtf8Flag = 0x04;
inline constexpr std::string_view kGbkContentType = "text/html";
inline constexpr std::string_view kUtf8ContentType = "text/html; charset=utf-8";

}  // namespace routerdesk::fuzz
