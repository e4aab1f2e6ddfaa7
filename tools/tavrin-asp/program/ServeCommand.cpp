// "tavrin-asp serve": reads the options, starts Winsock and the server.
#include "program/ServeCommand.h"

#include "core/AllowedHosts.h"
#include "core/RequestLimits.h"
#include "program/ConsoleText.h"
#include "program/HttpServer.h"
#include "program/Supervisor.h"

#include <windows.h>

#include <cwchar>

namespace {

bool ReadNumber(const wchar_t* text, uint64_t low, uint64_t high, uint64_t& value)
{
    wchar_t* end = nullptr;
    errno = 0;
    const unsigned long long number = wcstoull(text, &end, 10);
    if (errno || end == text || *end || number < low || number > high)
        return false;
    value = number;
    return true;
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::wstring FullPath(const std::wstring& path)
{
    wchar_t buffer[MAX_PATH * 4];
    const DWORD size = GetFullPathNameW(path.c_str(), MAX_PATH * 4, buffer, nullptr);
    std::wstring full = size > 0 && size < MAX_PATH * 4 ? buffer : path;
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/'))
        full.pop_back();
    return full;
}

// 127.0.0.0/8, written as inet_pton reads it.
bool IsLoopback(const std::string& address)
{
    in_addr parsed = {};
    return inet_pton(AF_INET, address.c_str(), &parsed) == 1 && (ntohl(parsed.s_addr) >> 24) == 127;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A body over LargestRequestBytes() could not be counted by a page (a LONG)
// or held in memory (a size_t) on this platform; a bind address other than
// loopback is reached under names the Host check must be told.
bool CheckLimits(const ServeOptions& options, std::wstring& problem)
{
    if (options.maxRequestBytes > LargestRequestBytes()) {
        problem = L"--max-request-bytes " + std::to_wstring(options.maxRequestBytes) +
                  L" is more than this build can take (" + std::to_wstring(LargestRequestBytes()) +
                  L" bytes)";
        return false;
    }
    if (!IsLoopback(options.bind) && options.allowedHosts.empty()) {
        problem = L"--bind " + std::wstring(options.bind.begin(), options.bind.end()) +
                  L" is not a loopback address: name the host names it is reached by with "
                  L"--allow-host NAME";
        return false;
    }
    return true;
}

// Fills options from the arguments after "serve"; false on a usage error.
bool ParseOptions(int argc, wchar_t** argv, ServeOptions& options, std::wstring& problem)
{
    for (int i = 0; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const wchar_t* value = i + 1 < argc ? argv[i + 1] : nullptr;
        uint64_t number = 0;
        if (arg.compare(0, 2, L"--") != 0) {
            if (!options.root.empty())
                return problem = L"more than one folder given", false;
            options.root = arg;
            continue;
        }
        if (!value)
            return problem = arg + L" needs a value", false;
        ++i;
        if (arg == L"--port" && ReadNumber(value, 1, 65535, number))
            options.port = static_cast<uint16_t>(number);
        else if (arg == L"--bind")
            options.bind = Narrow(value);
        else if (arg == L"--max-request-bytes" && ReadNumber(value, 0, UINT64_MAX, number))
            options.maxRequestBytes = number;
        else if (arg == L"--allow-host" && AllowedHosts::IsPlausibleName(Narrow(value)))
            options.allowedHosts.push_back(Narrow(value));
        else if (arg == L"--threads" && ReadNumber(value, 1, 256, number))
            options.threads = static_cast<int>(number);
        else if (arg == L"--script-timeout" && ReadNumber(value, 1, 86400, number))
            options.scriptTimeout = static_cast<int>(number);
        else if (arg == L"--record")
            options.recordFolder = FullPath(value);
        else
            return problem = L"bad option or value: " + arg + L" " + value, false;
    }
    if (options.root.empty())
        return problem = L"no folder to serve", false;
    return CheckLimits(options, problem);
}

} // namespace

int ServeCommand(int argc, wchar_t** argv)
{
    const bool supervised = argc > 0 && wcscmp(argv[argc - 1], kSupervisedFlag) == 0;
    if (supervised)
        --argc;
    ServeOptions options;
    std::wstring problem;
    if (!ParseOptions(argc, argv, options, problem)) {
        WriteText(true, L"tavrin-asp serve: " + problem + L"\n");
        return 2;
    }
    options.root = FullPath(options.root);
    if (!IsFolder(options.root)) {
        WriteText(true, L"tavrin-asp serve: not a folder: " + options.root + L"\n");
        return 1;
    }
    if (!options.recordFolder.empty() && !IsFolder(options.recordFolder) &&
        !CreateDirectoryW(options.recordFolder.c_str(), nullptr)) {
        WriteText(true, L"tavrin-asp serve: cannot make " + options.recordFolder + L"\n");
        return 1;
    }
    if (!supervised)
        return SuperviseServer();
    WinsockSession winsock;
    HttpServer server(options);
    std::string error;
    if (!winsock.Started() || !server.Listen(error)) {
        WriteText(true, L"tavrin-asp serve: " + std::wstring(error.begin(), error.end()) + L"\n");
        return 1;
    }
    WriteText(false, L"tavrin-asp: development host, not for production use. Serving " +
                         options.root + L" at http://" +
                         std::wstring(options.bind.begin(), options.bind.end()) + L":" +
                         std::to_wstring(options.port) + L"/\n");
    server.Run();
    return 0;
}
