// A raw TCP listener on 127.0.0.1 that records the bytes of each request and answers each
// connection with bytes the test chose, at the pace the test chose.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace routerdesk::testing {

// The listener's side of one connection, for answers that take their time or never come.
class ListenerConnection {
  public:
    ListenerConnection(int socket, const std::atomic<bool>& stopping)
        : socket_(socket), stopping_(stopping) {}

    // False once the client has gone or the listener is stopping.
    bool send(std::string_view bytes);
    // Waits up to `time`; false as soon as the client hangs up or the listener stops.
    bool stayOpen(std::chrono::milliseconds time);
    bool clientHungUp() const { return clientHungUp_; }

  private:
    int socket_;
    const std::atomic<bool>& stopping_;
    bool clientHungUp_ = false;
};

class LoopbackListener {
  public:
    // `respond` gets the request's bytes (up to the blank line) and returns the answer's bytes.
    explicit LoopbackListener(std::function<std::string(const std::string&)> respond);
    // `converse` gets the request's bytes and the connection, and answers as it likes.
    explicit LoopbackListener(
        std::function<void(const std::string&, ListenerConnection&)> converse);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    std::uint16_t port() const { return port_; }
    std::vector<std::string> requests() const;
    // Connections that the client closed before the listener was done with them.
    int clientHangUps() const { return hangUps_; }
    // Returns once the connection in hand, if any, is done with (at most after 10 s), so that
    // what it saw is counted.
    void waitUntilIdle() const;

  private:
    void serve();

    std::function<void(const std::string&, ListenerConnection&)> converse_;
    int socket_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> hangUps_{0};
    std::atomic<bool> busy_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 that nothing listens on.
std::uint16_t closedLoopbackPort();

}  // namespace routerdesk::testing
