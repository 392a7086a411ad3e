// The router transport on libcurl. Redirects are followed here rather than by curl, because
// the request target is sent byte for byte (CURLOPT_REQUEST_TARGET) and because the
// Authorization line must stay with the router: it is dropped on the first hop to another
// scheme, host or port.
#include "core/http_transport.h"

#include <curl/curl.h>

#include <cctype>
#include <memory>
#include <mutex>
#include <string_view>

#include "core/text.h"

namespace routerdesk {
namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using CurlList = std::unique_ptr<curl_slist, CurlDeleter>;
using CurlUrl = std::unique_ptr<CURLU, CurlDeleter>;

struct Origin {
    std::string scheme;
    std::string host;
    std::string port;
    bool operator==(const Origin&) const = default;
};

std::string urlPart(CURLU* url, CURLUPart part) {
    char* value = nullptr;
    if (curl_url_get(url, part, &value, CURLU_DEFAULT_PORT) != CURLUE_OK || value == nullptr) {
        return {};
    }
    std::string text(value);
    curl_free(value);
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

Origin originOf(const std::string& absoluteUrl) {
    CurlUrl url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, absoluteUrl.c_str(), 0) != CURLUE_OK) {
        return {};
    }
    return {urlPart(url.get(), CURLUPART_SCHEME), urlPart(url.get(), CURLUPART_HOST),
            urlPart(url.get(), CURLUPART_PORT)};
}

// The absolute URL of a hop's address, for resolving a relative Location against it.
std::string absoluteUrl(CURLU* url) {
    char* value = nullptr;
    if (curl_url_get(url, CURLUPART_URL, &value, 0) != CURLUE_OK || value == nullptr) {
        return {};
    }
    std::string text(value);
    curl_free(value);
    return text;
}

// The router's own URL with the raw target's path made parseable.
std::string routerUrl(const HttpRequest& request) {
    CurlUrl url(curl_url());
    const std::string path = request.target.substr(0, request.target.find_first_of("?#"));
    const std::string port = std::to_string(request.port);
    if (!url || curl_url_set(url.get(), CURLUPART_SCHEME, "http", 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_HOST, request.host.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PORT, port.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PATH, path.c_str(), CURLU_URLENCODE) != CURLUE_OK) {
        return {};
    }
    return absoluteUrl(url.get());
}

std::string resolveRedirect(const std::string& base, const std::string& location) {
    CurlUrl url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, location.c_str(),
                     CURLU_URLENCODE | CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        return {};
    }
    return absoluteUrl(url.get());
}

bool isAuthorizationLine(std::string_view line) {
    return startsWithAsciiNoCase(line, "authorization:");
}

CurlList headerList(std::string_view block, bool withAuthorization) {
    curl_slist* list = nullptr;
    while (!block.empty()) {
        const std::size_t end = block.find("\r\n");
        const std::string line(block.substr(0, end));
        block.remove_prefix(end == std::string_view::npos ? block.size() : end + 2);
        if (line.empty() || (!withAuthorization && isAuthorizationLine(line))) {
            continue;
        }
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown == nullptr) {
            break;
        }
        list = grown;
    }
    return CurlList(list);
}

struct BodySink {
    std::string* body;
};

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<BodySink*>(user);
    const std::size_t bytes = size * count;
    const std::size_t room = kMaxBodyBytes - std::min(kMaxBodyBytes, sink->body->size());
    sink->body->append(data, std::min(bytes, room));
    return bytes <= room ? bytes : 0;  // 0 ends the transfer; what came so far is the body
}

std::string lastHeader(CURL* handle, const char* name) {
    curl_header* header = nullptr;
    if (curl_easy_header(handle, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK ||
        header == nullptr || header->value == nullptr) {
        return {};
    }
    return header->value;
}

class CurlTransport final : public HttpTransport {
  public:
    explicit CurlTransport(std::chrono::milliseconds timeout) : timeout_(timeout) {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    }

    HttpResponse get(const HttpRequest& request) override {
        std::string url = routerUrl(request);
        if (url.empty()) {
            return {};
        }
        const Origin routerOrigin = originOf(url);
        bool rawTarget = true;
        bool withAuthorization = true;
        for (int hop = 0; hop <= kMaxRedirects; ++hop) {
            HttpResponse response;
            std::string location;
            if (!fetch(url, rawTarget ? &request.target : nullptr, request.headers,
                       withAuthorization, timeout_, response, location)) {
                return {};
            }
            if (location.empty() || response.status < 300 || response.status > 399) {
                return response;
            }
            url = resolveRedirect(url, location);
            if (url.empty()) {
                return response;
            }
            rawTarget = false;
            withAuthorization = withAuthorization && originOf(url) == routerOrigin;
        }
        return {};  // a redirect loop
    }

  private:
    static bool fetch(const std::string& url, const std::string* rawTarget,
                      const std::string& headers, bool withAuthorization,
                      std::chrono::milliseconds limit, HttpResponse& response,
                      std::string& location) {
        CurlHandle handle(curl_easy_init());
        if (!handle) {
            return false;
        }
        CURL* h = handle.get();
        const CurlList lines = headerList(headers, withAuthorization);
        BodySink sink{&response.body};
        const auto timeout = static_cast<long>(limit.count());
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        if (rawTarget != nullptr) {
            curl_easy_setopt(h, CURLOPT_REQUEST_TARGET, rawTarget->c_str());
        }
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, lines.get());
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, timeout);
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, timeout);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &appendBody);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

        curl_easy_perform(h);  // a transfer cut short still leaves its status and body

        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        if (status <= 0) {
            return false;
        }
        response.received = true;
        response.status = static_cast<int>(status);
        response.contentType = lastHeader(h, "Content-Type");
        response.contentEncoding = lastHeader(h, "Content-Encoding");
        location = lastHeader(h, "Location");
        return true;
    }

    std::chrono::milliseconds timeout_;
};

}  // namespace

std::shared_ptr<HttpTransport> makeHttpTransport(std::chrono::milliseconds timeout) {
    return std::make_shared<CurlTransport>(timeout);
}

}  // namespace routerdesk
