// Serving one request: refusals, static files, pages.
#include "program/RequestHandler.h"

#include "common/CodePageText.h"
#include "core/ErrorPage.h"
#include "core/HttpHead.h"
#include "core/RequestPath.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace {

// A page may leave this much of its body unread and the connection still
// carries on (the rest is read and dropped within kDrainMs); more, or a
// client that does not send it in time, and the connection is closed.
constexpr uint64_t kDrainLimit = 1 << 20;
constexpr uint64_t kDrainMs = 3000;

bool EndsWithInsensitive(const std::string& text, const char* tail)
{
    const size_t n = strlen(tail);
    return text.size() >= n && _stricmp(text.c_str() + text.size() - n, tail) == 0;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

enum class Resolved
{
    Missing,
    File,
    FolderWithoutSlash, // answered with a redirect to the folder's URL with '/'
};

// The last `segments` names of path as the file system keeps them (long
// names, '/'-separated, UTF-8), so that a request that names a file by its
// 8.3 alias is judged by the file's real name; false when it is not there.
bool RealRelativePath(const std::wstring& path, size_t segments, std::string& real)
{
    // One call when the long path is at most MAX_PATH longer; a second with
    // the size the first asked for.
    std::wstring longPath(path.size() + MAX_PATH, L'\0');
    DWORD length =
        GetLongPathNameW(path.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
    if (length >= longPath.size()) {
        longPath.resize(length);
        length = GetLongPathNameW(path.c_str(), longPath.data(), length);
    }
    if (length == 0 || length >= longPath.size())
        return false;
    longPath.resize(length);
    while (!longPath.empty() && longPath.back() == L'\\')
        longPath.pop_back();
    size_t start = longPath.size();
    for (size_t taken = 0; taken < segments; ++taken) {
        const size_t separator = longPath.rfind(L'\\', start - 1);
        if (separator == std::wstring::npos || separator == 0)
            return false;
        start = separator;
    }
    std::wstring tail = segments == 0 ? std::wstring() : longPath.substr(start + 1);
    for (wchar_t& c : tail)
        if (c == L'\\')
            c = L'/';
    real = NarrowText(tail, CP_UTF8);
    return true;
}

size_t SegmentCount(const std::string& relative)
{
    if (relative.empty())
        return 0;
    const size_t slashes = static_cast<size_t>(std::count(relative.begin(), relative.end(), '/'));
    return relative.back() == '/' ? slashes : slashes + 1;
}

// Resolves a request path to a file under the root: a folder serves its
// index.asp or index.html. virtualPath becomes the decoded path of the file,
// realName its path below the root as the file system names it. A hidden
// file or folder (a name that begins with '.') is missing, by whatever
// name the request reached it.
Resolved ResolveFile(const std::wstring& root, std::string& virtualPath, std::wstring& file,
                     std::string& realName)
{
    std::string relative;
    if (!MapRequestPath(virtualPath, relative))
        return Resolved::Missing;
    std::wstring path = root + L"\\" + WidenBytes(relative, CP_UTF8);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    // Only a name with '~' can be an 8.3 alias: the aliases Windows and Wine
    // make always hold one (a short name set by hand, which needs the restore
    // privilege, is not looked for). Any other name differs from the real
    // one at most in letter case, which no judgement below depends on, so
    // most requests skip the look-up of every folder on the way.
    realName = relative;
    if (!realName.empty() && realName.back() == '/')
        realName.pop_back();
    if (relative.find('~') != std::string::npos &&
        !RealRelativePath(path, SegmentCount(relative), realName))
        return Resolved::Missing;
    if (HasHiddenSegment(realName))
        return Resolved::Missing;
    if (!IsFolder(path)) {
        virtualPath = "/" + relative;
        file = path;
        return IsFile(path) ? Resolved::File : Resolved::Missing;
    }
    // Relative links of a folder's page resolve against the folder only
    // when its URL ends with '/'.
    if (virtualPath.back() != '/')
        return Resolved::FolderWithoutSlash;
    virtualPath = "/" + relative;
    if (path.back() != L'\\')
        path += L'\\';
    if (virtualPath.back() != '/')
        virtualPath += '/';
    if (!realName.empty())
        realName += '/';
    for (const char* index : {"index.asp", "index.html"}) {
        if (IsFile(path + WidenBytes(index, CP_UTF8))) {
            file = path + WidenBytes(index, CP_UTF8);
            virtualPath += index;
            realName += index;
            return Resolved::File;
        }
    }
    return Resolved::Missing;
}

// Sends the file with the length it had when the head was written: bytes
// appended since are not sent, and a file that shrinks ends the connection
// (false) rather than leave the client waiting for the promised rest.
bool SendStaticFile(SOCKET socket, const std::wstring& path, const std::string& contentType,
                    bool headOnly, bool keepAlive, uint64_t& sent)
{
    HandleHolder file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size))
        return false;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType +
                             "\r\nContent-Length: " + std::to_string(size.QuadPart) +
                             (keepAlive ? "\r\n\r\n" : "\r\nConnection: close\r\n\r\n");
    if (!SendAll(socket, head.data(), head.size()))
        return false;
    sent = head.size();
    if (headOnly)
        return true;
    std::string chunk(1 << 16, '\0');
    for (auto left = static_cast<uint64_t>(size.QuadPart); left > 0;) {
        const auto wanted = static_cast<DWORD>(std::min<uint64_t>(chunk.size(), left));
        DWORD got = 0;
        if (!ReadFile(file.Get(), chunk.data(), wanted, &got, nullptr) || got == 0)
            return false;
        if (!SendAll(socket, chunk.data(), got))
            return false;
        sent += got;
        left -= got;
    }
    return true;
}

// The name of a Host value without its port; an IPv6 address keeps its
// brackets ("[::1]:8080" gives "[::1]").
std::string HostName(const std::string& host)
{
    const size_t colon = host.rfind(':');
    const size_t bracket = host.rfind(']');
    if (colon == std::string::npos || (bracket != std::string::npos && bracket > colon))
        return host;
    return host.substr(0, colon);
}

// Runs a page with the connection's streams, the watchdog informed.
PageOutcome ServePage(Job& job, HandlerContext& context, const std::string& virtualPath,
                      SocketBody& body, const RequestFraming& framing)
{
    Connection& connection = *job.connection;
    SocketOutput output(connection.socket.Get());
    PageRequest request;
    request.head = &job.head;
    request.root = context.options.root;
    request.virtualPath = virtualPath;
    request.contentLength = framing.contentLength;
    request.remoteAddress = connection.peer;
    const std::string* host = job.head.Find("Host");
    request.serverName = host ? HostName(*host) : context.options.bind;
    request.serverPort = context.options.port;
    request.keepAlive = framing.keepAlive;
    request.body = &body;
    request.output = &output;
    request.watch = &context.worker.watch;
    request.site = context.site;
    {
        std::lock_guard<std::mutex> hold(context.worker.lock);
        context.worker.entry.method = job.head.method;
        context.worker.entry.path = job.head.target;
        context.worker.started = std::chrono::steady_clock::now();
        context.worker.output = &output;
        context.worker.socket = connection.socket.Get();
    }
    PageOutcome outcome = RunPage(request);
    std::lock_guard<std::mutex> hold(context.worker.lock);
    context.worker.output = nullptr;
    context.worker.socket = INVALID_SOCKET;
    if (context.worker.abandoned)
        outcome.keepAlive = false;
    return outcome;
}

} // namespace

std::string SimpleResponse(int status, const std::string& message, bool keepAlive,
                           const std::string& extraHeaders)
{
    const std::string text = StatusText(status);
    const std::string body = ErrorPageHtml(text, {message});
    return "HTTP/1.1 " + text +
           "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n" + extraHeaders + (keepAlive ? "" : "Connection: close\r\n") + "\r\n" + body;
}

bool ServeRequest(Job& job, HandlerContext& context)
{
    const auto started = std::chrono::steady_clock::now();
    Connection& connection = *job.connection;
    const SOCKET socket = connection.socket.Get();
    LogEntry entry;
    entry.method = job.head.method.empty() ? "-" : job.head.method;
    entry.path = job.head.target.empty() ? "-" : job.head.target;
    const RequestFraming framing = job.refusal
                                       ? RequestFraming{job.refusal, 0, false, false}
                                       : DecideFraming(job.head, context.options.maxRequestBytes);
    auto finish = [&](bool keepAlive) {
        entry.milliseconds =
            static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - started)
                                      .count());
        WriteLogLine(entry);
        return keepAlive;
    };
    auto answer = [&](int status, const std::string& message, bool keepAlive) {
        const std::string response = SimpleResponse(status, message, keepAlive);
        entry.status = status;
        entry.responseBytes =
            SendAll(socket, response.data(), response.size()) ? response.size() : 0;
        return finish(keepAlive);
    };
    if (framing.refusal) {
        answer(framing.refusal, "The server cannot serve this request.", false);
        CloseGracefully(connection.socket);
        return false;
    }
    if (!context.allowedHosts.Allows(job.head.Find("Host"))) {
        answer(400, "The host name is not served here (see --allow-host).", false);
        CloseGracefully(connection.socket);
        return false;
    }
    std::string virtualPath = job.head.path;
    std::wstring file;
    std::string realName;
    const bool bodyless = framing.contentLength == 0;
    switch (ResolveFile(context.options.root, virtualPath, file, realName)) {
    case Resolved::Missing:
        return answer(404, "The page cannot be found.", framing.keepAlive && bodyless);
    case Resolved::FolderWithoutSlash: {
        const std::string location =
            job.head.path + "/" + (job.head.query.empty() ? "" : "?" + job.head.query);
        const std::string response =
            SimpleResponse(301, "The folder is at " + location + ".", framing.keepAlive && bodyless,
                           "Location: " + location + "\r\n");
        entry.status = 301;
        entry.responseBytes =
            SendAll(socket, response.data(), response.size()) ? response.size() : 0;
        return finish(framing.keepAlive && bodyless);
    }
    case Resolved::File:
        break;
    }
    if (!EndsWithInsensitive(realName, ".asp")) {
        const std::string type = ContentTypeFor(realName);
        if (type.empty())
            return answer(404, "The page cannot be found.", framing.keepAlive && bodyless);
        if (job.head.method == "POST")
            return answer(405, "Static files take GET and HEAD only.",
                          framing.keepAlive && bodyless);
        entry.status = 200;
        const bool sent = SendStaticFile(socket, file, type, job.head.method == "HEAD",
                                         framing.keepAlive && bodyless, entry.responseBytes);
        return finish(sent && framing.keepAlive && bodyless);
    }
    if (framing.expectContinue && !bodyless) {
        static const char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
        SendAll(socket, kContinue, sizeof kContinue - 1);
    }
    FileHolder recording;
    if (context.recorder && !bodyless)
        recording = context.recorder->Start(job.head);
    SocketBody body(connection, framing.contentLength, recording.get());
    const PageOutcome outcome = ServePage(job, context, virtualPath, body, framing);
    {
        // The watchdog answered and logged for a page that ran out of time.
        std::lock_guard<std::mutex> hold(context.worker.lock);
        if (context.worker.abandoned)
            return false;
    }
    const bool carryOn = outcome.keepAlive && body.Drain(kDrainLimit, GetTickCount64() + kDrainMs);
    entry.status = outcome.status;
    entry.requestBytes = body.Received();
    entry.responseBytes = outcome.responseBytes;
    entry.error = outcome.error;
    return finish(carryOn);
}
