// The raw loopback listener of the integration tests.
#include "tests/integration/loopback_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace routerdesk::testing {
namespace {

int bindLoopback(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket");
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        throw std::runtime_error("bind");
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

bool ListenerConnection::send(std::string_view bytes) {
    while (!bytes.empty()) {
        if (stopping_) {
            return false;
        }
        pollfd writable{socket_, POLLOUT, 0};
        if (::poll(&writable, 1, 50) <= 0) {
            continue;
        }
        const ssize_t n = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            clientHungUp_ = true;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool ListenerConnection::stayOpen(std::chrono::milliseconds time) {
    const auto until = std::chrono::steady_clock::now() + time;
    while (!stopping_ && std::chrono::steady_clock::now() < until) {
        pollfd readable{socket_, POLLIN, 0};
        if (::poll(&readable, 1, 20) <= 0) {
            continue;
        }
        char discard[4096];
        if (::recv(socket_, discard, sizeof discard, 0) <= 0) {
            clientHungUp_ = true;
            return false;
        }
    }
    return !stopping_;
}

LoopbackListener::LoopbackListener(std::function<std::string(const std::string&)> respond)
    : LoopbackListener([respond = std::move(respond)](const std::string& request,
                                                      ListenerConnection& connection) {
          connection.send(respond(request));
      }) {}

LoopbackListener::LoopbackListener(
    std::function<void(const std::string&, ListenerConnection&)> converse)
    : converse_(std::move(converse)) {
    socket_ = bindLoopback(port_);
    ::listen(socket_, 16);
    thread_ = std::thread([this] { serve(); });
}

LoopbackListener::~LoopbackListener() {
    stopping_ = true;
    thread_.join();
    ::close(socket_);
}

void LoopbackListener::waitUntilIdle() const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (busy_ && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::vector<std::string> LoopbackListener::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackListener::serve() {
    while (!stopping_) {
        pollfd waiting{socket_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        const int connection = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        busy_ = true;
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            pollfd readable{connection, POLLIN, 0};
            if (::poll(&readable, 1, 5000) <= 0) {
                break;
            }
            const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            request.append(buffer, static_cast<std::size_t>(got));
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        ListenerConnection talk(connection, stopping_);
        converse_(request, talk);
        if (talk.clientHungUp()) {
            ++hangUps_;
        }
        ::shutdown(connection, SHUT_RDWR);
        ::close(connection);
        busy_ = false;
    }
}

std::uint16_t closedLoopbackPort() {
    std::uint16_t port = 0;
    ::close(bindLoopback(port));  // bound and released at once: nobody listens there now
    return port;
}

}  // namespace routerdesk::testing
