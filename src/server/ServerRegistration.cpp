// Class and type-library registration behind DllRegisterServer and
// DllUnregisterServer. Scripts reach the library's path through the
// variables Module and Module_Raw, with every single quote doubled so that
// the path reads back unchanged from inside a quoted script token.
#include "server/ServerRegistration.h"

#include "registrar/RegObject.h"
#include "server/ObjectMap.h"
#include "util/BstrHolder.h"
#include "util/ComPtr.h"
#include "util/ErrorMacros.h"
#include "util/LastErrorStatus.h"
#include "util/ModuleInstance.h"
#include "util/TypeBlockHolder.h"

namespace {

constexpr DWORD kPathSize = 260;
constexpr HRESULT kPathTooLong = static_cast<HRESULT>(0x8007007A);

// The file path of `instance` in a buffer of kPathSize characters.
HRESULT ModulePath(HINSTANCE instance, WCHAR (&path)[kPathSize])
{
    const DWORD length = GetModuleFileNameW(instance, path, kPathSize);
    if (length == 0)
        return LastErrorStatus();
    if (length == kPathSize)
        return kPathTooLong;
    return S_OK;
}

template <class RunScript> HRESULT RunWithModuleVariables(RunScript&& run)
{
    CRegObject registrar;
    RETURN_IF_FAILED(_Module.AddCommonVariables(&registrar));
    WCHAR path[kPathSize];
    RETURN_IF_FAILED(ModulePath(ModuleInstance(), path));
    WCHAR quoted[2 * kPathSize];
    size_t length = 0;
    for (const WCHAR* p = path; *p && length < 2 * kPathSize - 1; ++p) {
        quoted[length++] = *p;
        if (*p == L'\'' && length < 2 * kPathSize - 1)
            quoted[length++] = L'\'';
    }
    quoted[length] = 0;
    RETURN_IF_FAILED(registrar.AddVariable(L"Module", quoted));
    RETURN_IF_FAILED(registrar.AddVariable(L"Module_Raw", quoted));
    return run(registrar, path);
}

} // namespace

HRESULT AddCommonVariables(IRegistrarBase* registrar)
{
    return registrar->AddVariable(L"APPID", L"");
}

HRESULT UpdateRegistryFromScript(UINT resourceId, bool doRegister)
{
    return RunWithModuleVariables([&](CRegObject& registrar, LPCWSTR path) {
        return registrar.RunScriptResource(path, static_cast<WORD>(resourceId), L"REGISTRY",
                                           doRegister);
    });
}

HRESULT UpdateRegistryFromScript(LPCWSTR resourceName, bool doRegister)
{
    return RunWithModuleVariables([&](CRegObject& registrar, LPCWSTR path) {
        return registrar.RunScriptResource(path, resourceName, L"REGISTRY", doRegister);
    });
}

// The category step of each class does nothing: no class names any
// component category.
HRESULT RegisterClassesAndTypeLib(ObjectMapEntry* map)
{
    for (ObjectMapEntry& entry : ObjectMapEntries(map))
        RETURN_IF_FAILED(entry.UpdateClassRegistry(TRUE));
    return RegisterModuleTypeLib(ModuleInstance());
}

HRESULT UnregisterClassesAndTypeLib(ObjectMapEntry* map)
{
    for (ObjectMapEntry& entry : ObjectMapEntries(map))
        RETURN_IF_FAILED(entry.UpdateClassRegistry(FALSE));
    return UnregisterModuleTypeLib(ModuleInstance());
}

HRESULT LoadModuleTypeLib(HINSTANCE instance, BSTR* path, ITypeLib** typeLib)
{
    if (!path || !typeLib)
        return E_POINTER;
    *path = nullptr;
    *typeLib = nullptr;
    WCHAR file[kPathSize];
    RETURN_IF_FAILED(ModulePath(instance, file));
    // The last '.' after the last backslash starts the extension; without
    // one, the end of the path does.
    constexpr size_t kNone = static_cast<size_t>(-1);
    size_t extension = kNone;
    size_t length = 0;
    for (; file[length]; ++length) {
        if (file[length] == L'.')
            extension = length;
        else if (file[length] == L'\\')
            extension = kNone;
    }
    if (extension == kNone)
        extension = length;

    ComPtr<ITypeLib> loaded;
    HRESULT hr = LoadTypeLib(file, loaded.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        if (extension + 5 > kPathSize)
            return E_FAIL;
        lstrcpyW(file + extension, L".tlb");
        RETURN_IF_FAILED(LoadTypeLib(file, loaded.ReleaseAndGetAddressOf()));
    }
    BstrHolder loadedPath;
    RETURN_IF_FAILED(loadedPath.FromText(file));
    if (!loadedPath.Get())
        return E_OUTOFMEMORY;
    *path = loadedPath.Detach();
    *typeLib = loaded.Detach();
    return S_OK;
}

HRESULT RegisterModuleTypeLib(HINSTANCE instance)
{
    BstrHolder path;
    ComPtr<ITypeLib> typeLib;
    RETURN_IF_FAILED(LoadModuleTypeLib(instance, path.ReleaseAndGetAddressOf(),
                                       typeLib.ReleaseAndGetAddressOf()));
    WCHAR helpDir[kPathSize] = {};
    lstrcpynW(helpDir, path.Get(), kPathSize);
    size_t keep = 0;
    for (size_t i = 0; helpDir[i]; ++i) {
        if (helpDir[i] == L'\\' || helpDir[i] == L'/' || helpDir[i] == L':')
            keep = i + 1;
    }
    helpDir[keep] = 0;
    return RegisterTypeLib(typeLib.Get(), path.Get(), helpDir);
}

HRESULT UnregisterModuleTypeLib(HINSTANCE instance)
{
    BstrHolder path;
    ComPtr<ITypeLib> typeLib;
    RETURN_IF_FAILED(LoadModuleTypeLib(instance, path.ReleaseAndGetAddressOf(),
                                       typeLib.ReleaseAndGetAddressOf()));
    LibAttrHolder attributes(typeLib.Get());
    RETURN_IF_FAILED(typeLib->GetLibAttr(attributes.Put()));
    return UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                             attributes->lcid, attributes->syskind);
}
