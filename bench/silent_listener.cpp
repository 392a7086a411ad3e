// The silent listener on BSD sockets and on Winsock.
#include "bench/silent_listener.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace routerdesk::bench {
namespace {

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
void closeSocket(Socket s) {
    closesocket(s);
}
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
void closeSocket(Socket s) {
    ::close(s);
}
#endif

}  // namespace

SilentListener::SilentListener() {
#ifdef _WIN32
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return;
    }
#endif
    const Socket s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s == kNoSocket) {
        return;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(s, 16) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closeSocket(s);
        return;
    }
    socket_ = static_cast<std::intptr_t>(s);
    port_ = ntohs(address.sin_port);
}

SilentListener::~SilentListener() {
    close();
}

void SilentListener::close() {
    if (socket_ != -1) {
        closeSocket(static_cast<Socket>(socket_));
        socket_ = -1;
    }
}

}  // namespace routerdesk::bench
