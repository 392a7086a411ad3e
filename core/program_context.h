// The program's shared state, handed to every handler.
#pragma once

#include <filesystem>
#include <memory>
#include <utility>

#include "core/host.h"
#include "core/http_transport.h"
#include "core/router_login.h"

namespace routerdesk {

struct ProgramContext {
    ProgramContext(Host& windowHost, std::shared_ptr<HttpTransport> httpTransport)
        : host(windowHost), transport(std::move(httpTransport)) {}

    Host& host;
    std::shared_ptr<HttpTransport> transport;
    RouterLogin login;
    // Where the login is kept; empty means the settings file beside the program.
    std::filesystem::path settingsFile;
    // Set while a refresh pass runs, so that timer ticks handled inside its waits do not nest.
    bool refreshUnderWay = false;
};

}  // namespace routerdesk
