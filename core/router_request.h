// Router requests: the URL and authorization line built from the login, and routerGet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/program_context.h"
#include "core/router_login.h"

namespace routerdesk {

// "http://" + managementIp + ":" + port + target, joined byte for byte.
std::string buildRouterUrl(const RouterLogin& login, std::string_view target);

std::string encodeBase64(std::string_view data);

// "Authorization:" followed directly by the Base64 of account ":" password: no blank and no
// scheme word, which is the form the router expects.
std::string buildAuthorizationHeader(const RouterLogin& login);

struct RouterAddress {
    std::string host;
    std::uint32_t port = 80;  // may exceed 65535 when the login says so; such a port fails
    std::string target;
};

// Splits a URL the way the router's request is addressed: host up to the first "/", the port
// from the leading digits after the first ":" (80 when there are none or they make 0).
RouterAddress splitRouterUrl(std::string_view url);

// The header block sent with every request: `headerLine`, then the browser lines a line is
// absent for, each ended with CR LF.
std::string buildRequestHeaders(std::string_view headerLine, std::string_view url);

// Sends one GET on a worker thread and waits for it while the window keeps working. Returns the
// decoded body, or the empty text when the request failed or the wait gave up.
std::string routerGet(ProgramContext& context, const std::string& url,
                      const std::string& headerLine);

// The caller's order of every request: the URL, then the authorization line, then routerGet.
std::string requestRouterPage(ProgramContext& context, std::string_view target);

}  // namespace routerdesk
