// A raw HTTP client on 127.0.0.1 for the simulator's tests.
#include "tests/sim/raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <cctype>
#include <cstdlib>
#include <stdexcept>

#include "core/router_request.h"

namespace routerdesk::sim::testing {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// The body of a chunked answer; `complete` only when the last (empty) chunk came.
std::string dechunk(std::string_view data, bool& complete) {
    std::string body;
    complete = false;
    for (;;) {
        const std::size_t lineEnd = data.find("\r\n");
        if (lineEnd == std::string_view::npos) {
            return body;
        }
        const std::string sizeText(data.substr(0, lineEnd));
        char* end = nullptr;
        const unsigned long size = std::strtoul(sizeText.c_str(), &end, 16);
        if (end == sizeText.c_str()) {
            return body;
        }
        data.remove_prefix(lineEnd + 2);
        if (size == 0) {
            complete = true;
            return body;
        }
        if (data.size() < size + 2) {
            body += data.substr(0, std::min<std::size_t>(size, data.size()));
            return body;
        }
        body += data.substr(0, size);
        data.remove_prefix(size + 2);
    }
}

}  // namespace

std::optional<std::string> Answer::header(std::string_view name) const {
    for (const auto& [headerName, value] : headers) {
        if (sameName(headerName, name)) {
            return value;
        }
    }
    return std::nullopt;
}

Connection::Connection(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        throw std::runtime_error("socket");
    }
    timeval timeout{10, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        throw std::runtime_error("connect");
    }
}

Connection::~Connection() {
    ::close(fd_);
}

void Connection::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            return;  // the server went away; what it answered is still read
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::string Connection::receiveAll(std::size_t* reads) {
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return data;
        }
        data.append(buffer, static_cast<std::size_t>(n));
        if (reads != nullptr) {
            ++*reads;
        }
    }
}

bool Connection::quietFor(std::chrono::milliseconds time) {
    pollfd readable{fd_, POLLIN, 0};
    return ::poll(&readable, 1, static_cast<int>(time.count())) == 0;
}

std::string exchange(std::uint16_t port, std::string_view request) {
    Connection connection(port);
    connection.send(request);
    return connection.receiveAll();
}

Answer parseAnswer(std::string_view raw) {
    Answer answer;
    const std::size_t headEnd = raw.find("\r\n\r\n");
    if (!raw.starts_with("HTTP/1.") || headEnd == std::string_view::npos) {
        return answer;
    }
    std::string_view head = raw.substr(0, headEnd + 2);
    const std::string_view rest = raw.substr(headEnd + 4);
    answer.received = true;
    answer.status = std::atoi(std::string(head.substr(9, 3)).c_str());
    head.remove_prefix(head.find("\r\n") + 2);
    while (!head.empty()) {
        const std::size_t end = head.find("\r\n");
        const std::string_view line = head.substr(0, end);
        head.remove_prefix(end + 2);
        const std::size_t colon = line.find(':');
        std::string_view value = line.substr(colon + 1);
        while (value.starts_with(' ')) {
            value.remove_prefix(1);
        }
        answer.headers.emplace_back(line.substr(0, colon), value);
    }
    if (answer.header("Transfer-Encoding") == "chunked") {
        answer.body = dechunk(rest, answer.complete);
    } else {
        answer.body = rest;
        const std::optional<std::string> length = answer.header("Content-Length");
        answer.complete = length && std::stoull(*length) == rest.size();
    }
    return answer;
}

std::string programRequest(std::uint16_t port, std::string_view target, std::string_view account,
                           std::string_view password) {
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + std::string(target);
    const std::string authorization =
        "Authorization:" + encodeBase64(std::string(account) + ":" + std::string(password));
    return "GET " + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\n" + buildRequestHeaders(authorization, url) + "\r\n";
}

std::string plainRequest(std::string_view target, const std::vector<std::string>& headerLines) {
    std::string request = "GET " + std::string(target) + " HTTP/1.1\r\n";
    for (const std::string& line : headerLines) {
        request += line + "\r\n";
    }
    return request + "\r\n";
}

std::optional<std::string> inflateBody(std::string_view data, bool gzip) {
    z_stream stream{};
    if (inflateInit2(&stream, gzip ? 16 + MAX_WBITS : MAX_WBITS) != Z_OK) {
        return std::nullopt;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    std::string out;
    char buffer[65536];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - stream.avail_out);
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END) {
        return std::nullopt;
    }
    return out;
}

}  // namespace routerdesk::sim::testing
