// What the watchdog needs to know about a worker: the page it runs, its
// output and connection, and whether the worker was given up on.
#pragma once

#include "asp/PageRun.h"
#include "program/AccessLog.h"
#include "program/Connection.h"

#include <chrono>
#include <mutex>

struct Worker
{
    PageWatch watch;
    std::mutex lock;                // guards the fields below
    SocketOutput* output = nullptr; // the running page's output; null between pages
    SOCKET socket = INVALID_SOCKET; // the running page's connection
    LogEntry entry;                 // method and path of the running page
    std::chrono::steady_clock::time_point started;
    bool abandoned = false; // the watchdog answered for it; the thread ends after the page
};
