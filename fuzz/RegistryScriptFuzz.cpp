// Runs arbitrary script text through the registry-script interpreter over
// the in-memory registry: registration, then unregistration of the same
// text on the registry it left. Each byte is one character. Every run must
// end with a status and with every opened key closed.
#include "registrar/RegObject.h"
#include "registrar/RegScriptParser.h"
#include "support/MemoryRegistry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

// Keeps both results used.
volatile HRESULT g_results;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    std::vector<WCHAR> text(data, data + size);
    text.push_back(0);

    CRegObject registrar;
    registrar.AddVariable(u"APPID", u"");
    registrar.AddVariable(u"Module", u"C:\\it''s here\\TavrinUpload.dll");
    registrar.AddVariable(u"Module_Raw", u"C:\\it''s here\\TavrinUpload.dll");
    MemoryRegistry registry;
    CRegScriptParser parser(registrar, registry);
    const HRESULT registered = parser.RunScript(text.data(), true);
    if (registry.OpenHandles() != 0)
        std::abort();
    const HRESULT unregistered = parser.RunScript(text.data(), false);
    if (registry.OpenHandles() != 0)
        std::abort();
    g_results = registered ^ unregistered;
    return 0;
}
