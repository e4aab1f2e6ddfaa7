// Streams of one request on a client connection.
#include "program/Connection.h"

#include <algorithm>
#include <cstring>

int64_t SocketBody::Read(void* buffer, uint32_t count)
{
    if (m_remaining == 0 || count == 0)
        return 0;
    const uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(count, m_remaining));
    std::string& early = m_connection.buffered;
    size_t got = 0;
    if (!early.empty()) {
        got = std::min<size_t>(wanted, early.size());
        memcpy(buffer, early.data(), got);
        early.erase(0, got);
    } else {
        const int piece = wanted > (1u << 30) ? (1 << 30) : static_cast<int>(wanted);
        const int n = recv(m_connection.socket.Get(), static_cast<char*>(buffer), piece, 0);
        // The body is not complete, so a closed connection is a client gone.
        if (n <= 0) {
            m_gone = true;
            return -1;
        }
        got = static_cast<size_t>(n);
    }
    m_remaining -= got;
    m_received += got;
    if (m_recording)
        fwrite(buffer, 1, got, m_recording);
    return static_cast<int64_t>(got);
}

bool SocketBody::ClientConnected()
{
    if (m_gone)
        return false;
    // A probe is two socket calls, costly under Wine; a page that asks
    // before every chunk of a large body gets the state of the last probe
    // for a moment, and a read that finds the client gone reports it at once.
    const uint64_t now = GetTickCount64();
    if (m_lastProbe != 0 && now - m_lastProbe < kProbeIntervalMs)
        return true;
    m_lastProbe = now;
    const SOCKET s = m_connection.socket.Get();
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval immediately = {0, 0};
    const int ready = select(0, &readable, nullptr, nullptr, &immediately);
    if (ready == 0)
        return true;
    char probe;
    // Readable with nothing to read means the peer closed or reset.
    if (ready < 0 || recv(s, &probe, 1, MSG_PEEK) <= 0)
        m_gone = true;
    return !m_gone;
}

bool SocketBody::Drain(uint64_t limit, uint64_t deadlineTick)
{
    if (m_remaining > limit)
        return false;
    char sink[16384];
    while (m_remaining > 0) {
        const bool early = !m_connection.buffered.empty();
        if (!early && !WaitReadable(m_connection.socket.Get(), deadlineTick))
            return false;
        if (Read(sink, sizeof sink) <= 0)
            return false;
    }
    return true;
}

bool SocketOutput::Send(const void* bytes, size_t count)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_abandoned || !SendAll(m_socket, bytes, count))
        return false;
    m_sent += count;
    return true;
}

bool SocketOutput::Abandon(const std::string& lastWords)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_abandoned = true;
    if (m_sent != 0)
        return false;
    m_sent = lastWords.size();
    return SendAll(m_socket, lastWords.data(), lastWords.size());
}
