// The HTTP client behind routerGet: one GET, one response, nothing kept between requests.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace routerdesk {

// Every failure of a router request, whatever the platform, ends within this time.
inline constexpr std::chrono::milliseconds kRequestTimeout{90'000};
// A response body beyond this is dropped, as for a read that fails part-way.
inline constexpr std::size_t kMaxBodyBytes = 16u << 20;
inline constexpr int kMaxRedirects = 10;

struct HttpRequest {
    std::string url;   // as routerGet received it; the base for a relative redirect
    std::string host;  // name or dotted address
    std::uint16_t port = 80;
    std::string target;   // the request target, sent byte for byte
    std::string headers;  // extra header lines, each ending with CR LF, in sending order
};

struct HttpResponse {
    bool received = false;  // a status line came back
    int status = 0;
    std::string body;  // raw, as it came off the wire (transfer coding removed)
    std::string contentType;
    std::string contentEncoding;
};

class HttpTransport {
  public:
    virtual ~HttpTransport() = default;
    // Runs on a worker thread; may be called from several at once.
    virtual HttpResponse get(const HttpRequest& request) = 0;
};

// The platform's transport (libcurl on Linux, WinINet on Windows). `timeout` bounds the
// connect, the send and the whole wait for the answer of each hop, a drip-fed one included.
std::shared_ptr<HttpTransport> makeHttpTransport(
    std::chrono::milliseconds timeout = kRequestTimeout);

}  // namespace routerdesk
