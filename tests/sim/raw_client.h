// A raw HTTP client on 127.0.0.1 for the simulator's tests: sends exactly the bytes it is given
// and reads the answer to the end of the connection, so nothing on our side tidies either.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace routerdesk::sim::testing {

struct Answer {
    bool received = false;  // a status line came back
    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;       // without the chunk framing when chunked
    bool complete = false;  // as long as Content-Length said, or the last chunk arrived

    std::optional<std::string> header(std::string_view name) const;
};

// A connection that is open but has sent nothing yet.
class Connection {
  public:
    explicit Connection(std::uint16_t port);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void send(std::string_view bytes);
    // Everything until the server closes (or 10 s pass, which fails the test by its result);
    // `reads` counts the pieces it came in.
    std::string receiveAll(std::size_t* reads = nullptr);
    // True when for `time` nothing arrived and the server did not close.
    bool quietFor(std::chrono::milliseconds time);

  private:
    int fd_ = -1;
};

std::string exchange(std::uint16_t port, std::string_view request);
Answer parseAnswer(std::string_view raw);
inline Answer ask(std::uint16_t port, std::string_view request) {
    return parseAnswer(exchange(port, request));
}

// The request as our program sends it: the target byte for byte, "Authorization:" and the
// Base64 login without a blank, the browser lines, and a Referer naming this host and port.
std::string programRequest(std::uint16_t port, std::string_view target,
                           std::string_view account = "admin", std::string_view password = "admin");

// A GET with exactly these header lines (each without its CR LF).
std::string plainRequest(std::string_view target, const std::vector<std::string>& headerLines);

// Undoes gzip (RFC 1952) or the zlib format (RFC 1950); nothing when the data is neither.
std::optional<std::string> inflateBody(std::string_view data, bool gzip);

}  // namespace routerdesk::sim::testing
