// Client file name splitting: see ClientPath.h. The limits mirror the fixed
// buffers the item keeps; a name that breaks one yields no parts at all
// rather than a truncated name that could mislead a script into saving under
// a different name than the client sent.
#include "uploadfile/ClientPath.h"

namespace {

constexpr size_t kMaxPartUnits = kClientPathPartUnits - 1;

bool IsSeparator(WCHAR unit)
{
    return unit == '\\' || unit == '/';
}

void CopyUnits(const WCHAR* from, size_t count, WCHAR (&to)[kClientPathPartUnits])
{
    for (size_t i = 0; i < count; ++i)
        to[i] = from[i];
    to[count] = 0;
}

} // namespace

bool SplitClientPath(LPCWSTR text, WCHAR (&baseName)[kClientPathPartUnits],
                     WCHAR (&extension)[kClientPathPartUnits])
{
    baseName[0] = 0;
    extension[0] = 0;
    if (!text)
        return true;

    const WCHAR* rest = text;
    if (rest[0] == '\\' && rest[1] == '\\' && rest[2] == '?' && rest[3] == '\\')
        rest += 4;
    if (rest[0] != 0 && rest[1] == ':')
        rest += 2;

    // One pass: where the last component starts and where its last dot is.
    const WCHAR* componentStart = rest;
    const WCHAR* lastDot = nullptr;
    const WCHAR* end = rest;
    for (; *end != 0; ++end) {
        if (IsSeparator(*end))
            componentStart = end + 1;
        else if (*end == '.')
            lastDot = end;
    }

    if (static_cast<size_t>(componentStart - rest) > kMaxPartUnits)
        return false;
    const WCHAR* baseEnd = (lastDot && lastDot >= componentStart) ? lastDot : end;
    const size_t baseUnits = static_cast<size_t>(baseEnd - componentStart);
    const size_t extensionUnits = static_cast<size_t>(end - baseEnd);
    if (baseUnits > kMaxPartUnits || extensionUnits > kMaxPartUnits)
        return false;

    CopyUnits(componentStart, baseUnits, baseName);
    CopyUnits(baseEnd, extensionUnits, extension);
    return true;
}
