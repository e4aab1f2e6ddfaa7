// One client connection and the streams a request reads and writes on it.
// A connection is owned by exactly one party at a time: the head reader
// while it waits for a request, then the worker that serves the request.
#pragma once

#include "asp/PageRun.h"
#include "core/HttpHead.h"
#include "program/Socket.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

// Counts a connection as open for as long as it lives.
class OpenCount
{
public:
    OpenCount() noexcept = default;
    explicit OpenCount(std::shared_ptr<std::atomic<int>> count) noexcept : m_count(std::move(count))
    {
        ++*m_count;
    }
    OpenCount(OpenCount&&) noexcept = default;
    OpenCount& operator=(OpenCount&& other) noexcept
    {
        std::swap(m_count, other.m_count); // other's end now counts down the old one
        return *this;
    }
    ~OpenCount()
    {
        if (m_count)
            --*m_count;
    }

private:
    std::shared_ptr<std::atomic<int>> m_count;
};

struct Connection
{
    SocketHolder socket;
    OpenCount open;
    std::string peer;      // the client's address
    std::string buffered;  // bytes received after the last request's head
    HttpHeadReader reader; // reads the head at the start of buffered
    std::chrono::steady_clock::time_point waitingSince;
    int requests = 0; // requests served on this connection
};

// The request body, read from the socket as the page asks: first what the
// head reader received after the head, then straight from the socket, never
// more than Content-Length. What is read can be copied to a recording.
class SocketBody : public RequestBody
{
public:
    SocketBody(Connection& connection, uint64_t length, FILE* recording) noexcept
        : m_connection(connection), m_remaining(length), m_recording(recording)
    {}
    int64_t Read(void* buffer, uint32_t count) override;
    bool ClientConnected() override;
    // Reads and drops what the page left unread, up to limit bytes, until
    // GetTickCount64() reaches deadlineTick; true when the body is then fully
    // read and the connection can carry on. A client that stops sending
    // costs the worker no more than the deadline.
    bool Drain(uint64_t limit, uint64_t deadlineTick);
    uint64_t Remaining() const noexcept { return m_remaining; }
    uint64_t Received() const noexcept { return m_received; }

private:
    Connection& m_connection;
    uint64_t m_remaining;
    uint64_t m_received = 0;
    FILE* m_recording;
    bool m_gone = false;
    uint64_t m_lastProbe = 0; // GetTickCount64() of the last look at the socket
    static constexpr uint64_t kProbeIntervalMs = 50;
};

// The response side: sends straight to the socket. The watchdog may take it
// over (Abandon) when a page runs out of time; from then on Send refuses.
class SocketOutput : public ResponseOutput
{
public:
    explicit SocketOutput(SOCKET socket) noexcept : m_socket(socket) {}
    bool Send(const void* bytes, size_t count) override;
    // Sends the text unless the page already sent something, then refuses
    // every later Send. Returns true when the text was sent.
    bool Abandon(const std::string& lastWords);
    uint64_t Sent() const noexcept { return m_sent; }

private:
    std::mutex m_lock;
    SOCKET m_socket;
    uint64_t m_sent = 0;
    bool m_abandoned = false;
};
