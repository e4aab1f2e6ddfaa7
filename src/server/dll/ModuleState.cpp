// The library's process-wide static state, defined in one translation unit so
// that its construction order is fixed: the object-map critical section, then
// the module object. Static destruction runs in reverse after the unload
// notification: the module's destructor repeats its teardown (which then does
// nothing), then the critical section is deleted. The record of the library's
// own instance (ModuleInstance) comes first of all: it is the linker's image
// base and needs no construction.
#include "server/Module.h"
#include "server/ObjectMap.h"

CriticalSection g_objectMapSection;
CComModule _Module;
