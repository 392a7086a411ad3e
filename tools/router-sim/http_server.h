// The router's HTTP side on cpp-httplib, with the raw request head kept for the log and the site.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "tools/router-sim/request_head.h"
#include "tools/router-sim/router_site.h"

namespace routerdesk::sim {

// How an answer leaves: whole, in chunks, or cut short after some body bytes.
struct WireResponse {
    SiteResponse response;
    bool chunked = false;
    std::optional<std::size_t> truncateAt;
};

enum class Disposition {
    answer,
    drop,     // the connection closed without an answer
    silent,   // no answer, the connection held open until the client leaves
    garbage,  // random bytes in place of an HTTP answer
};

struct AnswerPlan {
    Disposition disposition = Disposition::answer;
    std::chrono::milliseconds drip{0};  // between the bytes of an answer
    std::size_t garbageBytes = 0;
};

struct HttpHooks {
    // Every request head that arrived, malformed ones too, before anything else happens.
    std::function<void(const RequestHead&)> received;
    // Runs before an answer, on the connection's own thread; may wait, and says how to answer.
    std::function<AnswerPlan()> beforeAnswer;
    std::function<WireResponse(const SiteRequest&)> answer;
};

class HttpServer {
  public:
    explicit HttpServer(HttpHooks hooks);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds, then serves on a thread of its own. The bound port (the free one chosen for port
    // 0), or nothing when the address cannot be bound.
    std::optional<std::uint16_t> start(const std::string& address, int port);

    // Cuts open connections short and returns once every worker has finished.
    void stop();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace routerdesk::sim
