// Exported entry points of TavrinUpload.dll and the library's object map.
// The load notification binds the map to the module; DllGetClassObject
// serves each class's one cached class object from it; registration runs
// each class's registry script in map order, then registers the type
// library. Unload releases the class objects and tears the module down.
#include <windows.h>

#include <objbase.h>

#include "TavrinUpload_h.h"
#include "server/ObjectMap.h"
#include "server/ServerRegistration.h"
#include "upload/UploadObject.h"
#include "uploadfile/UploadFileObject.h"
#include "util/resource.h"

namespace {

// Upload first, then UploadFile: registration and lookup follow this order.
BEGIN_OBJECT_MAP(g_objectMap)
OBJECT_ENTRY(CLSID_Upload, CComASPUpload, IDR_UPLOAD)
OBJECT_ENTRY(CLSID_UploadFile, CComUploadFile, IDR_UPLOADFILE)
END_OBJECT_MAP()

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ObjectMapInit(_Module, g_objectMap, instance, LIBID_TAVRINUPLOADLib);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        ObjectMapTerm(_Module);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return _Module.GetLockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* ppv)
{
    return ObjectMapGetClassObject(_Module, clsid, iid, ppv);
}

STDAPI DllRegisterServer()
{
    return RegisterClassesAndTypeLib(g_objectMap);
}

STDAPI DllUnregisterServer()
{
    return UnregisterClassesAndTypeLib(g_objectMap);
}
