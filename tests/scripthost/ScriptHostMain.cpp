// scripthost: runs one .vbs or .js test script and reports its result
// positively. Exit code 0 only when the script raised no unhandled error,
// did not quit with a non-zero code, and wrote "PASS" as its last line.
//
//   scripthost SCRIPT
#include "ScriptSite.h"

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
    const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(),
                                          static_cast<int>(bytes.size()), nullptr, 0);
    text.assign(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        units);
    return true;
}

int Run(const std::wstring& path)
{
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
    const ScriptOutcome outcome = RunScript(engine, text, {});
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
    if (argc != 2) {
        WriteUtf8Line(L"usage: scripthost SCRIPT.vbs|SCRIPT.js");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 2;
    const int result = Run(argv[1]);
    CoUninitialize();
    return result;
}
