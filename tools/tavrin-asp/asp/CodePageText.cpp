// Code page conversions for the page runner and the program.
#include "asp/CodePageText.h"

#include <windows.h>

std::wstring WidenBytes(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty())
        return std::wstring();
    const UINT page = codePage ? codePage : CP_ACP;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(page, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(page, 0, bytes.data(), size, text.data(), length);
    return text;
}

std::string NarrowText(std::wstring_view text, unsigned codePage)
{
    if (text.empty())
        return std::string();
    const UINT page = codePage ? codePage : CP_ACP;
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(page, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(page, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}
