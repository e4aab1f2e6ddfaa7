// The interface identifiers of the ASP object model are not in the import
// libraries: they are defined here, once for the whole library, by reading
// asptlb.h with initguid.h in effect.
#include <windows.h>

#include <ole2.h>

// Only the GUIDs declared after this point are defined here.
#include <initguid.h>

#include "upload/AspHost.h"

HRESULT QueryScriptingContext(IUnknown* unknown, IScriptingContext** context) noexcept
{
    return unknown->QueryInterface(IID_IScriptingContext, reinterpret_cast<void**>(context));
}
