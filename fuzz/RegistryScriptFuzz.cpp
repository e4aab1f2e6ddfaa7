// Runs arbitrary script text through the registry-script interpreter over
// the in-memory registry: registration, then unregistration of the same
// text on the registry it left. Each byte is one character. Every run must
// end with a status and with every opened key closed.
#include "registrar/MemoryRegistry.h"
#include "registrar/RegObject.h"
#include "registrar/RegScriptParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

// Keeps each result used.
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
    for (const bool doRegister : {true, false}) {
        g_results = parser.RunScript(text.data(), doRegister);
        if (registry.OpenHandles() != 0)
            std::abort();
    }
    return 0;
}
