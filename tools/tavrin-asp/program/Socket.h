// Winsock plumbing of the server: the library's start-up for the process, a
// move-only socket holder, and whole-buffer sends.
#pragma once

// More sockets per select() than Winsock's default 64: the head reader
// watches every connection that is not being served.
#ifndef FD_SETSIZE
#define FD_SETSIZE 1024
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

#include "util/Handles.h"

#include <cstdint>
#include <string>

struct SocketTraits
{
    static SOCKET Invalid() noexcept { return INVALID_SOCKET; }
    static int Close(SOCKET s) noexcept { return closesocket(s); }
};
using SocketHolder = UniqueHandle<SOCKET, SocketTraits>;

// WSAStartup for the life of the object.
class WinsockSession
{
public:
    WinsockSession() noexcept;
    ~WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Started() const noexcept { return m_started; }

private:
    bool m_started = false;
};

// Sends every byte (blocking socket); false when the peer is gone.
bool SendAll(SOCKET socket, const void* bytes, size_t count);
// Switches a socket between blocking and non-blocking mode.
bool SetBlocking(SOCKET socket, bool blocking);
// Waits until the socket has something to read (or the peer closed) or
// GetTickCount64() reaches deadlineTick; true when it is readable.
bool WaitReadable(SOCKET socket, uint64_t deadlineTick);
// Closes the sending side and reads what the peer still sends for at most
// kCloseLingerMs in all (however slowly it sends), so that a response is not
// lost to a reset when the peer's body was not read; then closes.
void CloseGracefully(SocketHolder& socket);
constexpr uint64_t kCloseLingerMs = 1000;
// "127.0.0.1" for an IPv4 peer.
std::string AddressText(const sockaddr_in& address);
