// What the simulated router is told at its start: address, login, first state, misbehaviour.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tools/router-sim/response_shaping.h"
#include "tools/router-sim/router_pages.h"
#include "tools/router-sim/router_state.h"

namespace routerdesk::sim {

// Each switch is one way a real router, or the network in front of it, lets a client down.
struct Misbehaviour {
    std::chrono::milliseconds delay{0};  // before every answer
    unsigned dropEvery = 0;  // every Nth connection is closed without an answer; 0 = none
    BodyEncoding encoding = BodyEncoding::none;
    bool utf8 = false;
    bool chunked = false;
    std::optional<std::size_t> truncateAt;  // body bytes sent before the connection is cut
    std::size_t hugeBytes = 0;              // bodies padded to this size
    std::string redirectTo;                 // e.g. "http://127.0.0.1:8081"
    bool refuseLogin = false;
    OneLineArrays oneLineArrays;        // arrays written with all values on one line
    bool silent = false;                // requests read, never answered, connections held open
    std::chrono::milliseconds drip{0};  // the answer leaves byte by byte, this far apart
    std::size_t garbageBytes = 0;       // random bytes in place of any HTTP answer
    bool noAuthority = false;           // every page refused with the "no authority" line
    int status = 0;                     // every request answered with this status and its page
    std::size_t extraPieces = 0;        // values of 0 added at the end of every array
};

struct SimOptions {
    std::string address = "127.0.0.1";
    int port = 0;                   // 0: a free port, chosen when the router starts
    std::string account = "admin";  // GBK
    std::string password = "admin";
    RouterState initialState;
    Timings timings;
    Misbehaviour misbehaviour;
    std::string logPath;              // empty: the requests are kept in memory only
    std::size_t keptRequests = 4096;  // the last ones that requests() gives
};

inline constexpr int kDefaultCommandLinePort = 8080;

struct CommandLine {
    SimOptions options;
    bool showHelp = false;
    std::string error;  // empty when the command line made sense
};

// `args` without the program's name. Texts on the command line are UTF-8 and become GBK.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string helpText();

}  // namespace routerdesk::sim
