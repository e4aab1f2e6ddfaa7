// The development host's HTTP server: one thread reads request heads from
// every connection that is waiting for one (so that a slow client never
// holds a worker), a bounded pool of workers serves complete requests, each
// in a single-threaded apartment, and a watchdog answers for pages that run
// past their script timeout and replaces their workers.
#pragma once

#include "asp/PageRun.h"
#include "core/AllowedHosts.h"
#include "program/Connection.h"
#include "program/Recorder.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct Worker;

struct ServeOptions
{
    std::wstring root; // the served folder, absolute, without a trailing '\'
    uint16_t port = 8080;
    std::string bind = "127.0.0.1";
    uint64_t maxRequestBytes = 30000000;
    int threads = 8;
    int scriptTimeout = 90;
    std::wstring recordFolder;             // empty: no recording
    std::vector<std::string> allowedHosts; // Host names served besides the loopback ones
};

// Connections open at once (waiting for a head, queued or being served);
// one more is answered 503 and closed at once. Below select()'s capacity,
// so that the head reader watches every waiting connection.
constexpr int kMaxOpenConnections = 1000;
static_assert(kMaxOpenConnections < FD_SETSIZE, "the head reader polls every open connection");

// A client that has not sent a whole head within this time is answered 408.
constexpr int kHeadTimeoutSeconds = 30;

// A complete request head waiting for a worker.
struct Job
{
    std::unique_ptr<Connection> connection;
    HttpHead head;
    int refusal = 0; // a status to answer at once (400, 408, 431, ...)
};

class HttpServer
{
public:
    explicit HttpServer(ServeOptions options);
    ~HttpServer();
    // Binds and listens; false with a message when the address is taken.
    bool Listen(std::string& error);
    // Serves until the process ends.
    void Run();

private:
    void ReadHeads();
    void AcceptConnections(std::list<std::unique_ptr<Connection>>& waiting);
    void Refuse(SocketHolder socket);
    bool ReadHead(std::unique_ptr<Connection>& connection);
    void Dispatch(std::unique_ptr<Connection> connection, HttpHead head, int refusal);
    void StartWorker();
    void WorkerLoop(std::shared_ptr<Worker> worker);
    void Watch();
    void GiveBack(std::unique_ptr<Connection> connection);

    ServeOptions m_options;
    AllowedHosts m_allowedHosts;
    std::shared_ptr<std::atomic<int>> m_open = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<SiteState> m_site;
    std::unique_ptr<Recorder> m_recorder;
    SocketHolder m_listener;
    std::mutex m_lock;
    std::condition_variable m_jobReady;
    std::deque<Job> m_jobs;
    std::vector<std::unique_ptr<Connection>> m_returned; // served, waiting for a next head
    std::vector<std::shared_ptr<Worker>> m_workers;
};
