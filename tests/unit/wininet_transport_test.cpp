// The WinINet transport against a loopback server that sends its answer in slow pieces: the
// whole body when the pieces keep coming, and an end at the request deadline when they trickle.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>

#include "core/http_transport.h"
#include "tests/support/pause.h"

namespace routerdesk {
namespace {

using namespace std::chrono_literals;

// Serves one connection: reads the request head, then sends `head` and `body`, `step` bytes at
// a time with `gap` between the pieces, until the body is out, the client hangs up or the test
// is over.
class SlowServer {
  public:
    SlowServer(std::string head, std::string body, std::size_t step, std::chrono::milliseconds gap)
        : head_(std::move(head)), body_(std::move(body)), step_(step), gap_(gap) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(listener_, 1);
        int length = sizeof(address);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }

    ~SlowServer() {
        over_ = true;
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }

    std::uint16_t port() const { return port_; }
    std::size_t bodyBytesSent() const { return sent_; }

  private:
    void serve() {
        const SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            return;
        }
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int got = recv(client, buffer, sizeof(buffer), 0);
            if (got <= 0) {
                closesocket(client);
                return;
            }
            request.append(buffer, static_cast<std::size_t>(got));
        }
        bool open = send(client, head_.data(), static_cast<int>(head_.size()), 0) > 0;
        while (open && !over_ && sent_ < body_.size()) {
            const std::size_t piece = std::min(step_, body_.size() - sent_);
            open = send(client, body_.data() + sent_, static_cast<int>(piece), 0) > 0;
            if (open) {
                sent_ += piece;
                testing::pauseFor(gap_);
            }
        }
        closesocket(client);
    }

    std::string head_;
    std::string body_;
    std::size_t step_;
    std::chrono::milliseconds gap_;
    SOCKET listener_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
    std::atomic<bool> over_{false};
    std::atomic<std::size_t> sent_{0};
    std::thread thread_;
};

std::string headFor(std::size_t bodyBytes) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
           std::to_string(bodyBytes) + "\r\nConnection: close\r\n\r\n";
}

HttpRequest requestTo(std::uint16_t port) {
    HttpRequest request;
    request.url = "http://127.0.0.1:" + std::to_string(port) + "/userRpm/StatusRpm.htm";
    request.host = "127.0.0.1";
    request.port = port;
    request.target = "/userRpm/StatusRpm.htm";
    return request;
}

TEST(WinInetTransportTest, BodyArrivingInPiecesIsReadWhole) {
    std::string body;
    for (int i = 0; body.size() < 300'000; ++i) {
        body += "var lanPara = new Array(" + std::to_string(i) + ");\n";
    }
    SlowServer server(headFor(body.size()), body, 100'000, 50ms);

    const HttpResponse response = makeHttpTransport(10'000ms)->get(requestTo(server.port()));

    EXPECT_TRUE(response.received);
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, body);
}

TEST(WinInetTransportTest, BodyTricklingInEndsAtTheDeadlineWithWhatCame) {
    // At a byte every 50 ms this body would take an hour and a half.
    const std::string body(100'000, 'x');
    SlowServer server(headFor(body.size()), body, 1, 50ms);

    const HttpResponse response = makeHttpTransport(1'000ms)->get(requestTo(server.port()));

    EXPECT_TRUE(response.received);
    EXPECT_EQ(response.status, 200);
    EXPECT_GT(response.body.size(), 0u);
    EXPECT_LT(response.body.size(), body.size());
    EXPECT_EQ(response.body, body.substr(0, response.body.size()));
}

}  // namespace
}  // namespace routerdesk
