// The linker's image-base symbol marks the start of whichever module this
// code is linked into, so no load notification is needed to know it.
#include "util/ModuleInstance.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE ModuleInstance() noexcept
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}
