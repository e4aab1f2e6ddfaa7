// Splits arbitrary wide text (the input's bytes as 16-bit units, up to the
// first zero unit) as a client file name and checks what FileName and
// FileExt may rely on: both parts are empty on failure; otherwise base name
// and extension stand at the end of the text in that order, hold no path
// separator, and the extension is empty or one dot and what follows the
// last dot.
#include "uploadfile/ClientPath.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

size_t Length(const WCHAR* text)
{
    return std::char_traits<WCHAR>::length(text);
}

bool HasSeparator(const WCHAR* text, size_t n)
{
    return std::any_of(text, text + n, [](WCHAR c) { return c == '\\' || c == '/'; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<WCHAR> text(size / 2 + 1, 0);
    std::memcpy(text.data(), data, size / 2 * 2);
    const size_t textLength = Length(text.data());

    WCHAR baseName[kClientPathPartUnits];
    WCHAR extension[kClientPathPartUnits];
    const bool split = SplitClientPath(text.data(), baseName, extension);
    const size_t baseLength = Length(baseName);
    const size_t extensionLength = Length(extension);
    if (!split) {
        Check(baseLength == 0);
        Check(extensionLength == 0);
        return 0;
    }
    Check(baseLength < kClientPathPartUnits);
    Check(extensionLength < kClientPathPartUnits);
    const size_t nameLength = baseLength + extensionLength;
    Check(nameLength <= textLength);
    const WCHAR* name = text.data() + textLength - nameLength;
    Check(std::memcmp(name, baseName, baseLength * sizeof(WCHAR)) == 0);
    Check(std::memcmp(name + baseLength, extension, extensionLength * sizeof(WCHAR)) == 0);
    Check(!HasSeparator(baseName, baseLength));
    Check(!HasSeparator(extension, extensionLength));
    if (extensionLength > 0) {
        Check(extension[0] == '.');
        for (size_t i = 1; i < extensionLength; ++i)
            Check(extension[i] != '.');
    }
    return 0;
}
