// tavrin-asp run: runs one page for one request made up from the command
// line and writes the whole response (status line, header fields, body) to
// standard output, byte for byte. The body comes from a file in the chunks
// the page asks for. A watchdog thread ends a page that runs past its script
// timeout: it writes a 500 "script timed out" response (unless part of the
// response is out already) and ends the process with code 1, since the
// script engines here cannot be interrupted.
#include "program/RunCommand.h"
#include "asp/CodePageText.h"
#include "asp/PageRun.h"
#include "core/RequestLimits.h"
#include "program/ConsoleText.h"

#include "util/Handles.h"

#include <windows.h>

#include <objbase.h>

#include <mutex>
#include <string>
#include <thread>

namespace {

const wchar_t kRunUsage[] =
    L"usage: tavrin-asp run PAGE.asp [--method M] [--body FILE] [--content-type TYPE]\n"
    L"                      [--query STRING] [--header NAME:VALUE]... [--script-timeout S]\n";

struct RunOptions
{
    std::wstring page;
    std::string method;
    std::wstring bodyFile;
    std::string contentType;
    std::string query;
    std::vector<HttpHeader> headers;
    int scriptTimeout = 0; // 0: the PageWatch default
};

bool ParseOptions(int argc, wchar_t** argv, RunOptions& options)
{
    for (int i = 0; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg.rfind(L"--", 0) != 0) {
            if (!options.page.empty())
                return false;
            options.page = arg;
            continue;
        }
        if (!hasValue)
            return false;
        const std::wstring value = argv[++i];
        const std::string bytes = NarrowText(value, CP_UTF8);
        if (arg == L"--method") {
            options.method = bytes;
        } else if (arg == L"--body") {
            options.bodyFile = value;
        } else if (arg == L"--content-type") {
            options.contentType = bytes;
        } else if (arg == L"--query") {
            options.query = bytes;
        } else if (arg == L"--header") {
            const size_t colon = bytes.find(':');
            if (colon == std::string::npos || colon == 0)
                return false;
            const size_t start = bytes.find_first_not_of(' ', colon + 1);
            options.headers.push_back(HttpHeader{
                bytes.substr(0, colon), start == std::string::npos ? "" : bytes.substr(start)});
        } else if (arg == L"--script-timeout") {
            options.scriptTimeout = _wtoi(value.c_str());
            if (options.scriptTimeout <= 0)
                return false;
        } else {
            return false;
        }
    }
    return !options.page.empty();
}

// The request body, read from a file as the page asks.
class FileBody : public RequestBody
{
public:
    explicit FileBody(HANDLE file) : m_file(file) {}
    int64_t Read(void* buffer, uint32_t count) override
    {
        if (m_file == INVALID_HANDLE_VALUE)
            return 0;
        DWORD done = 0;
        if (!ReadFile(m_file, buffer, count, &done, nullptr))
            return -1;
        return done;
    }
    bool ClientConnected() override { return true; }

private:
    HANDLE m_file;
};

// Standard output, shared with the watchdog: once it has taken over,
// nothing the page sends goes out.
class StdoutOutput : public ResponseOutput
{
public:
    bool Send(const void* bytes, size_t count) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_takenOver)
            return false;
        m_sent += count;
        return WriteAll(bytes, count);
    }
    // Ends the process with a 500 answer, when nothing was sent yet.
    [[noreturn]] void TimedOut(int seconds)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_takenOver = true;
        const std::string body = "<html><body><h1>500 Internal Server Error</h1>"
                                 "<p>script timed out after " +
                                 std::to_string(seconds) + " seconds</p></body></html>\r\n";
        const std::string answer =
            "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/html\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        if (m_sent == 0)
            WriteAll(answer.data(), answer.size());
        WriteText(true, L"tavrin-asp: script timed out\n");
        TerminateProcess(GetCurrentProcess(), 1);
        for (;;)
            Sleep(INFINITE);
    }

private:
    static bool WriteAll(const void* bytes, size_t count)
    {
        const char* next = static_cast<const char*>(bytes);
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        while (count > 0) {
            DWORD done = 0;
            const DWORD chunk = static_cast<DWORD>(count > (1u << 20) ? (1u << 20) : count);
            if (!WriteFile(out, next, chunk, &done, nullptr) || done == 0)
                return false;
            next += done;
            count -= done;
        }
        return true;
    }

    std::mutex m_lock;
    bool m_takenOver = false;
    size_t m_sent = 0;
};

// Watches the running script until stop is set.
void Watch(PageWatch& watch, StdoutOutput& output, const std::atomic<bool>& stop)
{
    while (!stop) {
        Sleep(50);
        const int64_t start = watch.startTick;
        const int seconds = watch.timeoutSeconds;
        if (start == 0 || static_cast<int64_t>(GetTickCount64()) - start <= int64_t{seconds} * 1000)
            continue;
        watch.timedOut = true;
        output.TimedOut(seconds);
    }
}

HttpHead BuildHead(const RunOptions& options, const std::string& fileName, uint64_t bodyLength,
                   bool hasBody)
{
    HttpHead head;
    head.method = !options.method.empty() ? options.method : hasBody ? "POST" : "GET";
    head.path = "/" + fileName;
    head.query = options.query;
    head.target = head.path + (options.query.empty() ? "" : "?" + options.query);
    head.headers.push_back(HttpHeader{"Host", "localhost"});
    if (!options.contentType.empty())
        head.headers.push_back(HttpHeader{"Content-Type", options.contentType});
    if (hasBody)
        head.headers.push_back(HttpHeader{"Content-Length", std::to_string(bodyLength)});
    for (const HttpHeader& header : options.headers)
        head.headers.push_back(header);
    return head;
}

int RunWithOptions(const RunOptions& options)
{
    wchar_t full[MAX_PATH * 4];
    wchar_t* name = nullptr;
    const DWORD length = GetFullPathNameW(options.page.c_str(), MAX_PATH * 4, full, &name);
    if (length == 0 || length >= MAX_PATH * 4 || !name) {
        WriteText(true, L"tavrin-asp run: bad page path " + options.page + L"\n");
        return 2;
    }
    const std::wstring fileName = name;
    const std::wstring root(full, static_cast<size_t>(name - full - 1));
    HandleHolder bodyFile;
    uint64_t bodyLength = 0;
    if (!options.bodyFile.empty()) {
        bodyFile.Reset(CreateFileW(options.bodyFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size;
        if (bodyFile.Get() == INVALID_HANDLE_VALUE || !GetFileSizeEx(bodyFile.Get(), &size)) {
            WriteText(true, L"tavrin-asp run: cannot read " + options.bodyFile + L"\n");
            return 2;
        }
        bodyLength = static_cast<uint64_t>(size.QuadPart);
        if (bodyLength > LargestRequestBytes()) {
            WriteText(true, L"tavrin-asp run: " + options.bodyFile + L" is larger than " +
                                std::to_wstring(LargestRequestBytes()) +
                                L" bytes, the largest body this build can take\n");
            return 2;
        }
    }
    const std::string utf8Name = NarrowText(fileName, CP_UTF8);
    const HttpHead head = BuildHead(options, utf8Name, bodyLength, !options.bodyFile.empty());

    FileBody body(bodyFile.Get());
    StdoutOutput output;
    PageWatch watch;
    if (options.scriptTimeout > 0)
        watch.timeoutSeconds = options.scriptTimeout;
    const std::shared_ptr<SiteState> site = CreateSiteState();
    PageRequest request;
    request.head = &head;
    request.root = root;
    request.virtualPath = "/" + utf8Name;
    request.contentLength = bodyLength;
    request.remoteAddress = "127.0.0.1";
    request.serverName = "localhost";
    request.serverPort = 80;
    request.body = &body;
    request.output = &output;
    request.watch = &watch;
    request.site = site.get();

    std::atomic<bool> stop{false};
    std::thread watchdog(Watch, std::ref(watch), std::ref(output), std::cref(stop));
    const PageOutcome outcome = RunPage(request);
    stop = true;
    watchdog.join();
    if (!outcome.error.empty())
        WriteText(true, L"tavrin-asp: " + WidenBytes(outcome.error, CP_UTF8) + L"\n");
    // An error after Flush keeps the status already sent; it still fails the run.
    return outcome.status >= 200 && outcome.status < 300 && outcome.error.empty() ? 0 : 1;
}

} // namespace

int RunCommand(int argc, wchar_t** argv)
{
    RunOptions options;
    if (!ParseOptions(argc, argv, options)) {
        WriteText(true, kRunUsage);
        return 2;
    }
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init)) {
        WriteText(true, L"tavrin-asp run: COM cannot start\n");
        return 1;
    }
    const int code = RunWithOptions(options);
    CoUninitialize();
    return code;
}
