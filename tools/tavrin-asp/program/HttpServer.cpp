// The HTTP server: head reader, worker pool and watchdog (see HttpServer.h).
#include "program/HttpServer.h"

#include "program/AccessLog.h"
#include "program/RequestHandler.h"
#include "program/Worker.h"

#include <objbase.h>

#include <activscp.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// How often the head reader looks at connections that workers gave back,
// and the watchdog at running pages.
constexpr long kPollMicroseconds = 50000;
constexpr auto kWatchInterval = std::chrono::milliseconds(200);
constexpr int kReceiveBufferBytes = 1 << 20;
// A send that cannot hand its bytes to the connection within this time
// fails, and the connection is closed: a client that stops reading its
// answer must not hold a worker.
constexpr DWORD kSendStallMs = 10000;

bool TimedOut(const Connection& connection, Clock::time_point now)
{
    return now - connection.waitingSince > std::chrono::seconds(kHeadTimeoutSeconds);
}

// Asks the running engine to stop the script, where the engine can; Wine's
// answer E_NOTIMPL and the watchdog carries on without it.
void Interrupt(PageWatch& watch)
{
    std::lock_guard<std::mutex> hold(watch.engineLock);
    auto* engine = reinterpret_cast<IActiveScript*>(watch.engine.load());
    if (engine)
        engine->InterruptScriptThread(watch.scriptThreadId, nullptr,
                                      SCRIPTINTERRUPT_RAISEEXCEPTION);
}

} // namespace

HttpServer::HttpServer(ServeOptions options)
    : m_options(std::move(options)), m_allowedHosts(m_options.allowedHosts),
      m_site(CreateSiteState())
{
    if (!m_options.recordFolder.empty())
        m_recorder = std::make_unique<Recorder>(m_options.recordFolder);
}

HttpServer::~HttpServer() = default;

bool HttpServer::Listen(std::string& error)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_options.port);
    if (inet_pton(AF_INET, m_options.bind.c_str(), &address.sin_addr) != 1) {
        error = "not an IPv4 address: " + m_options.bind;
        return false;
    }
    m_listener.Reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    BOOL exclusive = TRUE;
    setsockopt(m_listener.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
               reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    if (!m_listener ||
        bind(m_listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener.Get(), SOMAXCONN) != 0 || !SetBlocking(m_listener.Get(), false)) {
        error = "cannot listen on " + m_options.bind + ":" + std::to_string(m_options.port) +
                " (error " + std::to_string(WSAGetLastError()) + ")";
        return false;
    }
    return true;
}

void HttpServer::Run()
{
    for (int i = 0; i < m_options.threads; ++i)
        StartWorker();
    std::thread(&HttpServer::Watch, this).detach();
    ReadHeads();
}

void HttpServer::ReadHeads()
{
    std::list<std::unique_ptr<Connection>> waiting;
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            for (auto& connection : m_returned)
                waiting.push_back(std::move(connection));
            m_returned.clear();
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_listener.Get(), &readable);
        // Every waiting connection fits: there are never more open than
        // kMaxOpenConnections.
        for (auto& connection : waiting)
            FD_SET(connection->socket.Get(), &readable);
        timeval poll = {0, kPollMicroseconds};
        if (select(0, &readable, nullptr, nullptr, &poll) < 0)
            Sleep(10);
        if (FD_ISSET(m_listener.Get(), &readable))
            AcceptConnections(waiting);
        const auto now = Clock::now();
        for (auto it = waiting.begin(); it != waiting.end();) {
            auto& connection = *it;
            const bool ready =
                FD_ISSET(connection->socket.Get(), &readable) || !connection->buffered.empty();
            if ((ready && ReadHead(connection)) || !connection) {
                it = waiting.erase(it);
            } else if (TimedOut(*connection, now)) {
                // Silence on a kept-alive connection just ends it; a head
                // that never completed is answered.
                if (connection->buffered.empty())
                    connection->socket.Reset();
                else
                    Dispatch(std::move(connection), HttpHead{}, 408);
                it = waiting.erase(it);
            } else {
                ++it;
            }
        }
    }
}

void HttpServer::AcceptConnections(std::list<std::unique_ptr<Connection>>& waiting)
{
    for (;;) {
        sockaddr_in peer = {};
        int size = sizeof peer;
        SocketHolder accepted(accept(m_listener.Get(), reinterpret_cast<sockaddr*>(&peer), &size));
        if (!accepted)
            return;
        if (m_open->load() >= kMaxOpenConnections) {
            Refuse(std::move(accepted));
            continue;
        }
        auto connection = std::make_unique<Connection>();
        connection->socket = std::move(accepted);
        connection->open = OpenCount(m_open);
        connection->peer = AddressText(peer);
        connection->waitingSince = Clock::now();
        BOOL noDelay = TRUE;
        setsockopt(connection->socket.Get(), IPPROTO_TCP, TCP_NODELAY,
                   reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
        // Large uploads arrive in fewer, larger reads.
        int receiveBuffer = kReceiveBufferBytes;
        setsockopt(connection->socket.Get(), SOL_SOCKET, SO_RCVBUF,
                   reinterpret_cast<const char*>(&receiveBuffer), sizeof receiveBuffer);
        DWORD sendStall = kSendStallMs;
        setsockopt(connection->socket.Get(), SOL_SOCKET, SO_SNDTIMEO,
                   reinterpret_cast<const char*>(&sendStall), sizeof sendStall);
        SetBlocking(connection->socket.Get(), false);
        waiting.push_back(std::move(connection));
    }
}

// Answers a connection over the limit 503 without reading from it, and
// closes it; the listener is non-blocking, and so is the accepted socket, so
// that a client that does not read cannot hold the head reader.
void HttpServer::Refuse(SocketHolder socket)
{
    const std::string answer = SimpleResponse(503, "The server has too many connections.", false);
    send(socket.Get(), answer.data(), static_cast<int>(answer.size()), 0);
    shutdown(socket.Get(), SD_SEND);
    LogEntry entry;
    entry.method = "-";
    entry.path = "-";
    entry.status = 503;
    WriteLogLine(entry);
}

// Reads what the connection has and dispatches a complete head. True when
// the connection left the waiting list (dispatched or closed).
bool HttpServer::ReadHead(std::unique_ptr<Connection>& connection)
{
    char chunk[8192];
    const int got = recv(connection->socket.Get(), chunk, sizeof chunk, 0);
    if (got == 0 || (got < 0 && WSAGetLastError() != WSAEWOULDBLOCK)) {
        if (connection->buffered.empty())
            return true; // closed between requests
    } else if (got > 0) {
        connection->buffered.append(chunk, static_cast<size_t>(got));
    }
    HttpHead head;
    size_t length = 0;
    switch (connection->reader.Read(connection->buffered, head, length)) {
    case HeadParse::Incomplete:
        if (got == 0 || (got < 0 && WSAGetLastError() != WSAEWOULDBLOCK))
            return true; // the client closed in the middle of a head
        return false;
    case HeadParse::Complete:
        connection->buffered.erase(0, length);
        Dispatch(std::move(connection), std::move(head), 0);
        return true;
    case HeadParse::Malformed:
        Dispatch(std::move(connection), std::move(head), 400);
        return true;
    case HeadParse::TooLarge:
        Dispatch(std::move(connection), std::move(head), 431);
        return true;
    }
    return false;
}

void HttpServer::Dispatch(std::unique_ptr<Connection> connection, HttpHead head, int refusal)
{
    SetBlocking(connection->socket.Get(), true);
    std::lock_guard<std::mutex> hold(m_lock);
    m_jobs.push_back(Job{std::move(connection), std::move(head), refusal});
    m_jobReady.notify_one();
}

void HttpServer::GiveBack(std::unique_ptr<Connection> connection)
{
    SetBlocking(connection->socket.Get(), false);
    connection->waitingSince = Clock::now();
    connection->reader.Reset();
    ++connection->requests;
    std::lock_guard<std::mutex> hold(m_lock);
    m_returned.push_back(std::move(connection));
}

void HttpServer::StartWorker()
{
    auto worker = std::make_shared<Worker>();
    worker->watch.timeoutSeconds = m_options.scriptTimeout;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_workers.push_back(worker);
    }
    std::thread(&HttpServer::WorkerLoop, this, worker).detach();
}

void HttpServer::WorkerLoop(std::shared_ptr<Worker> worker)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HandlerContext context{m_options, m_allowedHosts, m_site.get(), m_recorder.get(), *worker};
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> hold(m_lock);
            m_jobReady.wait(hold, [this] { return !m_jobs.empty(); });
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        worker->watch.timeoutSeconds = m_options.scriptTimeout;
        bool carryOn = false;
        try {
            carryOn = ServeRequest(job, context);
        } catch (const std::exception& e) {
            // Out of memory while serving: this connection ends, the server goes on.
            WriteServerLine(std::string("tavrin-asp: request failed: ") + e.what());
        }
        {
            std::lock_guard<std::mutex> hold(worker->lock);
            if (worker->abandoned)
                break; // a replacement already serves in its place
        }
        if (carryOn)
            GiveBack(std::move(job.connection));
        else
            CloseGracefully(job.connection->socket);
    }
    CoUninitialize();
}

// Answers for pages that run past their timeout: the client gets a 500
// "script timed out" (unless the page already sent something) and its
// connection is shut down; the worker is set aside and a new one takes its
// place, so that the pool keeps its size even when the engine cannot be
// interrupted.
void HttpServer::Watch()
{
    for (;;) {
        std::this_thread::sleep_for(kWatchInterval);
        std::vector<std::shared_ptr<Worker>> workers;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            workers = m_workers;
        }
        const int64_t now = static_cast<int64_t>(GetTickCount64());
        for (auto& worker : workers) {
            PageWatch& watch = worker->watch;
            const int64_t started = watch.startTick;
            if (started == 0 || now - started < int64_t{watch.timeoutSeconds} * 1000)
                continue;
            std::lock_guard<std::mutex> hold(worker->lock);
            if (worker->abandoned || !worker->output)
                continue;
            watch.timedOut = true;
            worker->abandoned = true;
            Interrupt(watch);
            const std::string answer = SimpleResponse(500, "script timed out", false);
            LogEntry entry = worker->entry;
            entry.responseBytes = worker->output->Abandon(answer) ? answer.size() : 0;
            shutdown(worker->socket, SD_BOTH);
            entry.milliseconds =
                static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          Clock::now() - worker->started)
                                          .count());
            entry.status = 500;
            entry.error = "script timed out after " + std::to_string(watch.timeoutSeconds) + " s";
            WriteLogLine(entry);
            {
                std::lock_guard<std::mutex> listHold(m_lock);
                m_workers.erase(std::remove(m_workers.begin(), m_workers.end(), worker),
                                m_workers.end());
            }
            StartWorker();
        }
    }
}
