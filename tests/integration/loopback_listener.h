// A raw TCP listener on 127.0.0.1 that records the bytes of each request and answers each
// connection with bytes the test chose.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace routerdesk::testing {

class LoopbackListener {
  public:
    // `respond` gets the request's bytes (up to the blank line) and returns the answer's bytes.
    explicit LoopbackListener(std::function<std::string(const std::string&)> respond);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    std::uint16_t port() const { return port_; }
    std::vector<std::string> requests() const;

  private:
    void serve();

    std::function<std::string(const std::string&)> respond_;
    int socket_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 that nothing listens on.
std::uint16_t closedLoopbackPort();

}  // namespace routerdesk::testing
