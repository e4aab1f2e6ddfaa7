// scripthost: runs one .vbs or .js test script and reports its result
// positively. Exit code 0 only when the script raised no unhandled error,
// did not quit with a non-zero code, and wrote "PASS" as its last line.
//
//   scripthost [--dll PATH (--upload-body FILE | --load-body FILE)] SCRIPT
//
// With a body option the script also sees a "Host" object (HostObject.h)
// whose NewUpload() makes Upload objects of the DLL at PATH fed with FILE:
// through a stand-in ASP request (--upload-body) or through
// LoadBodyFromFile (--load-body).
#include "HostObject.h"
#include "ScriptSite.h"

#include "support/TempDir.h"

#include <objbase.h>

namespace {

// Reads a script file, UTF-8 with or without a byte-order mark.
bool ReadScript(const std::wstring& path, std::wstring& text)
{
    std::string bytes = FileExists(path) ? ReadWholeFileForTest(path) : "";
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    text.assign(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes.data(),
                                                        static_cast<int>(bytes.size()), text.data(),
                                                        static_cast<int>(text.size()))));
    return !text.empty();
}

int Run(int argc, wchar_t** argv)
{
    HostOptions host;
    std::wstring script;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--dll" && hasValue) {
            host.dllPath = argv[++i];
        } else if ((arg == L"--upload-body" || arg == L"--load-body") && hasValue) {
            host.loadBody = arg == L"--load-body";
            host.bodyPath = argv[++i];
        } else if (script.empty() && arg.compare(0, 2, L"--") != 0) {
            script = arg;
        } else {
            script.clear();
            break;
        }
    }
    const size_t dot = script.rfind(L'.');
    const std::wstring extension = dot == std::wstring::npos ? L"" : script.substr(dot);
    const wchar_t* engine = lstrcmpiW(extension.c_str(), L".vbs") == 0  ? L"VBScript"
                            : lstrcmpiW(extension.c_str(), L".js") == 0 ? L"JScript"
                                                                        : nullptr;
    if (!engine || host.bodyPath.empty() != host.dllPath.empty()) {
        WriteUtf8Line(L"usage: scripthost [--dll PATH (--upload-body FILE | --load-body FILE)] "
                      L"SCRIPT.vbs|SCRIPT.js");
        return 2;
    }
    std::wstring text;
    if (!ReadScript(script, text)) {
        WriteUtf8Line(L"FAIL: cannot read " + script);
        return 2;
    }
    std::vector<NamedObject> objects;
    if (!host.dllPath.empty()) {
        objects.push_back(NamedObject{L"Host", MakeHostObject(host)});
        if (!objects.back().object)
            return 2;
    }
    const bool passed = RunScript(engine, text, objects);
    // The script's Upload objects are gone with the engine.
    if (!objects.empty() && !HostReferencesReleased(objects.back().object.Get()))
        return 1;
    return passed ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 2;
    const int result = Run(argc, argv);
    CoUninitialize();
    return result;
}
