// Loading a registry script from a module's resources and running it. The
// module is mapped as a data file, so nothing in it runs; the script's 8-bit
// text is converted under the conversion code page and applied to the Win32
// registry.
#include "registrar/RegObject.h"
#include "registrar/RegScriptParser.h"
#include "registrar/Win32Registry.h"
#include "util/Handles.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

// The status of the thread's last error; a failure that left no error
// number is still a failure.
HRESULT StatusFromLastError()
{
    const DWORD error = GetLastError();
    return error != 0 ? StatusFromError(static_cast<LONG>(error)) : E_FAIL;
}

// The code page of narrow-to-wide conversions that no page code governs:
// the thread's ANSI code page on NT 5 and later, else the default ANSI code
// page of the thread's locale, else the system's. Decided once.
UINT ScriptCodePage()
{
    static std::atomic<UINT> decided{0};
    const UINT known = decided.load();
    if (known != 0)
        return known;
    UINT codePage = 0;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
        version.dwMajorVersion >= 5) {
        codePage = CP_THREAD_ACP;
    } else {
        char text[7] = {};
        if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, text, 7) > 0)
            codePage = static_cast<UINT>(std::strtoul(text, nullptr, 10));
        if (codePage == 0)
            codePage = GetACP();
    }
    UINT expected = 0;
    decided.compare_exchange_strong(expected, codePage);
    return decided.load();
}

HRESULT RunResource(const CRegObject& registrar, LPCWSTR modulePath, LPCWSTR resource, LPCWSTR type,
                    bool doRegister)
{
    ModuleHolder module(LoadLibraryExW(modulePath, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return StatusFromLastError();
    HRSRC found = FindResourceW(module.Get(), resource, type);
    if (!found)
        return StatusFromLastError();
    HGLOBAL loaded = LoadResource(module.Get(), found);
    if (!loaded)
        return StatusFromLastError();
    const DWORD size = SizeofResource(module.Get(), found);
    if (size == 0)
        return StatusFromLastError();
    const auto* bytes = static_cast<const char*>(LockResource(loaded));
    if (!bytes)
        return StatusFromLastError();
    if (size == 0xFFFFFFFFu || size > 0x7FFFFFFEu)
        return E_OUTOFMEMORY;
    std::vector<WCHAR> text;
    try {
        text.resize(static_cast<size_t>(size) + 1);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const int converted = MultiByteToWideChar(ScriptCodePage(), 0, bytes, static_cast<int>(size),
                                              text.data(), static_cast<int>(size));
    if (converted == 0)
        return StatusFromLastError();
    text[static_cast<size_t>(converted)] = 0;
    Win32Registry registry;
    CRegScriptParser parser(registrar, registry);
    try {
        return parser.RunScript(text.data(), doRegister);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace

HRESULT CRegObject::RunScriptResource(LPCWSTR modulePath, WORD resourceId, LPCWSTR type,
                                      bool doRegister)
{
    return RunResource(*this, modulePath, MAKEINTRESOURCEW(resourceId), type, doRegister);
}

HRESULT CRegObject::RunScriptResource(LPCWSTR modulePath, LPCWSTR resourceName, LPCWSTR type,
                                      bool doRegister)
{
    if (!resourceName || !type)
        return E_INVALIDARG;
    return RunResource(*this, modulePath, resourceName, type, doRegister);
}
