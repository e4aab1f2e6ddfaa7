// Runs one ASP page for one request: compiles it (through the page cache),
// gives the platform's script engine the host objects Request, Response,
// Server, Session and Application, runs the script on the calling thread
// (which must be in a single-threaded apartment) and sends the response.
// The server and the "run" command both come through here.
//
// Script timeout: the caller's watchdog reads PageWatch. When the page runs
// past its timeout, the watchdog sets timedOut, asks the engine to stop
// (InterruptScriptThread, which Wine's engines do not support), answers 500
// "script timed out" itself and closes the connection; from then on the
// output refuses every Send, and RunPage must only clean up.
#pragma once

#include "core/HttpHead.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

// The request body as the page reads it: streamed from the connection in
// the chunks that Request.BinaryRead asks for, never read ahead.
class RequestBody
{
public:
    virtual ~RequestBody() = default;
    // Reads up to count bytes; returns the bytes read, 0 at the end of the
    // body, -1 when the client is gone or the connection failed.
    virtual int64_t Read(void* buffer, uint32_t count) = 0;
    // False once the client has closed or reset the connection.
    virtual bool ClientConnected() = 0;
};

// Where the response's bytes go (the socket, or standard output for "run").
class ResponseOutput
{
public:
    virtual ~ResponseOutput() = default;
    // Sends bytes as they stand; false when the client is gone.
    virtual bool Send(const void* bytes, size_t count) = 0;
};

// The script timeout as the page sets it, read by the server's watchdog.
struct PageWatch
{
    std::atomic<int> timeoutSeconds{90};
    std::atomic<int64_t> startTick{0}; // GetTickCount64() when the script started; 0 = not running
    std::atomic<bool> timedOut{false}; // set by the watchdog; the page must then send nothing
    std::mutex engineLock; // held while engine is published, cleared or used by the watchdog
    std::atomic<uintptr_t> engine{0}; // the running IActiveScript*, for InterruptScriptThread
    std::atomic<uint32_t> scriptThreadId{0}; // SCRIPTTHREADID of the running script
};

class SiteState; // sessions, application values and the page cache (PageRun.cpp)

struct PageRequest
{
    const HttpHead* head = nullptr;
    std::wstring root;       // the served folder, a Windows path without trailing '\'
    std::string virtualPath; // "/sub/upload.asp", decoded UTF-8
    uint64_t contentLength = 0;
    std::string remoteAddress; // "127.0.0.1"
    std::string serverName;    // from the Host header, else the bound address
    uint16_t serverPort = 0;
    bool keepAlive = false; // the client allows another request on the connection
    RequestBody* body = nullptr;
    ResponseOutput* output = nullptr;
    PageWatch* watch = nullptr;
    SiteState* site = nullptr;
};

struct PageOutcome
{
    int status = 200;
    uint64_t responseBytes = 0; // bytes sent, head included
    bool keepAlive = false;     // the connection may serve another request
    std::string error; // for the log line of a 500: "file.asp line 3: 800A000D Type mismatch"
};

// The shared state of a served folder (sessions, application values,
// compiled pages), safe to use from every worker thread at once.
std::shared_ptr<SiteState> CreateSiteState();

PageOutcome RunPage(const PageRequest& request);
