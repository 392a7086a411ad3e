// What the simulated router is told at its start: address, login, first state, misbehaviour.
#include "tools/router-sim/sim_options.h"

#include <array>
#include <charconv>
#include <string_view>

#include "core/gbk.h"

namespace routerdesk::sim {
namespace {

std::optional<unsigned long long> number(std::string_view text, unsigned long long max) {
    unsigned long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> onOff(std::string_view text) {
    if (text == "on") {
        return true;
    }
    if (text == "off") {
        return false;
    }
    return std::nullopt;
}

std::string toGbk(std::string_view utf8, std::string& gbk, std::string_view what) {
    std::optional<std::string> converted = utf8ToGbkExact(utf8);
    if (!converted) {
        return std::string(what) + " has characters that GBK cannot hold";
    }
    gbk = std::move(*converted);
    return {};
}

// Each switch sets its value and returns an error text, empty when the value was good.
using Apply = std::string (*)(SimOptions&, std::string_view);

struct Switch {
    std::string_view name;
    std::string_view value;  // the value's name in the help; empty for a switch without one
    std::string_view help;
    Apply apply;
};

template <typename Set>
std::string setNumber(std::string_view text, unsigned long long max, Set set) {
    const std::optional<unsigned long long> value = number(text, max);
    if (!value) {
        return "expects a whole number from 0 to " + std::to_string(max);
    }
    set(*value);
    return {};
}

constexpr unsigned long long kMaxMillis = 3'600'000;
constexpr unsigned long long kMaxBodyPadding = 1ULL << 30;

const std::array kSwitches = {
    Switch{"--address", "ADDR", "address to listen on (default 127.0.0.1)",
           [](SimOptions& o, std::string_view v) {
               o.address = std::string(v);
               return std::string{};
           }},
    Switch{"--port", "N", "port to listen on; 0 picks a free one (default 8080)",
           [](SimOptions& o, std::string_view v) {
               return setNumber(v, 65535, [&](auto n) { o.port = static_cast<int>(n); });
           }},
    Switch{"--account", "TEXT", "login account the router accepts (default admin)",
           [](SimOptions& o, std::string_view v) { return toGbk(v, o.account, "the account"); }},
    Switch{"--password", "TEXT", "login password the router accepts (default admin)",
           [](SimOptions& o, std::string_view v) { return toGbk(v, o.password, "the password"); }},
    Switch{"--ssid", "TEXT", "SSID at the start, any text GBK can hold (default TP-LINK_客厅)",
           [](SimOptions& o, std::string_view v) {
               return toGbk(v, o.initialState.ssid, "the SSID");
           }},
    Switch{"--radio", "on|off", "wireless radio at the start (default on)",
           [](SimOptions& o, std::string_view v) {
               const std::optional<bool> on = onOff(v);
               if (!on) {
                   return std::string("expects on or off");
               }
               o.initialState.radioOn = *on;
               return std::string{};
           }},
    Switch{"--broadcast", "on|off", "SSID broadcast at the start (default on)",
           [](SimOptions& o, std::string_view v) {
               const std::optional<bool> on = onOff(v);
               if (!on) {
                   return std::string("expects on or off");
               }
               o.initialState.broadcastOn = *on;
               return std::string{};
           }},
    Switch{"--wan", "STATE",
           "WAN link at the start: up, offline, connecting, auth-failed, no-answer, unknown or "
           "no-cable (default up)",
           [](SimOptions& o, std::string_view v) {
               constexpr std::array<std::pair<std::string_view, WanLink>, 7> kNames = {{
                   {"offline", WanLink::offline},
                   {"up", WanLink::up},
                   {"connecting", WanLink::connecting},
                   {"auth-failed", WanLink::authFailed},
                   {"no-answer", WanLink::noServer},
                   {"unknown", WanLink::unknown},
                   {"no-cable", WanLink::noCable},
               }};
               for (const auto& [name, link] : kNames) {
                   if (v == name) {
                       o.initialState.wanLink = link;
                       return std::string{};
                   }
               }
               return std::string("names no WAN state");
           }},
    Switch{"--stations", "N", "wireless stations at the start, 0 to 8 (default 3)",
           [](SimOptions& o, std::string_view v) {
               return setNumber(v, kMaxStations,
                                [&](auto n) { o.initialState.stationCount = static_cast<int>(n); });
           }},
    Switch{"--station-step-ms", "N",
           "the station count moves every N ms; 0 keeps it still (default 7000)",
           [](SimOptions& o, std::string_view v) {
               return setNumber(v, kMaxMillis, [&](auto n) {
                   o.timings.stationStep = std::chrono::milliseconds(n);
               });
           }},
    Switch{"--dial-ms", "N", "a Connect dials for N ms before the link is up (default 2000)",
           [](SimOptions& o, std::string_view v) {
               return setNumber(v, kMaxMillis, [&](auto n) {
                   o.timings.dialDuration = std::chrono::milliseconds(n);
               });
           }},
    Switch{"--log", "FILE",
           "write one line per request to FILE (started afresh): UTC time, method, raw target "
           "and each header line as sent, separated by tabs; control bytes as \\xNN",
           [](SimOptions& o, std::string_view v) {
               o.logPath = std::string(v);
               return std::string{};
           }},
    Switch{"--delay-ms", "N", "misbehave: wait N ms before every answer",
           [](SimOptions& o, std::string_view v) {
               return setNumber(v, kMaxMillis, [&](auto n) {
                   o.misbehaviour.delay = std::chrono::milliseconds(n);
               });
           }},
    Switch{"--drop-every", "N",
           "misbehave: close every Nth connection without an answer, after reading its "
           "request; 1 drops them all",
           [](SimOptions& o, std::string_view v) {
               return setNumber(v, 1'000'000, [&](auto n) {
                   o.misbehaviour.dropEvery = static_cast<unsigned>(n);
               });
           }},
    Switch{"--encoding", "gzip|deflate",
           "misbehave: compress every body and say so in Content-Encoding, although no "
           "request asks for it (deflate is the zlib format)",
           [](SimOptions& o, std::string_view v) {
               if (v == "gzip") {
                   o.misbehaviour.encoding = BodyEncoding::gzip;
               } else if (v == "deflate") {
                   o.misbehaviour.encoding = BodyEncoding::deflate;
               } else {
                   return std::string("expects gzip or deflate");
               }
               return std::string{};
           }},
    Switch{"--utf8", "",
           "misbehave: send the pages in UTF-8 with charset=utf-8 in Content-Type and in the "
           "page",
           [](SimOptions& o, std::string_view) {
               o.misbehaviour.utf8 = true;
               return std::string{};
           }},
    Switch{"--chunked", "", "misbehave: send every body with Transfer-Encoding: chunked",
           [](SimOptions& o, std::string_view) {
               o.misbehaviour.chunked = true;
               return std::string{};
           }},
    Switch{"--truncate-at", "N",
           "misbehave: announce the whole body but cut the connection after N body bytes",
           [](SimOptions& o, std::string_view v) {
               return setNumber(v, kMaxBodyPadding, [&](auto n) {
                   o.misbehaviour.truncateAt = static_cast<std::size_t>(n);
               });
           }},
    Switch{"--huge-body", "N",
           "misbehave: pad every body with an HTML comment after the page to N bytes "
           "(at most 1 GiB)",
           [](SimOptions& o, std::string_view v) {
               return setNumber(v, kMaxBodyPadding, [&](auto n) {
                   o.misbehaviour.hugeBytes = static_cast<std::size_t>(n);
               });
           }},
    Switch{"--redirect-to", "URL",
           "misbehave: answer every request with 302 to URL followed by the request's target, "
           "e.g. http://127.0.0.1:8081",
           [](SimOptions& o, std::string_view v) {
               o.misbehaviour.redirectTo = std::string(v);
               return std::string{};
           }},
    Switch{"--refuse-login", "", "misbehave: refuse every login, the right one too (401)",
           [](SimOptions& o, std::string_view) {
               o.misbehaviour.refuseLogin = true;
               return std::string{};
           }},
    Switch{"--one-line-array", "NAME",
           "misbehave: write the values of array NAME (lanPara, wlanPara, wanPara, "
           "wlanHostPara, ...) on one line, as some firmware does; may be repeated",
           [](SimOptions& o, std::string_view v) {
               o.misbehaviour.oneLineArrays.emplace(v);
               return std::string{};
           }},
    Switch{"--silent", "",
           "misbehave: read every request and never answer; the connection stays open until "
           "the client gives up",
           [](SimOptions& o, std::string_view) {
               o.misbehaviour.silent = true;
               return std::string{};
           }},
    Switch{"--drip-ms", "N",
           "misbehave: send every answer one byte at a time, N ms apart (1000: a byte a second)",
           [](SimOptions& o, std::string_view v) {
               return setNumber(v, kMaxMillis, [&](auto n) {
                   o.misbehaviour.drip = std::chrono::milliseconds(n);
               });
           }},
    Switch{"--garbage", "N", "misbehave: answer every request with N random bytes instead of HTTP",
           [](SimOptions& o, std::string_view v) {
               return setNumber(v, kMaxBodyPadding, [&](auto n) {
                   o.misbehaviour.garbageBytes = static_cast<std::size_t>(n);
               });
           }},
    Switch{"--no-authority", "",
           "misbehave: answer every page, whatever the Referer, with the firmware's \"no "
           "authority\" line",
           [](SimOptions& o, std::string_view) {
               o.misbehaviour.noAuthority = true;
               return std::string{};
           }},
    Switch{"--status", "N",
           "misbehave: answer every request with HTTP status N (e.g. 401 without the login "
           "page, 500) and a short page naming it",
           [](SimOptions& o, std::string_view v) {
               const std::optional<unsigned long long> code = number(v, 999);
               if (!code || *code < 100) {
                   return std::string("expects a status from 100 to 999");
               }
               o.misbehaviour.status = static_cast<int>(*code);
               return std::string{};
           }},
    Switch{"--extra-pieces", "N",
           "misbehave: add N values (0) at the end of every array (10000: arrays of over "
           "10,000 pieces)",
           [](SimOptions& o, std::string_view v) {
               return setNumber(v, 10'000'000, [&](auto n) {
                   o.misbehaviour.extraPieces = static_cast<std::size_t>(n);
               });
           }},
};

// "  --name VALUE   help", the help wrapped at blanks into a column of its own.
void appendHelpEntry(std::string& text, std::string_view name, std::string_view help) {
    constexpr std::size_t kHelpColumn = 28;
    constexpr std::size_t kWidth = 96;
    std::string line = "  " + std::string(name);
    line += line.size() + 1 < kHelpColumn ? std::string(kHelpColumn - line.size(), ' ')
                                          : "\n" + std::string(kHelpColumn, ' ');
    std::size_t lineStart = line.rfind('\n') == std::string::npos ? 0 : line.rfind('\n') + 1;
    while (!help.empty()) {
        const std::size_t blank = help.find(' ');
        const std::string_view word = help.substr(0, blank);
        help = blank == std::string_view::npos ? std::string_view{} : help.substr(blank + 1);
        if (line.size() - lineStart + word.size() > kWidth && line.back() != ' ') {
            line += "\n" + std::string(kHelpColumn, ' ');
            lineStart = line.size() - kHelpColumn;
        } else if (line.back() != ' ') {
            line += ' ';
        }
        line += word;
    }
    text += line;
    text += '\n';
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    result.options.port = kDefaultCommandLinePort;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            result.showHelp = true;
            continue;
        }
        std::optional<std::string_view> inlineValue;
        if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != arg.npos) {
            inlineValue = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
        }
        const Switch* found = nullptr;
        for (const Switch& candidate : kSwitches) {
            if (candidate.name == arg) {
                found = &candidate;
            }
        }
        if (found == nullptr) {
            result.error = "unknown switch " + std::string(arg);
            return result;
        }
        std::string_view value;
        if (!found->value.empty()) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                result.error = std::string(arg) + " needs a value";
                return result;
            }
        } else if (inlineValue) {
            result.error = std::string(arg) + " takes no value";
            return result;
        }
        if (const std::string error = found->apply(result.options, value); !error.empty()) {
            result.error = std::string(arg) + ": " + error;
            return result;
        }
    }
    return result;
}

std::string helpText() {
    std::string text =
        "Usage: routerdesk-sim [switches]\n"
        "\n"
        "A simulated TP-Link TL-WR745N with Chinese firmware on loopback: its status pages\n"
        "(GBK), its login check, its forms for dialling, hanging up and the wireless settings.\n"
        "The first line on stdout is the router's URL, e.g. http://127.0.0.1:8080\n"
        "Texts on the command line are UTF-8; the router holds them as GBK.\n"
        "\n"
        "Pages: /userRpm/StatusRpm.htm (with ?Connect=..&wan=1 it dials, with\n"
        "?Disconnect=..&wan=1 it hangs up), /userRpm/WlanNetworkRpm.htm (with ?ssid1=..&Save=..\n"
        "it applies the wireless form: ssid1, ap, broadcast=2, channel, mode, chanWidth) and\n"
        "/userRpm/WlanStationRpm.htm?Page=N. Every request needs the login in Authorization,\n"
        "as bare Base64 or after \"Basic \" (else 401 with 登录失败); the pages also need a\n"
        "Referer that names the router's host (else the \"no authority\" line).\n"
        "\n";
    for (const Switch& s : kSwitches) {
        std::string name = std::string(s.name);
        if (!s.value.empty()) {
            name += " " + std::string(s.value);
        }
        appendHelpEntry(text, name, s.help);
    }
    appendHelpEntry(text, "--help", "show this text");
    text +=
        "\n"
        "Example: routerdesk-sim --port 0 --ssid 我的网络 --wan offline --log requests.log\n";
    return text;
}

}  // namespace routerdesk::sim
