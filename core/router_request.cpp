// Router requests: what the router receives, and how the UI thread waits for the answer.
#include "core/router_request.h"

#include <array>
#include <cctype>
#include <memory>

#include "core/response_decoding.h"
#include "core/text.h"
#include "core/worker.h"

namespace routerdesk {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// The router's pages were made for the browsers of their day; some firmware looks at these.
constexpr std::string_view kUserAgent =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727) "
    "RouterDesk";
constexpr std::string_view kAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";
constexpr std::string_view kAcceptLanguage = "Accept-Language: zh-cn";

void appendLineIfAbsent(std::string& headers, std::string_view name, std::string_view line) {
    if (!containsText(headers, name)) {
        headers.append(line);
        headers.append(kCrLf);
    }
}

// Shared by the worker and the waiting UI thread; whichever leaves last frees it.
struct PendingRequest {
    HttpRequest request;
    HttpResponse response;
    Completion done;
};

}  // namespace

std::string buildRouterUrl(const RouterLogin& login, std::string_view target) {
    std::string url = "http://";
    url += login.managementIp;
    url += ':';
    url += login.port;
    url += target;
    return url;
}

std::string encodeBase64(std::string_view data) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < data.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, data.size() - i);
        std::array<unsigned, 3> b{0, 0, 0};
        for (std::size_t k = 0; k < n; ++k) {
            b[k] = static_cast<unsigned char>(data[i + k]);
        }
        out += kAlphabet[b[0] >> 2];
        out += kAlphabet[((b[0] & 3) << 4) | (b[1] >> 4)];
        out += n > 1 ? kAlphabet[((b[1] & 15) << 2) | (b[2] >> 6)] : '=';
        out += n > 2 ? kAlphabet[b[2] & 63] : '=';
    }
    return out;
}

std::string buildAuthorizationHeader(const RouterLogin& login) {
    return "Authorization:" + encodeBase64(login.account + ":" + login.password);
}

RouterAddress splitRouterUrl(std::string_view url) {
    constexpr std::string_view kScheme = "http://";
    if (startsWithAsciiNoCase(url, kScheme)) {
        url.remove_prefix(kScheme.size());
    }
    const std::size_t slash = url.find('/');
    const std::string_view hostPart = url.substr(0, slash);
    RouterAddress address;
    address.target = slash == std::string_view::npos ? "/" : std::string(url.substr(slash));

    const std::size_t colon = hostPart.find(':');
    address.host = std::string(hostPart.substr(0, colon));
    std::uint32_t port = 0;
    if (colon != std::string_view::npos) {
        std::size_t i = colon + 1;
        while (i < hostPart.size() && hostPart[i] == ' ') {
            ++i;
        }
        for (; i < hostPart.size() && std::isdigit(static_cast<unsigned char>(hostPart[i])); ++i) {
            // Saturate: a port past 65535 cannot be connected to, however long the digits run.
            port = std::min<std::uint32_t>(
                port * 10 + static_cast<std::uint32_t>(hostPart[i] - '0'), 100'000);
        }
    }
    address.port = port == 0 ? 80 : port;
    return address;
}

std::string buildRequestHeaders(std::string_view headerLine, std::string_view url) {
    std::string headers(headerLine);
    if (!headers.empty() && !headers.ends_with(kCrLf)) {
        headers.append(kCrLf);
    }
    appendLineIfAbsent(headers, "User-Agent: ", kUserAgent);
    appendLineIfAbsent(headers, "Accept: ", kAccept);
    appendLineIfAbsent(headers, "Referer: ", "Referer: " + std::string(url));
    appendLineIfAbsent(headers, "Accept-Language: ", kAcceptLanguage);
    return headers;
}

std::string routerGet(ProgramContext& context, const std::string& url,
                      const std::string& headerLine) {
    RouterAddress address = splitRouterUrl(url);
    if (address.host.empty() || address.port > 0xFFFF) {
        return {};
    }
    auto pending = std::make_shared<PendingRequest>();
    pending->request.url = url;
    pending->request.host = std::move(address.host);
    pending->request.port = static_cast<std::uint16_t>(address.port);
    pending->request.target = std::move(address.target);
    pending->request.headers = buildRequestHeaders(headerLine, url);

    const bool started = startDetachedWorker([pending, transport = context.transport] {
        pending->response = transport->get(pending->request);
        pending->done.markDone();
    });
    if (!started) {
        return {};  // no thread could be started: the same as a request that failed
    }

    if (!context.host.waitWhileDispatching(pending->done, kRequestTimeout)) {
        return {};  // the worker's late result lands in `pending` and is dropped with it
    }
    return decodeResponseBody(std::move(pending->response));
}

std::string requestRouterPage(ProgramContext& context, std::string_view target) {
    const std::string url = buildRouterUrl(context.login, target);
    const std::string header = buildAuthorizationHeader(context.login);
    return routerGet(context, url, header);
}

}  // namespace routerdesk
