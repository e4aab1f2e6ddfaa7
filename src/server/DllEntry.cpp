// Exported entry points of TavrinUpload.dll. The object map and the class
// objects behind them arrive with the component frame; until then the
// library loads and serves no class. Registration writes both classes'
// registry entries and registers the embedded type library.
#include <windows.h>

#include <objbase.h>

#include "registrar/ServerRegistration.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return S_OK;
}

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer()
{
    return RegisterClassesAndTypeLib();
}

STDAPI DllUnregisterServer()
{
    return UnregisterClassesAndTypeLib();
}
