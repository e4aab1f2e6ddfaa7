// Loading a registry script from a module's resources and running it. The
// module is mapped as a data file, so nothing in it runs; the script's 8-bit
// text is converted under the conversion code page and applied to the Win32
// registry.
#include "registrar/RegObject.h"
#include "registrar/RegScriptParser.h"
#include "registrar/ScriptResource.h"
#include "registrar/Win32Registry.h"
#include "util/ErrorMacros.h"
#include "util/Handles.h"
#include "util/LastErrorStatus.h"
#include "util/TextConversion.h"

#include <new>
#include <vector>

HRESULT LoadScriptResourceText(HMODULE module, LPCWSTR resource, LPCWSTR type,
                               std::vector<WCHAR>* text)
{
    if (!text)
        return E_POINTER;
    HRSRC found = FindResourceW(module, resource, type);
    if (!found)
        return LastErrorStatus();
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded)
        return LastErrorStatus();
    const DWORD size = SizeofResource(module, found);
    if (size == 0)
        return LastErrorStatus();
    const auto* bytes = static_cast<const char*>(LockResource(loaded));
    if (!bytes)
        return LastErrorStatus();
    if (size == 0xFFFFFFFFu || size > 0x7FFFFFFEu)
        return E_OUTOFMEMORY;
    try {
        text->assign(static_cast<size_t>(size) + 1, 0);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const int converted =
        MultiByteToWideChar(ConversionCodePage(), 0, bytes, static_cast<int>(size), text->data(),
                            static_cast<int>(size));
    if (converted == 0)
        return LastErrorStatus();
    (*text)[static_cast<size_t>(converted)] = 0;
    return S_OK;
}

namespace {

HRESULT RunResource(const CRegObject& registrar, LPCWSTR modulePath, LPCWSTR resource, LPCWSTR type,
                    bool doRegister)
{
    ModuleHolder module(LoadLibraryExW(modulePath, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return LastErrorStatus();
    std::vector<WCHAR> text;
    RETURN_IF_FAILED(LoadScriptResourceText(module.Get(), resource, type, &text));
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
