// The router's HTTP side on cpp-httplib, with the raw request head kept for the log and the site.
#include "tools/router-sim/http_server.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace routerdesk::sim {
namespace {

constexpr int kReadTimeoutMs = 5000;
constexpr int kWriteTimeoutMs = 5000;
constexpr std::size_t kMaxHeadBytes = 64 * 1024;
constexpr std::size_t kChunkBytes = 4096;
// Enough workers that a slow answer (--delay-ms) does not hold up the others for long.
constexpr std::size_t kWorkers = 32;

bool waitFor(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0;
    }
}

std::string addressOf(const sockaddr_storage& address, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    } else {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    }
    return text;
}

struct ReceivedHead {
    std::string head;  // up to and including the blank line, or all that came
    std::string rest;  // bytes after it
};

// Reads until the blank line that ends the head, the end of the connection, a pause longer
// than the read time-out, or more head than any request of the router's needs.
ReceivedHead receiveHead(int fd) {
    ReceivedHead received;
    std::string& data = received.head;
    char buffer[4096];
    for (;;) {
        for (const std::string_view end :
             {std::string_view("\r\n\r\n"), std::string_view("\n\n")}) {
            if (const std::size_t at = data.find(end); at != std::string::npos) {
                received.rest = data.substr(at + end.size());
                data.resize(at + end.size());
                return received;
            }
        }
        if (data.size() > kMaxHeadBytes || !waitFor(fd, POLLIN, kReadTimeoutMs)) {
            return received;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return received;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
}

// cpp-httplib reads the request from here: first the mended head, then the socket.
class SocketStream final : public httplib::Stream {
  public:
    SocketStream(int fd, std::string pending, std::chrono::milliseconds drip)
        : fd_(fd), pending_(std::move(pending)), drip_(drip) {}

    bool is_readable() const override {
        return offset_ < pending_.size() || waitFor(fd_, POLLIN, kReadTimeoutMs);
    }
    bool is_writable() const override { return waitFor(fd_, POLLOUT, kWriteTimeoutMs); }

    ssize_t read(char* ptr, size_t size) override {
        if (offset_ < pending_.size()) {
            const std::size_t n = std::min(size, pending_.size() - offset_);
            pending_.copy(ptr, n, offset_);
            offset_ += n;
            return static_cast<ssize_t>(n);
        }
        for (;;) {
            if (!waitFor(fd_, POLLIN, kReadTimeoutMs)) {
                return -1;
            }
            const ssize_t n = ::recv(fd_, ptr, size, 0);
            if (n >= 0 || errno != EINTR) {
                return n;
            }
        }
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (drip_.count() > 0) {
            return drip(ptr, size);
        }
        std::size_t sent = 0;
        while (sent < size) {
            if (!waitFor(fd_, POLLOUT, kWriteTimeoutMs)) {
                return -1;
            }
            const ssize_t n = ::send(fd_, ptr + sent, size - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return -1;
            }
            sent += static_cast<std::size_t>(n);
        }
        return static_cast<ssize_t>(size);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            ip = addressOf(address, port);
        }
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            ip = addressOf(address, port);
        }
    }

    socket_t socket() const override { return fd_; }

  private:
    // One byte, then a pause; a client that hangs up, or a router that stops, ends it at once
    // (the request was read whole, so anything readable now is the end of the connection).
    ssize_t drip(const char* ptr, size_t size) {
        for (std::size_t sent = 0; sent < size; ++sent) {
            if (!waitFor(fd_, POLLOUT, kWriteTimeoutMs) ||
                ::send(fd_, ptr + sent, 1, MSG_NOSIGNAL) != 1) {
                return -1;
            }
            if (waitFor(fd_, POLLIN, static_cast<int>(drip_.count()))) {
                return -1;
            }
        }
        return static_cast<ssize_t>(size);
    }

    int fd_;
    std::string pending_;
    std::size_t offset_ = 0;
    std::chrono::milliseconds drip_;
};

// Holds the connection without a word until the client leaves or the router stops (which shuts
// the socket down, and so also ends the wait).
void keepSilent(int fd) {
    char buffer[4096];
    for (;;) {
        if (!waitFor(fd, POLLIN, 1000)) {
            continue;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EINTR)) {
            return;
        }
    }
}

void sendGarbage(int fd, std::size_t count) {
    static std::atomic<unsigned> seed{1};
    std::minstd_rand random(seed++);
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xFF);
    }
    for (std::string_view rest = bytes; !rest.empty();) {
        if (!waitFor(fd, POLLOUT, kWriteTimeoutMs)) {
            return;
        }
        const ssize_t n = ::send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
        if (n <= 0 && errno != EINTR) {
            return;
        }
        rest.remove_prefix(n > 0 ? static_cast<std::size_t>(n) : 0);
    }
}

std::optional<std::string> header(const httplib::Request& request, const char* name) {
    if (!request.has_header(name)) {
        return std::nullopt;
    }
    return request.get_header_value(name);
}

SiteRequest toSiteRequest(const httplib::Request& request) {
    SiteRequest site;
    site.target = request.target;
    site.authorization = header(request, "Authorization");
    site.referer = header(request, "Referer");
    site.host = header(request, "Host");
    site.localAddress = request.local_addr;
    return site;
}

// Hands the body out in pieces of at most kChunkBytes and stops, failing, at the cut.
bool provideBody(const std::string& body, std::size_t limit, std::size_t offset,
                 httplib::DataSink& sink) {
    if (offset >= limit) {
        return false;  // the cut: cpp-httplib gives up the connection here
    }
    const std::size_t n = std::min({kChunkBytes, body.size() - offset, limit - offset});
    return sink.write(body.data() + offset, n);
}

void fillResponse(WireResponse wire, httplib::Response& out) {
    SiteResponse& site = wire.response;
    out.status = site.status;
    for (const auto& [name, value] : site.headers) {
        out.set_header(name.c_str(), value);
    }
    const bool cut = wire.truncateAt && *wire.truncateAt < site.body.size();
    if (!wire.chunked && !cut) {
        out.set_content(std::move(site.body), site.contentType.c_str());
        return;
    }
    auto body = std::make_shared<std::string>(std::move(site.body));
    const std::size_t limit = cut ? *wire.truncateAt : body->size();
    if (wire.chunked) {
        out.set_chunked_content_provider(
            site.contentType, [body, limit](std::size_t offset, httplib::DataSink& sink) {
                if (offset == body->size()) {
                    sink.done();
                    return true;
                }
                return provideBody(*body, limit, offset, sink);
            });
    } else {
        out.set_content_provider(
            body->size(), site.contentType,
            [body, limit](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                return provideBody(*body, limit, offset, sink);
            });
    }
}

class RouterServer final : public httplib::Server {
  public:
    explicit RouterServer(const HttpHooks& hooks) : hooks_(hooks) {}

    // cpp-httplib listens with a backlog of five; a burst of clients would meet dropped SYNs
    // and second-long retries.
    void widenBacklog() { ::listen(svr_sock_, SOMAXCONN); }

    void cutOpenConnections() {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        for (const int fd : open_) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }

  private:
    // Each connection carries one request, answered by way of the raw head: the log and the
    // site see the target as sent, while cpp-httplib parses a copy it can accept.
    bool process_and_close_socket(socket_t sock) override {
        {
            const std::lock_guard lock(mutex_);
            if (stopping_) {
                ::close(sock);
                return false;
            }
            open_.insert(sock);
        }
        serve(sock);
        {
            const std::lock_guard lock(mutex_);
            open_.erase(sock);
        }
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
        return true;
    }

    void serve(int sock) {
        ReceivedHead received = receiveHead(sock);
        if (received.head.empty()) {
            return;
        }
        const RequestHead head = parseRequestHead(received.head);
        hooks_.received(head);
        const AnswerPlan plan = hooks_.beforeAnswer();
        switch (plan.disposition) {
            case Disposition::drop:
                return;
            case Disposition::silent:
                keepSilent(sock);
                return;
            case Disposition::garbage:
                sendGarbage(sock, plan.garbageBytes);
                return;
            case Disposition::answer:
                break;
        }
        SocketStream stream(sock, headForParser(received.head) + received.rest, plan.drip);
        bool closed = false;
        process_request(stream, true, closed, [&head](httplib::Request& request) {
            request.target = head.target;
            // The router compresses nothing when asked and serves no ranges.
            request.headers.erase("Accept-Encoding");
            request.headers.erase("Range");
            request.ranges.clear();
        });
    }

    const HttpHooks& hooks_;
    std::mutex mutex_;
    std::set<int> open_;
    bool stopping_ = false;
};

}  // namespace

struct HttpServer::Impl {
    explicit Impl(HttpHooks h) : hooks(std::move(h)), server(hooks) {}

    HttpHooks hooks;
    RouterServer server;
    std::thread thread;
    std::atomic<bool> listenEnded{false};
};

HttpServer::HttpServer(HttpHooks hooks) : impl_(std::make_unique<Impl>(std::move(hooks))) {
    RouterServer& server = impl_->server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    // SO_REUSEPORT, cpp-httplib's choice, would let a second router share a busy port unnoticed.
    server.set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server.set_default_headers({{"Server", "Router Webserver"}});
    server.set_payload_max_length(kMaxHeadBytes);
    server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        fillResponse(impl_->hooks.answer(toSiteRequest(request)), response);
    });
    // Only cpp-httplib's own refusals (400, 404 for other methods, 414) come here without a
    // body; the router's answers always carry one.
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty() && !response.content_provider_) {
            response.set_content(
                "<HTML><BODY>" + std::to_string(response.status) + "</BODY></HTML>", "text/html");
        }
    });
}

HttpServer::~HttpServer() {
    stop();
}

std::optional<std::uint16_t> HttpServer::start(const std::string& address, int port) {
    Impl& impl = *impl_;
    if (impl.thread.joinable()) {
        return std::nullopt;
    }
    const int bound = port == 0 ? impl.server.bind_to_any_port(address)
                                : (impl.server.bind_to_port(address, port) ? port : -1);
    if (bound <= 0) {
        return std::nullopt;
    }
    impl.server.widenBacklog();
    impl.thread = std::thread([&impl] {
        impl.server.listen_after_bind();
        impl.listenEnded = true;
    });
    // stop() can only end a server that has begun to listen.
    while (!impl.server.is_running() && !impl.listenEnded) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return static_cast<std::uint16_t>(bound);
}

void HttpServer::stop() {
    Impl& impl = *impl_;
    if (!impl.thread.joinable()) {
        return;
    }
    impl.server.cutOpenConnections();
    impl.server.stop();
    impl.thread.join();
}

}  // namespace routerdesk::sim
