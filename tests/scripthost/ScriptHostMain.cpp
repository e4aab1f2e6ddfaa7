// scripthost: runs one .vbs or .js test script and reports its result
// positively. Exit code 0 only when the script raised no unhandled error,
// did not quit with a non-zero code, and wrote "PASS" as its last line.
//
//   scripthost [--dll PATH (--upload-body FILE | --load-body FILE)] SCRIPT
//
// With a body option the script also sees a "Host" object (HostObject.h)
// whose NewUpload() makes Upload objects fed with FILE: through a stand-in
// ASP request (--upload-body) or through LoadBodyFromFile (--load-body).
// They come from the DLL at PATH.
#include "ScriptSite.h"
#include "UploadSource.h"

#include "util/Handles.h"

#include <objbase.h>
#include <string>

namespace {

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix)
{
    const size_t n = wcslen(suffix);
    return text.size() >= n && lstrcmpiW(text.c_str() + text.size() - n, suffix) == 0;
}

// Reads a script file, UTF-8 with or without a byte-order mark.
bool ReadScript(const std::wstring& path, std::wstring& text)
{
    HandleHolder file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 16 * 1024 * 1024)
        return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size())
        return false;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    const int units =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    text.assign(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        units);
    return true;
}

// A scratch folder for files that scripts write, removed with its content.
class ScratchDir
{
public:
    ScratchDir()
    {
        wchar_t base[MAX_PATH];
        const DWORD n = GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base, n) + L"tavrin-script-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ScratchDir()
    {
        WIN32_FIND_DATAW entry;
        HANDLE search = FindFirstFileW((m_path + L"\\*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((m_path + L"\\" + entry.cFileName).c_str());
            } while (FindNextFileW(search, &entry));
            FindClose(search);
        }
        RemoveDirectoryW(m_path.c_str());
    }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

struct Options
{
    UploadSourceOptions upload;
    std::wstring script;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--dll" && hasValue) {
            options.upload.dllPath = argv[++i];
        } else if (arg == L"--upload-body" && hasValue) {
            options.upload.feed = BodyFeed::HostRequest;
            options.upload.bodyPath = argv[++i];
        } else if (arg == L"--load-body" && hasValue) {
            options.upload.feed = BodyFeed::LoadFromFile;
            options.upload.bodyPath = argv[++i];
        } else if (options.script.empty() && arg.compare(0, 2, L"--") != 0) {
            options.script = arg;
        } else {
            return false;
        }
    }
    const bool fed = options.upload.feed != BodyFeed::None;
    return !options.script.empty() && fed == !options.upload.dllPath.empty();
}

int Run(const Options& options)
{
    const std::wstring& path = options.script;
    const wchar_t* engine = nullptr;
    if (EndsWithNoCase(path, L".vbs"))
        engine = L"VBScript";
    else if (EndsWithNoCase(path, L".js"))
        engine = L"JScript";
    if (!engine) {
        WriteUtf8Line(L"FAIL: script must end in .vbs or .js: " + path);
        return 2;
    }
    std::wstring text;
    if (!ReadScript(path, text)) {
        WriteUtf8Line(L"FAIL: cannot read " + path);
        return 2;
    }
    std::unique_ptr<UploadSource> source;
    ScratchDir scratch;
    std::vector<NamedObject> objects;
    if (!options.upload.dllPath.empty()) {
        source = MakeUploadSource(options.upload);
        if (!source)
            return 2;
        objects.push_back(NamedObject{L"Host", MakeHostObject(*source, scratch.Path())});
    }
    const ScriptOutcome outcome = RunScript(engine, text, objects);
    objects.clear();
    if (source && !CheckHostReferencesReleased(*source))
        return 1;
    if (FAILED(outcome.engineStatus)) {
        WriteUtf8Line(L"FAIL: script engine " + std::wstring(engine) + L" unavailable");
        return 1;
    }
    if (outcome.scriptError)
        return 1;
    if (outcome.quit && outcome.quitCode != 0) {
        WriteUtf8Line(L"FAIL: script quit with code " + std::to_wstring(outcome.quitCode));
        return 1;
    }
    if (outcome.lastLine != L"PASS") {
        WriteUtf8Line(L"FAIL: the script did not end by writing PASS");
        return 1;
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        WriteUtf8Line(L"usage: scripthost [--dll PATH (--upload-body FILE | --load-body FILE)] "
                      L"SCRIPT.vbs|SCRIPT.js");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 2;
    const int result = Run(options);
    CoUninitialize();
    return result;
}
