// Winsock plumbing: start-up, sends, modes and a graceful close.
#include "program/Socket.h"

WinsockSession::WinsockSession() noexcept
{
    WSADATA data;
    m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockSession::~WinsockSession()
{
    if (m_started)
        WSACleanup();
}

bool SendAll(SOCKET socket, const void* bytes, size_t count)
{
    const char* next = static_cast<const char*>(bytes);
    while (count > 0) {
        const int piece = count > 1 << 20 ? 1 << 20 : static_cast<int>(count);
        const int sent = send(socket, next, piece, 0);
        if (sent <= 0)
            return false;
        next += sent;
        count -= static_cast<size_t>(sent);
    }
    return true;
}

bool SetBlocking(SOCKET socket, bool blocking)
{
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

bool WaitReadable(SOCKET socket, uint64_t deadlineTick)
{
    const uint64_t now = GetTickCount64();
    if (now >= deadlineTick)
        return false;
    const uint64_t wait = deadlineTick - now;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval timeout = {static_cast<long>(wait / 1000), static_cast<long>(wait % 1000 * 1000)};
    return select(0, &readable, nullptr, nullptr, &timeout) > 0;
}

void CloseGracefully(SocketHolder& socket)
{
    if (!socket)
        return;
    shutdown(socket.Get(), SD_SEND);
    // At most 1 MiB of what the peer still sends, discarded, within one
    // overall deadline: a client that trickles a byte now and then must not
    // hold the worker.
    const uint64_t deadline = GetTickCount64() + kCloseLingerMs;
    char sink[16384];
    for (int total = 0; total < (1 << 20) && WaitReadable(socket.Get(), deadline);) {
        const int got = recv(socket.Get(), sink, sizeof sink, 0);
        if (got <= 0)
            break;
        total += got;
    }
    socket.Reset();
}

std::string AddressText(const sockaddr_in& address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}
