// The router transport on WinINet. Redirects are followed here rather than by WinINet, so that
// the Authorization line stays with the router: it is dropped on the first hop to another
// scheme, host or port, http and https alike.
//
// The request target goes through HttpOpenRequestA as it is. WinINet canonicalises it with
// "escape spaces only": a raw blank would be sent as %20, and bytes above 0x7F pass the system
// code page on their way to the wire. The program's own targets are plain ASCII with every other
// byte already %-escaped, so they reach the router byte for byte.
#include "core/http_transport.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "core/text.h"

namespace routerdesk {
namespace {

class InternetHandle {
  public:
    explicit InternetHandle(HINTERNET handle = nullptr) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_ != nullptr) {
            InternetCloseHandle(handle_);
        }
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    HINTERNET handle_;
};

struct Address {
    bool secure = false;
    std::string host;
    INTERNET_PORT port = 0;
    std::string target;  // path and query, as they go into the request line

    bool sameOrigin(const Address& other) const {
        return secure == other.secure && port == other.port && lowered(host) == lowered(other.host);
    }

    static std::string lowered(std::string text) {
        for (char& c : text) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return text;
    }
};

std::string addressUrl(const Address& address) {
    std::string url = address.secure ? "https://" : "http://";
    url += address.host;
    url += ':';
    url += std::to_string(address.port);
    url += address.target;
    return url;
}

// An absolute URL from a Location value, resolved against the URL that answered with it.
std::string resolveRedirect(const std::string& base, const std::string& location) {
    DWORD length = 0;
    InternetCombineUrlA(base.c_str(), location.c_str(), nullptr, &length, ICU_NO_ENCODE);
    if (length == 0) {
        return {};
    }
    std::string combined(length, '\0');
    if (!InternetCombineUrlA(base.c_str(), location.c_str(), combined.data(), &length,
                             ICU_NO_ENCODE)) {
        return {};
    }
    combined.resize(length);
    return combined;
}

bool crackUrl(const std::string& url, Address& address) {
    std::vector<char> host(INTERNET_MAX_HOST_NAME_LENGTH + 1, '\0');
    std::vector<char> path(std::max<std::size_t>(url.size() + 1, 2), '\0');
    std::vector<char> extra(url.size() + 1, '\0');
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = static_cast<DWORD>(host.size());
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (url.size() > 0xFFFF ||
        !InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
        return false;
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
        return false;
    }
    address.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    address.host.assign(host.data(), parts.dwHostNameLength);
    address.port = parts.nPort;
    address.target.assign(path.data(), parts.dwUrlPathLength);
    address.target.append(extra.data(), parts.dwExtraInfoLength);
    // A fragment is the browser's business, never the server's.
    address.target.erase(std::min(address.target.find('#'), address.target.size()));
    if (address.target.empty()) {
        address.target = "/";
    }
    return !address.host.empty();
}

bool isAuthorizationLine(std::string_view line) {
    return startsWithAsciiNoCase(line, "authorization:");
}

std::string headerBlock(std::string_view block, bool withAuthorization) {
    if (withAuthorization) {
        return std::string(block);
    }
    std::string kept;
    while (!block.empty()) {
        const std::size_t end = block.find("\r\n");
        const std::string_view line = block.substr(0, end);
        block.remove_prefix(end == std::string_view::npos ? block.size() : end + 2);
        if (!line.empty() && !isAuthorizationLine(line)) {
            kept.append(line);
            kept.append("\r\n");
        }
    }
    return kept;
}

std::string queryHeader(HINTERNET request, DWORD which) {
    std::string value(256, '\0');
    for (;;) {
        DWORD length = static_cast<DWORD>(value.size());
        DWORD index = 0;
        if (HttpQueryInfoA(request, which, value.data(), &length, &index)) {
            value.resize(length);
            return value;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || length <= value.size()) {
            return {};
        }
        value.assign(length + 1, '\0');
    }
}

// Reads to the end of the body, or to the cap, or to the deadline; a read that fails part-way
// keeps what came. WinINet's receive time-out is per read, so a server that trickles a byte at a
// time would otherwise hold the request, and every refresh after it, for as long as it likes.
void readBody(HINTERNET request, ULONGLONG deadline, std::string& body) {
    std::vector<char> chunk(64 * 1024);
    while (GetTickCount64() < deadline) {
        // A synchronous read waits until its whole buffer is filled, so ask only for what has
        // already come in.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0) || available == 0) {
            return;
        }
        DWORD read = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(available, chunk.size()));
        if (!InternetReadFile(request, chunk.data(), wanted, &read) || read == 0) {
            return;
        }
        const std::size_t room = kMaxBodyBytes - std::min(kMaxBodyBytes, body.size());
        body.append(chunk.data(), std::min<std::size_t>(read, room));
        if (read > room) {
            return;
        }
    }
}

class WinInetTransport final : public HttpTransport {
  public:
    explicit WinInetTransport(std::chrono::milliseconds timeout)
        // No agent: the User-Agent line comes with the header block, and WinINet would
        // otherwise send one of its own beside it.
        : session_(InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)),
          timeout_(timeout) {
        if (session_) {
            DWORD limit = static_cast<DWORD>(timeout_.count());
            for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                 INTERNET_OPTION_RECEIVE_TIMEOUT}) {
                InternetSetOptionW(session_.get(), option, &limit, sizeof(limit));
            }
        }
    }

    HttpResponse get(const HttpRequest& request) override {
        if (!session_) {
            return {};
        }
        Address address{false, request.host, request.port, request.target};
        const Address router = address;
        bool withAuthorization = true;
        for (int hop = 0; hop <= kMaxRedirects; ++hop) {
            HttpResponse response;
            std::string location;
            if (!fetch(address, headerBlock(request.headers, withAuthorization), response,
                       location)) {
                return {};
            }
            if (location.empty() || response.status < 300 || response.status > 399) {
                return response;
            }
            Address next;
            if (!crackUrl(resolveRedirect(addressUrl(address), location), next)) {
                return response;
            }
            withAuthorization = withAuthorization && next.sameOrigin(router);
            address = std::move(next);
        }
        return {};  // a redirect loop
    }

  private:
    bool fetch(const Address& address, const std::string& headers, HttpResponse& response,
               std::string& location) const {
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout_.count());
        const InternetHandle connection(InternetConnectA(session_.get(), address.host.c_str(),
                                                         address.port, nullptr, nullptr,
                                                         INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection) {
            return false;
        }
        // Straight to the router every time: no cache read or written, no cookies, no
        // credentials of WinINet's own, no dialog, and no redirect followed behind our back.
        DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES |
                      INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_UI;
        if (address.secure) {
            flags |= INTERNET_FLAG_SECURE;
        }
        const InternetHandle request(HttpOpenRequestA(connection.get(), "GET",
                                                      address.target.c_str(), "HTTP/1.1", nullptr,
                                                      nullptr, flags, 0));
        if (!request) {
            return false;
        }
        if (headers.size() > 0xFFFFFF ||
            !HttpSendRequestA(request.get(), headers.empty() ? nullptr : headers.c_str(),
                              static_cast<DWORD>(headers.size()), nullptr, 0)) {
            return false;
        }
        DWORD status = 0;
        DWORD size = sizeof(status);
        DWORD index = 0;
        if (!HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                            &size, &index) ||
            status == 0) {
            return false;
        }
        response.received = true;
        response.status = static_cast<int>(status);
        response.contentType = queryHeader(request.get(), HTTP_QUERY_CONTENT_TYPE);
        response.contentEncoding = queryHeader(request.get(), HTTP_QUERY_CONTENT_ENCODING);
        location = queryHeader(request.get(), HTTP_QUERY_LOCATION);
        readBody(request.get(), deadline, response.body);
        return true;
    }

    InternetHandle session_;
    std::chrono::milliseconds timeout_;
};

}  // namespace

std::shared_ptr<HttpTransport> makeHttpTransport(std::chrono::milliseconds timeout) {
    return std::make_shared<WinInetTransport>(timeout);
}

}  // namespace routerdesk
