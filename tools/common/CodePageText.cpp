// WidenBytes and NarrowText: see CodePageText.h.
#include "common/CodePageText.h"

#include "util/BstrHolder.h"
#include "util/TextConversion.h"

#include <windows.h>

#include <climits>
#include <new>

std::wstring WidenBytes(std::string_view bytes, unsigned codePage)
{
    if (bytes.size() > INT_MAX)
        throw std::bad_alloc();
    BSTR decoded = nullptr;
    const int32_t units = DecodeBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                                      static_cast<int32_t>(bytes.size()), codePage, &decoded);
    const BstrHolder text(decoded);
    if (units == kDecodeOutOfMemory)
        throw std::bad_alloc();
    if (units <= 0)
        return std::wstring();
    return std::wstring(text.Get(), static_cast<size_t>(units));
}

std::string NarrowText(std::wstring_view text, unsigned codePage)
{
    if (text.empty())
        return std::string();
    if (text.size() > INT_MAX)
        throw std::bad_alloc();
    const UINT page = codePage ? codePage : CP_ACP;
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(page, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(page, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}
