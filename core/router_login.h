// The router login that every request is built from.
#pragma once

#include <string>

namespace routerdesk {

// GBK texts, each possibly empty; read as they are, nothing is trimmed or validated.
struct RouterLogin {
    std::string account;
    std::string password;
    std::string port;
    std::string managementIp;

    bool operator==(const RouterLogin&) const = default;
};

}  // namespace routerdesk
